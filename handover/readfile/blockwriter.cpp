#include "handover/readfile/blockwriter.h"

#include "base/filereplace.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>

namespace tembra {

namespace {

UniqueFd memoryFile(const char *name)
{
    return UniqueFd(::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING));
}

} // namespace

BlockWriter::BlockWriter(qint64 fileSize) : m_fileSize(fileSize) { }

bool BlockWriter::open(Error *error)
{
    m_text.fd = memoryFile("tembra-text");
    m_short.fd = memoryFile("tembra-short");
    if (!m_text.fd.isOpen() || !m_short.fd.isOpen())
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
    if (::ftruncate(region->fd.get(), off_t(bytes)) != 0) {
        m_failed = errno;
        return false;
    }
    if (region->map.isMapped()
            ? !region->map.resize(bytes)
            : !(region->map = Mapping::ofFile(region->fd.get(), bytes, PROT_READ | PROT_WRITE))
                   .isMapped()) {
        m_failed = errno;
        return false;
    }
    region->capacity = capacity;
    return true;
}

bool BlockWriter::append(Region *region, const QString &value)
{
    if (!makeRoom(region, value.size()))
        return false;
    std::memcpy(region->data() + region->used, value.constData(), size_t(value.size()) * 2);
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
UniqueFd BlockWriter::writeArrays(bool *written)
{
    UniqueFd arrays = memoryFile("tembra-arrays");
    if (!arrays.isOpen())
        return arrays;
    wire::Header header{};
    std::memcpy(header.magic, wire::kMagic, sizeof wire::kMagic);
    header.rows = std::uint32_t(m_nulls.size());
    header.textUnits = std::uint64_t(m_text.used);
    header.shortUnits = std::uint64_t(m_short.used);
    const int fd = arrays.get();
    *written = writeAll(fd, &header, qint64(sizeof header))
        && writeAll(fd, m_start.data(), qint64(m_start.size() * 4))
        && writeAll(fd, m_shortEnd.data(), qint64(m_shortEnd.size() * 4))
        && writeAll(fd, m_nulls.data(), qint64(m_nulls.size()));
    return arrays;
}

bool BlockWriter::finish(UniqueFd (&fds)[wire::FileCount], Error *error)
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
        region->map.reset();
        if (::ftruncate(region->fd.get(), off_t(region->used) * 2) != 0)
            return failed(QStringLiteral("cutting a text to its length"));
    }
    bool written = false;
    UniqueFd arrays = writeArrays(&written);
    if (!arrays.isOpen())
        return failed(QStringLiteral("a file for its arrays"));
    UniqueFd files[wire::FileCount]
        = {std::move(m_text.fd), std::move(m_short.fd), std::move(arrays)};
    bool sealed = written;
    for (int f = 0; f < wire::FileCount && sealed; ++f)
        sealed = ::fcntl(files[f].get(), F_ADD_SEALS, wire::kSeals) == 0;
    if (!sealed)
        return failed(written ? QStringLiteral("sealing it") : QStringLiteral("its arrays"));
    for (int f = 0; f < wire::FileCount; ++f)
        fds[f] = std::move(files[f]);
    return true;
}

} // namespace tembra
