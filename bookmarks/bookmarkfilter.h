#pragma once

#include "bookmarks/bookmark.h"
#include "search/comparison.h"
#include "search/tablesearch.h"

#include <QString>

#include <memory>
#include <vector>

namespace tembra {

// The bookmarks view's list and the text typed to narrow it: a bookmark matches when its
// note or its text holds the typed text as the search finds a text in a hadith, under the
// same comparison and with the same LIKE wildcards ("%", "_"). The texts and notes are
// searched by the search itself, over a table of their own made once for the list, so
// each key typed costs a search, not a new copy.
class BookmarkFilter final {
public:
    explicit BookmarkFilter(std::vector<Bookmark> bookmarks);
    ~BookmarkFilter();
    Q_DISABLE_COPY_MOVE(BookmarkFilter)

    const std::vector<Bookmark> &bookmarks() const { return m_bookmarks; }

    // The places in bookmarks() of those that match, in order; all of them for an empty text.
    std::vector<int> matching(const QString &typed, Comparison comparison) const;

private:
    std::vector<Bookmark> m_bookmarks;
    // Row 2i holds the text of bookmark i, row 2i + 1 its note.
    std::unique_ptr<TableSearch> m_search;
};

} // namespace tembra
