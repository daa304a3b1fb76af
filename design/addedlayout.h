#pragma once

#include "design/layoutpass.h"

namespace tembra {

// Where the main window's controls that its design does not have go. They are placed after
// the design's own pass, from the places it gave, so that the pass stays the design's:
//   BooksPanel   the counts by book, inside the result panel at the right of the list,
//                which gives up that much of its width (only while it is shown);
//   ListCaption  what the list holds, in the right part of the result list's heading row;
//   AnyOrderOffer  the offer to look for the words in any order, over the middle of the
//                list (only while it is shown);
//   CarryOnOffer, OpenOffer  the offers at the start, to carry on where the reader stopped
//                and to open another collection: where the offer above goes (none of the
//                three stands with another);
//   CaptionLinks the ways into the added views by mouse, in the caption bar after the About
//                label and the version, as far as the title's middle leaves room;
//   MarkSign     the sign that the hadith in the pane is marked, a square at the right end
//                of the pane's heading bar, where a right-to-left reader starts.
// Each is in its container's coordinates, as the design's controls are (the books panel
// and the offer in the result panel's, the caption in the window's).
struct AddedControls {
    bool books = false;
};
void placeAddedControls(TwipsGeometry &places, const AddedControls &shown);

// The books panel's width, and the narrowest list it leaves beside itself.
constexpr float kBooksPanelWidth = 3300;
constexpr float kNarrowestList = 4500;

} // namespace tembra
