#pragma once

#include "search/comparison.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// How many units of text the work on single texts has looked at on this thread: folding,
// measuring and matching one hadith. The tests hold that work to the hadith's length.
namespace meter {
inline thread_local qsizetype units = 0;
inline void count(qsizetype n)
{
    units += n;
}
} // namespace meter

// Folds letter case code point by code point with the simple (one-to-one) Unicode
// folding, so that the folded text has the same length as the text and positions
// found in one are positions in the other. Nothing but case is folded.
QString foldCase(QStringView text);
bool isFoldInvariant(QStringView text);

// Finds needle in haystack from a position on, comparing units exactly; -1 if absent.
// Vectorised: the search scans the whole collection for every query. Bytes are chars, on
// the standard's own string type.
qsizetype findUnits(std::u16string_view haystack, std::u16string_view needle, qsizetype from);
qsizetype findUnits(std::string_view haystack, std::string_view needle, qsizetype from);
// The same within [from, to) of a longer text of bytes, which may be read beyond to: a
// row of the search's copy is scanned in whole blocks, without a slow last few bytes.
qsizetype findUnitsWithin(std::string_view haystack, std::string_view needle, qsizetype from,
                          qsizetype to);

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
extern template class UnitFinder<char>;

// A LIKE pattern over a text of units: "%" stands for any run of characters (the empty
// run too), "_" for exactly one character, and every other unit stands for itself. In
// UTF-16 a surrogate pair is one character; in a text of bytes (the search's folded copy
// of the collection, one byte a character) every byte is one. The units are compared as
// they are: whoever builds the pattern has already folded it as the text is folded.
//
// A pattern may carry the marks typed with it, as the default rule's third form compares
// them: each unit with the marks typed after it ("_" too: it is one letter), and each part
// between "%" with the marks typed before its first unit, which belong to the text's
// letter before the part. They are compared with the marks a Subject carries, by
// fold::marksAgree(). A part may then be nothing but such marks, and match where the
// letter before it agrees.
//
// Each part between "%" is looked for by its rarest run of literal units, the key, and
// checked where the key puts it: where every character is one unit, a run of "_" is a
// fixed distance, stepped over at once, so that no run of "_" is walked at each place.
template <typename Unit> class BasicLikePattern {
public:
    using View = std::basic_string_view<Unit>;
    using MarkSet = fold::MarkSet;
    // How often a unit occurs in the text, as a share of all units (0 to 1): which run of
    // literal units is rarest. Without it the longest is taken.
    using Frequency = std::function<double(Unit)>;

    explicit BasicLikePattern(View pattern = {}, const Frequency &frequency = {});
    // With marks: marks[0] those typed before the first unit, marks[i + 1] those typed after
    // unit i (after a "%", those before the next part). pattern.size() + 1 of them.
    BasicLikePattern(View pattern, const Frequency &frequency, const std::vector<MarkSet> &marks);

    // A text to match, measured once however often it is looked at.
    struct Subject {
        // Its marks not compared.
        explicit Subject(View text);
        // Its marks compared: those after each unit (a pair's on its second unit), and
        // those before units[0]: a letter's when the text is a stretch of a longer one,
        // else those standing before the text's first letter.
        Subject(View text, const MarkSet *textMarks, MarkSet marksBefore,
                bool beforeIsLetter = false);
        View units;
        const MarkSet *marks = nullptr;
        MarkSet before = 0;
        bool beforeIsLetter = false;
        bool withMarks = false;
        bool fixed = true; // every character one unit
    };

    bool matchesUnits(View text) const { return matches(Subject(text)); }
    bool matches(const Subject &text) const;

    // The first match at or after from, its parts looked for anywhere in the text (a "%"
    // at either end changes nothing here): its start, and its end in *end; -1 if there is
    // none. The earliest start, and for it the earliest end. A match of marks alone is
    // empty: it stands after the letter that carries them.
    qsizetype findFirst(View text, qsizetype from, qsizetype *end) const
    {
        return findFirst(Subject(text), from, end);
    }
    qsizetype findFirst(const Subject &text, qsizetype from, qsizetype *end) const;

    // A run of literal units that any match must contain, the rarest of the pattern;
    // empty when the pattern has none.
    View keyLiteral() const { return m_key; }
    // True for "%text%" with no wildcard inside and no marks: finding the text is the
    // whole match.
    bool isPlainSubstring() const { return isLiteral() && !m_marked; }
    // The same, marks allowed: "%text%" with no wildcard inside.
    bool isLiteral() const
    {
        return !m_anchoredStart && !m_anchoredEnd && m_segments.size() == 1
            && m_segments.front().pieces.size() == 1
            && m_segments.front().pieces.front().units.size() == m_segments.front().units.size();
    }
    bool isEmpty() const { return m_segments.empty(); }
    // True for "%part%" with no "%" inside.
    bool isOnePart() const { return !m_anchoredStart && !m_anchoredEnd && m_segments.size() == 1; }
    // The fewest units a text it matches can have.
    qsizetype minimumUnits() const { return m_segments.empty() ? 0 : m_segments.front().tail; }
    // Whether marks are compared, and for a one-part pattern the marks typed before its
    // first unit and after each unit.
    bool hasMarks() const { return m_marked; }
    MarkSet leadMarks() const { return m_segments.empty() ? 0 : m_segments.front().lead; }
    std::vector<MarkSet> unitMarks() const
    {
        if (m_segments.empty())
            return {};
        std::vector<MarkSet> marks = m_segments.front().marks;
        marks.resize(m_segments.front().units.size());
        return marks;
    }

private:
    struct Piece {
        qsizetype offset = 0; // in the segment's units
        std::basic_string<Unit> units;
        double rarity = 1; // the estimated share of places where it occurs
    };
    struct Segment {
        std::basic_string<Unit> units; // a "_" where any[i] is set
        std::vector<bool> any; // per unit of units: true for "_"
        // per unit of units, the marks typed after it; empty for a part without them
        std::vector<MarkSet> marks;
        MarkSet lead = 0; // the marks typed before its first unit
        bool marked = false; // some of them are set
        std::vector<Piece> pieces; // its runs of literal units, the rarest first
        qsizetype characters = 0;
        qsizetype tail = 0; // units this segment and those after it need at least
    };
    void build(View pattern, const Frequency &frequency, const std::vector<MarkSet> *marks);
    static bool fixedWidth(View text);
    bool marksAgree(const Segment &seg, const Subject &text, qsizetype start) const;
    bool matchAt(const Segment &seg, const Subject &text, qsizetype pos, qsizetype *end) const;
    qsizetype find(const Segment &seg, const Subject &text, qsizetype from, qsizetype *end) const;

    std::vector<Segment> m_segments; // the parts between "%"
    bool m_anchoredStart = true;
    bool m_anchoredEnd = true;
    bool m_marked = false;
    std::basic_string<Unit> m_key;
};

extern template class BasicLikePattern<char16_t>;
extern template class BasicLikePattern<char>;

using BytePattern = BasicLikePattern<char>;

// The marks of a marked text as a pattern takes them: those before its first unit, then
// those after each unit.
std::vector<fold::MarkSet> patternMarks(const fold::Marked &marked);

// A typed LIKE pattern in the form the comparison looks at (fold::formFor()), to be matched
// against texts in the same form: with its marks where the form has them.
BasicLikePattern<char16_t> comparedPattern(QStringView typed, fold::Form form,
                                           const BasicLikePattern<char16_t>::Frequency &frequency
                                           = {});

// The pattern of a LIKE over UTF-16 text with letter case ignored: the pattern is folded
// here, and a text is folded as it is matched.
class LikePattern final : public BasicLikePattern<char16_t> {
public:
    explicit LikePattern(QStringView pattern = {}, const Frequency &frequency = {});

    bool matches(QStringView text) const;
    // text must already be folded (foldCase) unless it is fold-invariant.
    bool matchesFolded(QStringView text) const { return matchesUnits(units(text)); }

    static View units(QStringView text) { return View(text.utf16(), size_t(text.size())); }
};

} // namespace tembra
