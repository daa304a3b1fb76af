#include "search/words.h"

#include "search/statement.h"

namespace tembra {

std::vector<WordItem> splitWords(QStringView typed)
{
    std::vector<WordItem> items;
    for (const QStringView piece : typed.split(u' ', Qt::SkipEmptyParts)) {
        WordItem item;
        item.excluded = piece.startsWith(u'-');
        item.text = (item.excluded ? piece.mid(1) : piece).toString();
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
