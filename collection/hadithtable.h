#pragma once

#include "collection/record.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace tembra {

// Table1 held in memory, in stored row order. The hadith texts (Tab1) lie back to
// back in one buffer, so that a search scans one block of memory; the short columns
// are kept as strings of their own. NULL and the empty string stay apart.
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

    // Starts a new row; its fields are then set with setField (default NULL).
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

    // Rows whose Tab1 letter case folding changes, ascending. Noted as the rows come in,
    // while the file is still being read, so that the search need not scan for them.
    const std::vector<int> &casedRows() const { return m_casedRows; }

private:
    QString m_text; // Tab1 of every row
    std::vector<qsizetype> m_start{0}; // rowCount() + 1 offsets into m_text
    std::vector<QString> m_short[kColumnCount - 1]; // Tab2 .. Tab5
    std::vector<std::uint8_t> m_nulls; // bit c set: column c is NULL
    std::vector<int> m_casedRows;
    void noteCase();
};

} // namespace tembra
