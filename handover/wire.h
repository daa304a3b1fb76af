#pragma once

// What the reading helper (readfile/) and the program that starts it (childreader.h) must
// agree on, and nothing else: the messages on the socket, the error kinds by number, and
// the layout of the three files that hold the table. Either side changed alone breaks
// the other.

#include "base/error.h"
#include "search/hadithtable.h"

#include <QtGlobal>

#include <cstdint>
#include <fcntl.h>

namespace tembra::wire {

// The messages, on the helper's standard output, a socket. Each is a tag byte and a body
// whose length the tag gives (numbers little-endian):
//   'S'                  once, when the helper is set up and at work;
//   'P' u64              the bytes it has read so far, every kProgressMs while it reads;
//   'D' u32              the end: the rows Table1 records, sent with the three sealed
//                        files that hold the table (below), the only message that
//                        carries files;
//   'E' u32 text text    the end when the reading failed: the error's kind as a wire code
//                        (kKinds), its detail and its Sorani detail, each text its length
//                        in UTF-16 units, at most kMaxErrorUnits, then the units.
constexpr char kStarted = 'S';
constexpr char kProgress = 'P';
constexpr char kDone = 'D';
constexpr char kError = 'E';
constexpr int kProgressMs = 500;
// An error's two texts together stay within 64 KiB; the helper cuts its own to fit.
constexpr quint32 kMaxErrorUnits = 16 << 10;

// The kinds of error a helper may give, by their numbers on the wire. The numbers are
// the protocol's own, not the enum's: a kind added to Error::Kind moves none of them. A
// helper says only what its reading found; the kinds about the helper itself are the
// parent's to give, and a number not listed here is refused.
struct Kind {
    quint32 code;
    Error::Kind kind;
};
constexpr Kind kKinds[] = {
    {1, Error::NoFile},     {2, Error::NotAFile},     {3, Error::NotReadable},
    {4, Error::NotJet},     {5, Error::WrongVersion}, {6, Error::Damaged},
    {7, Error::Changed},    {8, Error::NoTable},      {9, Error::MissingColumn},
    {10, Error::BadColumn}, {11, Error::NoMemory},    {12, Error::TooLarge},
};

// 0, which no kind has, for a kind the helper has no number for.
inline quint32 codeOf(Error::Kind kind)
{
    for (const Kind &wire : kKinds) {
        if (wire.kind == kind)
            return wire.code;
    }
    return 0;
}

inline bool kindOf(quint32 code, Error::Kind *kind)
{
    for (const Kind &wire : kKinds) {
        if (wire.code == code) {
            *kind = wire.kind;
            return true;
        }
    }
    return false;
}

// The table as the helper hands it over: in three sealed memory files, in the final form
// the program keeps it in, so that the program maps them and copies nothing.
//
//   Text    the Tab1 values, UTF-16, back to back
//   Short   the Tab2 .. Tab5 values, UTF-16, back to back
//   Arrays  a Header, then where each Tab1 value starts (rows + 1 numbers from 0),
//           where each short value ends (kShortColumns a row), and a byte of NULL flags
//           a row (bit c for column c)
enum File { Text, Short, Arrays, FileCount };

constexpr char kMagic[8] = {'T', 'E', 'M', 'B', 'R', 'A', 'B', '1'};
constexpr int kShortColumns = kColumnCount - 1;
// Every file is sealed with all of these: no one can change it once it is checked.
constexpr int kSeals = F_SEAL_SEAL | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;

struct Header {
    char magic[8];
    std::uint32_t rows;
    std::uint32_t reserved; // 0
    std::uint64_t textUnits;
    std::uint64_t shortUnits;
};
static_assert(sizeof(Header) == 32, "the arrays that follow stay aligned");

inline qint64 arraysBytes(std::uint64_t rows)
{
    return qint64(sizeof(Header) + 4 * (rows + 1) + 4 * kShortColumns * rows + rows);
}

} // namespace tembra::wire
