#include "base/filereplace.h"

#include "base/texts.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tembra {

namespace {

// The system's reason in Sorani, for the reasons a reader can do something about.
QString shownReason(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT: return texts::noSpaceDetail();
    case EFBIG: return texts::sizeLimitDetail();
    case EACCES:
    case EPERM: return texts::noPermissionDetail();
    case EROFS: return texts::readOnlyDetail();
    default: return texts::cannotWriteDetail();
    }
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// A name beside target that nothing uses yet, created for writing only by us.
int createTemporary(const QString &target, QString *name)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString candidate = target + QLatin1Char('.');
        for (int i = 0; i < 6; ++i)
            candidate += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(62)]);
        // 0666 less the umask, as any new file; an old file's bits are put on later.
        const int fd = ::open(encoded(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            *name = candidate;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

} // namespace

QString fileKind(unsigned mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG: return QStringLiteral("a regular file");
    case S_IFDIR: return QStringLiteral("a folder");
    case S_IFIFO: return QStringLiteral("a named pipe (FIFO)");
    case S_IFCHR:
    case S_IFBLK: return QStringLiteral("a device");
    case S_IFSOCK: return QStringLiteral("a socket");
    case S_IFLNK: return QStringLiteral("a symbolic link");
    default: return QStringLiteral("not a file");
    }
}

FileReplacement::FileReplacement(const QString &path) : m_path(path), m_target(path) { }

QString FileReplacement::describedPath() const
{
    return m_target == m_path ? m_path : QStringLiteral("%1 (a link to %2)").arg(m_path, m_target);
}

bool FileReplacement::resolve(Error *error)
{
    m_resolved = false;
    m_exists = false;
    m_target = m_path;
    const QByteArray path = encoded(m_path);
    struct stat st { };
    if (::lstat(path.constData(), &st) != 0) {
        if (errno == ENOENT) {
            m_resolved = true; // a new file; a missing folder shows when it is written
            return true;
        }
        return fail(error, Error::WriteFailed,
                    QStringLiteral("cannot write %1: %2").arg(m_path, systemReason(errno)));
    }
    if (S_ISLNK(st.st_mode)) {
        char real[PATH_MAX];
        if (!::realpath(path.constData(), real) || ::stat(real, &st) != 0)
            return fail(error, Error::NotAFile,
                        QStringLiteral("%1 is a symbolic link that leads to no file (%2); it "
                                       "is left as it is")
                            .arg(m_path, systemReason(errno)));
        m_target = QFile::decodeName(real);
    }
    if (!S_ISREG(st.st_mode)) {
        return fail(error, Error::NotAFile,
                    QStringLiteral("%1 is not a regular file but %2; it is left as it is")
                        .arg(describedPath(), fileKind(st.st_mode)));
    }
    m_exists = true;
    m_device = st.st_dev;
    m_inode = st.st_ino;
    m_mode = st.st_mode & 07777;
    m_owner = st.st_uid;
    m_group = st.st_gid;
    m_resolved = true;
    return true;
}

bool FileReplacement::commit(const char *data, qint64 size, Error *error)
{
    if (!m_resolved && !resolve(error))
        return false;
    QString temporary;
    const int fd = createTemporary(m_target, &temporary);
    const auto failed = [&](int err) {
        return fail(error, Error::WriteFailed,
                    QStringLiteral("cannot write %1: %2").arg(describedPath(), systemReason(err)),
                    texts::fileDetail(m_target) + QLatin1Char('\n') + shownReason(err));
    };
    if (fd < 0)
        return failed(errno);
    const QByteArray temporaryName = encoded(temporary);
    bool ok = true;
    int err = 0;
    if (m_exists) {
        // Only root, or an owner keeping a group of their own, may keep the owner; the
        // new file is then the writer's, with the old permission bits. Set-ID bits are
        // not carried over to contents they were not set for.
        if (m_owner != ::geteuid() || m_group != ::getegid()) {
            const int kept = ::fchown(fd, m_owner, m_group);
            Q_UNUSED(kept)
        }
        ok = ::fchmod(fd, m_mode & 0777) == 0;
    }
    if (ok)
        ok = writeAll(fd, data, size) && ::fsync(fd) == 0;
    if (!ok)
        err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        // Someone else's file put in the place meanwhile (or the old one replaced) is
        // theirs: it is not written over.
        struct stat now { };
        const bool present = ::lstat(encoded(m_target).constData(), &now) == 0;
        const bool same = m_exists ? present && S_ISREG(now.st_mode)
                && quint64(now.st_dev) == m_device && quint64(now.st_ino) == m_inode
                                   : !present && errno == ENOENT;
        if (!same) {
            ::unlink(temporaryName.constData());
            return fail(error, Error::WriteFailed,
                        QStringLiteral("cannot write %1: it changed while it was being written; "
                                       "it is left as it is")
                            .arg(describedPath()));
        }
        ok = ::rename(temporaryName.constData(), encoded(m_target).constData()) == 0;
        if (!ok)
            err = errno;
    }
    if (!ok) {
        ::unlink(temporaryName.constData());
        return failed(err);
    }
    // The rename itself reaches the disk with the folder.
    QString folder = m_target.left(m_target.lastIndexOf(QLatin1Char('/')) + 1);
    if (folder.isEmpty())
        folder = QStringLiteral(".");
    const int dir = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    // The next commit finds the new file.
    m_resolved = false;
    return true;
}

bool writeAll(int fd, const void *bytes, qint64 size)
{
    const auto *data = static_cast<const char *>(bytes);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qint64>(size, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace tembra
