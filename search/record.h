#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace tembra {

// One row of Table1 as the tool and the tests handle it. std::nullopt is a NULL
// field; an engaged empty QString is the empty string. The two stay apart.
using Field = std::optional<QString>;

// The columns of Table1, by what each holds, in the table's order Tab1 .. Tab5.
enum class Column {
    Text, // Tab1, the hadith text, the one the search looks in
    Number, // Tab2, its number in its book
    Kind, // Tab3, its kind: the chapter of the book it stands in
    Heading, // Tab4, the line shown above the text
    Book, // Tab5, the book's name
};
constexpr int kColumnCount = 5;
constexpr std::array<Column, kColumnCount> kColumns{Column::Text, Column::Number, Column::Kind,
                                                    Column::Heading, Column::Book};
// Where the column stands among Tab1 .. Tab5, from 0: its place in a row of the file.
constexpr int position(Column column)
{
    return static_cast<int>(column);
}

// The column a name stands for: "Tab1" .. "Tab5", letter case aside; none for any other.
inline std::optional<Column> columnNamed(QStringView name)
{
    if (name.size() != 4 || !name.startsWith(u"tab", Qt::CaseInsensitive))
        return std::nullopt;
    const int digit = name.at(3).unicode() - u'1';
    if (digit < 0 || digit >= kColumnCount)
        return std::nullopt;
    return kColumns[size_t(digit)];
}
constexpr int kTextColumnMax = 255; // UTF-16 units in Tab2 .. Tab5

struct Record {
    std::array<Field, kColumnCount> tab; // in the order of kColumns

    Field &operator[](Column column) { return tab[size_t(position(column))]; }
    const Field &operator[](Column column) const { return tab[size_t(position(column))]; }

    friend bool operator==(const Record &a, const Record &b) { return a.tab == b.tab; }
    friend bool operator!=(const Record &a, const Record &b) { return !(a == b); }
};

} // namespace tembra
