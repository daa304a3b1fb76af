// libFuzzer target: the table search against a plain reference matcher. The input is a
// pattern and a few row texts (UTF-16, separated by U+FFFF); the scan over the whole
// table must find exactly the rows the reference matches.

#include "search/hadithtable.h"
#include "search/likepattern.h"
#include "search/tablesearch.h"

#include <QStringList>

#include <cstdlib>
#include <vector>

namespace {

// Code points, each folded on its own; a lone surrogate stands for itself.
std::vector<char32_t> foldedCodePoints(QStringView s)
{
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t c = s[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s[i].unicode(), s[i + 1].unicode());
            ++i;
        }
        out.push_back(QChar::toCaseFolded(c));
    }
    return out;
}

// LIKE by dynamic programming over code points: % any run, _ one code point.
bool reference(const std::vector<char32_t> &p, const std::vector<char32_t> &t)
{
    std::vector<char> row(t.size() + 1, 0), next(t.size() + 1, 0);
    row[0] = 1;
    for (char32_t pc : p) {
        std::fill(next.begin(), next.end(), 0);
        for (size_t j = 0; j <= t.size(); ++j) {
            if (pc == U'%')
                next[j] = row[j] || (j > 0 && next[j - 1]);
            else if (j > 0)
                next[j] = row[j - 1] && (pc == U'_' || pc == t[j - 1]);
        }
        row.swap(next);
    }
    return row[t.size()];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > 4000)
        return 0;
    const QString all(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    const QStringList parts = all.split(QChar(0xFFFF));
    const QString pattern = parts.front();
    tembra::TableBuilder rows;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        rows.appendRow();
        if (parts[i] != QStringLiteral("\\N"))
            rows.setField(Column::Text, parts[i]);
    }
    const tembra::HadithTable table = rows.take();
    const tembra::TableSearch search(table);
    const std::vector<int> found = search.run(pattern, tembra::Comparison::Exact);
    std::vector<int> expected;
    const auto p = foldedCodePoints(pattern);
    for (int r = 0; r < table.rowCount(); ++r) {
        if (!table.isNull(r, Column::Text)
            && reference(p, foldedCodePoints(table.view(r, Column::Text))))
            expected.push_back(r);
    }
    if (found != expected)
        std::abort();
    return 0;
}
