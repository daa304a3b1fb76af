#include "collection/tablesearch.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TEMBRA_X86 1
#endif

namespace tembra {

namespace {

bool equalUnits(const char16_t *a, const char16_t *b, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

qsizetype findScalar(const char16_t *h, qsizetype hn, const char16_t *nd, qsizetype nn,
                     qsizetype from)
{
    for (qsizetype p = from; p + nn <= hn; ++p) {
        if (h[p] == nd[0] && h[p + nn - 1] == nd[nn - 1] && equalUnits(h + p, nd, nn))
            return p;
    }
    return -1;
}

#ifdef TEMBRA_X86
// Compares the needle's first and last units against 16 places at once and checks
// the whole needle only where both agree: for Arabic text that is rare enough that
// the scan runs at memory speed.
__attribute__((target("avx2"))) qsizetype findAvx2(const char16_t *h, qsizetype hn,
                                                   const char16_t *nd, qsizetype nn, qsizetype from)
{
    const __m256i first = _mm256_set1_epi16(static_cast<short>(nd[0]));
    const __m256i last = _mm256_set1_epi16(static_cast<short>(nd[nn - 1]));
    qsizetype p = from;
    for (; p + nn - 1 + 16 <= hn; p += 16) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h + p));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h + p + nn - 1));
        const __m256i eq
            = _mm256_and_si256(_mm256_cmpeq_epi16(a, first), _mm256_cmpeq_epi16(b, last));
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(eq));
        while (mask) {
            const int bit = __builtin_ctz(mask);
            const qsizetype at = p + bit / 2;
            if (equalUnits(h + at + 1, nd + 1, nn - 2 > 0 ? nn - 2 : 0))
                return at;
            mask &= ~(3u << bit);
        }
    }
    return findScalar(h, hn, nd, nn, p);
}

bool haveAvx2()
{
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}
#endif

} // namespace

qsizetype findUnits(QStringView haystack, QStringView needle, qsizetype from)
{
    const qsizetype nn = needle.size();
    const qsizetype hn = haystack.size();
    if (from < 0)
        from = 0;
    if (nn == 0)
        return from <= hn ? from : -1;
    const auto *h = haystack.utf16();
    const auto *nd = needle.utf16();
#ifdef TEMBRA_X86
    if (haveAvx2())
        return findAvx2(h, hn, nd, nn, from);
#endif
    return findScalar(h, hn, nd, nn, from);
}

TableSearch::TableSearch(const HadithTable &table) : m_table(table), m_foldedRows(table.casedRows())
{
    m_foldedText.reserve(m_foldedRows.size());
    for (int r : m_foldedRows)
        m_foldedText.push_back(foldCase(table.view(r, 0)));
}

std::vector<int> TableSearch::run(const LikePattern &pattern, int column) const
{
    if (column == 0)
        return scanText(pattern);
    std::vector<int> rows;
    for (int r = 0; r < m_table.rowCount(); ++r) {
        if (!m_table.isNull(r, column) && pattern.matches(m_table.view(r, column)))
            rows.push_back(r);
    }
    return rows;
}

std::vector<int> TableSearch::scanText(const LikePattern &pattern) const
{
    const int rowCount = m_table.rowCount();
    const QStringView all = m_table.allText();
    const QStringView literal = pattern.longestLiteral();
    std::vector<int> rows;
    // A plain "%text%" is matched by the hit itself; anything else is checked on the row.
    bool plain = false;
    auto folded = m_foldedRows.begin(); // rows with a folded copy are matched on that copy
    auto consider = [&](int r) {
        while (folded != m_foldedRows.end() && *folded < r)
            ++folded;
        if (folded != m_foldedRows.end() && *folded == r)
            return;
        if (!m_table.isNull(r, 0)
            && (plain
                || pattern.matchesFolded(
                    all.mid(m_table.textStart(r), m_table.textEnd(r) - m_table.textStart(r)))))
            rows.push_back(r);
    };

    if (literal.isEmpty()) {
        for (int r = 0; r < rowCount; ++r)
            consider(r);
    } else {
        plain = pattern.isPlainSubstring();
        // Jump from one occurrence of the pattern's longest literal to the next; each
        // hit tests its row once and the scan goes on after that row.
        int r = 0;
        qsizetype at = findUnits(all, literal, 0);
        while (at >= 0) {
            // the row holding position at: rows are short, so walk rather than bisect
            // unless the hit is far ahead
            if (m_table.textEnd(r) <= at) {
                int lo = r, hi = rowCount - 1;
                while (lo < hi) {
                    const int mid = lo + (hi - lo) / 2;
                    if (m_table.textEnd(mid) <= at)
                        lo = mid + 1;
                    else
                        hi = mid;
                }
                r = lo;
            }
            if (at + literal.size() <= m_table.textEnd(r)) {
                consider(r);
                at = findUnits(all, literal, m_table.textEnd(r));
                ++r;
            } else {
                at = findUnits(all, literal, at + 1); // straddles two rows
            }
        }
    }

    // Merge in the rows that case folding changes, in row order.
    std::vector<int> special;
    for (size_t i = 0; i < m_foldedRows.size(); ++i) {
        if (pattern.matchesFolded(m_foldedText[i]))
            special.push_back(m_foldedRows[i]);
    }
    if (!special.empty()) {
        std::vector<int> merged;
        merged.reserve(rows.size() + special.size());
        std::merge(rows.begin(), rows.end(), special.begin(), special.end(),
                   std::back_inserter(merged));
        rows.swap(merged);
    }
    return rows;
}

} // namespace tembra
