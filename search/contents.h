#pragma once

#include "search/hadithtable.h"
#include "search/record.h"

#include <vector>

namespace tembra {

// What a collection holds: its books (Tab5) in the order the table first names each, and
// within each book its chapters (Tab3) in the order the book first names each, each with
// its number of hadiths. NULL is a name of its own, apart from the empty name (shown, it
// is empty text). Made once for a table; the book of each row is kept beside, so that
// counting a result by book costs one step a row.
class Contents final {
public:
    struct Chapter {
        Field name;
        int hadiths = 0;
    };
    struct Book {
        Field name;
        int hadiths = 0;
        std::vector<Chapter> chapters;
    };
    // A book of a result, and how many of the result's hadiths it holds.
    struct BookCount {
        int book = 0; // its place in books()
        int hadiths = 0;

        friend bool operator==(const BookCount &a, const BookCount &b)
        {
            return a.book == b.book && a.hadiths == b.hadiths;
        }
    };

    Contents() = default; // of an empty table
    explicit Contents(const HadithTable &table);

    const std::vector<Book> &books() const { return m_books; }
    // The book row stands in, as its place in books().
    int bookOf(int row) const { return m_bookOf[size_t(row)]; }

    // The books that hold any of the rows (of the table, as a result holds them: each
    // once), each with how many, in the order of books().
    std::vector<BookCount> countsByBook(const std::vector<int> &rows) const;

private:
    std::vector<Book> m_books;
    std::vector<int> m_bookOf; // by row
};

} // namespace tembra
