// The helper program and what it says on its standard output, a socket: 'S' once it is
// set up and at work; then 'D' and the number of rows Table1 records (32-bit little
// endian), sent with the three sealed files that hold the table (tableblock.h), or 'E',
// the error's kind, its detail and its Sorani detail.

#include "handover/childreader.h"

#include "base/filereplace.h"
#include "base/texts.h"
#include "handover/tableblock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <new>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tembra {

namespace {

constexpr char kStarted = 'S';
constexpr char kDone = 'D';
constexpr char kError = 'E';
constexpr quint32 kMaxUnits = 64u << 20; // more than any value a Jet file can hold
constexpr const char kHelperName[] = "tembra-readfile";

void putU32(QByteArray *out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out->append(b, 4);
}

void putText(QByteArray *out, const QString &s)
{
    putU32(out, quint32(s.size()));
    out->append(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

// The parent's end: takes whole messages from the bytes received so far.
class StreamParser {
public:
    enum State { More, Done, Failed, Garbled };

    State parse(const char *data, qsizetype size, qsizetype *used)
    {
        qsizetype pos = 0;
        State state = More;
        while (pos < size && state == More) {
            const qsizetype start = pos;
            const char tag = data[pos++];
            if (tag == kStarted && !m_started) {
                m_started = true;
            } else if (tag == kDone) {
                if (!takeU32(data, size, &pos, &recorded))
                    pos = start;
                else
                    state = Done;
                break;
            } else if (tag == kError) {
                quint32 kind = 0;
                QString detail;
                QString shown;
                if (!takeU32(data, size, &pos, &kind) || !takeText(data, size, &pos, &detail)
                    || !takeText(data, size, &pos, &shown)) {
                    pos = start;
                    break;
                }
                error.kind = kind >= Error::NoFile && kind <= Error::NoMemory ? Error::Kind(kind)
                                                                              : Error::Damaged;
                error.detail = detail;
                error.shown = shown;
                state = Failed;
            } else {
                state = Garbled;
            }
        }
        *used = pos;
        return state;
    }

    quint32 recorded = 0; // the rows Table1 records, as the end of the stream says
    Error error;

private:
    bool takeU32(const char *data, qsizetype size, qsizetype *pos, quint32 *v)
    {
        if (size - *pos < 4)
            return false;
        *v = qFromLittleEndian<quint32>(data + *pos);
        *pos += 4;
        return true;
    }

    bool takeText(const char *data, qsizetype size, qsizetype *pos, QString *out)
    {
        quint32 units = 0;
        if (!takeU32(data, size, pos, &units))
            return false;
        if (units > kMaxUnits || size - *pos < qsizetype(units) * 2)
            return false;
        *out = QString(reinterpret_cast<const QChar *>(data + *pos), qsizetype(units));
        *pos += qsizetype(units) * 2;
        return true;
    }

    bool m_started = false;
};

// Sends bytes on fd, with the descriptors fds attached to the first of them.
bool sendWithFiles(int fd, const QByteArray &bytes, const int *fds, int count)
{
    iovec part{const_cast<char *>(bytes.constData()), size_t(bytes.size())};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * BlockWriter::FileCount)] = {};
    if (count > 0) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(sizeof(int) * size_t(count));
        cmsghdr *files = CMSG_FIRSTHDR(&message);
        files->cmsg_level = SOL_SOCKET;
        files->cmsg_type = SCM_RIGHTS;
        files->cmsg_len = CMSG_LEN(sizeof(int) * size_t(count));
        std::memcpy(CMSG_DATA(files), fds, sizeof(int) * size_t(count));
    }
    ssize_t sent = -1;
    do {
        sent = ::sendmsg(fd, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        return false;
    return writeAll(fd, bytes.constData() + sent, qint64(bytes.size() - sent));
}

} // namespace

int serveRead(const QString &path, int fd)
{
    // At work: a program that watches can tell a helper past its own set-up.
    if (!writeAll(fd, &kStarted, 1))
        return 1;
    const qint64 fileSize = QFileInfo(path).size();
    Error error;
    const std::unique_ptr<RowSink> read = JetReader::readHere(
        path,
        [fileSize](Error *why) -> std::unique_ptr<RowSink> {
            auto writer = std::make_unique<BlockWriter>(fileSize);
            if (!writer->open(why))
                return nullptr;
            return writer;
        },
        &error);
    QByteArray answer;
    if (read) {
        auto *writer = static_cast<BlockWriter *>(read.get());
        int fds[BlockWriter::FileCount];
        if (writer->finish(fds, &error)) {
            answer.append(kDone);
            putU32(&answer, writer->recorded());
            const bool sent = sendWithFiles(fd, answer, fds, BlockWriter::FileCount);
            for (int f : fds)
                ::close(f);
            return sent ? 0 : 1;
        }
    }
    answer.append(kError);
    putU32(&answer, quint32(error.kind));
    putText(&answer, error.detail);
    putText(&answer, error.shown);
    return writeAll(fd, answer.constData(), qint64(answer.size())) ? 0 : 1;
}

QString ChildRead::helperPath(QString *why)
{
    // Only where the running program's own installation puts it: beside the program (the
    // build tree, or a folder the programs were copied to together), or in the libexec
    // folder beside its bin folder. A path written into the program would find a helper
    // of another build or another installation, or one that someone else placed there.
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) {
        if (why)
            *why = QStringLiteral("the running program's own path cannot be found "
                                  "(/proc/self/exe: %1)")
                       .arg(QString::fromLocal8Bit(strerror(errno)));
        return {};
    }
    QString dir = QFile::decodeName(QByteArray(self, n));
    dir.truncate(dir.lastIndexOf(QLatin1Char('/')) + 1);
    QStringList looked;
    for (const QString &candidate : {dir + QLatin1String(kHelperName),
                                     QDir::cleanPath(dir + QLatin1String("../libexec/tembra/")
                                                     + QLatin1String(kHelperName))}) {
        const QByteArray name = QFile::encodeName(candidate);
        struct stat st { };
        if (::stat(name.constData(), &st) != 0)
            looked << QStringLiteral("%1 (%2)").arg(candidate,
                                                    QString::fromLocal8Bit(strerror(errno)));
        else if (!S_ISREG(st.st_mode))
            looked << QStringLiteral("%1 (%2, not a program)").arg(candidate, fileKind(st.st_mode));
        else if (::access(name.constData(), X_OK) != 0)
            looked << QStringLiteral("%1 (not executable: %2)")
                          .arg(candidate, QString::fromLocal8Bit(strerror(errno)));
        else
            return candidate;
    }
    if (why)
        *why = looked.join(QStringLiteral("; "));
    return {};
}

ChildRead ChildRead::start(const QString &path)
{
    QString why;
    const QString helper = helperPath(&why);
    if (helper.isEmpty()) {
        ChildRead read;
        // The places looked at, for the reader to tell whoever installed it.
        QStringList places = why.split(QStringLiteral("; "));
        for (QString &place : places)
            place.truncate(place.indexOf(QStringLiteral(" (")));
        fail(&read.m_startError, Error::HelperMissing,
             QStringLiteral("the reading helper %1 is not where the program looks for it: %2")
                 .arg(QLatin1String(kHelperName), why),
             places.join(QLatin1Char('\n')));
        return read;
    }
    // The helper ends itself when the process that started it is gone; it is told which
    // one that is, since the parent it finds may already be another.
    ChildRead read = startProgram(helper, {path, QString::number(::getpid())});
    read.m_file = path;
    return read;
}

ChildRead ChildRead::startProgram(const QString &program, const QStringList &args)
{
    ChildRead read;
    // A socket, not a pipe: the table's files come back over it.
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        fail(&read.m_startError, Error::HelperFailed,
             QStringLiteral("no socket for the reading helper: %1")
                 .arg(QString::fromLocal8Bit(strerror(errno))));
        return read;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    // A fault in the helper should end it at once: handlers this program set (a crash
    // reporter, say) could keep it alive and silent instead.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGSEGV, SIGBUS, SIGABRT, SIGILL, SIGFPE, SIGPIPE})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    const QByteArray file = QFile::encodeName(program);
    std::vector<QByteArray> argBytes{file};
    for (const QString &arg : args)
        argBytes.push_back(QFile::encodeName(arg));
    std::vector<char *> argv;
    for (QByteArray &arg : argBytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    const int failed = posix_spawn(&pid, file.constData(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(fds[1]);
    if (failed != 0) {
        ::close(fds[0]);
        fail(&read.m_startError, Error::HelperMissing,
             QStringLiteral("the reading helper %1 cannot be started: %2")
                 .arg(program, QString::fromLocal8Bit(strerror(failed))),
             program);
        return read;
    }
    read.m_pid = pid;
    read.m_fd = fds[0];
    if (::pipe2(read.m_wake, O_CLOEXEC) != 0)
        read.m_wake[0] = read.m_wake[1] = -1;
    return read;
}

ChildRead::ChildRead(ChildRead &&other) noexcept
{
    *this = std::move(other);
}

// The read moves whole: what this object read before is ended first, and the moved-from
// object is left with no helper, no descriptor and nothing to end.
ChildRead &ChildRead::operator=(ChildRead &&other) noexcept
{
    if (this == &other)
        return *this;
    release();
    m_file = std::move(other.m_file);
    m_pid = std::exchange(other.m_pid, -1);
    m_fd = std::exchange(other.m_fd, -1);
    m_wake[0] = std::exchange(other.m_wake[0], -1);
    m_wake[1] = std::exchange(other.m_wake[1], -1);
    m_startError = std::exchange(other.m_startError, Error());
    return *this;
}

ChildRead::~ChildRead()
{
    release();
}

void ChildRead::release()
{
    for (int *fd : {&m_fd, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    endHelper();
}

void ChildRead::cancel()
{
    if (m_wake[1] >= 0) {
        const char byte = 1;
        while (::write(m_wake[1], &byte, 1) < 0 && errno == EINTR) { }
    }
}

// Waits at most boundMs for the helper to end, and takes its status; false if it has
// not ended by then or the read was cancelled meanwhile.
bool ChildRead::waitForExit(int boundMs, int *status)
{
    QElapsedTimer timer;
    timer.start();
    int pause = 1;
    for (;;) {
        const pid_t reaped = ::waitpid(m_pid, status, WNOHANG);
        if (reaped == m_pid) {
            m_pid = -1;
            return true;
        }
        if (reaped < 0 && errno == EINTR)
            continue;
        if (reaped < 0) {
            // Someone else took its status (SIGCHLD ignored): what it sent is all there is.
            *status = 0;
            m_pid = -1;
            return true;
        }
        const qint64 left = boundMs - timer.elapsed();
        if (left <= 0)
            return false;
        // Sleeps on the wake pipe, so that a cancel ends the wait at once.
        pollfd wake = {m_wake[0], POLLIN, 0};
        if (::poll(&wake, m_wake[0] >= 0 ? 1 : 0, int(std::min<qint64>(pause, left))) > 0)
            return false;
        pause = std::min(pause * 2, 50);
    }
}

bool ChildRead::cancelRequested() const
{
    pollfd wake = {m_wake[0], POLLIN, 0};
    return m_wake[0] >= 0 && ::poll(&wake, 1, 0) > 0;
}

// Ends the helper and takes its status. SIGKILL ends any process but one held in the
// kernel (a disk that does not answer); that one is left to the system rather than
// hold up the program, once a bounded wait is over.
void ChildRead::endHelper()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    const int wake = m_wake[0];
    m_wake[0] = -1; // a cancel does not cut this wait short
    int status = 0;
    waitForExit(5000, &status);
    m_wake[0] = wake;
    m_pid = -1;
}

bool ChildRead::collect(HadithTable *table, Error *error, int stallMs)
{
    *table = HadithTable();
    if (m_startError.isError()) {
        if (error)
            *error = m_startError;
        return false;
    }
    if (m_pid <= 0)
        return fail(error, Error::HelperFailed, QStringLiteral("no reading was started"));
    return collectOnce(table, error, stallMs);
}

bool ChildRead::collectOnce(HadithTable *table, Error *error, int stallMs)
{
    try {
        return collectStream(table, error, stallMs);
    } catch (const std::bad_alloc &) {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        endHelper();
        return fail(error, Error::NoMemory,
                    QStringLiteral("there is not enough memory to hold the collection"));
    }
}

namespace {

// The descriptors that came with a message, closed when no one took them.
struct ReceivedFiles {
    std::vector<int> fds;
    ~ReceivedFiles()
    {
        for (int fd : fds)
            ::close(fd);
    }
};

// Reads what is there, up to size bytes, and takes any descriptors sent with it.
ssize_t receive(int fd, char *into, size_t size, ReceivedFiles *files)
{
    iovec part{into, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 16)];
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    if (n < 0)
        return n;
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
            continue;
        const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int received = -1;
            std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
            files->fds.push_back(received);
        }
    }
    return n;
}

} // namespace

bool ChildRead::collectStream(HadithTable *table, Error *error, int stallMs)
{
    StreamParser parser;
    ReceivedFiles files;
    // Bytes received and not yet taken lie in buffer[begin, end); the answer is small.
    std::vector<char> buffer(size_t(64) << 10);
    size_t begin = 0;
    size_t end = 0;
    StreamParser::State state = StreamParser::More;
    enum { Streaming, Stalled, Cancelled, Closed, ReadFailed } ended = Streaming;
    int readError = 0;
    while (state == StreamParser::More) {
        pollfd p[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = ::poll(p, m_wake[0] >= 0 ? 2 : 1, stallMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            ended = Stalled;
            break;
        }
        if (p[1].revents != 0) {
            ended = Cancelled;
            break;
        }
        if (begin > 0) {
            std::memmove(buffer.data(), buffer.data() + begin, end - begin);
            end -= begin;
            begin = 0;
        }
        if (end == buffer.size())
            buffer.resize(buffer.size() * 2); // a long detail, at most kMaxUnits
        const ssize_t n = receive(m_fd, buffer.data() + end, buffer.size() - end, &files);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            readError = errno;
            ended = ReadFailed;
            break;
        }
        if (n == 0) {
            ended = Closed;
            break;
        }
        end += size_t(n);
        qsizetype used = 0;
        state = parser.parse(buffer.data() + begin, qsizetype(end - begin), &used);
        begin += size_t(used);
    }
    if (state == StreamParser::Done && begin != end)
        state = StreamParser::Garbled; // bytes after the end
    ::close(m_fd);
    m_fd = -1;

    // What became of the helper. One that answered, or closed its output, must end
    // within the bound; any other is ended at once, a stalled one once it is known
    // whether it was stopped.
    int status = 0;
    bool exited = false;
    bool overdue = false;
    int stopSignal = 0;
    const bool answered = state == StreamParser::Done || state == StreamParser::Failed
        || (state == StreamParser::More && ended == Closed);
    if (answered) {
        exited = waitForExit(stallMs, &status);
        overdue = !exited;
    } else if (ended == Stalled) {
        const pid_t reaped = ::waitpid(m_pid, &status, WNOHANG | WUNTRACED);
        if (reaped == m_pid && WIFSTOPPED(status))
            stopSignal = WSTOPSIG(status);
        if (reaped == m_pid && !WIFSTOPPED(status)) {
            exited = true;
            m_pid = -1;
        }
    }
    if (!exited)
        endHelper();

    const auto failed
        = [error](Error::Kind kind, const QString &detail) { return fail(error, kind, detail); };
    const QString seconds = QString::number(stallMs / 1000.0);
    if (ended == Cancelled || (overdue && cancelRequested()))
        return failed(Error::HelperStopped, QStringLiteral("the reading was cancelled"));
    if (ended == Stalled) {
        return failed(
            Error::HelperStopped,
            (stopSignal ? QStringLiteral("the reading helper was stopped by signal %1 (%2) and ")
                              .arg(stopSignal)
                              .arg(QString::fromLocal8Bit(strsignal(stopSignal)))
                        : QStringLiteral("the reading helper "))
                + QStringLiteral("made no progress for %1 seconds; it was ended").arg(seconds));
    }
    if (state == StreamParser::Garbled)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper sent back something it should not have"));
    if (state == StreamParser::Failed) {
        if (error)
            *error = parser.error; // what the helper's own checks found
        return false;
    }
    if (overdue)
        return failed(Error::HelperStopped,
                      QStringLiteral("the reading helper did not end within %1 seconds of its "
                                     "last byte; it was ended")
                          .arg(seconds));
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const QString said = QStringLiteral("the reading helper was ended by signal %1 (%2)")
                                 .arg(sig)
                                 .arg(QString::fromLocal8Bit(strsignal(sig)));
        return failed(sig == SIGKILL ? Error::HelperKilled : Error::HelperCrashed, said);
    }
    if (ended == ReadFailed)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper's answer cannot be read: %1")
                          .arg(QString::fromLocal8Bit(strerror(readError))));
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (state != StreamParser::Done)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper ended without a whole answer (exit "
                                     "status %1)")
                          .arg(code));
    if (code != 0)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper ended with exit status %1 after its "
                                     "rows")
                          .arg(code));
    if (files.fds.size() != size_t(BlockWriter::FileCount))
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper sent %1 files with its answer, not %2")
                          .arg(files.fds.size())
                          .arg(int(BlockWriter::FileCount)));
    // The texts of a file can be no more than twice what it stores (each stored byte one
    // unit of two bytes), and numbers written out as text a little more: eight times the
    // file is a bound no sound table reaches.
    const qint64 maxBytes = m_file.isEmpty()
        ? std::numeric_limits<qint64>::max()
        : 8 * std::max<qint64>(QFileInfo(m_file).size(), 0) + (qint64(1) << 20);
    return adoptBlock(files.fds.data(), parser.recorded, maxBytes, table, error);
}

bool ChildRead::read(const QString &path, HadithTable *table, Error *error)
{
    return ChildRead::start(path).collect(table, error);
}

} // namespace tembra
