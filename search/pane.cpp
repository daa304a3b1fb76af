#include "search/pane.h"

#include "base/texts.h"
#include "search/likepattern.h"

#include <algorithm>
#include <iterator>

namespace tembra::pane {

QString compose(const QString &tab4, const QString &tab1)
{
    return tab4 + texts::paneSeparator() + tab1;
}

namespace {

using Pattern = BasicLikePattern<char16_t>;

std::optional<Span> firstOf(const std::vector<Span> &spans)
{
    if (spans.empty())
        return std::nullopt;
    return spans.front();
}

// A term made ready to be looked for in a text, as the search compared it.
struct Term {
    Term(QStringView typed, Comparison comparison)
    {
        while (typed.startsWith(u'%'))
            typed = typed.mid(1);
        while (typed.endsWith(u'%'))
            typed.chop(1);
        empty = typed.isEmpty();
        if (empty)
            return;
        form = fold::formFor(typed, comparison);
        like = comparedPattern(QLatin1Char('%') + typed.toString() + QLatin1Char('%'), form);
        // A match of one part spans at most two units a character of the term (a "_" may
        // take a pair); one with a "%" inside may span any length.
        if (like.isOnePart())
            widest = 2 * typed.size();
    }
    bool empty = true;
    fold::Form form = fold::Form::NoMarks;
    Pattern like;
    qsizetype widest = -1;
};

// The text, or its first units, in the form the term is compared in, with the place in
// the text of each unit.
struct Folded {
    Folded(QStringView text, fold::Form form)
    {
        if (form == fold::Form::WithMarks) {
            fold::Marked m = fold::marked(text, &position);
            units = std::move(m.letters);
            marks = std::move(m.marks);
            lead = m.lead;
            withMarks = true;
        } else {
            units = fold::apply(text, form, &position);
        }
    }
    Pattern::Subject subject() const
    {
        if (!withMarks)
            return Pattern::Subject(LikePattern::units(units));
        return Pattern::Subject(LikePattern::units(units), marks.data(), lead);
    }
    QString units;
    std::vector<qsizetype> position;
    std::vector<fold::MarkSet> marks;
    fold::MarkSet lead = 0;
    bool withMarks = false;
};

// The stretch of text that the match [start, end) of folded stands for.
Span spanOf(QStringView text, const Folded &folded, const Term &term, qsizetype start,
            qsizetype end)
{
    const auto after = [&](qsizetype unit) { // where the character of a unit of folded ends
        qsizetype at = folded.position[size_t(unit)];
        at += text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()
            ? 2
            : 1;
        return at;
    };
    qsizetype first = 0;
    qsizetype last = 0;
    if (end > start) {
        // Marks typed before the first letter were compared with the letter before it: its
        // marks are part of what was found.
        first = term.like.leadMarks() != 0 && start > 0 ? after(start - 1)
            : term.like.leadMarks() != 0                ? 0
                                                        : folded.position[size_t(start)];
        last = after(end - 1);
    } else if (start > 0) { // marks alone: the letter that carries them
        first = folded.position[size_t(start - 1)];
        last = after(start - 1);
    } else { // the marks before the first letter
        while (first < text.size() && fold::kind(text[first].unicode()) != fold::Mark)
            ++first;
        last = first;
    }
    while (last < text.size() && fold::kind(text[last].unicode()) != fold::Keep)
        ++last;
    return {first, last};
}

// Every match of the term in text, or the first alone.
std::vector<Span> find(QStringView text, const Term &term, qsizetype most)
{
    std::vector<Span> spans;
    if (text.isEmpty() || term.empty || most <= 0)
        return spans;
    const Folded folded(text, term.form);
    const Pattern::Subject subject = folded.subject();
    const auto n = qsizetype(folded.units.size());
    qsizetype end = 0;
    for (qsizetype from = 0; from <= n;) {
        const qsizetype start = term.like.findFirst(subject, from, &end);
        if (start < 0)
            break;
        Span span = spanOf(text, folded, term, start, end);
        if (!spans.empty())
            span.start = std::max(span.start, spans.back().end); // never over the one before
        if (span.start < span.end) {
            spans.push_back(span);
            if (qsizetype(spans.size()) >= most)
                break;
        }
        from = end > start ? end : start + 1;
    }
    return spans;
}

std::optional<Span> findFirst(QStringView text, const Term &term)
{
    if (term.widest < 0) // a match may reach anywhere: the whole text is folded
        return firstOf(find(text, term, 1));
    // A growing beginning of the text, cut before a letter so that every letter in it has
    // all its marks: a match found in it whose start is far enough from its end that no
    // match of the term could start earlier and end beyond it is the first.
    for (qsizetype want = 1024;; want *= 4) {
        qsizetype cut = std::min(want, text.size());
        while (cut < text.size()
               && (fold::kind(text[cut].unicode()) != fold::Keep || text[cut].isLowSurrogate()))
            ++cut;
        const QStringView part = text.left(cut);
        if (cut == text.size())
            return firstOf(find(part, term, 1));
        const Folded folded(part, term.form);
        qsizetype end = 0;
        const qsizetype start = term.like.findFirst(folded.subject(), 0, &end);
        if (start >= 0 && start + term.widest <= qsizetype(folded.units.size()))
            return spanOf(part, folded, term, start, end);
    }
}

} // namespace

std::vector<Span> occurrences(QStringView text, QStringView term, Comparison comparison,
                              qsizetype most)
{
    return find(text, Term(term, comparison), most);
}

std::optional<Span> firstOccurrence(QStringView text, QStringView term, Comparison comparison)
{
    return findFirst(text, Term(term, comparison));
}

std::vector<Span> occurrences(QStringView text, const std::vector<WordItem> &items,
                              Comparison comparison, qsizetype most)
{
    std::vector<Span> all;
    for (const WordItem &item : items) {
        if (item.excluded)
            continue;
        const std::vector<Span> found = find(text, Term(item.text, comparison), most);
        std::vector<Span> merged;
        std::merge(all.begin(), all.end(), found.begin(), found.end(), std::back_inserter(merged),
                   [](const Span &a, const Span &b) { return a.start < b.start; });
        all.swap(merged);
    }
    std::vector<Span> spans;
    for (const Span &span : all) {
        if (!spans.empty() && span.start < spans.back().end)
            spans.back().end = std::max(spans.back().end, span.end);
        else if (qsizetype(spans.size()) < most)
            spans.push_back(span);
        else
            break;
    }
    return spans;
}

std::optional<Span> firstOccurrence(QStringView text, const std::vector<WordItem> &items,
                                    Comparison comparison)
{
    std::optional<Span> first;
    for (const WordItem &item : items) {
        if (item.excluded)
            continue;
        const std::optional<Span> found = findFirst(text, Term(item.text, comparison));
        if (found
            && (!first || found->start < first->start
                || (found->start == first->start && found->end > first->end)))
            first = found;
    }
    return first;
}

std::vector<Span> occurrences(QStringView text, const Listing &listing, qsizetype most)
{
    if (!listing.isSearch())
        return {};
    if (listing.anyOrder)
        return occurrences(text, splitWords(listing.text), listing.comparison, most);
    return occurrences(text, listing.text, listing.comparison, most);
}

std::optional<Span> firstOccurrence(QStringView text, const Listing &listing)
{
    if (!listing.isSearch())
        return std::nullopt;
    if (listing.anyOrder)
        return firstOccurrence(text, splitWords(listing.text), listing.comparison);
    return firstOccurrence(text, listing.text, listing.comparison);
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
