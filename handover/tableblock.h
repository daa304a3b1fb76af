#pragma once

#include "base/error.h"
#include "jet/jetreader.h"
#include "search/hadithtable.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace tembra {

// The table as the reading helper hands it over: in three sealed memory files, in the
// final form the program keeps it in, so that the program maps them and copies nothing.
//
//   text    the Tab1 values, UTF-16, back to back
//   short   the Tab2 .. Tab5 values, UTF-16, back to back
//   arrays  a header (magic, rows, the two texts' lengths in units), then where each
//           Tab1 value starts (rows + 1 numbers from 0), where each short value ends
//           (four a row), and a byte of NULL flags a row
//
// The program takes none of it on trust: the files must be sealed (no one can change
// them once checked), of exactly the sizes the header gives, every offset in order and
// within its text, a NULL field empty, the rows as many as Table1 records, and the whole
// no larger than a collection file of its size can give.

// The helper's end: takes the rows as they are read and writes them into the files.
class BlockWriter final : public RowSink {
public:
    enum File { Text, Short, Arrays, FileCount };

    // fileSize, the collection's, sizes the room the texts are first given.
    explicit BlockWriter(qint64 fileSize);
    ~BlockWriter() override;
    Q_DISABLE_COPY_MOVE(BlockWriter)

    // False, with *error set, if the memory files cannot be made.
    bool open(Error *error);
    void expectRows(quint32 recorded) override { m_recorded = recorded; }
    bool addRow(const QString *values, const bool *isNull) override;
    quint32 recorded() const { return m_recorded; }

    // Writes the arrays, seals the three files and gives their descriptors to the caller,
    // who closes them; false, with *error set, if a step fails.
    bool finish(int fds[FileCount], Error *error);

private:
    struct Region {
        int fd = -1;
        char16_t *data = nullptr;
        qsizetype capacity = 0; // units
        qsizetype used = 0;
    };
    bool append(Region *region, const QString &value);
    bool makeRoom(Region *region, qsizetype units);

    qint64 m_fileSize;
    Region m_text;
    Region m_short;
    std::vector<std::uint32_t> m_start{0};
    std::vector<std::uint32_t> m_shortEnd;
    std::vector<std::uint8_t> m_nulls;
    quint32 m_recorded = 0;
    int m_failed = 0; // errno of a growth that failed
};

// Takes the three files the helper gave (closing none of them), checks them as above and
// makes them a table. recorded is the number of rows Table1 records, as the helper said;
// fileSize, the collection's, bounds the rows and the texts, and the header's counts are
// checked against those bounds before anything they count is touched. False, with *error
// set (HelperFailed), for files that are not what the helper should have given.
bool adoptBlock(const int fds[BlockWriter::FileCount], quint32 recorded, qint64 fileSize,
                HadithTable *table, Error *error);

} // namespace tembra
