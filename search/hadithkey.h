#pragma once

#include "search/hadithtable.h"
#include "search/record.h"

#include <QByteArray>

namespace tembra {

// Which hadith a saved place or a bookmark names: its book and number, and a digest of its
// text, so that another collection, or the same one changed, never opens another hadith
// that happens to stand under the same book and number. NULL stays apart from empty.
struct HadithKey {
    Field book; // Tab5
    Field number; // Tab2
    QByteArray digest; // textDigest() of its Tab1

    bool isNull() const { return digest.isEmpty(); }
    friend bool operator==(const HadithKey &a, const HadithKey &b)
    {
        return a.book == b.book && a.number == b.number && a.digest == b.digest;
    }
    friend bool operator!=(const HadithKey &a, const HadithKey &b) { return !(a == b); }
};

// A digest of a hadith text: the first 16 bytes of the SHA-256 of its UTF-16 units, as 32
// hexadecimal digits. A NULL text and an empty one differ ("-" for NULL).
QByteArray textDigest(const Field &text);

// The key of a row of the table.
HadithKey keyOf(const HadithTable &table, int row);

// The row of the table the key names, or -1 when the table holds no such hadith. Where
// the table holds it more than once (the same text under the same book and number), the
// first.
int findHadith(const HadithTable &table, const HadithKey &key);

} // namespace tembra
