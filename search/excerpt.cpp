#include "search/excerpt.h"

#include "base/texts.h"
#include "search/pane.h"

namespace tembra {

namespace {

// A unit that belongs to the character before it: the second half of a pair, a mark, or
// a joiner that shapes the letters around it.
bool clingsToPrevious(QChar c)
{
    if (c.isLowSurrogate())
        return true;
    switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format: return true;
    default: return false;
    }
}

bool isBreak(QChar c)
{
    return c.isSpace();
}

// The most units a cut moves on to keep marks with their letter: past that the text is
// cut among its marks (a text of marks alone has no letter to keep them with).
constexpr qsizetype kMostClinging = 32;

} // namespace

Excerpt excerpt(QStringView text, QStringView term, Comparison comparison, qsizetype lead,
                qsizetype length)
{
    return excerptAround(text, pane::firstOccurrence(text, term, comparison), lead, length);
}

Excerpt excerpt(QStringView text, const Listing &listing, qsizetype lead, qsizetype length)
{
    return excerptAround(text, pane::firstOccurrence(text, listing), lead, length);
}

Excerpt excerptAround(QStringView text, const std::optional<pane::Span> &found, qsizetype lead,
                      qsizetype length)
{
    qsizetype matchStart = found ? std::min(found->start, text.size()) : 0;
    qsizetype matchEnd = found ? std::min(found->end, text.size()) : 0;

    // The start: lead units before the match, moved on to the next word's first letter,
    // unless that would pass the match.
    qsizetype start = 0;
    if (matchStart > lead) {
        start = matchStart - lead;
        qsizetype word = start;
        while (word < matchStart && !isBreak(text[word - 1]))
            ++word;
        if (isBreak(text[word - 1]))
            start = word;
        while (start < matchStart && (clingsToPrevious(text[start]) || isBreak(text[start])))
            ++start;
    }

    // The end: length units from the start, back to the end of a word when one ends after
    // the match, and never before the marks of the last letter kept.
    qsizetype end = std::min(text.size(), start + length);
    if (end < text.size()) {
        qsizetype word = end;
        while (word > matchEnd && !isBreak(text[word]))
            --word;
        if (isBreak(text[word]))
            end = word;
        for (const qsizetype most = end + kMostClinging;
             end < text.size() && clingsToPrevious(text[end]) && end < most;)
            ++end;
        if (end < text.size() && text[end].isLowSurrogate() && text[end - 1].isHighSurrogate())
            ++end; // never half a pair
        while (end > start && isBreak(text[end - 1]))
            --end;
    }
    matchEnd = std::min(matchEnd, end);

    Excerpt out;
    const bool cutBefore = start > 0;
    const bool cutAfter = end < text.size();
    const QChar ellipsis(0x2026);
    if (cutBefore)
        out.text.append(ellipsis);
    out.text.append(text.mid(start, end - start));
    for (qsizetype i = cutBefore ? 1 : 0; i < out.text.size(); ++i) {
        const QChar c = out.text[i];
        if (c == u'\r' || c == u'\n' || c == u'\t')
            out.text[i] = u' ';
    }
    if (cutAfter)
        out.text.append(ellipsis);
    if (found) {
        out.matchStart = matchStart - start + (cutBefore ? 1 : 0);
        out.matchLength = matchEnd - matchStart;
    }
    return out;
}

} // namespace tembra
