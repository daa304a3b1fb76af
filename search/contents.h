#pragma once

#include "search/hadithtable.h"
#include "search/record.h"

#include <vector>

namespace tembra {

// What a collection holds: its books (Tab5) in the order the table first names each, and
// within each book its chapters (Tab3) in the order the book first names each, each with
// its number of hadiths. NULL is a name of its own, apart from the empty name (shown, it
// is empty text). Made once for a table.
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

    Contents() = default; // of an empty table
    explicit Contents(const HadithTable &table);

    const std::vector<Book> &books() const { return m_books; }

private:
    std::vector<Book> m_books;
};

} // namespace tembra
