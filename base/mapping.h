#pragma once

#include <cstddef>

namespace tembra {

// A memory mapping that is undone when it goes. Moved, the mapping goes with it and the
// source holds none.
class Mapping final {
public:
    Mapping() = default;
    Mapping(Mapping &&other) noexcept;
    Mapping &operator=(Mapping &&other) noexcept;
    Mapping(const Mapping &) = delete;
    Mapping &operator=(const Mapping &) = delete;
    ~Mapping() { reset(); }

    // bytes of fd from its start, shared, with the protection prot (PROT_READ ...); a
    // mapping that holds nothing, with errno set, if the system refuses.
    static Mapping ofFile(int fd, size_t bytes, int prot);

    void *data() const { return m_at; }
    size_t size() const { return m_bytes; }
    bool isMapped() const { return m_at != nullptr; }

    // The mapping made bytes long, perhaps at another address; false, with errno set and
    // the mapping as it was, if the system refuses.
    bool resize(size_t bytes);
    // Undoes the mapping.
    void reset() noexcept;

private:
    void *m_at = nullptr;
    size_t m_bytes = 0;
};

} // namespace tembra
