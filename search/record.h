#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace tembra {

// One row of Table1 as the tool and the tests handle it. std::nullopt is a NULL
// field; an engaged empty QString is the empty string. The two stay apart.
using Field = std::optional<QString>;

constexpr int kColumnCount = 5; // Tab1 .. Tab5

// The column a name stands for: "Tab1" .. "Tab5" (letter case aside) are 0 .. 4; -1 for
// any other name.
inline int columnIndex(QStringView name)
{
    if (name.size() != 4 || !name.startsWith(u"tab", Qt::CaseInsensitive))
        return -1;
    const int digit = name.at(3).unicode() - u'1';
    return digit >= 0 && digit < kColumnCount ? digit : -1;
}
constexpr int kTextColumnMax = 255; // UTF-16 units in Tab2 .. Tab5

struct Record {
    std::array<Field, kColumnCount> tab; // tab[0] is Tab1, the hadith text

    friend bool operator==(const Record &a, const Record &b) { return a.tab == b.tab; }
    friend bool operator!=(const Record &a, const Record &b) { return !(a == b); }
};

} // namespace tembra
