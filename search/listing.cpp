#include "search/listing.h"

#include "search/statement.h"
#include "search/words.h"

namespace tembra {

Listing Listing::search(const QString &text, Comparison comparison, bool anyOrder)
{
    Listing listing;
    listing.kind = Kind::Search;
    listing.text = text;
    listing.comparison = comparison;
    listing.anyOrder = anyOrder;
    return listing;
}

Listing Listing::wholeBook(const Field &book, const Field &startNumber)
{
    Listing listing;
    listing.kind = Kind::Book;
    listing.book = book;
    listing.startNumber = startNumber;
    return listing;
}

Listing Listing::wholeChapter(const Field &book, const Field &chapter)
{
    Listing listing;
    listing.kind = Kind::Chapter;
    listing.book = book;
    listing.chapter = chapter;
    return listing;
}

Listing Listing::inBook(const Field &name) const
{
    Listing narrowed = inEveryBook();
    narrowed.book = name;
    return narrowed;
}

Listing Listing::inChapter(const Field &bookName, const Field &chapterName) const
{
    Listing narrowed = inBook(bookName);
    narrowed.chapter = chapterName;
    return narrowed;
}

Listing Listing::inEveryBook() const
{
    Listing all = *this;
    all.book.reset();
    all.chapter.reset();
    return all;
}

Listing Listing::inAnyOrder() const
{
    Listing words = *this;
    words.anyOrder = true;
    return words;
}

QString Listing::statement() const
{
    QStringList conditions;
    switch (kind) {
    case Kind::Table: return QStringLiteral("Table1");
    case Kind::Search:
        // The design's own statement, exactly, for a plain search in every book.
        if (!anyOrder && !book && !chapter)
            return searchStatement(text);
        conditions = anyOrder
            ? wordsConditions(text)
            : QStringList{likeCondition(Column::Text, QLatin1Char('%') + text + QLatin1Char('%'))};
        break;
    case Kind::Book:
    case Kind::Chapter: break;
    }
    if (book)
        conditions << equalCondition(Column::Book, *book);
    if (chapter)
        conditions << equalCondition(Column::Kind, *chapter);
    return whereStatement(conditions);
}

int Listing::commandType() const
{
    return kind == Kind::Table ? 2 : 1;
}

bool operator==(const Listing &a, const Listing &b)
{
    return a.kind == b.kind && a.text == b.text && a.comparison == b.comparison
        && a.anyOrder == b.anyOrder && a.book == b.book && a.chapter == b.chapter
        && a.startNumber == b.startNumber;
}

} // namespace tembra
