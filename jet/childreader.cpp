// The helper program and the stream it speaks: a row is 'R' and, for each of Tab1 ..
// Tab5, a NULL flag byte and, unless NULL, the length in UTF-16 units (32-bit little
// endian) and the units; the stream ends with 'D', or with 'E', the error's kind and
// its detail.

#include "jet/childreader.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tembra {

namespace {

constexpr char kRow = 'R';
constexpr char kDone = 'D';
constexpr char kError = 'E';
constexpr quint32 kMaxUnits = 64u << 20; // more than any value a Jet file can hold
constexpr const char kHelperName[] = "tembra-readfile";

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

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
        while (pos < size) {
            const qsizetype start = pos;
            const char tag = data[pos++];
            if (tag == kDone) {
                state = Done;
                break;
            }
            if (tag == kError) {
                quint32 kind = 0;
                QString detail;
                if (!takeU32(data, size, &pos, &kind) || !takeText(data, size, &pos, &detail)) {
                    pos = start;
                    break;
                }
                error.kind = kind >= Error::NoFile && kind <= Error::NoMemory ? Error::Kind(kind)
                                                                              : Error::Damaged;
                error.detail = detail;
                state = Failed;
                break;
            }
            if (tag != kRow) {
                state = Garbled;
                break;
            }
            // Take the row only when all of it has come.
            qsizetype at = pos;
            qsizetype offset[kColumnCount] = {};
            quint32 units[kColumnCount] = {};
            bool complete = true;
            for (int c = 0; c < kColumnCount && complete; ++c) {
                if (at >= size) {
                    complete = false;
                    break;
                }
                m_null[c] = data[at++] != 0;
                if (m_null[c])
                    continue;
                if (!takeU32(data, size, &at, &units[c])) {
                    complete = false;
                } else if (units[c] > kMaxUnits) {
                    *used = start;
                    return Garbled;
                } else if (size - at < qsizetype(units[c]) * 2) {
                    complete = false;
                } else {
                    offset[c] = at;
                    at += qsizetype(units[c]) * 2;
                }
            }
            if (!complete) {
                pos = start;
                break;
            }
            table.appendRow();
            for (int c = 0; c < kColumnCount; ++c) {
                if (!m_null[c])
                    table.setFieldUtf16(c, data + offset[c], qsizetype(units[c]));
            }
            pos = at;
        }
        *used = pos;
        return state;
    }

    HadithTable table;
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

    bool m_null[kColumnCount] = {};
};

bool damaged(Error *error, const QString &detail)
{
    return fail(error, Error::Damaged, detail);
}

bool isExecutable(const QString &path)
{
    return !path.isEmpty() && ::access(QFile::encodeName(path).constData(), X_OK) == 0;
}

} // namespace

StreamSink::StreamSink(int fd) : m_fd(fd)
{
    m_buffer.reserve(2 << 20);
}

bool StreamSink::addRow(const QString *values, const bool *isNull)
{
    m_buffer.append(kRow);
    for (int c = 0; c < kColumnCount; ++c) {
        m_buffer.append(char(isNull[c] ? 1 : 0));
        if (!isNull[c])
            putText(&m_buffer, values[c]);
    }
    return m_buffer.size() < (1 << 20) || flush();
}

bool StreamSink::finish(bool ok, const Error &error)
{
    if (ok) {
        m_buffer.append(kDone);
    } else {
        m_buffer.append(kError);
        putU32(&m_buffer, quint32(error.kind));
        putText(&m_buffer, error.detail);
    }
    return flush();
}

bool StreamSink::flush()
{
    const bool ok = writeAll(m_fd, m_buffer.constData(), size_t(m_buffer.size()));
    m_buffer.resize(0); // keeps the allocation for the next block
    return ok;
}

int serveRead(const QString &path, int fd)
{
    StreamSink sink(fd);
    Error error;
    const bool ok = JetReader::readHere(path, &sink, &error);
    return sink.finish(ok, error) ? 0 : 1;
}

QString ChildRead::helperPath()
{
    // Beside the program that reads (installed or built side by side), else where the
    // install puts it, else where the build left it.
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        QString dir = QFile::decodeName(QByteArray(self, n));
        dir.truncate(dir.lastIndexOf(QLatin1Char('/')) + 1);
        const QString beside = dir + QLatin1String(kHelperName);
        if (isExecutable(beside))
            return beside;
    }
    for (const char *candidate : {TEMBRA_HELPER_INSTALLED, TEMBRA_HELPER_BUILT}) {
        const QString path = QFile::decodeName(candidate);
        if (isExecutable(path))
            return path;
    }
    return {};
}

ChildRead ChildRead::start(const QString &path)
{
    const QString helper = helperPath();
    if (helper.isEmpty()) {
        // Without its helper the program still reads, here, as it would have to anyway.
        ChildRead read;
        read.m_path = path;
        return read;
    }
    return startProgram(helper, {path});
}

ChildRead ChildRead::startProgram(const QString &program, const QStringList &args)
{
    ChildRead read;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        fail(&read.m_startError, Error::Damaged,
             QStringLiteral("no pipe for the reader: %1")
                 .arg(QString::fromLocal8Bit(strerror(errno))));
        return read;
    }
    // A wide pipe: the rows cross in fewer, larger pieces.
    ::fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);

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
        fail(&read.m_startError, Error::Damaged,
             QStringLiteral("the reader %1 could not be started: %2")
                 .arg(program, QString::fromLocal8Bit(strerror(failed))));
        return read;
    }
    read.m_pid = pid;
    read.m_fd = fds[0];
    if (::pipe2(read.m_wake, O_CLOEXEC) != 0)
        read.m_wake[0] = read.m_wake[1] = -1;
    read.m_program = program;
    read.m_args = args;
    return read;
}

ChildRead::ChildRead(ChildRead &&other) noexcept
{
    *this = std::move(other);
}

ChildRead &ChildRead::operator=(ChildRead &&other) noexcept
{
    std::swap(m_program, other.m_program);
    std::swap(m_args, other.m_args);
    std::swap(m_pid, other.m_pid);
    std::swap(m_fd, other.m_fd);
    std::swap(m_wake, other.m_wake);
    std::swap(m_startError, other.m_startError);
    std::swap(m_path, other.m_path);
    return *this;
}

ChildRead::~ChildRead()
{
    for (int fd : {m_fd, m_wake[0], m_wake[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) { }
    }
}

void ChildRead::cancel()
{
    if (m_wake[1] >= 0) {
        const char byte = 1;
        while (::write(m_wake[1], &byte, 1) < 0 && errno == EINTR) { }
    }
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
        return JetReader::readHere(m_path, table, error);
    Error why;
    if (collectOnce(table, &why, stallMs))
        return true;
    if (why.kind == Error::Changed) {
        if (!m_args.isEmpty())
            JetReader::waitUntilStill(m_args.back());
        // A second helper for the second reading; the wake pipe stays, so that a
        // cancel() from another thread still reaches this read.
        ChildRead again = startProgram(m_program, m_args);
        std::swap(m_pid, again.m_pid);
        std::swap(m_fd, again.m_fd);
        m_startError = again.m_startError;
        why = m_startError;
        if (!why.isError() && collectOnce(table, &why, stallMs))
            return true;
    }
    if (error)
        *error = why;
    return false;
}

bool ChildRead::collectOnce(HadithTable *table, Error *error, int stallMs)
{
    try {
        return collectStream(table, error, stallMs);
    } catch (const std::bad_alloc &) {
        // The rows received so far go with the parser; the helper is stopped by the
        // destructor or below.
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) { }
            m_pid = -1;
        }
        return fail(error, Error::NoMemory,
                    QStringLiteral("there is not enough memory to hold the collection"));
    }
}

bool ChildRead::collectStream(HadithTable *table, Error *error, int stallMs)
{
    StreamParser parser;
    // Bytes received and not yet taken lie in buffer[begin, end); the buffer grows only
    // for a row larger than itself.
    std::vector<char> buffer(size_t(4) << 20);
    size_t begin = 0;
    size_t end = 0;
    StreamParser::State state = StreamParser::More;
    bool stalled = false;
    bool cancelled = false;
    while (state == StreamParser::More) {
        pollfd p[2] = {{m_fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = ::poll(p, m_wake[0] >= 0 ? 2 : 1, stallMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            stalled = true;
            break;
        }
        if (p[1].revents != 0) {
            cancelled = true;
            break;
        }
        if (begin > 0 && end + (1 << 20) > buffer.size()) {
            std::memmove(buffer.data(), buffer.data() + begin, end - begin);
            end -= begin;
            begin = 0;
        }
        if (end == buffer.size())
            buffer.resize(buffer.size() * 2);
        const ssize_t n = ::read(m_fd, buffer.data() + end, buffer.size() - end);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the helper is gone
        end += size_t(n);
        qsizetype used = 0;
        state = parser.parse(buffer.data() + begin, qsizetype(end - begin), &used);
        begin += size_t(used);
    }
    ::close(m_fd);
    m_fd = -1;
    if (stalled || state != StreamParser::Done)
        ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
    m_pid = -1;

    switch (state) {
    case StreamParser::Done:
        parser.table.squeeze();
        *table = std::move(parser.table);
        return true;
    case StreamParser::Failed:
        if (error)
            *error = parser.error;
        return false;
    case StreamParser::Garbled:
        return damaged(error, QStringLiteral("the reader sent back something it should not have"));
    case StreamParser::More: break;
    }
    if (cancelled)
        return damaged(error, QStringLiteral("the reading was stopped"));
    if (stalled)
        return damaged(error,
                       QStringLiteral("reading the file stopped making progress after %1 "
                                      "seconds; the file is probably damaged")
                           .arg(stallMs / 1000.0));
    if (WIFSIGNALED(status))
        return damaged(error,
                       QStringLiteral("the database library failed on this file (signal %1, "
                                      "%2); the file is damaged")
                           .arg(WTERMSIG(status))
                           .arg(QString::fromLocal8Bit(strsignal(WTERMSIG(status)))));
    return damaged(error,
                   QStringLiteral("the database library stopped on this file without an "
                                  "answer (exit status %1)")
                       .arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
}

bool JetReader::read(const QString &path, HadithTable *table, Error *error)
{
    return ChildRead::start(path).collect(table, error);
}

} // namespace tembra
