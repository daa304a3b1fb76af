#include "search/searchhistory.h"

#include <algorithm>

namespace tembra {

void SearchHistory::setEntries(const std::vector<SearchEntry> &entries)
{
    m_entries.clear();
    for (const SearchEntry &entry : entries) {
        if (int(m_entries.size()) == kKept)
            break;
        if (std::find(m_entries.begin(), m_entries.end(), entry) == m_entries.end())
            m_entries.push_back(entry);
    }
}

void SearchHistory::add(const SearchEntry &entry)
{
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), entry), m_entries.end());
    m_entries.insert(m_entries.begin(), entry);
    if (int(m_entries.size()) > kKept)
        m_entries.resize(size_t(kKept));
}

} // namespace tembra
