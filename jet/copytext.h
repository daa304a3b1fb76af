#pragma once

#include "base/error.h"
#include "search/record.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace tembra::copytext {

// PostgreSQL COPY text format, as the collection tool reads and writes it:
// UTF-8, five tab-separated fields a line, "\t" "\n" "\r" "\\" escapes inside a
// field, and a field that is exactly "\N" is NULL.

// Parses one line (without its line feed). On failure returns false and says why
// in *error, without the line number.
bool parseLine(const QByteArray &line, Record *out, Error *error);

// Parses a whole input. Every line must end in a line feed except that the last
// may lack it. On failure nothing is appended to *out and *error names the line.
bool parse(const QByteArray &data, std::vector<Record> *out, Error *error);

// One record as a line, with its line feed.
QByteArray formatRecord(const Record &record);

} // namespace tembra::copytext
