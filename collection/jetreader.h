#pragma once

#include "hadithtable.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace tembra {

// Why a collection could not be read. The detail is technical (for the second line of
// a message); the kind decides the plain words the window shows first.
struct ReadError {
    enum Kind {
        None,
        NoFile, // nothing at the path
        NotReadable, // there, but cannot be opened for reading (permissions, a folder)
        NotJet, // not an Access/Jet database at all
        WrongVersion, // a Jet file, but not Jet 4.0 (Jet 3, ACCDB)
        Damaged, // a Jet 4.0 file whose pages cannot be read (truncated, corrupt)
        NoTable, // no Table1
        MissingColumn, // Table1 lacks one of Tab1 .. Tab5
    };
    Kind kind = None;
    QString detail;
};

// Takes the rows of Table1 one by one, Tab1 .. Tab5; false stops the reading.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual bool addRow(const QString *values, const bool *isNull) = 0;
};

// Collects the rows into a table.
class TableSink final : public RowSink {
public:
    bool addRow(const QString *values, const bool *isNull) override
    {
        table.appendRow();
        for (int c = 0; c < kColumnCount; ++c) {
            if (!isNull[c])
                table.setField(c, values[c]);
        }
        return true;
    }
    HadithTable table;
};

// Reads Table1 of a Jet 4.0 database, read-only, into memory.
class JetReader final {
public:
    static constexpr const char *kTableName = "Table1";

    // Reads the file at path in a child process, so that a file which makes the
    // database library crash or hang costs an error message, not the program. On
    // failure *table is left empty and *error says why.
    static bool read(const QString &path, HadithTable *table, ReadError *error);

    // Runs work (a reading that passes its rows to a sink) in a child process and
    // collects the rows. A child that dies, or sends nothing for stallMs, gives a
    // Damaged error.
    static bool readInChild(const std::function<bool(RowSink *, ReadError *)> &work,
                            HadithTable *table, ReadError *error, int stallMs = 30000);

    // The same as read, in this process (the child's work).
    static bool readHere(const QString &path, HadithTable *table, ReadError *error);
    static bool readHere(const QString &path, RowSink *sink, ReadError *error);

    // Reads a database held in memory, in this process (the fuzzer, tests).
    static bool readBytes(const QByteArray &bytes, HadithTable *table, ReadError *error);
};

} // namespace tembra
