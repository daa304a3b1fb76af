#pragma once

#include "collection/hadithtable.h"
#include "collection/likepattern.h"

#include <vector>

namespace tembra {

// Runs LIKE patterns over one column of a table held in memory. Built once per table:
// it keeps a folded copy of the few hadith texts that letter case changes, so that a
// search scans the one buffer of all texts and compares nothing but equal units.
class TableSearch final {
public:
    explicit TableSearch(const HadithTable &table);

    // The rows, in stored order, whose value in column matches; NULL never matches.
    std::vector<int> run(const LikePattern &pattern, int column = 0) const;

private:
    std::vector<int> scanText(const LikePattern &pattern) const;

    const HadithTable &m_table;
    std::vector<int> m_foldedRows; // ascending rows of Tab1 that case folding changes
    std::vector<QString> m_foldedText; // their folded texts, in the same order
};

// Finds needle in haystack from a position on, comparing units exactly; -1 if absent.
// Vectorised: the search scans the whole collection for every query.
qsizetype findUnits(QStringView haystack, QStringView needle, qsizetype from);

} // namespace tembra
