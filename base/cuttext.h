#pragma once

#include <QString>

namespace tembra {

// Texts that come from outside the program (a helper's error, a file's name) can be of
// any length. A message box lays its whole text out at once: two million characters made
// a blank box the size of the screen and a window that answered nothing, not even a
// request to end. So what is shown is cut to what a reader can take in.

// The longest line a message box shows, and the most lines.
constexpr qsizetype kShownLineUnits = 300;
constexpr int kShownLines = 16;

// text cut, where it is longer, to at most maxUnits UTF-16 units ending in "…": never
// between the two halves of a surrogate pair, and with every direction isolate the cut
// leaves open closed again after the "…", so that a path cut short does not turn the
// direction of what follows it. maxUnits counts the "…" and those closing marks.
QString cutText(const QString &text, qsizetype maxUnits);

// A text for a message box: each line cut to kShownLineUnits, and after kShownLines - 1
// lines a last line "…" for the rest. A text within both is returned as it is.
QString cutForShowing(const QString &text);

} // namespace tembra
