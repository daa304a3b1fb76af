#include "places/keptplace.h"

namespace tembra {

namespace {

// The kinds of list as the file names them.
struct KindName {
    Listing::Kind kind;
    const char *name;
};
constexpr KindName kKinds[] = {
    {Listing::Kind::Table, "Table"},
    {Listing::Kind::Search, "Search"},
    {Listing::Kind::Book, "Book"},
    {Listing::Kind::Chapter, "Chapter"},
};

} // namespace

SavedPlace keptPlace(const Place &place)
{
    SavedPlace saved;
    const Listing &listing = place.listing;
    for (const KindName &kind : kKinds) {
        if (kind.kind == listing.kind)
            saved.list = QLatin1String(kind.name);
    }
    if (listing.isSearch()) {
        // A search the settings file cannot keep leaves no place to carry on from, rather
        // than the one kept before.
        if (listing.text.size() > ReaderSettings::kMaxKeptText)
            return SavedPlace();
        saved.text = listing.text;
        saved.exact = listing.comparison == Comparison::Exact;
        saved.anyOrder = listing.anyOrder;
    }
    // A narrowing to a book whose name is NULL is kept as the key that is not there; the
    // list's kind says whether a book was named at all, a search's chapter says it too.
    if (listing.book)
        saved.book = *listing.book;
    if (listing.chapter)
        saved.chapter = *listing.chapter;
    if (!place.hadith.isNull()) {
        saved.hadithBook = place.hadith.book;
        saved.hadithNumber = place.hadith.number;
        saved.hadithDigest = QString::fromLatin1(place.hadith.digest);
    }
    return saved;
}

std::optional<Place> placeKept(const SavedPlace &saved)
{
    const KindName *kind = nullptr;
    for (const KindName &k : kKinds) {
        if (saved.list == QLatin1String(k.name))
            kind = &k;
    }
    if (!kind)
        return std::nullopt;
    Place place;
    if (!saved.hadithDigest.isEmpty()) {
        place.hadith.book = saved.hadithBook;
        place.hadith.number = saved.hadithNumber;
        place.hadith.digest = saved.hadithDigest.toLatin1();
    }
    switch (kind->kind) {
    case Listing::Kind::Table: place.listing = Listing::wholeTable(); break;
    case Listing::Kind::Search:
        if (saved.text.isEmpty())
            return std::nullopt;
        place.listing = Listing::search(
            saved.text, saved.exact ? Comparison::Exact : Comparison::Folded, saved.anyOrder);
        if (saved.book)
            place.listing = place.listing.inBook(*saved.book);
        if (saved.book && saved.chapter)
            place.listing = place.listing.inChapter(*saved.book, *saved.chapter);
        break;
    case Listing::Kind::Book:
        place.listing = Listing::wholeBook(saved.book, saved.hadithNumber);
        break;
    case Listing::Kind::Chapter:
        place.listing = Listing::wholeChapter(saved.book, saved.chapter);
        break;
    }
    return place;
}

} // namespace tembra
