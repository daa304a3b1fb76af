#include "handover/answer.h"

#include "handover/wire.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tembra {

namespace {

qint64 sizeOf(const QByteArray &file)
{
    struct stat st { };
    return !file.isEmpty() && ::stat(file.constData(), &st) == 0 ? qint64(st.st_size) : 0;
}

constexpr size_t kFileRoom = 16;

// Reads what is there, up to size bytes, without waiting. The files that came with it go
// into *keep, or without keep are closed at once, *stray then set, as it is when more came
// than there is room for (the system closes those). Files that came but could not be
// taken because this process has as many open files as it may (the system then takes
// fewer than there is room for) set *outOfFiles instead.
ssize_t receive(int fd, void *into, size_t size, std::vector<UniqueFd> *keep, bool *stray,
                bool *outOfFiles = nullptr)
{
    iovec part{into, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kFileRoom)];
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
    if (n < 0)
        return n;
    const bool truncated = (message.msg_flags & MSG_CTRUNC) != 0;
    size_t taken = 0;
    *stray = truncated;
    for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
            continue;
        const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        taken += count;
        for (size_t i = 0; i < count; ++i) {
            int number = -1;
            std::memcpy(&number, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
            UniqueFd received(number);
            if (keep)
                keep->push_back(std::move(received));
            else
                *stray = true; // and closed here
        }
    }
    if (truncated && taken < kFileRoom && outOfFiles) {
        *outOfFiles = true;
        *stray = false;
    }
    return n;
}

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

// A text of an error: its length in units, within its bound, then the units.
bool readText(AnswerReader &in, Answer *answer, QString *out)
{
    quint32 units = 0;
    if (!readNumber(in, answer, &units))
        return false;
    if (units > wire::kMaxErrorUnits)
        return answer->refuse(QStringLiteral("the reading helper's error text is %1 characters "
                                             "long, more than the %2 it may be")
                                  .arg(units)
                                  .arg(wire::kMaxErrorUnits));
    out->resize(qsizetype(units));
    answer->waited = in.read(out->data(), size_t(units) * 2);
    return answer->waited == AnswerReader::Got;
}

// 'P': the count of bytes read; only a larger one is progress.
bool readProgress(AnswerReader &in, Answer *answer, quint64 *lastRead)
{
    quint64 read = 0;
    if (!readNumber(in, answer, &read))
        return false;
    if (read > *lastRead) {
        *lastRead = read;
        in.progressed();
    }
    return true;
}

// 'D': the table's end, which must have come with exactly the table's files.
void readDone(AnswerReader &in, Answer *answer, const ReceivedFiles &files)
{
    if (files.fds.size() != size_t(wire::FileCount)) {
        answer->refuse(QStringLiteral("the reading helper sent %1 files with its answer, not %2")
                           .arg(files.fds.size())
                           .arg(int(wire::FileCount)));
        return;
    }
    if (readNumber(in, answer, &answer->recorded))
        answer->state = Answer::Done;
}

// 'E': an error of a kind the helper may give, and its two texts.
void readFailure(AnswerReader &in, Answer *answer)
{
    quint32 code = 0;
    if (!readNumber(in, answer, &code))
        return;
    if (!wire::kindOf(code, &answer->error.kind)) {
        answer->refuse(QStringLiteral("the reading helper gave an error of no kind it may give "
                                      "(%1)")
                           .arg(code));
        return;
    }
    if (readText(in, answer, &answer->error.detail) && readText(in, answer, &answer->error.shown))
        answer->state = Answer::Failed;
}

} // namespace

std::vector<int> ReceivedFiles::descriptors() const
{
    std::vector<int> numbers;
    for (const UniqueFd &fd : fds)
        numbers.push_back(fd.get());
    return numbers;
}

AnswerReader::AnswerReader(int fd, int wake, const ChildRead::Limits &limits,
                           const QByteArray &file)
    : m_fd(fd), m_wake(wake), m_limits(limits), m_file(file), m_largest(sizeOf(file))
{
    m_sinceStart.start();
    m_sinceProgress.start();
}

// Waits until the socket has something to read (Got), or one of the bounds is over, or
// the read is cancelled.
AnswerReader::Waited AnswerReader::waitForInput()
{
    for (;;) {
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
        return Got;
    }
}

AnswerReader::Waited AnswerReader::read(void *into, size_t size, std::vector<UniqueFd> *files)
{
    auto *at = static_cast<char *>(into);
    size_t got = 0;
    while (got < size) {
        const Waited waited = waitForInput();
        if (waited != Got)
            return waited;
        bool stray = false;
        bool outOfFiles = false;
        const ssize_t n
            = receive(m_fd, at + got, size - got, got == 0 ? files : nullptr, &stray, &outOfFiles);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0) {
            m_readError = errno;
            return ReadFailed;
        }
        if (outOfFiles) {
            // The helper's files are lost to this process, not refused for its fault.
            m_readError = EMFILE;
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

bool AnswerReader::nothingMore()
{
    char byte = 0;
    bool stray = false;
    ssize_t n = -1;
    do {
        n = receive(m_fd, &byte, 1, nullptr, &stray);
    } while (n < 0 && errno == EINTR);
    return n <= 0 && !stray;
}

void AnswerReader::progressed()
{
    m_sinceProgress.restart();
    m_largest = std::max(m_largest, sizeOf(m_file));
}

qint64 AnswerReader::largestFile() const
{
    return std::max(m_largest, sizeOf(m_file));
}

qint64 AnswerReader::allowedMs() const
{
    const qint64 rate = std::max<qint64>(m_limits.bytesPerSecond, 1);
    return m_limits.baseMs + m_largest / rate * 1000 + m_largest % rate * 1000 / rate;
}

bool Answer::refuse(const QString &why)
{
    state = Refused;
    refusal = why;
    return false;
}

QString strayFilesRefusal()
{
    return QStringLiteral("the reading helper sent files with a message that carries none; "
                          "they were closed");
}

void readAnswer(AnswerReader &in, Answer *answer, ReceivedFiles *files)
{
    bool started = false;
    quint64 lastRead = 0;
    for (;;) {
        char tag = 0;
        answer->waited = in.read(&tag, 1, &files->fds);
        if (answer->waited != AnswerReader::Got)
            return;
        if (tag != wire::kDone && !files->fds.empty()) {
            answer->refuse(strayFilesRefusal());
            return;
        }
        if (tag == wire::kStarted && !started) {
            started = true;
            in.progressed();
            continue;
        }
        if (!started || (tag != wire::kProgress && tag != wire::kDone && tag != wire::kError)) {
            answer->refuse(QStringLiteral("the reading helper sent back something it should "
                                          "not have (%1)")
                               .arg(tag == wire::kStarted ? QStringLiteral("a second start")
                                                          : QStringLiteral("an unknown message")));
            return;
        }
        if (tag == wire::kProgress) {
            if (!readProgress(in, answer, &lastRead))
                return;
            continue;
        }
        if (tag == wire::kDone)
            readDone(in, answer, *files);
        else
            readFailure(in, answer);
        return;
    }
}

} // namespace tembra
