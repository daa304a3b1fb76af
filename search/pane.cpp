#include "search/pane.h"

#include "base/texts.h"
#include "search/likepattern.h"

#include <algorithm>

namespace tembra::pane {

QString compose(const QString &tab4, const QString &tab1)
{
    return tab4 + texts::paneSeparator() + tab1;
}

std::vector<Span> occurrences(QStringView text, QStringView term, Comparison comparison)
{
    std::vector<Span> spans;
    while (term.startsWith(u'%'))
        term = term.mid(1);
    while (term.endsWith(u'%'))
        term.chop(1);
    if (text.isEmpty() || term.isEmpty())
        return spans;
    const fold::Form form = fold::formFor(term, comparison);
    std::vector<qsizetype> position; // in text, of each unit of folded
    const QString folded = fold::apply(text, form, &position);
    const QString pattern = fold::apply(term, form);
    const BasicLikePattern<char16_t> like(LikePattern::units(pattern));
    const LikePattern::View units = LikePattern::units(folded);
    qsizetype end = 0;
    for (qsizetype from = 0;; from = end) {
        const qsizetype start = like.findFirst(units, from, &end);
        if (start < 0 || end <= start)
            break;
        // Marks in canonical order may stand in another order in the text: a match that
        // begins or ends inside a run covers the marks of that run it holds, wherever they
        // stand.
        qsizetype first = position[size_t(start)];
        for (qsizetype i = start; i < end && fold::kind(units[size_t(i)]) == fold::Mark; ++i)
            first = std::min(first, position[size_t(i)]);
        qsizetype last = position[size_t(end - 1)];
        for (qsizetype i = end - 1; i >= start && fold::kind(units[size_t(i)]) == fold::Mark; --i)
            last = std::max(last, position[size_t(i)]);
        last += text[last].isHighSurrogate() && last + 1 < text.size()
                && text[last + 1].isLowSurrogate()
            ? 2
            : 1;
        while (last < text.size() && fold::kind(text[last].unicode()) != fold::Keep)
            ++last;
        if (!spans.empty())
            first = std::max(first, spans.back().end); // never over the one before
        if (first < last)
            spans.push_back({first, last});
    }
    return spans;
}

qreal zoomedPoints(qreal points, int steps)
{
    constexpr qreal step = 2;
    constexpr qreal smallest = 10;
    constexpr qreal largest = 48;
    return qBound(smallest, points + step * steps, largest);
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
