#pragma once

#include <QtGlobal>

namespace tembra {

// A file descriptor that is closed when it goes: the one place where the program closes
// one. Moved, the descriptor goes with it and the source holds none.
class UniqueFd final {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) { }
    UniqueFd(UniqueFd &&other) noexcept : m_fd(other.release()) { }
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

    // Gives the descriptor up, unclosed, to the caller.
    int release() noexcept
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes the descriptor held (if any) and holds fd instead.
    void reset(int fd = -1) noexcept;
    // Closes the descriptor now and says whether the system did so without an error: a
    // write's last failure may come only here (a full disk over NFS). errno is kept
    // otherwise.
    bool close() noexcept;

private:
    int m_fd = -1;
};

} // namespace tembra
