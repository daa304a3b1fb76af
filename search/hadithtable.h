#pragma once

#include "search/record.h"

#include <QtGlobal>

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
// A table never changes once made: it is made by a TableBuilder, or takes its arrays as
// they lie in memory that another process filled (see adopt()), without copying them.
// Copies share the same arrays, and the arrays live as long as any copy does, so a copy
// may be handed to another thread (the search keeps one) and read there while the
// window's thread reads its own.
class HadithTable final {
public:
    HadithTable();
    // A copy shares the arrays; there is no move that could leave a table behind empty.
    HadithTable(const HadithTable &) = default;
    HadithTable &operator=(const HadithTable &) = default;

    int rowCount() const { return m_d->rows; }
    bool isEmpty() const { return m_d->rows == 0; }

    bool isNull(int row, Column column) const { return (m_d->nulls[row] >> position(column)) & 1u; }
    QStringView view(int row, Column column) const;
    QString text(int row, Column column) const { return view(row, column).toString(); }
    Field field(int row, Column column) const;
    Record record(int row) const;

    // All Tab1 texts back to back; row r spans [textStart(r), textStart(r + 1)).
    const QString &allText() const { return m_d->text; }
    const char16_t *textUnits16() const
    {
        return reinterpret_cast<const char16_t *>(m_d->text.constData());
    }
    qsizetype textStart(int row) const { return m_d->start[row]; }
    qsizetype textEnd(int row) const { return m_d->start[row + 1]; }

    // UTF-16 units held by all the columns' values (what the memory budget compares to).
    qsizetype textUnits() const { return m_d->text.size() + m_d->shortText.size(); }

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
    friend class TableBuilder;
    // What every copy reads: the texts, and the arrays where each Tab1 starts (rows + 1,
    // from 0), where each short field ends (four a row; each starts where the one before
    // it ends) and the NULLs (bit c set: column c is NULL). keep holds the memory the
    // arrays lie in, whoever made it.
    struct Shared {
        std::shared_ptr<const void> keep;
        QString text; // Tab1 of every row
        QString shortText; // Tab2 .. Tab5 of every row
        const std::uint32_t *start = nullptr;
        const std::uint32_t *shortEnd = nullptr;
        const std::uint8_t *nulls = nullptr;
        int rows = 0;
    };
    explicit HadithTable(std::shared_ptr<const Shared> d) : m_d(std::move(d)) { }

    std::shared_ptr<const Shared> m_d;
};

// Makes a table row by row: each row is started with appendRow, then its fields are set
// with setField (default NULL), each once and in the order of the columns.
class TableBuilder final {
public:
    TableBuilder();
    Q_DISABLE_COPY_MOVE(TableBuilder)

    // Room for this many rows and units of text, so that a table whose size is known is
    // made without copying what it holds as it grows.
    void reserve(int rows, qsizetype textUnits, qsizetype shortUnits = 0);
    void appendRow();
    void setField(Column column, QStringView value); // on the last row appended
    void append(const Record &record);
    int rowCount() const { return int(m_nulls.size()); }

    // The table made so far; the builder is left empty.
    HadithTable take();

private:
    QString m_text;
    QString m_short;
    std::vector<std::uint32_t> m_start{0};
    std::vector<std::uint32_t> m_shortEnd;
    std::vector<std::uint8_t> m_nulls;
};

} // namespace tembra
