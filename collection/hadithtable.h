#pragma once

#include "collection/record.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace tembra {

// Table1 held in memory, in stored row order. The hadith texts (Tab1) lie back to
// back in one buffer, so that a search scans one block of memory; the short columns lie
// back to back in another, so that fifty thousand rows are not two hundred thousand
// small strings. NULL and the empty string stay apart.
class HadithTable final {
public:
    HadithTable() = default;

    int rowCount() const { return static_cast<int>(m_nulls.size()); }
    bool isEmpty() const { return m_nulls.empty(); }

    // column 0 is Tab1 .. 4 is Tab5
    bool isNull(int row, int column) const { return (m_nulls[row] >> column) & 1u; }
    QStringView view(int row, int column) const;
    QString text(int row, int column) const { return view(row, column).toString(); }
    Field field(int row, int column) const;
    Record record(int row) const;

    // Starts a new row; its fields are then set with setField (default NULL), each once
    // and in the order of the columns.
    void appendRow();
    void setField(int column, QStringView value); // on the last row appended
    // The same from little-endian UTF-16 bytes that need not be aligned.
    void setFieldUtf16(int column, const char *bytes, qsizetype units);
    void append(const Record &record);
    void squeeze();

    // All Tab1 texts back to back; row r spans [textStart(r), textStart(r + 1)).
    const QString &allText() const { return m_text; }
    qsizetype textStart(int row) const { return m_start[row]; }
    qsizetype textEnd(int row) const { return m_start[row + 1]; }

    // UTF-16 units held by all the columns' values (what the memory budget compares to).
    qsizetype textUnits() const;

private:
    static constexpr int kShort = kColumnCount - 1;
    QString *setFieldStart(int column);
    void setFieldEnd(int column);

    QString m_text; // Tab1 of every row
    std::vector<qsizetype> m_start{0}; // rowCount() + 1 offsets into m_text
    QString m_short; // Tab2 .. Tab5 of every row
    // Where each short field ends in m_short, four a row; each starts where the one
    // before it ends.
    std::vector<std::uint32_t> m_shortEnd;
    std::vector<std::uint8_t> m_nulls; // bit c set: column c is NULL
};

} // namespace tembra
