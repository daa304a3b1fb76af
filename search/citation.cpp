#include "search/citation.h"

#include "base/texts.h"

namespace tembra {

namespace {

QString shown(const Field &field)
{
    return field.value_or(QString());
}

bool given(const Field &field)
{
    return field && !field->trimmed().isEmpty();
}

} // namespace

QString citation(const Record &record)
{
    QString out;
    if (given(record[Column::Heading]))
        out += *record[Column::Heading] + QLatin1Char('\n');
    out += shown(record[Column::Text]);
    QString source;
    if (given(record[Column::Book]))
        source = *record[Column::Book];
    if (given(record[Column::Number])) {
        if (!source.isEmpty())
            source += texts::listSeparator();
        source += texts::sourceNumber() + QLatin1Char(' ') + *record[Column::Number];
    }
    if (!source.isEmpty())
        out += QLatin1Char('\n') + source;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString rowTooltip(const Record &record)
{
    const QString colon = QStringLiteral(": ");
    return texts::bookCaption() + colon + shown(record[Column::Book]) + QLatin1Char('\n')
        + texts::numberCaption() + colon + shown(record[Column::Number]) + QLatin1Char('\n')
        + texts::kindCaption() + colon + shown(record[Column::Kind]);
}

QString rowDescription(const Record &record)
{
    QString line = rowTooltip(record);
    line.replace(QLatin1Char('\n'), texts::listSeparator());
    return line;
}

} // namespace tembra
