#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace tembra {

// The helper's reports of how far it has read, from a thread of their own, so that they
// go out however long the library dwells on one step: every wire::kProgressMs, the bytes
// the process has read, in the kernel's count (nearly all of them the collection's). A
// reading held up in the kernel (a disk that does not answer) reports the same count,
// and the parent sees no progress.
class ProgressReports final {
    Q_DISABLE_COPY_MOVE(ProgressReports)

public:
    // Starts reporting on fd, the socket to the parent.
    explicit ProgressReports(int fd);
    ~ProgressReports() { stop(); }

    // Stops the reports; none is sent once this returns.
    void stop();

private:
    void run();
    bool bytesRead(quint64 *read);

    const int m_fd;
    quint64 m_own = 0; // bytes of the kernel's count read so far
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace tembra
