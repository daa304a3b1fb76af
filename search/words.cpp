#include "search/words.h"

#include "search/statement.h"

namespace tembra {

namespace {

bool isSpace(QChar c)
{
    return c.category() == QChar::Separator_Space;
}

// The quote that closes a phrase opened by c; none where c opens none.
QChar closingQuote(QChar c)
{
    switch (c.unicode()) {
    case u'"': return u'"';
    case 0x00AB: return QChar(0x00BB); // « »
    case 0x201C: return QChar(0x201D); // “ ”
    default: return QChar();
    }
}

} // namespace

std::vector<WordItem> splitWords(QStringView typed)
{
    std::vector<WordItem> items;
    qsizetype i = 0;
    const qsizetype n = typed.size();
    while (i < n) {
        if (isSpace(typed[i])) {
            ++i;
            continue;
        }
        WordItem item;
        if (typed[i] == u'-') {
            item.excluded = true;
            ++i;
        }
        const QChar close = i < n ? closingQuote(typed[i]) : QChar();
        qsizetype end = i;
        if (!close.isNull()) {
            // A phrase, to its closing quote. One never closed runs to the end of the
            // text: what was typed after the quote is what the reader meant to quote.
            const qsizetype from = i + 1;
            end = from;
            while (end < n && typed[end] != close)
                ++end;
            item.text = typed.mid(from, end - from).toString();
            i = end < n ? end + 1 : n;
        } else {
            while (end < n && !isSpace(typed[end]))
                ++end;
            item.text = typed.mid(i, end - i).toString();
            i = end;
        }
        if (!item.text.isEmpty())
            items.push_back(item);
    }
    return items;
}

QStringList wordsConditions(QStringView typed)
{
    QStringList conditions;
    for (const WordItem &item : splitWords(typed))
        conditions << likeCondition(Column::Text, QLatin1Char('%') + item.text + QLatin1Char('%'),
                                    item.excluded);
    return conditions;
}

} // namespace tembra
