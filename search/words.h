#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace tembra {

// A search for every word in any order: the typed text split into items at spaces. An
// item that starts with "-" must not occur; every other item must occur.
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
// occur, "not Tab1 like '%item%'" for each one that must not.
QStringList wordsConditions(QStringView typed);

} // namespace tembra
