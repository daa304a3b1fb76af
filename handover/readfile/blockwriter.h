#pragma once

#include "base/error.h"
#include "base/mapping.h"
#include "base/uniquefd.h"
#include "handover/wire.h"
#include "jet/jetreader.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace tembra {

// The helper's end of the table's hand-over: takes the rows as they are read and writes
// them into the three memory files of wire.h, which finish() seals.
class BlockWriter final : public RowSink {
public:
    // fileSize, the collection's, sizes the room the texts are first given.
    explicit BlockWriter(qint64 fileSize);
    Q_DISABLE_COPY_MOVE(BlockWriter)

    // False, with *error set, if the memory files cannot be made.
    bool open(Error *error);
    void expectRows(quint32 recorded) override { m_recorded = recorded; }
    bool addRow(const QString *values, const bool *isNull) override;
    quint32 recorded() const { return m_recorded; }

    // Writes the arrays, seals the three files and gives them to the caller; false, with
    // *error set, if a step fails.
    bool finish(UniqueFd (&fds)[wire::FileCount], Error *error);

private:
    struct Region {
        UniqueFd fd;
        Mapping map; // capacity units, for writing
        qsizetype capacity = 0; // units
        qsizetype used = 0;
        char16_t *data() const { return static_cast<char16_t *>(map.data()); }
    };
    bool append(Region *region, const QString &value);
    bool makeRoom(Region *region, qsizetype units);
    UniqueFd writeArrays(bool *written);

    qint64 m_fileSize;
    Region m_text;
    Region m_short;
    std::vector<std::uint32_t> m_start{0};
    std::vector<std::uint32_t> m_shortEnd;
    std::vector<std::uint8_t> m_nulls;
    quint32 m_recorded = 0;
    int m_failed = 0; // errno of a growth that failed
};

} // namespace tembra
