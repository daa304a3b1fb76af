#include "handover/tableblock.h"

#include "base/filereplace.h"

#include "base/texts.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tembra {

namespace {

constexpr char kMagic[8] = {'T', 'E', 'M', 'B', 'R', 'A', 'B', '1'};
constexpr int kShort = kColumnCount - 1;
constexpr int kSeals = F_SEAL_SEAL | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;

struct Header {
    char magic[8];
    std::uint32_t rows;
    std::uint32_t reserved;
    std::uint64_t textUnits;
    std::uint64_t shortUnits;
};
static_assert(sizeof(Header) == 32, "the arrays that follow stay aligned");

qint64 arraysBytes(std::uint64_t rows)
{
    return qint64(sizeof(Header) + 4 * (rows + 1) + 4 * kShort * rows + rows);
}

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
    const std::uint64_t ceiling = std::uint64_t(std::numeric_limits<int>::max() / kShort) - 1;
    return {std::min(size / 2, ceiling), 4 * size};
}

int memoryFile(const char *name)
{
    return ::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING);
}

// The mappings of an adopted table, undone when the last copy of the table goes.
struct Mappings {
    struct Map {
        void *at = nullptr;
        size_t bytes = 0;
    };
    Map maps[BlockWriter::FileCount];
    ~Mappings()
    {
        for (const Map &map : maps) {
            if (map.at)
                ::munmap(map.at, map.bytes);
        }
    }
};

} // namespace

BlockWriter::BlockWriter(qint64 fileSize) : m_fileSize(fileSize) { }

BlockWriter::~BlockWriter()
{
    for (Region *region : {&m_text, &m_short}) {
        if (region->data)
            ::munmap(region->data, size_t(region->capacity) * 2);
        if (region->fd >= 0)
            ::close(region->fd);
    }
}

bool BlockWriter::open(Error *error)
{
    m_text.fd = memoryFile("tembra-text");
    m_short.fd = memoryFile("tembra-short");
    if (m_text.fd < 0 || m_short.fd < 0)
        return fail(error, Error::NoMemory,
                    QStringLiteral("no memory file for the table: %1").arg(systemReason(errno)));
    // Decoded text is at most twice what the file stores; room is only taken where it is
    // written, so the first room can be generous and seldom has to grow.
    const qsizetype first = qsizetype(std::max<qint64>(m_fileSize, 1 << 16));
    if (!makeRoom(&m_text, first) || !makeRoom(&m_short, first / 4))
        return fail(error, Error::NoMemory,
                    QStringLiteral("no room for the table: %1").arg(systemReason(m_failed)));
    return true;
}

bool BlockWriter::makeRoom(Region *region, qsizetype units)
{
    if (region->used + units <= region->capacity)
        return true;
    const qsizetype capacity = std::max(region->capacity * 2, region->used + units);
    if (capacity > qsizetype(std::numeric_limits<std::uint32_t>::max())) {
        m_failed = EFBIG; // the offsets are 32-bit
        return false;
    }
    const size_t bytes = size_t(capacity) * 2;
    if (::ftruncate(region->fd, off_t(bytes)) != 0) {
        m_failed = errno;
        return false;
    }
    void *at = region->data
        ? ::mremap(region->data, size_t(region->capacity) * 2, bytes, MREMAP_MAYMOVE)
        : ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, region->fd, 0);
    if (at == MAP_FAILED) {
        m_failed = errno;
        return false;
    }
    region->data = static_cast<char16_t *>(at);
    region->capacity = capacity;
    return true;
}

bool BlockWriter::append(Region *region, const QString &value)
{
    if (!makeRoom(region, value.size()))
        return false;
    std::memcpy(region->data + region->used, value.constData(), size_t(value.size()) * 2);
    region->used += value.size();
    return true;
}

bool BlockWriter::addRow(const QString *values, const bool *isNull)
{
    std::uint8_t nulls = 0;
    for (int c = 0; c < kColumnCount; ++c) {
        if (isNull[c]) {
            nulls |= std::uint8_t(1u << c);
        } else if (!append(c == 0 ? &m_text : &m_short, values[c])) {
            return false;
        }
        if (c == 0)
            m_start.push_back(std::uint32_t(m_text.used));
        else
            m_shortEnd.push_back(std::uint32_t(m_short.used));
    }
    m_nulls.push_back(nulls);
    return true;
}

bool BlockWriter::finish(int fds[FileCount], Error *error)
{
    const auto failed = [error](const QString &what) {
        return fail(error, Error::NoMemory,
                    QStringLiteral("the table cannot be handed over (%1): %2")
                        .arg(what, systemReason(errno)));
    };
    if (m_failed != 0) {
        errno = m_failed;
        return failed(QStringLiteral("growing its texts"));
    }
    // Each text file just as long as its text, and no longer mapped for writing: a file
    // is sealed against writing only when no one can write it through a mapping.
    for (Region *region : {&m_text, &m_short}) {
        if (region->data)
            ::munmap(region->data, size_t(region->capacity) * 2);
        region->data = nullptr;
        if (::ftruncate(region->fd, off_t(region->used) * 2) != 0)
            return failed(QStringLiteral("cutting a text to its length"));
    }
    const int arrays = memoryFile("tembra-arrays");
    if (arrays < 0)
        return failed(QStringLiteral("a file for its arrays"));
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.rows = std::uint32_t(m_nulls.size());
    header.textUnits = std::uint64_t(m_text.used);
    header.shortUnits = std::uint64_t(m_short.used);
    const bool written = writeAll(arrays, &header, qint64(sizeof header))
        && writeAll(arrays, m_start.data(), qint64(m_start.size() * 4))
        && writeAll(arrays, m_shortEnd.data(), qint64(m_shortEnd.size() * 4))
        && writeAll(arrays, m_nulls.data(), qint64(m_nulls.size()));
    fds[Text] = m_text.fd;
    fds[Short] = m_short.fd;
    fds[Arrays] = arrays;
    bool sealed = written;
    for (int f = 0; f < FileCount && sealed; ++f)
        sealed = ::fcntl(fds[f], F_ADD_SEALS, kSeals) == 0;
    m_text.fd = m_short.fd = -1; // the caller's now
    if (!sealed) {
        const int why = errno;
        for (int f = 0; f < FileCount; ++f)
            ::close(fds[f]);
        errno = why;
        return failed(written ? QStringLiteral("sealing it") : QStringLiteral("its arrays"));
    }
    return true;
}

bool adoptBlock(const int fds[BlockWriter::FileCount], quint32 recorded, qint64 fileSize,
                HadithTable *table, Error *error)
{
    const auto refuse = [error](const QString &why) {
        return fail(error, Error::HelperFailed,
                    QStringLiteral("the reading helper handed over a table that is not sound: %1")
                        .arg(why));
    };
    qint64 bytes[BlockWriter::FileCount] = {};
    for (int f = 0; f < BlockWriter::FileCount; ++f) {
        struct stat st { };
        if (::fstat(fds[f], &st) != 0 || !S_ISREG(st.st_mode))
            return refuse(QStringLiteral("one of its files is not a file"));
        // Sealed, nobody can change what is checked here once it is checked.
        const int seals = ::fcntl(fds[f], F_GET_SEALS);
        if (seals < 0 || (seals & kSeals) != kSeals)
            return refuse(QStringLiteral("one of its files is not sealed"));
        bytes[f] = st.st_size;
    }

    // The header is read, not mapped, and every count in it checked before anything else
    // is touched: its counts say how much memory the checks below go through.
    Header header;
    if (bytes[BlockWriter::Arrays] < qint64(sizeof header)
        || ::pread(fds[BlockWriter::Arrays], &header, sizeof header, 0) != qint64(sizeof header))
        return refuse(QStringLiteral("its arrays are too short for their header"));
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.reserved != 0)
        return refuse(QStringLiteral("its header is not the table's"));
    const TableBounds most = tableBounds(fileSize);
    if (header.rows > most.rows)
        return refuse(QStringLiteral("its header gives %1 rows, more than the %2 a file of %3 "
                                     "bytes can hold")
                          .arg(header.rows)
                          .arg(most.rows)
                          .arg(fileSize));
    if (header.rows != recorded)
        return fail(error, Error::HelperFailed,
                    QStringLiteral("the reading helper sent %1 rows, but Table1 records %2")
                        .arg(header.rows)
                        .arg(recorded),
                    texts::rowsDetail(recorded, header.rows));
    if (header.textUnits > std::numeric_limits<std::uint32_t>::max()
        || header.shortUnits > std::numeric_limits<std::uint32_t>::max()
        || header.textUnits + header.shortUnits > most.units(header.rows))
        return refuse(QStringLiteral("its texts are larger than a file of %1 bytes could give "
                                     "(%2 and %3 characters)")
                          .arg(fileSize)
                          .arg(header.textUnits)
                          .arg(header.shortUnits));
    // Within the bounds above, none of these can overflow.
    if (qint64(header.textUnits) * 2 != bytes[BlockWriter::Text]
        || qint64(header.shortUnits) * 2 != bytes[BlockWriter::Short]
        || arraysBytes(header.rows) != bytes[BlockWriter::Arrays])
        return refuse(QStringLiteral("its files are not the sizes its header gives"));

    auto maps = std::make_shared<Mappings>();
    const auto map = [&](int f) -> const void * {
        if (bytes[f] == 0)
            return nullptr;
        void *at = ::mmap(nullptr, size_t(bytes[f]), PROT_READ, MAP_SHARED, fds[f], 0);
        if (at == MAP_FAILED)
            return nullptr;
        maps->maps[f] = {at, size_t(bytes[f])};
        return at;
    };
    const auto *arrays = static_cast<const char *>(map(BlockWriter::Arrays));
    if (!arrays)
        return fail(error, Error::NoMemory,
                    QStringLiteral("the table cannot be mapped: %1").arg(systemReason(errno)));

    const size_t rows = header.rows;
    const auto *start = reinterpret_cast<const std::uint32_t *>(arrays + sizeof header);
    const auto *shortEnd = start + rows + 1;
    const auto *nulls = reinterpret_cast<const std::uint8_t *>(shortEnd + rows * kShort);
    if (start[0] != 0 || start[rows] != header.textUnits
        || (rows > 0 && shortEnd[rows * kShort - 1] != header.shortUnits)
        || (rows == 0 && header.shortUnits != 0))
        return refuse(QStringLiteral("its offsets do not end where its texts end"));
    std::uint32_t before = 0;
    for (size_t r = 0; r < rows; ++r) {
        if (start[r + 1] < start[r] || nulls[r] >> kColumnCount)
            return refuse(QStringLiteral("row %1 is out of order").arg(r));
        if ((nulls[r] & 1u) && start[r + 1] != start[r])
            return refuse(QStringLiteral("row %1 holds text in a NULL field").arg(r));
        for (size_t c = 1; c < size_t(kColumnCount); ++c) {
            const std::uint32_t end = shortEnd[r * kShort + c - 1];
            if (end < before || ((nulls[r] >> c) & 1u && end != before))
                return refuse(QStringLiteral("row %1 is out of order").arg(r));
            before = end;
        }
    }

    HadithTable::Arrays view;
    view.text = static_cast<const char16_t *>(map(BlockWriter::Text));
    view.shortText = static_cast<const char16_t *>(map(BlockWriter::Short));
    if ((bytes[BlockWriter::Text] > 0 && !view.text)
        || (bytes[BlockWriter::Short] > 0 && !view.shortText))
        return fail(error, Error::NoMemory,
                    QStringLiteral("the table cannot be mapped: %1").arg(systemReason(errno)));
    view.textUnits = qsizetype(header.textUnits);
    view.shortUnits = qsizetype(header.shortUnits);
    view.start = start;
    view.shortEnd = shortEnd;
    view.nulls = nulls;
    view.rows = int(rows);
    *table = HadithTable::adopt(view, std::move(maps));
    return true;
}

} // namespace tembra
