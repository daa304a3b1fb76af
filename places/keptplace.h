#pragma once

#include "search/listing.h"
#include "settings/readersettings.h"

#include <optional>

namespace tembra {

// A place as the settings file keeps it for the next start, and back. The hadith goes by its
// book, its number and the digest of its text, so that another collection, or this one
// changed, never opens another hadith that stands under the same book and number. A search
// whose text is longer than the file keeps (ReaderSettings::kMaxKeptText) is kept as no
// place. A search narrowed to a book whose name is NULL comes back as the search in every
// book (the file keeps a NULL as a key that is not there).
SavedPlace keptPlace(const Place &place);
// The place kept; none when nothing was kept, or what was kept is no list this program
// makes (a file of a later version, say). A whole book is read from the kept hadith's
// number.
std::optional<Place> placeKept(const SavedPlace &saved);

} // namespace tembra
