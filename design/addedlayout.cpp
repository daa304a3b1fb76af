#include "design/addedlayout.h"

#include <algorithm>

namespace tembra {

namespace {

constexpr float kGap = 45; // between the books and the list

} // namespace

void placeAddedControls(TwipsGeometry &places, const AddedControls &shown)
{
    const auto grid = places.find(QStringLiteral("DataGrid1"));
    const auto heading = places.find(QStringLiteral("Label18"));
    if (grid == places.end() || heading == places.end())
        return; // a minimised window: nothing was placed
    TwipsRect &list = grid->second;

    TwipsRect books = list;
    books.width = 0;
    if (shown.books && list.width >= kBooksPanelWidth + kGap + kNarrowestList) {
        books.width = kBooksPanelWidth;
        books.left = list.left + list.width - kBooksPanelWidth;
        list.width -= kBooksPanelWidth + kGap;
    }
    places[QStringLiteral("BooksPanel")] = books;

    // The heading's own words stand in its middle; the caption takes the right third,
    // where a right-to-left reader starts.
    const TwipsRect &row = heading->second;
    TwipsRect caption = row;
    caption.width = std::max(0.0f, row.width * 0.32f);
    caption.left = row.left + row.width - caption.width;
    places[QStringLiteral("ListCaption")] = caption;

    TwipsRect offer;
    offer.width = std::min(list.width, 9000.0f);
    offer.height = std::min(list.height, 600.0f);
    offer.left = list.left + (list.width - offer.width) / 2;
    offer.top = list.top + (list.height - offer.height) / 3;
    places[QStringLiteral("AnyOrderOffer")] = offer;
    // The offers at the start never stand with the one after a search: the same place.
    places[QStringLiteral("CarryOnOffer")] = offer;
    places[QStringLiteral("OpenOffer")] = offer;

    const auto banner = places.find(QStringLiteral("Label16"));
    if (banner != places.end()) {
        const TwipsRect &bar = banner->second;
        TwipsRect sign;
        sign.height = bar.height;
        sign.width = std::min(bar.height, bar.width);
        sign.top = bar.top;
        sign.left = bar.left + bar.width - sign.width - 60;
        places[QStringLiteral("MarkSign")] = sign;
    }

    // The title's words stand in the middle of the bar; the links keep clear of a third of
    // it either side of the middle.
    const auto title = places.find(QStringLiteral("Label19"));
    if (title != places.end()) {
        TwipsRect links;
        links.left = 1900;
        links.top = 30;
        links.height = 255;
        links.width = std::max(0.0f, title->second.width / 3 - links.left);
        places[QStringLiteral("CaptionLinks")] = links;
    }
}

} // namespace tembra
