#include "bookmarks/bookmarkfilter.h"

#include "search/hadithtable.h"
#include "search/statement.h"

namespace tembra {

namespace {

HadithTable textsAndNotes(const std::vector<Bookmark> &bookmarks)
{
    TableBuilder builder;
    qsizetype units = 0;
    for (const Bookmark &b : bookmarks)
        units += (b.text ? b.text->size() : 0) + b.note.size();
    builder.reserve(int(2 * bookmarks.size()), units);
    for (const Bookmark &b : bookmarks) {
        builder.appendRow();
        if (b.text)
            builder.setField(Column::Text, *b.text);
        builder.appendRow();
        builder.setField(Column::Text, b.note);
    }
    return builder.take();
}

} // namespace

BookmarkFilter::BookmarkFilter(std::vector<Bookmark> bookmarks)
    : m_bookmarks(std::move(bookmarks)),
      m_search(std::make_unique<TableSearch>(textsAndNotes(m_bookmarks)))
{ }

BookmarkFilter::~BookmarkFilter() = default;

std::vector<int> BookmarkFilter::matching(const QString &typed, Comparison comparison) const
{
    std::vector<int> places;
    if (typed.isEmpty()) {
        places.resize(m_bookmarks.size());
        for (size_t i = 0; i < places.size(); ++i)
            places[i] = int(i);
        return places;
    }
    // Rows in order, two a bookmark: a bookmark whose text and note both match comes once.
    for (const int row : m_search->run(searchPattern(typed), comparison)) {
        const int place = row / 2;
        if (places.empty() || places.back() != place)
            places.push_back(place);
    }
    return places;
}

} // namespace tembra
