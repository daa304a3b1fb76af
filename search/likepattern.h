#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string_view>
#include <vector>

namespace tembra {

// Folds letter case code point by code point with the simple (one-to-one) Unicode
// folding, so that the folded text has the same length as the text and positions
// found in one are positions in the other. Nothing but case is folded.
QString foldCase(QStringView text);
bool isFoldInvariant(QStringView text);

// Finds needle in haystack from a position on, comparing units exactly; -1 if absent.
// Vectorised: the search scans the whole collection for every query.
qsizetype findUnits(std::u16string_view haystack, std::u16string_view needle, qsizetype from);
qsizetype findUnits(std::basic_string_view<std::uint8_t> haystack,
                    std::basic_string_view<std::uint8_t> needle, qsizetype from);

// The places where needle occurs in haystack, one after the other (overlapping ones too):
// what findUnits() gives, without starting the vectorised scan afresh for each.
template <typename Unit> class UnitFinder {
public:
    using View = std::basic_string_view<Unit>;
    UnitFinder(View haystack, View needle);

    // The next place at or after from; from never goes back. -1 if there is none.
    qsizetype next(qsizetype from);

private:
    View m_haystack;
    View m_needle;
    qsizetype m_block = -1; // where the block of m_mask starts; -1 for none
    std::uint32_t m_mask = 0; // candidates in that block, one bit a byte
    bool m_vector = false;
};

extern template class UnitFinder<char16_t>;
extern template class UnitFinder<std::uint8_t>;

// A LIKE pattern over a text of units: "%" stands for any run of characters (the empty
// run too), "_" for exactly one character, and every other unit stands for itself. In
// UTF-16 a surrogate pair is one character; in a text of bytes (the search's folded copy
// of the collection, one byte a character) every byte is one. The units are compared as
// they are: whoever builds the pattern has already folded it as the text is folded.
template <typename Unit> class BasicLikePattern {
public:
    using View = std::basic_string_view<Unit>;

    explicit BasicLikePattern(View pattern = {});

    bool matchesUnits(View text) const;

    // The first match at or after from, its parts looked for anywhere in the text (a "%"
    // at either end changes nothing here): its start, and its end in *end; -1 if there is
    // none. The earliest start, and for it the earliest end.
    qsizetype findFirst(View text, qsizetype from, qsizetype *end) const;

    // The longest run of literal units, which any match must contain; empty when the
    // pattern has none.
    View longestLiteral() const { return View(m_longest); }
    // True for "%text%" with no wildcard inside: finding the text is the whole match.
    bool isPlainSubstring() const
    {
        return !m_anchoredStart && !m_anchoredEnd && m_segments.size() == 1
            && m_longest.size() == m_segments.front().units.size();
    }
    bool isEmpty() const { return m_segments.empty(); }

private:
    struct Segment {
        std::basic_string<Unit> units; // a "_" where any[i] is set
        std::vector<bool> any; // per unit of units: true for "_"
        qsizetype characters = 0;
        qsizetype tail = 0; // units this segment and those after it need at least
    };
    bool matchAt(const Segment &seg, View text, qsizetype pos, qsizetype *end) const;
    qsizetype find(const Segment &seg, View text, qsizetype from, qsizetype *end) const;

    std::vector<Segment> m_segments; // the parts between "%"
    bool m_anchoredStart = true;
    bool m_anchoredEnd = true;
    std::basic_string<Unit> m_longest;
};

extern template class BasicLikePattern<char16_t>;
extern template class BasicLikePattern<std::uint8_t>;

using BytePattern = BasicLikePattern<std::uint8_t>;

// The pattern of a LIKE over UTF-16 text with letter case ignored: the pattern is folded
// here, and a text is folded as it is matched.
class LikePattern final : public BasicLikePattern<char16_t> {
public:
    explicit LikePattern(QStringView pattern = {});

    bool matches(QStringView text) const;
    // text must already be folded (foldCase) unless it is fold-invariant.
    bool matchesFolded(QStringView text) const { return matchesUnits(units(text)); }

    static View units(QStringView text) { return View(text.utf16(), size_t(text.size())); }
};

} // namespace tembra
