#include "handover/readfile/blockwriter.h"

#include "base/filereplace.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>

namespace tembra {

namespace {

int memoryFile(const char *name)
{
    return ::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING);
}

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

// A new memory file with the header and the arrays; -1 if there is none, *written false
// if the arrays did not all go in.
int BlockWriter::writeArrays(bool *written)
{
    const int arrays = memoryFile("tembra-arrays");
    if (arrays < 0)
        return -1;
    wire::Header header{};
    std::memcpy(header.magic, wire::kMagic, sizeof wire::kMagic);
    header.rows = std::uint32_t(m_nulls.size());
    header.textUnits = std::uint64_t(m_text.used);
    header.shortUnits = std::uint64_t(m_short.used);
    *written = writeAll(arrays, &header, qint64(sizeof header))
        && writeAll(arrays, m_start.data(), qint64(m_start.size() * 4))
        && writeAll(arrays, m_shortEnd.data(), qint64(m_shortEnd.size() * 4))
        && writeAll(arrays, m_nulls.data(), qint64(m_nulls.size()));
    return arrays;
}

bool BlockWriter::finish(int fds[wire::FileCount], Error *error)
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
    bool written = false;
    const int arrays = writeArrays(&written);
    if (arrays < 0)
        return failed(QStringLiteral("a file for its arrays"));
    fds[wire::Text] = m_text.fd;
    fds[wire::Short] = m_short.fd;
    fds[wire::Arrays] = arrays;
    bool sealed = written;
    for (int f = 0; f < wire::FileCount && sealed; ++f)
        sealed = ::fcntl(fds[f], F_ADD_SEALS, wire::kSeals) == 0;
    m_text.fd = m_short.fd = -1; // the caller's now
    if (!sealed) {
        const int why = errno;
        for (int f = 0; f < wire::FileCount; ++f)
            ::close(fds[f]);
        errno = why;
        return failed(written ? QStringLiteral("sealing it") : QStringLiteral("its arrays"));
    }
    return true;
}

} // namespace tembra
