#pragma once

#include "base/error.h"
#include "search/record.h"

#include <QString>

#include <vector>

namespace tembra {

// Writes a Jet 4.0 database holding one table, Table1: Tab1 a memo column, Tab2 to
// Tab5 text columns of 255 characters, the rows in the order given. The file is
// written whole to a temporary name and renamed (FileReplacement), so a failed write
// leaves no file; a file written over keeps its permission bits, and only a regular file
// (or one a link leads to) is written over.
class JetWriter final {
public:
    // Checks that every record fits the table (text fields at most 255 UTF-16 units,
    // a memo under the format's limit). On failure *error names the record (1-based).
    static bool validate(const std::vector<Record> &records, Error *error);

    // The same checks for one record; *error names the column but not the record, so
    // that a caller reading numbered lines can name the line instead.
    static bool validateRecord(const Record &record, Error *error);

    // path is the file's name as the system knows it: bytes, which need not be UTF-8.
    static bool write(const QByteArray &path, const std::vector<Record> &records, Error *error);
};

} // namespace tembra
