#pragma once

// The helpers shared by the tests: records from literals, writing a collection and
// loading one the way the program does, running the built tembra-mdb, and reading a
// file back whole.

#include "app/startup.h"
#include "forms/controls.h"
#include "jet/jetwriter.h"
#include "search/datacontrol.h"
#include "search/record.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextEdit>
#include <QTimer>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <vector>

namespace testutil {

// Whether text has no Latin letter but in what may stay as it is: the paths given, the
// collection's "Book/Data.mdb" and its folder Book, the names Table1 and Tab1 .. Tab5, and
// the names of the file format (Access, Jet 4.0). What the reader is told is Sorani.
inline bool onlySorani(QString text, const QStringList &paths = {})
{
    for (const QString &path : paths)
        text.remove(path);
    text.remove(QStringLiteral("Book/Data.mdb"));
    // paths and commands, isolated left to right inside the Sorani line
    text.remove(QRegularExpression(QStringLiteral("\u2066[^\u2069]*\u2069")));
    text.remove(QRegularExpression(QStringLiteral("\\b(Table1|Tab[1-5]|Book|Access|Jet)\\b")));
    for (const QChar c : text) {
        if (c.isLetter() && c.script() == QChar::Script_Latin)
            return false;
    }
    return true;
}

// A control of a window by its design name, as the builder names every object.
template <typename T> T *control(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromUtf8(name));
    if (!found)
        qFatal("the window has no control %s of that kind", name);
    return found;
}

// The main window's controls that the tests look at or act on.
struct Controls {
    explicit Controls(const QObject &w)
        : Adodc1(control<tembra::DataControl>(w, "Adodc1")),
          Label1(control<tembra::Label>(w, "Label1")),
          Label2(control<tembra::Label>(w, "Label2")),
          Label3(control<tembra::Label>(w, "Label3")),
          Label4(control<tembra::TextBox>(w, "Label4")),
          Label5(control<tembra::Label>(w, "Label5")),
          Label12(control<tembra::Label>(w, "Label12")),
          Label15(control<tembra::Label>(w, "Label15")),
          Label16(control<tembra::Label>(w, "Label16")),
          Label19(control<tembra::Label>(w, "Label19")),
          La1(control<tembra::Label>(w, "La1")),
          La2(control<tembra::Label>(w, "La2")),
          La3(control<tembra::Label>(w, "La3")),
          Mini(control<tembra::Label>(w, "Mini")),
          Text1(control<tembra::TextBox>(w, "Text1")),
          Text2(control<QLineEdit>(w, "Text2")),
          RichTextBox1(control<QTextEdit>(w, "RichTextBox1")),
          Command1(control<QPushButton>(w, "Command1")),
          DataGrid1(control<tembra::Grid>(w, "DataGrid1")),
          Pic1(control<tembra::Panel>(w, "Pic1")),
          Timer2(control<QTimer>(w, "Timer2"))
    { }
    tembra::DataControl *Adodc1;
    tembra::Label *Label1, *Label2, *Label3;
    tembra::TextBox *Label4;
    tembra::Label *Label5, *Label12, *Label15, *Label16, *Label19, *La1, *La2, *La3, *Mini;
    tembra::TextBox *Text1;
    QLineEdit *Text2;
    QTextEdit *RichTextBox1;
    QPushButton *Command1;
    tembra::Grid *DataGrid1;
    tembra::Panel *Pic1;
    QTimer *Timer2;
};

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

// The whole file, or a null array if it cannot be read (e.g. it does not exist).
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace testutil
