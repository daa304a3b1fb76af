#pragma once

#include "search/comparison.h"

#include <QString>
#include <QStringView>

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
// marks and ignored characters that follow, so that a word is never cut before its marks.
std::vector<Span> occurrences(QStringView text, QStringView term, Comparison comparison);

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
