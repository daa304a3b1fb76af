#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>

namespace tembra::utf8 {

// Strict UTF-8, for text that is kept: no overlong forms, no encoded surrogates, nothing
// above U+10FFFF. A replacement character slipped in for a bad sequence would change the
// text for good (a collection built from it, a settings file written back), so a bad
// sequence is refused instead.

// Decodes [begin, end) into out, which has room for end - begin units (no sequence gives
// more units than bytes), and returns the number of units written; out may be null to
// check only. Returns -1 at the first bad sequence, with *why saying what is wrong.
qsizetype decode(const char *begin, const char *end, QChar *out, QString *why);

// Whether bytes are strict UTF-8; *why as above.
inline bool isValid(QByteArrayView bytes, QString *why)
{
    return decode(bytes.data(), bytes.data() + bytes.size(), nullptr, why) >= 0;
}

} // namespace tembra::utf8
