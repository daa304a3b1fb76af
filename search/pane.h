#pragma once

#include "search/comparison.h"
#include "search/listing.h"
#include "search/words.h"

#include <QString>
#include <QStringView>

#include <limits>
#include <optional>
#include <vector>

namespace tembra::pane {

// What the reading pane holds for a record: its Tab4 line, a line break, its hadith text.
QString compose(const QString &tab4, const QString &tab1);

// A stretch of the pane's text, [start, end) in its units.
struct Span {
    qsizetype start = 0;
    qsizetype end = 0;
    friend bool operator==(const Span &a, const Span &b)
    {
        return a.start == b.start && a.end == b.end;
    }
};

// Where the search term occurs in the pane's text, compared as the search compared it, so
// that a hadith the search listed shows what it was listed for. The term is a LIKE pattern
// as the search used it ("%" and "_" keep their meaning; a "%" at either end adds nothing).
// The occurrences come in order and do not overlap: the first is the one to select (the
// Tab4 line comes first in the text, so an occurrence there comes before one in the
// hadith). Each runs from the first character of a match to its last, then on over the
// marks and ignored characters that follow, so that a word is never cut before its marks;
// one whose marks typed before its first letter were compared with the letter before it
// starts at that letter's marks, and a match of marks alone is the letter that carries
// them. At most `most` of them (a pane shades no more). The work grows with the text's
// length, never with its square.
constexpr qsizetype kMostOccurrences = 10000;
std::vector<Span> occurrences(QStringView text, QStringView term, Comparison comparison,
                              qsizetype most = kMostOccurrences);
// The first of them alone, with no more work than it takes: a long hadith is looked at
// only as far as its first match, where the term's matches are of a bounded length.
std::optional<Span> firstOccurrence(QStringView text, QStringView term, Comparison comparison);

// A search by words in any order: every place where an item that must occur occurs, each
// item compared as a whole search text is, in order, places that overlap joined into one.
// The first is the place to select.
std::vector<Span> occurrences(QStringView text, const std::vector<WordItem> &items,
                              Comparison comparison, qsizetype most = kMostOccurrences);
std::optional<Span> firstOccurrence(QStringView text, const std::vector<WordItem> &items,
                                    Comparison comparison);

// What a listing searched for (its text as one term, or its words in any order, under its
// comparison); none for a listing that is no search.
std::vector<Span> occurrences(QStringView text, const Listing &listing,
                              qsizetype most = kMostOccurrences);
std::optional<Span> firstOccurrence(QStringView text, const Listing &listing);

// Text zoom for reading: the pane's font size, in points, steps of 2 points larger or
// smaller, kept between 10 and 48 points. The design's size is 18.
constexpr qreal kDesignPoints = 18;
qreal zoomedPoints(qreal points, int steps);

// The tooltips that follow the current record.
QString numberTooltip(const QString &number); // Label1
QString kindTooltip(const QString &kind); // Label2
QString bookTooltip(const QString &book); // Label3
QString paneTooltip(const QString &kind); // Text1: the page-key hint while there is a kind

} // namespace tembra::pane
