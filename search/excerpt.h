#pragma once

#include "search/comparison.h"
#include "search/pane.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tembra {

// What a row of the result shows in its hadith cell: the text around the first match of
// the search term, so that the searched words are in view even where the hadith opens with
// a long chain of narrators. "…" stands where the text was cut on either side.
struct Excerpt {
    QString text;
    qsizetype matchStart = -1; // in text; -1 when the term does not occur
    qsizetype matchLength = 0;
};

// The match is found as the reading pane finds it (its first occurrence, marks after it
// included), and only as far into the text as it lies. Up to lead units come before it,
// starting on a word where there is one; the whole holds about length units, whatever the
// text: a cut never falls inside a character, nor between a letter and its marks unless
// they run on for more than a few units (a text of marks alone is cut all the same), and
// line breaks and tabs show as spaces (a cell is one line).
constexpr qsizetype kExcerptLead = 60;
constexpr qsizetype kExcerptLength = 300;
Excerpt excerpt(QStringView text, QStringView term, Comparison comparison,
                qsizetype lead = kExcerptLead, qsizetype length = kExcerptLength);
// For what a listing searched: its term, or the first place where one of its words that
// must occur occurs; the start of the text for a listing that is no search.
Excerpt excerpt(QStringView text, const Listing &listing, qsizetype lead = kExcerptLead,
                qsizetype length = kExcerptLength);
// Around a stretch of the text already found (none: the start of the text).
Excerpt excerptAround(QStringView text, const std::optional<pane::Span> &match,
                      qsizetype lead = kExcerptLead, qsizetype length = kExcerptLength);

} // namespace tembra
