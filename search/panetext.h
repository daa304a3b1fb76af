#pragma once

#include <QString>
#include <QStringView>

#include <vector>

namespace tembra::pane {

// The reading pane's text as its box lays it out, and the way between positions in the two.
// A text box's document knows one kind of line break ("\r\n" and a lone "\r" are one "\n"
// there), and a reader may hide the vowel marks: the shown text then leaves them out. The
// search, the selection and what is copied stay the text's own; only the shown text differs.
class ShownText final {
public:
    ShownText() = default;
    ShownText(QStringView text, bool marks);

    const QString &shown() const { return m_shown; }
    // The place in the shown text of position index of the text (0 .. its size): a unit that
    // is not shown is where the next shown one is, so that a span of the text that ends
    // after a letter's marks ends after the letter.
    qsizetype shownAt(qsizetype index) const;
    // The position in the text of position at of the shown text (0 .. its size): where the
    // shown unit's own text starts, the end at the text's end.
    qsizetype textAt(qsizetype at) const;

private:
    QString m_shown;
    std::vector<qsizetype> m_textOf{0}; // of each shown unit, then the text's size
};

} // namespace tembra::pane
