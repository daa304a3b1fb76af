#pragma once

#include "search/record.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <vector>

namespace tembra {

// Table1 held in memory, in stored row order. The hadith texts (Tab1) lie back to
// back in one buffer, so that a search scans one block of memory; the short columns lie
// back to back in another, so that fifty thousand rows are not two hundred thousand
// small strings. NULL and the empty string stay apart.
//
// A table is built row by row here, or takes its arrays as they lie in memory that
// another process filled (see adopt()), without copying them.
class HadithTable final {
public:
    HadithTable() { point(); }
    HadithTable(const HadithTable &other);
    HadithTable(HadithTable &&other) noexcept;
    HadithTable &operator=(const HadithTable &other);
    HadithTable &operator=(HadithTable &&other) noexcept;
    ~HadithTable() = default;

    int rowCount() const { return m_rows; }
    bool isEmpty() const { return m_rows == 0; }

    // column 0 is Tab1 .. 4 is Tab5
    bool isNull(int row, int column) const { return (m_nullsAt[row] >> column) & 1u; }
    QStringView view(int row, int column) const;
    QString text(int row, int column) const { return view(row, column).toString(); }
    Field field(int row, int column) const;
    Record record(int row) const;

    // Starts a new row; its fields are then set with setField (default NULL), each once
    // and in the order of the columns. Not for an adopted table.
    void appendRow();
    void setField(int column, QStringView value); // on the last row appended
    void append(const Record &record);
    void squeeze();

    // All Tab1 texts back to back; row r spans [textStart(r), textStart(r + 1)).
    const QString &allText() const { return m_text; }
    const char16_t *textUnits16() const
    {
        return reinterpret_cast<const char16_t *>(m_text.constData());
    }
    qsizetype textStart(int row) const { return m_startAt[row]; }
    qsizetype textEnd(int row) const { return m_startAt[row + 1]; }

    // UTF-16 units held by all the columns' values (what the memory budget compares to).
    qsizetype textUnits() const;

    // The arrays of a table as they lie in memory kept alive by keep, taken as they are:
    // the caller has checked them (offsets ascending and within the texts, the last one at
    // their end, a NULL field empty). start has rows + 1 entries from 0, shortEnd four a
    // row, nulls one a row.
    struct Arrays {
        const char16_t *text = nullptr;
        qsizetype textUnits = 0;
        const char16_t *shortText = nullptr;
        qsizetype shortUnits = 0;
        const std::uint32_t *start = nullptr;
        const std::uint32_t *shortEnd = nullptr;
        const std::uint8_t *nulls = nullptr;
        int rows = 0;
    };
    static HadithTable adopt(const Arrays &arrays, std::shared_ptr<const void> keep);

private:
    static constexpr int kShort = kColumnCount - 1;
    QString *setFieldStart(int column);
    void setFieldEnd(int column);
    void point(); // the read pointers onto the table's own arrays

    // The memory an adopted table's arrays lie in; released after the texts below.
    std::shared_ptr<const void> m_keep;
    QString m_text; // Tab1 of every row
    QString m_short; // Tab2 .. Tab5 of every row
    // A built table's own arrays: where each Tab1 starts (rows + 1, from 0), where each
    // short field ends (four a row; each starts where the one before it ends), and the
    // NULLs (bit c set: column c is NULL).
    std::vector<std::uint32_t> m_start{0};
    std::vector<std::uint32_t> m_shortEnd;
    std::vector<std::uint8_t> m_nulls;
    // What the accessors read: the arrays above, or an adopted table's.
    const std::uint32_t *m_startAt = nullptr;
    const std::uint32_t *m_shortEndAt = nullptr;
    const std::uint8_t *m_nullsAt = nullptr;
    int m_rows = 0;
};

} // namespace tembra
