#pragma once

#include "search/excerpt.h"
#include "search/listing.h"
#include "search/pane.h"

#include <QStringView>

#include <vector>

namespace tembra {

// Where a hadith that a search listed shows what it was listed for. A search for a text
// shows each place the text occurs; a search for every word in any order shows each place
// where one of the words that must occur does (a word left out is not shown: it is not
// there). The places come in order and do not overlap: the first is the one to select and
// the one the list's excerpt is cut around. Nothing for a list that is not a search.
std::vector<pane::Span> shownMatches(QStringView text, const Listing &search);

// The list's excerpt of a hadith for that search (see excerpt()).
Excerpt shownExcerpt(QStringView text, const Listing &search);

} // namespace tembra
