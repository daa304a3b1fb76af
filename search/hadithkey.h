#pragma once

#include "search/hadithtable.h"
#include "search/record.h"

#include <QByteArray>

#include <cstddef>
#include <utility>
#include <vector>

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

// The key of a row of the table, and of a record.
HadithKey keyOf(const HadithTable &table, int row);
HadithKey keyOf(const Record &record);

// The row of the table the key names, or -1 when the table holds no such hadith. Where
// the table holds it more than once (the same text under the same book and number), the
// first.
int findHadith(const HadithTable &table, const HadithKey &key);

// What findHadith() answers, from an index of the table's rows by book and number made
// once: a key is looked up among the few rows under its book and number, not among all.
// It keeps a copy of the table (which shares its arrays), and may be read from any thread.
class HadithIndex final {
public:
    explicit HadithIndex(const HadithTable &table);

    // The row findHadith() gives.
    int find(const HadithKey &key) const;
    // The same, for a caller who holds the very text the key's digest was made from (a
    // bookmark's, which the store checks when it keeps one): a row under the key's book and
    // number whose text is that text is the hadith, without digesting it. Rows whose text
    // differs are still compared by digest, so that a text stored differently (a lone
    // surrogate) finds its row too.
    int find(const HadithKey &key, const Field &textOfKey) const;

    const HadithTable &table() const { return m_table; }

private:
    std::pair<std::vector<std::pair<std::size_t, int>>::const_iterator,
              std::vector<std::pair<std::size_t, int>>::const_iterator>
    rowsUnder(const HadithKey &key) const;

    HadithTable m_table;
    // (a hash of a row's book and number, the row), in that order: the rows under one book
    // and number lie together, in the table's order.
    std::vector<std::pair<std::size_t, int>> m_rows;
};

} // namespace tembra
