#pragma once

#include "search/comparison.h"
#include "search/hadithkey.h"
#include "search/record.h"

#include <QString>

#include <optional>

namespace tembra {

// What the result list holds, as the reader asked for it: the value the window keeps, its
// menus and its captions read, and the data control's statement is made from. Nothing is
// read back from a statement's text.
struct Listing {
    enum class Kind {
        Table, // the whole of Table1, as at the start
        Search, // the hadiths whose text holds the search text
        Book, // a whole book in the order of the table, read from one of its hadiths
        Chapter, // one chapter of a book, in the order of the table
    };
    // A column the list is narrowed to: none, or one value of it, which may be NULL (a book
    // whose name is NULL is a book of its own, not the book with the empty name).
    using Narrowing = std::optional<Field>;

    Kind kind = Kind::Table;
    QString text; // a search's text, as typed
    Comparison comparison = Comparison::Folded; // how a search compares
    bool anyOrder = false; // a search for every word, in any order
    // A search narrowed to one book, and within it to one chapter; the book and chapter
    // listed for Book and Chapter.
    Narrowing book;
    Narrowing chapter;
    // Book: the number of the hadith the reading started from, for the caption.
    Field startNumber;

    static Listing wholeTable() { return {}; }
    static Listing search(const QString &text, Comparison comparison, bool anyOrder);
    static Listing wholeBook(const Field &book, const Field &startNumber = std::nullopt);
    static Listing wholeChapter(const Field &book, const Field &chapter);

    bool isSearch() const { return kind == Kind::Search; }
    // A search narrowed to a book, or to a chapter of it; the same search in every book.
    Listing inBook(const Field &name) const;
    Listing inChapter(const Field &bookName, const Field &chapterName) const;
    Listing inEveryBook() const;
    // The same search for its text's words in any order (see splitWords()).
    Listing inAnyOrder() const;

    // The data control's record source and command type for the list.
    QString statement() const;
    int commandType() const;

    friend bool operator==(const Listing &a, const Listing &b);
    friend bool operator!=(const Listing &a, const Listing &b) { return !(a == b); }
};

// A place the reader was at: what the list held and the hadith that was current there.
struct Place {
    Listing listing;
    HadithKey hadith; // null when the list had no current hadith

    friend bool operator==(const Place &a, const Place &b)
    {
        return a.listing == b.listing && a.hadith == b.hadith;
    }
    friend bool operator!=(const Place &a, const Place &b) { return !(a == b); }
};

} // namespace tembra
