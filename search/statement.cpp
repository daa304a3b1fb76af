#include "search/statement.h"

#include "search/record.h"

#include <QRegularExpression>

namespace tembra {

namespace {

bool isTableName(QStringView name)
{
    if (name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    return name.compare(u"Table1", Qt::CaseInsensitive) == 0;
}

bool refuse(Error *error, const QString &why)
{
    return fail(error, Error::BadStatement, why);
}

} // namespace

bool Statement::parse(const QString &source, int commandType, Statement *out, Error *error)
{
    *out = Statement();
    if (commandType == Table) {
        if (isTableName(source.trimmed()))
            return true;
        return refuse(error, QStringLiteral("no table named \"%1\"").arg(source));
    }
    if (commandType != Text)
        return refuse(error, QStringLiteral("command type %1 is not supported").arg(commandType));

    static const QRegularExpression head(
        QStringLiteral("^\\s*select\\s+\\*\\s+from\\s+(\\[?\\w+\\]?)\\s*"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression where(QStringLiteral("\\Gwhere\\s+(\\[?\\w+\\]?)\\s+like\\s+'"),
                                          QRegularExpression::CaseInsensitiveOption);

    // The keywords come before the first apostrophe; the literal after it may hold
    // anything, even text the regular expressions would refuse (unpaired surrogates).
    const qsizetype quote = source.indexOf(QLatin1Char('\''));
    const QString keywords = quote < 0 ? source : source.left(quote + 1);
    const auto h = head.match(keywords);
    if (!h.hasMatch())
        return refuse(error,
                      QStringLiteral("not a statement of the form select * from Table1 ..."));
    if (!isTableName(h.capturedView(1)))
        return refuse(error, QStringLiteral("no table named \"%1\"").arg(h.captured(1)));
    qsizetype pos = h.capturedEnd(0);
    if (pos == source.size())
        return true;

    const auto w = where.match(keywords, pos, QRegularExpression::NormalMatch,
                               QRegularExpression::AnchorAtOffsetMatchOption);
    if (!w.hasMatch())
        return refuse(error, QStringLiteral("syntax error near \"%1\"").arg(source.mid(pos, 20)));
    QStringView column = w.capturedView(1);
    if (column.startsWith(u'[') && column.endsWith(u']'))
        column = column.mid(1, column.size() - 2);
    const int index = columnIndex(column);
    if (index < 0)
        return refuse(error, QStringLiteral("no column named \"%1\"").arg(column.toString()));

    // The literal runs to the first apostrophe that is not doubled.
    QString literal;
    pos = w.capturedEnd(0);
    for (;;) {
        if (pos >= source.size())
            return refuse(error, QStringLiteral("the quoted text is not closed"));
        const QChar c = source[pos++];
        if (c == u'\'') {
            if (pos < source.size() && source[pos] == u'\'') {
                literal.append(c);
                ++pos;
                continue;
            }
            break;
        }
        literal.append(c);
    }
    for (; pos < source.size(); ++pos) {
        if (!source[pos].isSpace())
            return refuse(error,
                          QStringLiteral("syntax error after the quoted text near \"%1\"")
                              .arg(source.mid(pos, 20)));
    }
    out->filtered = true;
    out->column = index;
    out->pattern = literal;
    return true;
}

QString searchStatement(const QString &text)
{
    QString literal = text;
    literal.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1String("select * from Table1 where Tab1 like '%") + literal + QLatin1String("%'");
}

} // namespace tembra
