#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace tembra {

// A search for every word in any order. The typed text splits into items at its space
// separators (every character of Unicode's category Zs, as the comparison treats spaces):
// - an item that opens with a double quote ("…", «…» or “…”) is a phrase: it runs to the
//   matching closing quote, spaces and all, and that quote ends it;
// - an item that starts with "-" must not occur (a phrase after "-" too); every other
//   item must occur;
// - empty items (spaces side by side, "", a lone "-") are left out.
// Each item is compared as a whole search text is: "%" and "_" keep their meaning within
// it, and its marks, if it has any, are compared (an item without marks ignores them).
struct WordItem {
    QString text;
    bool excluded = false;
    friend bool operator==(const WordItem &a, const WordItem &b)
    {
        return a.text == b.text && a.excluded == b.excluded;
    }
};
std::vector<WordItem> splitWords(QStringView typed);

// The where clause's conditions for the items: "Tab1 like '%item%'" for each one that must
// occur, "not Tab1 like '%item%'" for each one that must not. None for a text without
// items.
QStringList wordsConditions(QStringView typed);

} // namespace tembra
