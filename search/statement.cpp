#include "search/statement.h"

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

QString columnName(Column column)
{
    return QStringLiteral("Tab%1").arg(position(column) + 1);
}

QString literal(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Reads a literal whose opening apostrophe is just before *at; *at ends after its closing
// one. False when it is not closed.
bool readLiteral(const QString &source, qsizetype *at, QString *out)
{
    for (qsizetype i = *at; i < source.size();) {
        const QChar c = source[i++];
        if (c == u'\'') {
            if (i < source.size() && source[i] == u'\'') {
                out->append(c);
                ++i;
                continue;
            }
            *at = i;
            return true;
        }
        out->append(c);
    }
    return false;
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

    // The keywords come before the first apostrophe; a literal may hold anything, even text
    // the regular expressions would refuse (unpaired surrogates), so they never see one.
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

    // Each condition is keywords up to an apostrophe (or "is null"), then a literal; the
    // keywords are matched on that stretch alone, for the reason above.
    const auto keywordsAt = [&source](qsizetype from) {
        const qsizetype next = source.indexOf(QLatin1Char('\''), from);
        return next < 0 ? source.mid(from) : source.mid(from, next - from + 1);
    };
    static const QRegularExpression condition(
        QStringLiteral("^(where|\\s*and)\\s+(not\\s+)?(\\[?\\w+\\]?)\\s*"
                       "(?:(like\\s|=)\\s*'|is\\s+null\\b)"),
        QRegularExpression::CaseInsensitiveOption);
    for (bool first = true;; first = false) {
        const QString words = keywordsAt(pos);
        const auto w = condition.match(words);
        if (!w.hasMatch() || (first != (w.captured(1).compare(u"where", Qt::CaseInsensitive) == 0)))
            return refuse(error,
                          QStringLiteral("syntax error near \"%1\"").arg(source.mid(pos, 20)));
        QStringView name = w.capturedView(3);
        if (name.startsWith(u'[') && name.endsWith(u']'))
            name = name.mid(1, name.size() - 2);
        const std::optional<Column> column = columnNamed(name);
        if (!column)
            return refuse(error, QStringLiteral("no column named \"%1\"").arg(name.toString()));
        const bool negated = w.capturedLength(2) > 0;
        const QStringView op = w.capturedView(4);
        pos += w.capturedEnd(0);
        if (op.isEmpty()) { // is null
            if (negated)
                return refuse(error, QStringLiteral("\"not\" goes only before \"like\""));
            out->equals.push_back({*column, std::nullopt});
        } else {
            QString text;
            if (!readLiteral(source, &pos, &text))
                return refuse(error, QStringLiteral("the quoted text is not closed"));
            if (op.startsWith(u'l', Qt::CaseInsensitive)) {
                out->likes.push_back({*column, text, negated});
            } else {
                if (negated)
                    return refuse(error, QStringLiteral("\"not\" goes only before \"like\""));
                out->equals.push_back({*column, text});
            }
        }
        qsizetype rest = pos;
        while (rest < source.size() && source[rest].isSpace())
            ++rest;
        if (rest == source.size())
            return true;
    }
}

QString likeCondition(Column column, const QString &pattern, bool negated)
{
    return (negated ? QLatin1String("not ") : QLatin1String()) + columnName(column)
        + QLatin1String(" like ") + literal(pattern);
}

QString equalCondition(Column column, const Field &value)
{
    return value ? columnName(column) + QLatin1String(" = ") + literal(*value)
                 : columnName(column) + QLatin1String(" is null");
}

QString whereStatement(const QStringList &conditions)
{
    if (conditions.isEmpty())
        return QStringLiteral("select * from Table1");
    return QLatin1String("select * from Table1 where ") + conditions.join(QLatin1String(" and "));
}

QString searchPattern(const QString &text)
{
    return QLatin1Char('%') + text + QLatin1Char('%');
}

QString searchStatement(const QString &text)
{
    return whereStatement({likeCondition(Column::Text, searchPattern(text))});
}

} // namespace tembra
