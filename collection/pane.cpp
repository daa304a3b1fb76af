#include "collection/pane.h"

#include "collection/texts.h"

namespace tembra::pane {

QString compose(const QString &tab4, const QString &tab1)
{
    return tab4 + texts::paneSeparator() + tab1;
}

qsizetype firstOccurrence(QStringView text, QStringView term)
{
    if (text.isEmpty())
        return -1;
    return text.indexOf(term, 0, Qt::CaseSensitive);
}

qsizetype documentPosition(QStringView text, qsizetype index)
{
    qsizetype pairs = 0;
    for (qsizetype k = 0; k + 1 < text.size() && k < index; ++k) {
        if (text[k] == u'\r' && text[k + 1] == u'\n')
            ++pairs;
    }
    return index - pairs;
}

QString numberTooltip(const QString &number)
{
    return texts::numberTooltipHead() + number + texts::numberTooltipTail();
}

QString kindTooltip(const QString &kind)
{
    return texts::kindTooltipHead() + kind + texts::braceTooltipTail();
}

QString bookTooltip(const QString &book)
{
    return texts::bookTooltipHead() + book + texts::braceTooltipTail();
}

QString paneTooltip(const QString &kind)
{
    return kind.isEmpty() ? QString() : texts::pageKeyHint();
}

} // namespace tembra::pane
