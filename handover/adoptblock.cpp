#include "handover/adoptblock.h"

#include "base/mapping.h"
#include "base/texts.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tembra {

namespace {

using wire::Header;
using wire::kShortColumns;

// The most a collection file of fileSize bytes can give, whatever it holds. Every row
// has an entry of two bytes of its own in its page's table of rows. The reader lets the
// stored bytes of all values add up to no more than the file, and no stored byte gives
// more than four units of text (a single, four bytes, is written out in at most 15); a
// yes/no stores no byte of its own and gives one unit, five a row at most. The table
// counts its rows in an int, and indexes its short values by row times four.
struct TableBounds {
    std::uint64_t rows;
    std::uint64_t fileUnits;
    std::uint64_t units(std::uint64_t rowCount) const
    {
        return fileUnits + kColumnCount * rowCount;
    }
};

TableBounds tableBounds(qint64 fileSize)
{
    // (past an exbibyte, where four times the size would no longer be counted right)
    const auto size
        = std::min(std::uint64_t(std::max<qint64>(fileSize, 0)), std::uint64_t(1) << 60);
    const std::uint64_t ceiling
        = std::uint64_t(std::numeric_limits<int>::max() / kShortColumns) - 1;
    return {std::min(size / 2, ceiling), 4 * size};
}

// The mappings of an adopted table, undone when the last copy of the table goes.
struct Mappings {
    Mapping maps[wire::FileCount];
};

bool refuse(Error *error, const QString &why)
{
    return fail(
        error, Error::HelperFailed,
        QStringLiteral("the reading helper handed over a table that is not sound: %1").arg(why));
}

// Each file's size, once it is known to be a memory file sealed against every change.
bool sealedSizes(const int fds[wire::FileCount], qint64 bytes[wire::FileCount], Error *error)
{
    for (int f = 0; f < wire::FileCount; ++f) {
        struct stat st { };
        if (::fstat(fds[f], &st) != 0 || !S_ISREG(st.st_mode))
            return refuse(error, QStringLiteral("one of its files is not a file"));
        // Sealed, nobody can change what is checked here once it is checked.
        const int seals = ::fcntl(fds[f], F_GET_SEALS);
        if (seals < 0 || (seals & wire::kSeals) != wire::kSeals)
            return refuse(error, QStringLiteral("one of its files is not sealed"));
        bytes[f] = st.st_size;
    }
    return true;
}

// The header, read, not mapped, and every count in it held to what a collection of
// fileSize bytes can give and to the files' sizes: its counts say how much memory the
// checks after it go through.
bool readHeader(int arrays, const qint64 bytes[wire::FileCount], quint32 recorded, qint64 fileSize,
                Header *header, Error *error)
{
    if (bytes[wire::Arrays] < qint64(sizeof *header)
        || ::pread(arrays, header, sizeof *header, 0) != qint64(sizeof *header))
        return refuse(error, QStringLiteral("its arrays are too short for their header"));
    if (std::memcmp(header->magic, wire::kMagic, sizeof wire::kMagic) != 0 || header->reserved != 0)
        return refuse(error, QStringLiteral("its header is not the table's"));
    const TableBounds most = tableBounds(fileSize);
    if (header->rows > most.rows)
        return refuse(error,
                      QStringLiteral("its header gives %1 rows, more than the %2 a file "
                                     "of %3 bytes can hold")
                          .arg(header->rows)
                          .arg(most.rows)
                          .arg(fileSize));
    if (header->rows != recorded)
        return fail(error, Error::HelperFailed,
                    QStringLiteral("the reading helper sent %1 rows, but Table1 records %2")
                        .arg(header->rows)
                        .arg(recorded),
                    texts::rowsDetail(recorded, header->rows));
    if (header->textUnits > std::numeric_limits<std::uint32_t>::max()
        || header->shortUnits > std::numeric_limits<std::uint32_t>::max()
        || header->textUnits + header->shortUnits > most.units(header->rows))
        return refuse(error,
                      QStringLiteral("its texts are larger than a file of %1 bytes could "
                                     "give (%2 and %3 characters)")
                          .arg(fileSize)
                          .arg(header->textUnits)
                          .arg(header->shortUnits));
    // Within the bounds above, none of these can overflow.
    if (qint64(header->textUnits) * 2 != bytes[wire::Text]
        || qint64(header->shortUnits) * 2 != bytes[wire::Short]
        || wire::arraysBytes(header->rows) != bytes[wire::Arrays])
        return refuse(error, QStringLiteral("its files are not the sizes its header gives"));
    return true;
}

// Every offset in order and within its text, and a NULL field empty.
bool checkOffsets(const Header &header, const HadithTable::Arrays &view, Error *error)
{
    const size_t rows = header.rows;
    const std::uint32_t *start = view.start;
    const std::uint32_t *shortEnd = view.shortEnd;
    const std::uint8_t *nulls = view.nulls;
    if (start[0] != 0 || start[rows] != header.textUnits
        || (rows > 0 && shortEnd[rows * kShortColumns - 1] != header.shortUnits)
        || (rows == 0 && header.shortUnits != 0))
        return refuse(error, QStringLiteral("its offsets do not end where its texts end"));
    std::uint32_t before = 0;
    for (size_t r = 0; r < rows; ++r) {
        if (start[r + 1] < start[r] || nulls[r] >> kColumnCount)
            return refuse(error, QStringLiteral("row %1 is out of order").arg(r));
        if ((nulls[r] & 1u) && start[r + 1] != start[r])
            return refuse(error, QStringLiteral("row %1 holds text in a NULL field").arg(r));
        for (size_t c = 1; c < size_t(kColumnCount); ++c) {
            const std::uint32_t end = shortEnd[r * kShortColumns + c - 1];
            if (end < before || ((nulls[r] >> c) & 1u && end != before))
                return refuse(error, QStringLiteral("row %1 is out of order").arg(r));
            before = end;
        }
    }
    return true;
}

bool notMapped(Error *error)
{
    return fail(error, Error::NoMemory,
                QStringLiteral("the table cannot be mapped: %1").arg(systemReason(errno)));
}

} // namespace

bool adoptBlock(const int fds[wire::FileCount], quint32 recorded, qint64 fileSize,
                HadithTable *table, Error *error)
{
    qint64 bytes[wire::FileCount] = {};
    Header header;
    if (!sealedSizes(fds, bytes, error)
        || !readHeader(fds[wire::Arrays], bytes, recorded, fileSize, &header, error))
        return false;

    auto maps = std::make_shared<Mappings>();
    const auto map = [&](int f) -> const void * {
        if (bytes[f] == 0)
            return nullptr;
        maps->maps[f] = Mapping::ofFile(fds[f], size_t(bytes[f]), PROT_READ);
        return maps->maps[f].data();
    };
    const auto *arrays = static_cast<const char *>(map(wire::Arrays));
    if (!arrays)
        return notMapped(error);
    HadithTable::Arrays view;
    view.rows = int(header.rows);
    view.start = reinterpret_cast<const std::uint32_t *>(arrays + sizeof header);
    view.shortEnd = view.start + header.rows + 1;
    view.nulls = reinterpret_cast<const std::uint8_t *>(view.shortEnd
                                                        + size_t(header.rows) * kShortColumns);
    if (!checkOffsets(header, view, error))
        return false;

    view.text = static_cast<const char16_t *>(map(wire::Text));
    view.shortText = static_cast<const char16_t *>(map(wire::Short));
    if ((bytes[wire::Text] > 0 && !view.text) || (bytes[wire::Short] > 0 && !view.shortText))
        return notMapped(error);
    view.textUnits = qsizetype(header.textUnits);
    view.shortUnits = qsizetype(header.shortUnits);
    *table = HadithTable::adopt(view, std::move(maps));
    return true;
}

} // namespace tembra
