#pragma once

// The helpers shared by the tests of the core and of the windows: records from literals,
// writing a collection and loading one the way the program does, running the built
// tembra-mdb, and reading a file back whole. The windows' own are in testwindow.h.

#include "handover/childreader.h"
#include "jet/jetwriter.h"
#include "search/datacontrol.h"
#include "search/record.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <vector>

namespace testutil {

using tembra::Field;
using tembra::Record;

// A record from its fields, NULL where not given.
inline Record record(const Field &tab1 = {}, const Field &tab2 = {}, const Field &tab3 = {},
                     const Field &tab4 = {}, const Field &tab5 = {})
{
    return Record{{tab1, tab2, tab3, tab4, tab5}};
}

// The same from UTF-8 literals; a null pointer is NULL.
inline Record utf8Record(const char *tab1, const char *tab2 = nullptr, const char *tab3 = nullptr,
                         const char *tab4 = nullptr, const char *tab5 = nullptr)
{
    const auto f = [](const char *s) -> Field {
        if (!s)
            return std::nullopt;
        return QString::fromUtf8(s);
    };
    return record(f(tab1), f(tab2), f(tab3), f(tab4), f(tab5));
}

// Reads the collection at path into a data control, as the program's start-up does
// (through the helper program).
inline void loadCollection(const QString &path, tembra::DataControl *data)
{
    tembra::ChildRead reading = tembra::ChildRead::start(QFile::encodeName(path));
    tembra::HadithTable table;
    tembra::Error error;
    if (reading.collect(&table, &error))
        data->setTable(std::move(table));
    else
        data->setOpenError(error);
}

struct ToolRun {
    bool finished = false; // started, and exited on its own
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs program with args, feeding it input on stdin.
inline ToolRun runProgram(const QString &program, const QStringList &args,
                          const QByteArray &input = {}, int timeoutMs = 120000)
{
    QProcess process;
    process.start(program, args);
    ToolRun run;
    if (!process.waitForStarted(timeoutMs))
        return run;
    process.write(input);
    process.closeWriteChannel();
    run.finished
        = process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Runs the built tembra-mdb with args, feeding it input on stdin.
inline ToolRun runTool(const QStringList &args, const QByteArray &input = {},
                       int timeoutMs = 120000)
{
    return runProgram(QStringLiteral(TEMBRA_MDB_TOOL), args, input, timeoutMs);
}

// Writes records as a collection; returns the writer's complaint, empty on success.
inline QString writeCollection(const QString &path, const std::vector<Record> &records)
{
    tembra::Error error;
    if (!tembra::JetWriter::write(QFile::encodeName(path), records, &error))
        return error.detail.isEmpty() ? QStringLiteral("write failed without a message")
                                      : error.detail;
    return {};
}

// A row of a test's collection: its text, number, chapter (Tab3) and book (Tab5); nullptr
// for NULL.
struct Row {
    const char *text;
    const char *number;
    const char *chapter;
    const char *book;
};

inline Record rowRecord(const Row &row, const char *heading = nullptr)
{
    return utf8Record(row.text, row.number, row.chapter, heading, row.book);
}

// Writes the rows as a collection, each under the heading given; the writer's complaint.
template <typename Rows>
inline QString writeRows(const QString &path, const Rows &rows, const char *heading = nullptr)
{
    std::vector<Record> records;
    for (const Row &row : rows)
        records.push_back(rowRecord(row, heading));
    return writeCollection(path, records);
}

// The whole file, or a null array if it cannot be read (e.g. it does not exist).
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace testutil
