#pragma once

#include "base/error.h"
#include "search/hadithtable.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace tembra {

// Takes the rows of Table1 one by one, Tab1 .. Tab5; false stops the reading.
class RowSink {
public:
    virtual ~RowSink() = default;
    // How many rows Table1's definition records, told before the first row.
    virtual void expectRows(quint32 recorded) { Q_UNUSED(recorded) }
    virtual bool addRow(const QString *values, const bool *isNull) = 0;
};

// Collects the rows into a table.
class TableSink final : public RowSink {
public:
    bool addRow(const QString *values, const bool *isNull) override
    {
        table.appendRow();
        for (Column c : kColumns) {
            if (!isNull[position(c)])
                table.setField(c, values[position(c)]);
        }
        return true;
    }
    TableBuilder table;
};

// Reads Table1 of a Jet 4.0 database, read-only, into memory.
class JetReader final {
public:
    static constexpr const char *kTableName = "Table1";

    // Reads Table1 of the file at path in this process. The program itself reads through
    // its helper (handover/childreader.h), which calls this; tests and tools call it too.
    // On failure *table is left empty and *error says why; the detail does not repeat the
    // path, which the caller shows. Every row Table1 records is read, or the read fails.
    // A file that changes while it is read is read once more, and if it changes again the
    // read fails. path is the file's name as the system knows it: bytes, which need not
    // be UTF-8.
    static bool readHere(const QByteArray &path, HadithTable *table, Error *error);
    // The same into a sink of the caller's: makeSink makes one for each reading (null,
    // with *error set, if it cannot), and the sink that holds the whole table is
    // returned; null on failure, *error saying why.
    using SinkMaker = std::function<std::unique_ptr<RowSink>(Error *error)>;
    static std::unique_ptr<RowSink> readHere(const QByteArray &path, const SinkMaker &makeSink,
                                             Error *error);

    // Reads a database held in memory, in this process (the fuzzer, tests).
    static bool readBytes(const QByteArray &bytes, HadithTable *table, Error *error);

    // Waits until the file at path has stayed as it is for a quarter of a second, two
    // seconds at most: before a file that changed is read once more, a writer still at
    // work (a copy over it) should be let finish.
    static void waitUntilStill(const QByteArray &path);

    // For tests: hook is called in every read of a file, in this process, once the
    // first page of rows is read, so that a test can change the file under the reader.
    static void setMidReadHook(std::function<void()> hook);
};

} // namespace tembra
