#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace tembra {

// Folds letter case code point by code point with the simple (one-to-one) Unicode
// folding, so that the folded text has the same length as the text and positions
// found in one are positions in the other. Nothing but case is folded.
QString foldCase(QStringView text);
bool isFoldInvariant(QStringView text);

// A LIKE pattern: "%" stands for any run of characters (the empty run too), "_" for
// exactly one character (a surrogate pair is one character), and every other
// character stands for itself, letter case ignored.
class LikePattern final {
public:
    explicit LikePattern(QStringView pattern = {});

    // text must already be folded (foldCase) unless it is fold-invariant.
    bool matchesFolded(QStringView text) const;
    bool matches(QStringView text) const;

    // The longest run of literal characters (folded), which any match must contain;
    // empty when the pattern has none.
    QStringView longestLiteral() const { return m_longest; }
    // True for "%text%" with no wildcard inside: finding the text is the whole match.
    bool isPlainSubstring() const
    {
        return !m_anchoredStart && !m_anchoredEnd && m_segments.size() == 1
            && m_longest.size() == m_segments.front().units.size();
    }

private:
    struct Segment {
        QString units; // folded; a "_" where any[i] is set
        std::vector<bool> any; // per unit of units: true for "_"
        qsizetype codePoints = 0;
        qsizetype tail = 0; // units this segment and those after it need at least
    };
    bool matchAt(const Segment &seg, QStringView text, qsizetype pos, qsizetype *end) const;
    qsizetype find(const Segment &seg, QStringView text, qsizetype from, qsizetype *end) const;

    std::vector<Segment> m_segments; // the parts between "%"
    bool m_anchoredStart = true;
    bool m_anchoredEnd = true;
    QString m_longestStore;
    QStringView m_longest;
};

} // namespace tembra
