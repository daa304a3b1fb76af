#include "base/filereplace.h"

#include "base/texts.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>
#include <vector>

namespace tembra {

namespace {

// A name as a message shows it.
QString shown(const QByteArray &path)
{
    return QFile::decodeName(path);
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A short name, so that a file whose own name is as long as the system allows can still
// be replaced.
QByteArray temporaryName()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = ".tembra-";
    for (int i = 0; i < 6; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(62)];
    return name;
}

// The named temporary file of the replacement under way, for the signal handler: set and
// cleared only while the signals are held back.
int g_pendingFolder = -1;
char g_pendingName[32];
volatile sig_atomic_t g_pending = 0;

// Holds SIGINT, SIGTERM and SIGHUP back while a temporary name comes and goes, so that
// none can end the program between a name's creation and its record, or leave a name that
// is about to be renamed.
class SignalsHeld final {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (const int sig : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&held, sig);
        pthread_sigmask(SIG_BLOCK, &held, &m_old);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
    SignalsHeld(const SignalsHeld &) = delete;
    SignalsHeld &operator=(const SignalsHeld &) = delete;

private:
    sigset_t m_old;
};

void setPending(int folder, const QByteArray &name)
{
    g_pendingFolder = folder;
    std::memcpy(g_pendingName, name.constData(), size_t(name.size()) + 1);
    g_pending = 1;
}

extern "C" void removePendingAndEnd(int sig)
{
    if (g_pending)
        ::unlinkat(g_pendingFolder, g_pendingName, 0);
    // The handler was reset to the default: the signal, held until the handler returns,
    // then ends the program as it would have.
    ::raise(sig);
}

} // namespace

void removeTemporaryOnSignals()
{
    struct sigaction action { };
    action.sa_handler = removePendingAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, sig);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

bool modeLetsUserWrite(const struct stat &st)
{
    if (st.st_uid == ::geteuid())
        return st.st_mode & S_IWUSR;
    bool inGroup = st.st_gid == ::getegid();
    if (!inGroup) {
        std::vector<gid_t> groups(std::max(::getgroups(0, nullptr), 0));
        const int count = ::getgroups(int(groups.size()), groups.data());
        inGroup = std::find(groups.begin(), groups.begin() + std::max(count, 0), st.st_gid)
            != groups.begin() + std::max(count, 0);
    }
    return st.st_mode & (inGroup ? S_IWGRP : S_IWOTH);
}

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

FileReplacement::FileReplacement(const QByteArray &path) : m_path(path), m_target(path) { }

FileReplacement::FileReplacement(const QString &path) : FileReplacement(QFile::encodeName(path)) { }

QString FileReplacement::target() const
{
    return shown(m_target);
}

FileReplacement::~FileReplacement() = default;

bool FileReplacement::userMayWrite() const
{
    return !exists() || modeLetsUserWrite(m_stat);
}

QString FileReplacement::describedPath() const
{
    return m_target == m_path
        ? shown(m_path)
        : QStringLiteral("%1 (a link to %2)").arg(shown(m_path), shown(m_target));
}

bool FileReplacement::open(Error *error)
{
    m_target = m_path;
    struct stat st { };
    if (::lstat(m_path.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char real[PATH_MAX];
        if (!::realpath(m_path.constData(), real))
            return fail(error, Error::NotAFile,
                        QStringLiteral("%1 is a symbolic link that leads to no file (%2); it "
                                       "is left as it is")
                            .arg(shown(m_path), systemReason(errno)));
        m_target = QByteArray(real);
    }
    const qsizetype slash = m_target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? "/" : m_target.left(slash);
    m_name = m_target.sliced(slash + 1);
    // A handle that only names the folder: a folder that may be written but not listed
    // still serves.
    m_folder.reset(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder.isOpen()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return true; // nothing there; writing says why it cannot make the file
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot open the folder of %1: %2")
                        .arg(describedPath(), systemReason(errno)));
    }
    // Looked at before it is opened: opening a device can do something, and opening a
    // pipe waits for a writer.
    if (::fstatat(m_folder.get(), m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return true;
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot read %1: %2").arg(describedPath(), systemReason(errno)));
    }
    const auto notAFile = [&](unsigned mode) {
        return fail(error, Error::NotAFile,
                    QStringLiteral("%1 is not a regular file but %2; it is left as it is")
                        .arg(describedPath(), fileKind(mode)));
    };
    if (!S_ISREG(st.st_mode))
        return notAFile(st.st_mode);
    const int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    m_file.reset(::openat(m_folder.get(), m_name.constData(), O_RDONLY | flags));
    if (!m_file.isOpen() && (errno == EACCES || errno == EPERM))
        m_file.reset(
            ::openat(m_folder.get(), m_name.constData(), O_PATH | flags)); // read() says why
    if (!m_file.isOpen())
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot read %1: %2").arg(describedPath(), systemReason(errno)));
    if (::fstat(m_file.get(), &m_stat) != 0 || !S_ISREG(m_stat.st_mode) || !sameFile(m_stat, st)) {
        m_file.reset();
        return fail(error, Error::Changed,
                    QStringLiteral("%1 changed while it was being looked at; it is left as it is")
                        .arg(describedPath()));
    }
    return true;
}

bool FileReplacement::read(qint64 maxBytes, QByteArray *bytes, bool *tooLarge, Error *error) const
{
    bytes->clear();
    *tooLarge = false;
    if (!m_file.isOpen())
        return true;
    const auto failed = [&](int err) {
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot read %1: %2").arg(describedPath(), systemReason(err)));
    };
    if (m_stat.st_size > maxBytes)
        return *tooLarge = true, false;
    // One byte more than may be there tells a file that grew since.
    bytes->resize(m_stat.st_size + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes->size()) {
            if (used > maxBytes) {
                bytes->clear();
                return *tooLarge = true, false;
            }
            bytes->resize(std::min<qint64>(used * 2, maxBytes + 1));
        }
        const ssize_t n
            = ::pread(m_file.get(), bytes->data() + used, size_t(bytes->size() - used), used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(errno == EBADF ? EACCES : errno); // EBADF: opened only to be named
        if (n == 0)
            break;
        used += n;
    }
    bytes->truncate(used);
    return true;
}

// A file of its own for the new contents, under a short name in the folder that is
// recorded for the signal handler.
UniqueFd FileReplacement::createNamed(QByteArray *name) const
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const SignalsHeld held;
        *name = temporaryName();
        // 0666 less the umask, as any new file; an old file's bits are put on later.
        UniqueFd fd(::openat(m_folder.get(), name->constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd.isOpen())
            setPending(m_folder.get(), *name);
        if (fd.isOpen() || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return UniqueFd();
}

// The old file's owner and permission bits, then the contents, to the disk; false with
// errno set.
bool FileReplacement::fill(int fd, const char *data, qint64 size) const
{
    if (exists()) {
        // Only root, or an owner keeping a group of their own, may keep the owner; the
        // new file is then the writer's, with the old permission bits. Set-ID bits are
        // not carried over to contents they were not set for.
        if (m_stat.st_uid != ::geteuid() || m_stat.st_gid != ::getegid()) {
            const int kept = ::fchown(fd, m_stat.st_uid, m_stat.st_gid);
            Q_UNUSED(kept)
        }
        if (::fchmod(fd, m_stat.st_mode & 0777) != 0)
            return false;
    }
    return writeAll(fd, data, size) && ::fsync(fd) == 0;
}

// Gives a file made without a name a short name in the folder; false where the system
// allows neither way.
bool FileReplacement::linkUnnamed(int fd, QByteArray *name) const
{
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = temporaryName();
        if (::linkat(fd, "", m_folder.get(), name->constData(), AT_EMPTY_PATH) == 0)
            return true;
        // Linking a file by its handle needs a privilege on older systems; its name
        // under /proc does not, where /proc is there.
        if (errno != EEXIST
            && ::linkat(AT_FDCWD, self.constData(), m_folder.get(), name->constData(),
                        AT_SYMLINK_FOLLOW)
                == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool FileReplacement::commit(const char *data, qint64 size, Error *error)
{
    const auto failed = [&](int err) {
        return fail(error, Error::WriteFailed,
                    QStringLiteral("cannot write %1: %2").arg(describedPath(), systemReason(err)),
                    texts::fileDetail(target()) + QLatin1Char('\n') + shownSystemReason(err));
    };
    if (!m_folder.isOpen()) {
        // open() found no folder: the system's own reason comes from making the file.
        const QByteArray &path = m_target;
        UniqueFd probe(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        const int err = probe.isOpen() ? EEXIST : errno;
        if (probe.isOpen()) {
            probe.reset();
            ::unlink(path.constData());
        }
        return failed(err);
    }
    // First a file without a name: a signal that ends the program while it is written
    // leaves nothing behind. Where the system cannot make or name one, a file with a
    // short name that the signal handler knows.
    for (const bool unnamed : {true, false}) {
        QByteArray name;
        UniqueFd fd = unnamed
            ? UniqueFd(::openat(m_folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666))
            : createNamed(&name);
        if (!fd.isOpen() && unnamed)
            continue;
        if (!fd.isOpen())
            return failed(errno);
        bool ok = fill(fd.get(), data, size);
        int err = ok ? 0 : errno;
        // From here the name is either renamed or removed, whatever signal comes.
        const SignalsHeld held;
        const auto forget = [&] {
            if (!name.isEmpty())
                ::unlinkat(m_folder.get(), name.constData(), 0);
            g_pending = 0;
        };
        if (ok && unnamed && !linkUnnamed(fd.get(), &name))
            continue;
        if (!fd.close() && ok) {
            ok = false;
            err = errno;
        }
        if (!ok) {
            forget();
            return failed(err);
        }
        // The name must still refer to the file that was checked (or to nothing, if there
        // was none): someone else's file moved into the place meanwhile is theirs.
        const auto changed = [&] {
            forget();
            return fail(error, Error::WriteFailed,
                        QStringLiteral("cannot write %1: it changed while it was being "
                                       "written; it is left as it is")
                            .arg(describedPath()),
                        texts::fileDetail(target()) + QLatin1Char('\n')
                            + texts::cannotWriteDetail());
        };
        struct stat now { };
        const bool present
            = ::fstatat(m_folder.get(), m_name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0;
        if (exists() ? !present || !sameFile(now, m_stat) : present || errno != ENOENT)
            return changed();
        const int folder = m_folder.get();
        int renamed = -1;
        if (exists()) {
            // Swapped, not renamed over: the file that was in the place comes out under the
            // temporary name, and is removed only if it is the one that was checked. One
            // moved in since the look above goes back where it was.
            renamed = ::renameat2(folder, name.constData(), folder, m_name.constData(),
                                  RENAME_EXCHANGE);
            if (renamed == 0
                && (::fstatat(folder, name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0
                    || !sameFile(now, m_stat))) {
                if (::renameat2(folder, name.constData(), folder, m_name.constData(),
                                RENAME_EXCHANGE)
                    != 0)
                    name.clear(); // whatever is there now is not removed
                return changed();
            }
            if (renamed == 0)
                forget(); // the old file
        } else {
            // Where there was no file, none made meanwhile is written over.
            renamed = ::renameat2(folder, name.constData(), folder, m_name.constData(),
                                  RENAME_NOREPLACE);
        }
        // A file system that can do neither: the look above is the last one.
        if (renamed != 0 && errno == EINVAL)
            renamed = ::renameat(folder, name.constData(), folder, m_name.constData());
        if (renamed != 0) {
            err = errno;
            forget();
            return failed(err);
        }
        g_pending = 0;
        // The rename itself reaches the disk with the folder.
        const UniqueFd listed(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (listed.isOpen())
            ::fsync(listed.get());
        return true;
    }
    return failed(EIO); // not reached: the named way returns
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
