#include "handover/readfile/progressreports.h"

#include "base/filereplace.h"
#include "base/uniquefd.h"
#include "handover/wire.h"

#include <QByteArray>
#include <QtEndian>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tembra {

ProgressReports::ProgressReports(int fd) : m_fd(fd)
{
    m_thread = std::thread([this] { run(); });
}

void ProgressReports::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void ProgressReports::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(wire::kProgressMs),
                            [this] { return m_stop; })) {
        lock.unlock();
        quint64 read = 0;
        if (bytesRead(&read)) {
            char report[9] = {wire::kProgress};
            qToLittleEndian(read, report + 1);
            if (!writeAll(m_fd, report, sizeof report))
                return; // the parent is gone
        }
        lock.lock();
    }
}

// The kernel's count of the bytes this process has read, less what reading that count
// itself cost; false where the system does not keep it.
bool ProgressReports::bytesRead(quint64 *read)
{
    const UniqueFd io(::open("/proc/self/io", O_RDONLY | O_CLOEXEC));
    if (!io.isOpen())
        return false;
    char text[512];
    const ssize_t n = ::read(io.get(), text, sizeof text - 1);
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

} // namespace tembra
