#pragma once

#include "search/record.h"

#include <QString>

namespace tembra {

// How a hadith is named to the reader outside the pane: in a copy, and on its row.

// A hadith with its source, as it is pasted into a message: the line shown above it (when
// it has one), the hadith, then its book and number ("book، ژمارە number"). A source with
// no book or no number leaves out what it lacks, and a hadith with neither has no source
// line. Line breaks are plain "\n".
QString citation(const Record &record);

// A row's tooltip: its book, number and kind, one a line, under the captions the window
// gives them beside the reading pane. The accessible description says the same on one line.
QString rowTooltip(const Record &record);
QString rowDescription(const Record &record);

} // namespace tembra
