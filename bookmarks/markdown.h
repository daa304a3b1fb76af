#pragma once

#include "bookmarks/bookmark.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace tembra::markdown {

// The bookmarks as a UTF-8 Markdown file that a person reads and another machine imports.
//
// A person sees, for each bookmark, the hadith as a copy with its source (citation(): the
// Tab4 line, the text, "book، ژمارە number") quoted, then its note and its date, every
// Markdown character in them escaped so that it shows as it is. The import reads none of
// that: above each bookmark an HTML comment, which Markdown does not show, holds it
// exactly, as one line of JSON (its key with NULL kept apart from the empty text, its
// texts, its note, its dates). The file opens and ends with a line that says what it is
// and, at the end, how many bookmarks it holds, so that a file cut short is not taken for
// a smaller export.
QByteArray write(const std::vector<Bookmark> &bookmarks);

// The bookmarks of a file write() made, in its order (their ids are 0). False for anything
// else, or anything less than the whole of such a file, with *why saying what is wrong.
bool read(const QByteArray &bytes, std::vector<Bookmark> *out, QString *why);

// The largest file read: 10,000 bookmarks of hadiths of a common length take about 25 MB,
// and of the longest hadiths there are (15,000 characters) about 600 MB.
constexpr qint64 kMaxFileBytes = qint64(1) << 30;

} // namespace tembra::markdown
