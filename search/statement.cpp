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

    // Each condition is keywords up to an apostrophe, then a literal; the keywords are
    // matched on that stretch alone, for the reason above.
    const auto keywordsAt = [&source](qsizetype from) {
        const qsizetype next = source.indexOf(QLatin1Char('\''), from);
        return next < 0 ? source.mid(from) : source.mid(from, next - from + 1);
    };
    const auto literalAt = [&source](qsizetype *at, QString *literal) {
        for (qsizetype i = *at;;) {
            if (i >= source.size())
                return false;
            const QChar c = source[i++];
            if (c == u'\'') {
                if (i < source.size() && source[i] == u'\'') {
                    literal->append(c);
                    ++i;
                    continue;
                }
                *at = i;
                return true;
            }
            literal->append(c);
        }
    };
    static const QRegularExpression condition(
        QStringLiteral("^(where|\\s*and)\\s+(\\[?\\w+\\]?)\\s*(like\\s|=)\\s*'"),
        QRegularExpression::CaseInsensitiveOption);
    for (bool first = true;; first = false) {
        const QString words = keywordsAt(pos);
        const auto w = condition.match(words);
        if (!w.hasMatch() || (first != (w.captured(1).compare(u"where", Qt::CaseInsensitive) == 0)))
            return refuse(error,
                          QStringLiteral("syntax error near \"%1\"").arg(source.mid(pos, 20)));
        QStringView column = w.capturedView(2);
        if (column.startsWith(u'[') && column.endsWith(u']'))
            column = column.mid(1, column.size() - 2);
        const std::optional<Column> named = columnNamed(column);
        if (!named)
            return refuse(error, QStringLiteral("no column named \"%1\"").arg(column.toString()));
        pos += w.capturedEnd(0);
        QString literal;
        if (!literalAt(&pos, &literal))
            return refuse(error, QStringLiteral("the quoted text is not closed"));
        const bool like = w.capturedView(3).startsWith(u'l', Qt::CaseInsensitive);
        if (like ? out->filtered : out->equalColumn.has_value())
            return refuse(error, QStringLiteral("only one condition of each kind is supported"));
        if (like) {
            out->filtered = true;
            out->column = *named;
            out->pattern = literal;
        } else {
            out->equalColumn = *named;
            out->equalValue = literal;
        }
        qsizetype rest = pos;
        while (rest < source.size() && source[rest].isSpace())
            ++rest;
        if (rest == source.size())
            return true;
    }
}

QString searchPattern(const QString &text)
{
    return QLatin1Char('%') + text + QLatin1Char('%');
}

QString searchStatement(const QString &text)
{
    QString literal = searchPattern(text);
    literal.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1String("select * from Table1 where Tab1 like '") + literal + QLatin1Char('\'');
}

} // namespace tembra

namespace tembra {

QString bookStatement(const QString &text, const QString &book)
{
    QString value = book;
    value.replace(QLatin1Char('\''), QLatin1String("''"));
    const QString condition = QLatin1String("Tab5 = '") + value + QLatin1Char('\'');
    if (text.isEmpty())
        return QLatin1String("select * from Table1 where ") + condition;
    return searchStatement(text) + QLatin1String(" and ") + condition;
}

} // namespace tembra
