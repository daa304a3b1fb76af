#pragma once

#include <QString>

#include <vector>

namespace tembra {

// A search as the reader ran it: the text typed and the two options it ran under.
struct SearchEntry {
    QString text;
    bool exact = false; // the exact comparison
    bool anyOrder = false; // every word, in any order

    friend bool operator==(const SearchEntry &a, const SearchEntry &b)
    {
        return a.text == b.text && a.exact == b.exact && a.anyOrder == b.anyOrder;
    }
};

// The reader's earlier searches: the last 30 distinct ones, newest first. The same text
// under other options is another search.
class SearchHistory final {
public:
    static constexpr int kKept = 30;

    const std::vector<SearchEntry> &entries() const { return m_entries; }
    // The entries as they were kept: a repeated one, and any past the 30th, left out.
    void setEntries(const std::vector<SearchEntry> &entries);
    // A search just run goes first; the same search run before moves there.
    void add(const SearchEntry &entry);

private:
    std::vector<SearchEntry> m_entries;
};

} // namespace tembra
