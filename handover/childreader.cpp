// The helper program and what it says on its standard output, a socket. Each message is
// a tag byte and a body whose length the tag gives (numbers little-endian):
//   'S'                  once, when it is set up and at work;
//   'P' u64              the bytes it has read so far, every half second while it reads;
//   'D' u32              the end: the rows Table1 records, sent with the three sealed
//                        files that hold the table (tableblock.h), the only message that
//                        carries files;
//   'E' u32 text text    the end when the reading failed: the error's kind as a wire code
//                        (kWireKinds), its detail and its Sorani detail, each text its
//                        length in UTF-16 units, at most kMaxErrorUnits, then the units.

#include "handover/childreader.h"

#include "base/cuttext.h"
#include "base/filereplace.h"
#include "base/texts.h"
#include "handover/tableblock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <new>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tembra {

namespace {

constexpr char kStarted = 'S';
constexpr char kProgress = 'P';
constexpr char kDone = 'D';
constexpr char kError = 'E';
// An error's two texts together stay within 64 KiB; the helper cuts its own to fit.
constexpr quint32 kMaxErrorUnits = 16 << 10;
constexpr int kProgressMs = 500;
constexpr const char kHelperName[] = "tembra-readfile";

// The kinds of error a helper may give, by their numbers on the wire. The numbers are
// the protocol's own, not the enum's: a kind added to Error::Kind moves none of them. A
// helper says only what its reading found; the kinds about the helper itself are the
// parent's to give, and a number not listed here is refused.
struct WireKind {
    quint32 code;
    Error::Kind kind;
};
constexpr WireKind kWireKinds[] = {
    {1, Error::NoFile},        {2, Error::NotAFile},   {3, Error::NotReadable}, {4, Error::NotJet},
    {5, Error::WrongVersion},  {6, Error::Damaged},    {7, Error::Changed},     {8, Error::NoTable},
    {9, Error::MissingColumn}, {10, Error::BadColumn}, {11, Error::NoMemory},
};

// 0, which no kind has, for a kind the helper has no number for.
quint32 wireCode(Error::Kind kind)
{
    for (const WireKind &wire : kWireKinds) {
        if (wire.kind == kind)
            return wire.code;
    }
    return 0;
}

bool wireKind(quint32 code, Error::Kind *kind)
{
    for (const WireKind &wire : kWireKinds) {
        if (wire.code == code) {
            *kind = wire.kind;
            return true;
        }
    }
    return false;
}

void putU32(QByteArray *out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out->append(b, 4);
}

void putU64(QByteArray *out, quint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    out->append(b, 8);
}

void putText(QByteArray *out, const QString &whole)
{
    const QString s = cutText(whole, kMaxErrorUnits);
    putU32(out, quint32(s.size()));
    out->append(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

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

// The helper's reports of how far it has read, from a thread of their own, so that they
// go out however long the library dwells on one step: every half second, the bytes the
// process has read, in the kernel's count (nearly all of them the collection's). A
// reading held up in the kernel (a disk that does not answer) reports the same count,
// and the parent sees no progress.
class ProgressReports final {
    Q_DISABLE_COPY_MOVE(ProgressReports)

public:
    explicit ProgressReports(int fd) : m_fd(fd)
    {
        m_thread = std::thread([this] { run(); });
    }
    ~ProgressReports() { stop(); }

    // Stops the reports; none is sent once this returns.
    void stop()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(kProgressMs),
                                [this] { return m_stop; })) {
            lock.unlock();
            quint64 read = 0;
            QByteArray report(1, kProgress);
            if (bytesRead(&read)) {
                putU64(&report, read);
                if (!writeAll(m_fd, report.constData(), report.size()))
                    return; // the parent is gone
            }
            lock.lock();
        }
    }

    // The kernel's count of the bytes this process has read, less what reading that
    // count itself cost; false where the system does not keep it.
    bool bytesRead(quint64 *read)
    {
        const int io = ::open("/proc/self/io", O_RDONLY | O_CLOEXEC);
        if (io < 0)
            return false;
        char text[512];
        const ssize_t n = ::read(io, text, sizeof text - 1);
        ::close(io);
        if (n <= 0)
            return false;
        m_own += quint64(n);
        text[n] = '\0';
        const char *at = std::strstr(text, "rchar: ");
        if (!at)
            return false;
        const quint64 all = std::strtoull(at + 7, nullptr, 10);
        *read = all > m_own ? all - m_own : 0;
        return true;
    }

    const int m_fd;
    quint64 m_own = 0; // bytes of the kernel's count read so far
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace

int serveRead(const QString &path, int fd)
{
    // At work: a program that watches can tell a helper past its own set-up.
    if (!writeAll(fd, &kStarted, 1))
        return 1;
    const qint64 fileSize = QFileInfo(path).size();
    Error error;
    ProgressReports progress(fd);
    const std::unique_ptr<RowSink> read = JetReader::readHere(
        path,
        [fileSize](Error *why) -> std::unique_ptr<RowSink> {
            auto writer = std::make_unique<BlockWriter>(fileSize);
            if (!writer->open(why))
                return nullptr;
            return writer;
        },
        &error);
    progress.stop(); // the answer is the last message
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
    putU32(&answer, wireCode(error.kind));
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
    return startProgram(helper, {path, QString::number(::getpid())}, path);
}

ChildRead ChildRead::startProgram(const QString &program, const QStringList &args,
                                  const QString &collection)
{
    ChildRead read;
    read.m_file = collection;
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

bool ChildRead::collect(HadithTable *table, Error *error, const Limits &limits)
{
    *table = HadithTable();
    if (m_startError.isError()) {
        if (error)
            *error = m_startError;
        return false;
    }
    if (m_pid <= 0)
        return fail(error, Error::HelperFailed, QStringLiteral("no reading was started"));
    return collectOnce(table, error, limits);
}

bool ChildRead::collectOnce(HadithTable *table, Error *error, const Limits &limits)
{
    try {
        return collectAnswer(table, error, limits);
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

// The descriptors that came with the answer, closed when no one took them.
struct ReceivedFiles {
    std::vector<int> fds;
    ReceivedFiles() = default;
    Q_DISABLE_COPY_MOVE(ReceivedFiles)
    ~ReceivedFiles()
    {
        for (int fd : fds)
            ::close(fd);
    }
};

qint64 sizeOf(const QString &file)
{
    return file.isEmpty() ? 0 : std::max<qint64>(QFileInfo(file).size(), 0);
}

// The parent's end of the socket. It reads the helper's messages exactly, a tag and then
// the body the tag gives: so the files that come are known by the message they came
// with, and a length past its bound is refused as soon as it is read.
class AnswerReader final {
    Q_DISABLE_COPY_MOVE(AnswerReader)

public:
    enum Waited { Got, Stalled, TooLong, Cancelled, Closed, ReadFailed, StrayFiles };

    AnswerReader(int fd, int wake, const ChildRead::Limits &limits, const QString &file)
        : m_fd(fd), m_wake(wake), m_limits(limits), m_file(file), m_largest(sizeOf(file))
    {
        m_sinceStart.start();
        m_sinceProgress.start();
    }

    // Reads size bytes. Files are taken only with the first byte of a message: those
    // come into *files when it is given; any other is closed at once, and StrayFiles
    // returned.
    Waited read(void *into, size_t size, std::vector<int> *files = nullptr)
    {
        auto *at = static_cast<char *>(into);
        size_t got = 0;
        while (got < size) {
            const qint64 stallLeft = m_limits.stallMs - m_sinceProgress.elapsed();
            const qint64 allLeft = allowedMs() - m_sinceStart.elapsed();
            if (stallLeft <= 0)
                return Stalled;
            if (allLeft <= 0)
                return TooLong;
            pollfd p[2] = {{m_fd, POLLIN, 0}, {m_wake, POLLIN, 0}};
            const int ready = ::poll(p, m_wake >= 0 ? 2 : 1, int(std::min(stallLeft, allLeft)));
            if (ready < 0 && errno != EINTR) {
                m_readError = errno;
                return ReadFailed;
            }
            if (ready <= 0)
                continue; // the bounds above say whether the wait is over
            if (m_wake >= 0 && p[1].revents != 0)
                return Cancelled;
            bool stray = false;
            const ssize_t n
                = receive(m_fd, at + got, size - got, got == 0 ? files : nullptr, &stray);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (n < 0) {
                m_readError = errno;
                return ReadFailed;
            }
            if (stray)
                return StrayFiles;
            if (n == 0)
                return Closed;
            got += size_t(n);
        }
        return Got;
    }

    // Whether nothing followed the answer, once the helper is gone and all it sent has
    // come. Files that did are closed.
    bool nothingMore()
    {
        char byte = 0;
        bool stray = false;
        ssize_t n = -1;
        do {
            n = receive(m_fd, &byte, 1, nullptr, &stray);
        } while (n < 0 && errno == EINTR);
        return n <= 0 && !stray;
    }

    // The helper went further: the wait for progress starts again. The collection, read
    // once more if it changed, may meanwhile have grown, and its time with it.
    void progressed()
    {
        m_sinceProgress.restart();
        m_largest = std::max(m_largest, sizeOf(m_file));
    }

    qint64 largestFile() const { return std::max(m_largest, sizeOf(m_file)); }
    qint64 allowedMs() const
    {
        return m_limits.baseMs + m_largest / std::max<qint64>(m_limits.bytesPerSecond, 1) * 1000
            + m_largest % std::max<qint64>(m_limits.bytesPerSecond, 1) * 1000
            / std::max<qint64>(m_limits.bytesPerSecond, 1);
    }
    int readError() const { return m_readError; }

private:
    // Reads what is there, up to size bytes, without waiting. The files that came with it
    // go into *keep, or without keep are closed at once, *stray then set, as it is when
    // more came than there is room for (the system closes those).
    static ssize_t receive(int fd, void *into, size_t size, std::vector<int> *keep, bool *stray)
    {
        iovec part{into, size};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 16)];
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
        if (n < 0)
            return n;
        *stray = (message.msg_flags & MSG_CTRUNC) != 0;
        for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
                continue;
            const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (size_t i = 0; i < count; ++i) {
                int received = -1;
                std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
                if (keep) {
                    keep->push_back(received);
                } else {
                    ::close(received);
                    *stray = true;
                }
            }
        }
        return n;
    }

    const int m_fd;
    const int m_wake;
    const ChildRead::Limits m_limits;
    const QString m_file;
    qint64 m_largest; // the collection's size, the largest seen
    QElapsedTimer m_sinceStart;
    QElapsedTimer m_sinceProgress;
    int m_readError = 0;
};

// The helper's answer as far as it was read.
struct Answer {
    enum State { Waiting, Done, Failed, Refused };
    State state = Waiting;
    AnswerReader::Waited waited = AnswerReader::Got; // what ended the reading, if not the answer
    quint32 recorded = 0; // Done: the rows Table1 records
    Error error; // Failed: what the helper's own checks found
    QString refusal; // Refused: why

    bool refuse(const QString &why)
    {
        state = Refused;
        refusal = why;
        return false;
    }
};

// Reads a number, or what ended the wait for it; false if the answer ends here.
template <typename T> bool readNumber(AnswerReader &in, Answer *answer, T *v)
{
    char bytes[sizeof(T)];
    answer->waited = in.read(bytes, sizeof bytes);
    if (answer->waited != AnswerReader::Got)
        return false;
    *v = qFromLittleEndian<T>(bytes);
    return true;
}

bool readText(AnswerReader &in, Answer *answer, QString *out)
{
    quint32 units = 0;
    if (!readNumber(in, answer, &units))
        return false;
    if (units > kMaxErrorUnits)
        return answer->refuse(QStringLiteral("the reading helper's error text is %1 characters "
                                             "long, more than the %2 it may be")
                                  .arg(units)
                                  .arg(kMaxErrorUnits));
    out->resize(qsizetype(units));
    answer->waited = in.read(out->data(), size_t(units) * 2);
    return answer->waited == AnswerReader::Got;
}

// Reads the messages up to the answer's end, or to what stops it.
void readAnswer(AnswerReader &in, Answer *answer, ReceivedFiles *files)
{
    const QString garbled = QStringLiteral("the reading helper sent back something it should "
                                           "not have (%1)");
    bool started = false;
    quint64 lastRead = 0;
    for (;;) {
        char tag = 0;
        answer->waited = in.read(&tag, 1, &files->fds);
        if (answer->waited != AnswerReader::Got)
            return;
        if (tag != kDone && !files->fds.empty()) {
            answer->refuse(QStringLiteral("the reading helper sent files with a message that "
                                          "carries none; they were closed"));
            return;
        }
        if (tag == kStarted && !started) {
            started = true;
            in.progressed();
            continue;
        }
        if (!started || (tag != kProgress && tag != kDone && tag != kError)) {
            answer->refuse(garbled.arg(tag == kStarted ? QStringLiteral("a second start")
                                                       : QStringLiteral("an unknown message")));
            return;
        }
        if (tag == kProgress) {
            quint64 read = 0;
            if (!readNumber(in, answer, &read))
                return;
            if (read > lastRead) {
                lastRead = read;
                in.progressed();
            }
            continue;
        }
        if (tag == kDone) {
            if (files->fds.size() != size_t(BlockWriter::FileCount)) {
                answer->refuse(QStringLiteral("the reading helper sent %1 files with its answer, "
                                              "not %2")
                                   .arg(files->fds.size())
                                   .arg(int(BlockWriter::FileCount)));
                return;
            }
            if (readNumber(in, answer, &answer->recorded))
                answer->state = Answer::Done;
            return;
        }
        quint32 code = 0;
        if (!readNumber(in, answer, &code))
            return;
        if (!wireKind(code, &answer->error.kind)) {
            answer->refuse(QStringLiteral("the reading helper gave an error of no kind it may "
                                          "give (%1)")
                               .arg(code));
            return;
        }
        if (readText(in, answer, &answer->error.detail)
            && readText(in, answer, &answer->error.shown))
            answer->state = Answer::Failed;
        return;
    }
}

} // namespace

bool ChildRead::collectAnswer(HadithTable *table, Error *error, const Limits &limits)
{
    AnswerReader in(m_fd, m_wake[0], limits, m_file);
    ReceivedFiles files;
    Answer answer;
    readAnswer(in, &answer, &files);
    const AnswerReader::Waited waited = answer.waited;

    // What became of the helper. One that answered, or closed its output, must end
    // within the bound; any other is ended at once, a stalled one once it is known
    // whether it was stopped.
    int status = 0;
    bool exited = false;
    bool overdue = false;
    int stopSignal = 0;
    const bool ended = answer.state == Answer::Done || answer.state == Answer::Failed;
    const bool answered
        = ended || (answer.state == Answer::Waiting && waited == AnswerReader::Closed);
    if (answered) {
        exited = waitForExit(limits.stallMs, &status);
        overdue = !exited;
    } else if (waited == AnswerReader::Stalled || waited == AnswerReader::TooLong) {
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
    // Gone, it has said all it will: nothing may follow its answer.
    if (ended && !in.nothingMore())
        answer.refuse(QStringLiteral("the reading helper sent back something it should not have "
                                     "(more after its answer)"));
    ::close(m_fd);
    m_fd = -1;

    const auto failed
        = [error](Error::Kind kind, const QString &detail) { return fail(error, kind, detail); };
    const QString seconds = QString::number(limits.stallMs / 1000.0);
    if (waited == AnswerReader::Cancelled || (overdue && cancelRequested()))
        return failed(Error::HelperStopped, QStringLiteral("the reading was cancelled"));
    const QString stopped = stopSignal
        ? QStringLiteral("the reading helper was stopped by signal %1 (%2) and ")
              .arg(stopSignal)
              .arg(QString::fromLocal8Bit(strsignal(stopSignal)))
        : QStringLiteral("the reading helper ");
    if (waited == AnswerReader::Stalled)
        return failed(
            Error::HelperStopped,
            stopped + QStringLiteral("made no progress for %1 seconds; it was ended").arg(seconds));
    if (waited == AnswerReader::TooLong)
        return failed(Error::HelperStopped,
                      stopped
                          + QStringLiteral("took longer than the %1 seconds a file of %2 bytes "
                                           "may take; it was ended")
                                .arg(double(in.allowedMs()) / 1000.0)
                                .arg(in.largestFile()));
    if (waited == AnswerReader::StrayFiles)
        answer.refuse(QStringLiteral("the reading helper sent files with a message that carries "
                                     "none; they were closed"));
    if (answer.state == Answer::Refused)
        return failed(Error::HelperFailed, answer.refusal);
    if (answer.state == Answer::Failed) {
        if (error)
            *error = answer.error; // what the helper's own checks found
        return false;
    }
    if (overdue)
        return failed(Error::HelperStopped,
                      QStringLiteral("the reading helper did not end within %1 seconds of its "
                                     "answer; it was ended")
                          .arg(seconds));
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const QString said = QStringLiteral("the reading helper was ended by signal %1 (%2)")
                                 .arg(sig)
                                 .arg(QString::fromLocal8Bit(strsignal(sig)));
        return failed(sig == SIGKILL ? Error::HelperKilled : Error::HelperCrashed, said);
    }
    if (waited == AnswerReader::ReadFailed)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper's answer cannot be read: %1")
                          .arg(systemReason(in.readError())));
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (answer.state != Answer::Done)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper ended without a whole answer (exit "
                                     "status %1)")
                          .arg(code));
    if (code != 0)
        return failed(Error::HelperFailed,
                      QStringLiteral("the reading helper ended with exit status %1 after its "
                                     "answer")
                          .arg(code));
    return adoptBlock(files.fds.data(), answer.recorded, in.largestFile(), table, error);
}

bool ChildRead::read(const QString &path, HadithTable *table, Error *error)
{
    return ChildRead::start(path).collect(table, error);
}

} // namespace tembra
