#include "search/shownmatches.h"

#include "search/words.h"

#include <algorithm>

namespace tembra {

std::vector<pane::Span> shownMatches(QStringView text, const Listing &search)
{
    if (search.kind != Listing::Kind::Search)
        return {};
    if (!search.anyOrder)
        return pane::occurrences(text, search.text, search.comparison);
    std::vector<pane::Span> all;
    for (const WordItem &item : splitWords(search.text)) {
        if (item.excluded)
            continue;
        const std::vector<pane::Span> found = pane::occurrences(text, item.text, search.comparison);
        all.insert(all.end(), found.begin(), found.end());
    }
    std::sort(all.begin(), all.end(), [](const pane::Span &a, const pane::Span &b) {
        return a.start < b.start || (a.start == b.start && a.end > b.end);
    });
    std::vector<pane::Span> apart;
    for (const pane::Span &span : all) {
        if (!apart.empty() && span.start < apart.back().end) {
            apart.back().end = std::max(apart.back().end, span.end);
            continue;
        }
        apart.push_back(span);
    }
    return apart;
}

Excerpt shownExcerpt(QStringView text, const Listing &search)
{
    if (search.kind == Listing::Kind::Search && !search.anyOrder)
        return excerpt(text, search.text, search.comparison);
    const std::vector<pane::Span> found = shownMatches(text, search);
    return excerptAround(text, found.empty() ? std::nullopt : std::optional(found.front()));
}

} // namespace tembra
