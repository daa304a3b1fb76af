#include "contentstruth.h"
#include "testutil.h"

#include <QtTest>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "handover/childreader.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using testutil::runTool;

namespace {

// The tool with a fault library preloaded. A tool built with AddressSanitizer wants its
// runtime first among the libraries; the fault library, which comes first, does not need
// it to be.
QProcessEnvironment preloading(const char *library)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QString::fromLocal8Bit(library));
    QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asan.isEmpty())
        asan += QLatin1Char(':');
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       asan + QStringLiteral("verify_asan_link_order=0"));
    return environment;
}

// Whether a child that QProcess has not yet reaped is still running (not a zombie).
bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype name = line.lastIndexOf(')'); // the state follows the program's name
    return name > 0 && line.size() > name + 2 && line[name + 2] != 'Z';
}

// Everything in the folder, a temporary file's hidden name too.
QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path())
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System);
}

// Every name in the folder, as the bytes the system keeps (a QDir listing would decode
// them, a byte that is not UTF-8 lost).
QByteArrayList rawEntries(const QString &folder)
{
    QByteArrayList names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    while (dir) {
        const dirent *entry = ::readdir(dir);
        if (!entry)
            break;
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    if (dir)
        ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// The tool run in folder with a command and a file name given as printf's escapes
// ("a\\376.mdb"), so that the name reaches it as those bytes: a QProcess argument is
// text, and would be encoded as UTF-8.
testutil::ToolRun runToolOnName(const QString &folder, const QString &command,
                                const QString &escapedName, const QStringList &more = {},
                                const QByteArray &input = {})
{
    return testutil::runProgram(
        QStringLiteral("/bin/sh"),
        QStringList{QStringLiteral("-c"),
                    QStringLiteral("cd \"$0\" || exit 99; tool=$1; command=$2; "
                                   "name=$(printf \"$3\"); shift 3; "
                                   "exec \"$tool\" \"$command\" \"$name\" \"$@\""),
                    folder, QStringLiteral(TEMBRA_MDB_TOOL), command, escapedName}
            + more,
        input);
}

QByteArray arabicLine(int units)
{
    QString s;
    while (s.size() < units)
        s += QStringLiteral("حَدَّثَنَا عَبْدُ اللَّهِ ");
    s.truncate(units);
    return s.toUtf8();
}

} // namespace

class TestTool : public QObject {
    Q_OBJECT

private slots:
    void buildDumpRoundTrip_data();
    void buildDumpRoundTrip();
    void refusals_data();
    void refusals();
    void failures_data();
    void failures();
    void buildLeavesWhatIsNotAFile_data();
    void buildLeavesWhatIsNotAFile();
    void buildKeepsPermissionBits();
    void buildSaysWhyItCannotWrite_data();
    void buildSaysWhyItCannotWrite();
    void buildSurvivesInputCutShort();
    void buildTakesEveryNameTheSystemTakes_data();
    void buildTakesEveryNameTheSystemTakes();
    void buildInterruptedLeavesTheOldFile_data();
    void buildInterruptedLeavesTheOldFile();
    void buildLeavesAFileSwappedInAlone();
    void helperIsFoundBesideTheProgramOnly();
    void fileNamesAreBytes_data();
    void fileNamesAreBytes();
    void search();
    void contents();
    void sampleCollectionMatchesItsText();
};

void TestTool::buildDumpRoundTrip_data()
{
    QTest::addColumn<QByteArray>("tsv");

    QTest::newRow("no rows") << QByteArray();
    QTest::newRow("escapes, NULL, empty, arabic, non-BMP")
        << QByteArray("\\N\t\\N\t\\N\t\\N\t\\N\n"
                      "\t\t\t\t\n"
                      "\\\\N\tN\t\\\\\t\\t\\n\\r\t\\\\\\\\N\n"
                      "قال رسول الله ﷺ\tصحيح البخاري\tکوردی ێ ۆ\t\xef\xbb\xbf"
                      "abc\t١٢٣\n"
                      "\xf0\x9f\x98\x80 emoji\t\xf0\x9d\x95\x8f\tcafé\t\\N\t\xef\xbb\xbf\n");
    QTest::newRow("long memo and full text fields") << arabicLine(70000) + '\t' + arabicLine(255)
            + '\t' + QByteArray(255, 'x') + "\t\\N\t\n" + arabicLine(2039) + "\t\t\t\t\\N\n";
}

void TestTool::buildDumpRoundTrip()
{
    QFETCH(QByteArray, tsv);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Data.mdb"));

    const auto built = runTool({QStringLiteral("build"), path}, tsv);
    QVERIFY(built.finished);
    QVERIFY2(built.exitCode == 0, built.err.constData());
    QCOMPARE(built.err, QByteArray());

    const auto dumped = runTool({QStringLiteral("dump"), path});
    QVERIFY(dumped.finished);
    QVERIFY2(dumped.exitCode == 0, dumped.err.constData());
    QCOMPARE(dumped.out, tsv);
}

void TestTool::refusals_data()
{
    QTest::addColumn<QByteArray>("tsv");
    QTest::addColumn<QString>("where"); // what stderr must say

    const QByteArray ok = "a\tb\tc\td\te\n";
    QTest::newRow("four fields") << ok + ok + "a\tb\tc\td\n"
                                 << "line 3: expected 5 fields, found 4";
    QTest::newRow("text of 256 characters") << ok + "a\tb\t" + QByteArray(256, 'x') + "\td\te\n"
            + ok << "line 2: Tab3 has 256 characters";
    QTest::newRow("bad escape") << "a\\q\tb\tc\td\te\n" + ok << "line 1: bad escape";
    QTest::newRow("lone backslash") << ok + "a\tb\tc\td\te\\"
                                    << "line 2: lone backslash";
    QTest::newRow("invalid UTF-8") << ok + ok + ok + "a\tb\tc\t\xc3\x28\te\n"
                                   << "line 4: invalid UTF-8";
    QTest::newRow("raw CR") << ok + "a\tb\tc\td\te\r\n"
                            << "line 2: raw carriage return";
    QTest::newRow("unstorable U+FEFF") << ok + "a\t\xef\xbb\xbf\xc4\x80\tc\td\te\n"
                                       << "line 2: Tab2 begins with U+FEFF";
    // Tab1 of 2^24 stored bytes, two of text each at most, four fields of 255 units of
    // three bytes, four tabs and a line end: one byte more, and no row can be written so.
    QTest::newRow("a line longer than any row can be")
        << ok + QByteArray((1 << 25) + 4 * 765 + 5 + 1, '\0') << "line 2 is longer than any row";
}

void TestTool::refusals()
{
    QFETCH(QByteArray, tsv);
    QFETCH(QString, where);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("out.mdb"));

    auto run = runTool({QStringLiteral("build"), path}, tsv);
    QVERIFY(run.finished);
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.err.contains(where.toUtf8()), run.err.constData());
    QCOMPARE(entries(dir), QStringList()); // not even an empty file

    const tembra::Record old{{QStringLiteral("old")}};
    QCOMPARE(testutil::writeCollection(path, {old}), QString());
    const QByteArray before = testutil::fileBytes(path);
    run = runTool({QStringLiteral("build"), path}, tsv);
    QVERIFY(run.finished);
    QVERIFY(run.exitCode != 0);
    QCOMPARE(testutil::fileBytes(path), before);
    QCOMPARE(entries(dir), QStringList{QStringLiteral("out.mdb")});
}

void TestTool::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("stderrHas");

    const QByteArray usage = "usage: tembra-mdb";
    QTest::newRow("no command") << QStringList() << 2 << usage;
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << 2 << usage;
    QTest::newRow("build without a file") << QStringList{QStringLiteral("build")} << 2 << usage;
    QTest::newRow("dump with two files")
        << QStringList{QStringLiteral("dump"), QStringLiteral("a"), QStringLiteral("b")} << 2
        << usage;
    QTest::newRow("dump of a missing file")
        << QStringList{QStringLiteral("dump"), QStringLiteral("%1/missing.mdb")} << 1
        << QByteArray("missing.mdb: ");
    QTest::newRow("dump of a text file")
        << QStringList{QStringLiteral("dump"), QStringLiteral("%1/rows.tsv")} << 1
        << QByteArray("rows.tsv: ");
    QTest::newRow("contents without a file")
        << QStringList{QStringLiteral("contents")} << 2 << usage;
    QTest::newRow("contents of a text file")
        << QStringList{QStringLiteral("contents"), QStringLiteral("%1/rows.tsv")} << 1
        << QByteArray("rows.tsv: ");
    QTest::newRow("dump of a file named as a folder")
        << QStringList{QStringLiteral("dump"), QStringLiteral("%1/rows.tsv/")} << 1
        << QByteArray("a file, not a folder");
    QTest::newRow("build into a missing folder")
        << QStringList{QStringLiteral("build"), QStringLiteral("%1/no/x.mdb")} << 1
        << QByteArray("x.mdb");
}

void TestTool::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, stderrHas);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile text(dir.filePath(QStringLiteral("rows.tsv")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(3 * 4096, 'a'));
    text.close();
    for (QString &arg : args)
        arg = arg.arg(dir.path());

    const auto run = runTool(args, "a\tb\tc\td\te\n");
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(stderrHas), run.err.constData());
    QCOMPARE(run.out, QByteArray());
}

void TestTool::buildLeavesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("FIFO") << QStringLiteral("fifo");
    QTest::newRow("symbolic link to a file") << QStringLiteral("link");
    QTest::newRow("symbolic link to nothing") << QStringLiteral("dangling");
}

void TestTool::buildLeavesWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.mdb"));
    const QString target = dir.filePath(QStringLiteral("target.mdb"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("out.mdb")));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(out).constData(), 0600), 0);
    else if (kind == QLatin1String("dangling"))
        QVERIFY(QFile::link(target, out));
    else
        QVERIFY(testutil::writeCollection(target, {}).isEmpty() && QFile::link(target, out));

    const auto run = runTool({QStringLiteral("build"), out}, "a\tb\tc\td\te\n");
    QVERIFY(run.finished);
    const QFileInfo info(out);
    if (kind == QLatin1String("link")) {
        QCOMPARE(run.exitCode, 0);
        QVERIFY(info.isSymLink()); // written through, still a link
        QCOMPARE(runTool({QStringLiteral("dump"), target}).out, QByteArray("a\tb\tc\td\te\n"));
        return;
    }
    QCOMPARE(run.exitCode, 1);
    if (kind == QLatin1String("dangling")) {
        QVERIFY2(run.err.contains("leads to no file"), run.err.constData());
        QVERIFY(info.isSymLink() && !QFile::exists(target));
        return;
    }
    QVERIFY2(run.err.contains("not a regular file"), run.err.constData());
    QVERIFY(kind == QLatin1String("folder") ? info.isDir() : !info.isFile() && info.exists());
}

// A file built over keeps the old one's permission bits (it is replaced, not written into,
// so even a read-only one is).
void TestTool::buildKeepsPermissionBits()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.mdb"));
    const QByteArray name = QFile::encodeName(out);
    for (const mode_t mode : {0444, 0600, 0640, 0755}) {
        QCOMPARE(testutil::writeCollection(out, {}), QString());
        QCOMPARE(::chmod(name.constData(), mode), 0);
        const auto run = runTool({QStringLiteral("build"), out}, "a\tb\tc\td\te\n");
        QVERIFY2(run.exitCode == 0, run.err.constData());
        struct stat st { };
        QCOMPARE(::stat(name.constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode);
        QCOMPARE(runTool({QStringLiteral("dump"), out}).out, QByteArray("a\tb\tc\td\te\n"));
    }
}

// A write that fails says why, in the system's words, and leaves the old file and no
// temporary file behind.
void TestTool::buildSaysWhyItCannotWrite_data()
{
    QTest::addColumn<QString>("script"); // runs the tool ($0) on the folder $1
    QTest::addColumn<int>("reason"); // errno
    QTest::newRow("file-size limit")
        << QStringLiteral("ulimit -f 16; \"$0\" build \"$1/out.mdb\"") << EFBIG;
    // A device of 64 KiB, mounted where only this shell sees it. It needs root and a mount
    // namespace: where either is missing (a user's machine, a chroot whose root cannot be
    // made private) the script says so and exits 99, and the case is skipped.
    QTest::newRow("full device") << QStringLiteral(
        "unshare -m true 2>/dev/null || { echo 'no mount namespace can be made here' >&2; "
        "exit 99; }; "
        "exec unshare -m sh -c 'mount -t tmpfs -o size=64k none \"$1\" 2>/dev/null || "
        "{ echo \"no tmpfs can be mounted here\" >&2; exit 99; }; "
        "\"$0\" build \"$1/out.mdb\"; code=$?; ls -A \"$1\"; exit $code' "
        "\"$0\" \"$1\"") << ENOSPC;
}

void TestTool::buildSaysWhyItCannotWrite()
{
    QFETCH(QString, script);
    QFETCH(int, reason);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.mdb"));
    QCOMPARE(testutil::writeCollection(out, {}), QString());
    const QByteArray before = testutil::fileBytes(out);

    QByteArray rows;
    for (int i = 0; i < 3000; ++i)
        rows += arabicLine(60) + "\t" + QByteArray::number(i) + "\tk\t\\N\tb\n";
    const auto run = testutil::runProgram(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), script, QStringLiteral(TEMBRA_MDB_TOOL), dir.path()}, rows);
    if (run.exitCode == 99) // the script could not set up the fault; it said why
        QSKIP(run.err.trimmed().constData());
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(std::strerror(reason)), run.err.constData());
    QVERIFY2(!run.err.contains("cancel"), run.err.constData());
    QCOMPARE(run.out, QByteArray()); // nothing left on the full device either
    QCOMPARE(testutil::fileBytes(out), before);
    QCOMPARE(entries(dir), QStringList{QStringLiteral("out.mdb")});
}

// The input is read, never mapped: cut short while the tool works on it, it is at worst
// shorter input, never a bus error. The file is cut once the tool has it (read into it,
// or mapped), while the rows are still being taken apart.
void TestTool::buildSurvivesInputCutShort()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("rows.tsv"));
    {
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray row = arabicLine(100) + "\t1\tk\t\\N\tb\n";
        for (int i = 0; i < 150000; ++i)
            file.write(row);
    }
    QProcess tool;
    tool.setStandardInputFile(input);
    tool.start(QStringLiteral(TEMBRA_MDB_TOOL),
               {QStringLiteral("build"), dir.filePath(QStringLiteral("out.mdb"))});
    QVERIFY(tool.waitForStarted());
    const QString proc = QStringLiteral("/proc/%1/").arg(tool.processId());
    const auto taken = [&] {
        const QByteArray fdinfo = testutil::fileBytes(proc + QStringLiteral("fdinfo/0"));
        return !fdinfo.startsWith("pos:\t0\n")
            || testutil::fileBytes(proc + QStringLiteral("maps"))
                   .contains(QFile::encodeName(input));
    };
    for (int i = 0; i < 100000 && tool.state() == QProcess::Running && !taken(); ++i)
        QThread::usleep(100);
    QCOMPARE(::truncate(QFile::encodeName(input).constData(), 100), 0);
    QVERIFY(tool.waitForFinished(120000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
}

// The tool reads through the helper that is installed with it, beside it or in
// ../libexec/tembra/, and nowhere else; without one it says so, and never that the file
// is damaged.
// The temporary file has a short name of its own, so an output name as long as the system
// allows (255 bytes) is built, new and over an old file; a longer one gets the system's
// refusal.
void TestTool::buildTakesEveryNameTheSystemTakes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("taken");
    QTest::newRow("1 byte") << QByteArray("a") << true;
    QTest::newRow("248 bytes") << QByteArray(248, 'n') << true;
    QTest::newRow("249 bytes") << QByteArray(249, 'n') << true;
    QTest::newRow("255 bytes") << QByteArray(255, 'n') << true;
    QTest::newRow("255 bytes of Arabic") << QString(127, QChar(0x0641)).toUtf8() + 'x' << true;
    QTest::newRow("256 bytes") << QByteArray(256, 'n') << false;
}

void TestTool::buildTakesEveryNameTheSystemTakes()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, taken);
    QTemporaryDir dir;
    const QString out = dir.filePath(QFile::decodeName(name));
    const QByteArray rows = "a\tb\tc\td\te\n";
    for (const QByteArray &input : {rows, rows + rows}) { // new, then over the old file
        const auto run = runTool({QStringLiteral("build"), out}, input);
        QVERIFY(run.finished);
        if (!taken) {
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(std::strerror(ENAMETOOLONG)), run.err.constData());
            QCOMPARE(entries(dir), QStringList());
            return;
        }
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(runTool({QStringLiteral("dump"), out}).out, input);
        QCOMPARE(entries(dir), QStringList{QFile::decodeName(name)});
    }
}

// Interrupted while it writes, the tool ends as the signal ends it, and leaves the old
// file whole and nothing beside it: its temporary file has no name where the system makes
// one, and the other way (a short name) is removed by its signal handler.
void TestTool::buildInterruptedLeavesTheOldFile_data()
{
    QTest::addColumn<int>("sig");
    QTest::addColumn<bool>("named");
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT, a named temporary file") << int(SIGINT) << true;
    QTest::newRow("SIGTERM, a named temporary file") << int(SIGTERM) << true;
    QTest::newRow("SIGHUP, a named temporary file") << int(SIGHUP) << true;
}

void TestTool::buildInterruptedLeavesTheOldFile()
{
    QFETCH(int, sig);
    QFETCH(bool, named);
    QTemporaryDir dir;
    QTemporaryDir inputDir;
    const QString out = dir.filePath(QStringLiteral("out.mdb"));
    QCOMPARE(testutil::writeCollection(out, {}), QString());
    const QByteArray before = testutil::fileBytes(out);
    // Rows enough for a write that lasts (some 40 MB).
    const QString input = inputDir.filePath(QStringLiteral("rows.tsv"));
    {
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray row = arabicLine(1000) + "\t1\tk\t\\N\tb\n";
        for (int i = 0; i < 20000; ++i)
            file.write(row);
    }

    QProcess tool;
    tool.setStandardInputFile(input);
    if (named)
        tool.setProcessEnvironment(preloading(TEMBRA_NO_TMPFILE));
    tool.start(QStringLiteral(TEMBRA_MDB_TOOL), {QStringLiteral("build"), out});
    QVERIFY(tool.waitForStarted());
    const auto pid = pid_t(tool.processId());
    // The new file is being written once the tool holds a file in the folder open that is
    // not the old one; it is stopped there, and the signal comes while it is stopped.
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    const auto writing = [&] {
        const QStringList open = QDir(fds).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        for (const QString &fd : open) {
            const QString target = QFile::symLinkTarget(fds + QLatin1Char('/') + fd);
            if (target.startsWith(dir.path() + QLatin1Char('/')) && target != out)
                return true;
        }
        return false;
    };
    QElapsedTimer waited;
    waited.start();
    bool caught = false;
    while (!caught && running(pid) && waited.elapsed() < 120000) {
        if (writing()) {
            QCOMPARE(::kill(pid, SIGSTOP), 0);
            caught = writing(); // still writing, now stopped
            if (!caught)
                QCOMPARE(::kill(pid, SIGCONT), 0);
        }
    }
    if (!caught) {
        tool.waitForFinished();
        QSKIP("the tool wrote its file before it could be stopped");
    }
    if (named)
        QCOMPARE(entries(dir).size(), 2); // the old file and the temporary file beside it
    QCOMPARE(::kill(pid, sig), 0);
    QCOMPARE(::kill(pid, SIGCONT), 0);
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitStatus(), QProcess::CrashExit); // ended by the signal
    QCOMPARE(testutil::fileBytes(out), before);
    QCOMPARE(entries(dir), QStringList{QStringLiteral("out.mdb")});
}

// Someone else's file swapped into the output's place (RENAME_EXCHANGE) after every look
// the tool takes, just before it swaps its new file in: theirs comes back whole, and the
// tool says the file changed.
void TestTool::buildLeavesAFileSwappedInAlone()
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.mdb"));
    const QString theirs = dir.filePath(QStringLiteral("theirs"));
    QCOMPARE(testutil::writeCollection(out, {}), QString());
    const QByteArray ours = testutil::fileBytes(out);
    {
        QFile file(theirs);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine=1\n") == 7);
    }
    QProcess tool;
    tool.setProcessEnvironment(preloading(TEMBRA_SWAP_FIRST));
    tool.start(QStringLiteral(TEMBRA_MDB_TOOL), {QStringLiteral("build"), out});
    tool.write("a\tb\tc\td\te\n");
    tool.closeWriteChannel();
    QVERIFY(tool.waitForFinished());
    const QByteArray err = tool.readAllStandardError();
    if (err.contains("cannot swap"))
        QSKIP("this file system cannot swap two files");
    QCOMPARE(tool.exitCode(), 1);
    QVERIFY2(err.contains("changed while it was being written"), err.constData());
    QCOMPARE(testutil::fileBytes(out), QByteArray("mine=1\n"));
    QCOMPARE(testutil::fileBytes(theirs), ours); // swapped away by them, not by the tool
    QCOMPARE(entries(dir), (QStringList{QStringLiteral("out.mdb"), QStringLiteral("theirs")}));
}

void TestTool::helperIsFoundBesideTheProgramOnly()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")));
    const QString tool = dir.filePath(QStringLiteral("bin/tembra-mdb"));
    QVERIFY(QFile::copy(QStringLiteral(TEMBRA_MDB_TOOL), tool));
    const QString db = dir.filePath(QStringLiteral("c.mdb"));
    QCOMPARE(testutil::writeCollection(db, {testutil::utf8Record("x", "1")}), QString());
    const QStringList dump{QStringLiteral("dump"), db};

    auto run = testutil::runProgram(tool, dump);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("not where the program looks for it"), run.err.constData());
    QVERIFY(
        run.err.contains(QFile::encodeName(dir.filePath(QStringLiteral("bin/tembra-readfile")))));
    QVERIFY(run.err.contains(
        QFile::encodeName(dir.filePath(QStringLiteral("libexec/tembra/tembra-readfile")))));
    QVERIFY2(!run.err.contains("damaged"), run.err.constData());

    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin/tembra-readfile")));
    run = testutil::runProgram(tool, dump);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("a folder, not a program"), run.err.constData());

    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("libexec/tembra")));
    QVERIFY(QFile::copy(tembra::ChildRead::helperPath(),
                        dir.filePath(QStringLiteral("libexec/tembra/tembra-readfile"))));
    run = testutil::runProgram(tool, dump);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(run.out, QByteArray("x\t1\t\\N\t\\N\t\\N\n"));
}

// A file's name is bytes, from the command line to the system and back: a name that is not
// UTF-8 is written, read and searched under exactly its bytes, by the tool and by the
// reader's helper, and no other file is made or written over (the name its bytes would
// decode to and be encoded back as, with U+FFFD, least of all).
void TestTool::fileNamesAreBytes_data()
{
    QTest::addColumn<QString>("how"); // build, dump, search, or read (the reader's path)
    QTest::addColumn<QByteArray>("name"); // the file's name, in bytes
    QTest::newRow("build a name with \\xfe") << "build" << QByteArray("a\xfe.mdb");
    QTest::newRow("build a name with \\xff") << "build" << QByteArray("bad\xff.mdb");
    QTest::newRow("dump a name with \\xff") << "dump" << QByteArray("bad\xff.mdb");
    QTest::newRow("search a name with \\xfe") << "search" << QByteArray("a\xfe.mdb");
    QTest::newRow("the reader's helper on a name with \\xff")
        << "read" << QByteArray("bad\xff.mdb");
}

void TestTool::fileNamesAreBytes()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, name);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    // (QTemporaryDir removes files by their decoded names, which these are not)
    const auto removeAll = qScopeGuard([&] {
        for (const QByteArray &entry : rawEntries(dir.path()))
            ::unlink((folder + '/' + entry).constData());
    });
    // Beside it, the file whose name the bad byte would turn into, which must stay as it is.
    QByteArray lookalike = name;
    lookalike.replace(name.indexOf('.') - 1, 1, "\xef\xbf\xbd");
    const QByteArray rows = "x\t1\t\\N\t\\N\t\\N\n";
    {
        std::vector<tembra::Record> other{testutil::utf8Record("y", "2"),
                                          testutil::utf8Record("z", "3")};
        tembra::Error error;
        QVERIFY(tembra::JetWriter::write(folder + '/' + lookalike, other, &error));
    }
    const QByteArray lookalikeBytes
        = testutil::fileBytes(QFile::decodeName(folder + '/' + lookalike));
    QVERIFY(!lookalikeBytes.isEmpty());
    if (how != QLatin1String("build")) {
        tembra::Error error;
        QVERIFY(tembra::JetWriter::write(folder + '/' + name, {testutil::utf8Record("x", "1")},
                                         &error));
    }
    QString escaped;
    for (const char c : name)
        escaped += QStringLiteral("\\%1").arg(uint(uchar(c)), 3, 8, QLatin1Char('0'));

    if (how == QLatin1String("read")) {
        tembra::HadithTable table;
        tembra::Error error;
        QVERIFY2(tembra::ChildRead::read(folder + '/' + name, &table, &error),
                 qPrintable(error.detail));
        QCOMPARE(table.rowCount(), 1);
    } else {
        const QStringList more
            = how == QLatin1String("search") ? QStringList{QStringLiteral("x")} : QStringList();
        const auto run = runToolOnName(dir.path(), how, escaped, more, rows);
        QVERIFY(run.finished);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        if (how == QLatin1String("dump"))
            QCOMPARE(run.out, rows);
        if (how == QLatin1String("search"))
            QCOMPARE(run.out, QByteArray("1\n1\t\\N\tx\n"));
    }
    // What the tool built reads back under its own name.
    if (how == QLatin1String("build"))
        QCOMPARE(runToolOnName(dir.path(), QStringLiteral("dump"), escaped).out, rows);
    QByteArrayList expected{name, lookalike};
    std::sort(expected.begin(), expected.end());
    QCOMPARE(rawEntries(dir.path()), expected);
    QCOMPARE(testutil::fileBytes(QFile::decodeName(folder + '/' + lookalike)), lookalikeBytes);
}

void TestTool::search()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("s.mdb"));
    const QByteArray rows = QByteArrayLiteral("alpha beta\t1\tk\t\\N\tb\n"
                                              "ALPHA gamma\t\\N\tk\tx\tb\n"
                                              "\\N\t3\tk\tx\tb\n"
                                              "it's beta\t4\\t2\tk\tx\tb\n"
                                              "with\\t\\\\--time\t5\tk\tx\t\\N\n");
    QCOMPARE(testutil::runTool({QStringLiteral("build"), db}, rows).exitCode, 0);

    const auto run = testutil::runTool({QStringLiteral("search"), db, QStringLiteral("alpha"),
                                        QStringLiteral("beta"), QStringLiteral("it's"),
                                        QStringLiteral("nothing"), QStringLiteral("a_p")});
    QCOMPARE(run.exitCode, 0);
    // the count, then a line for each match: Tab2, Tab5 and the text around the match, each
    // as COPY text writes it
    QCOMPARE(run.out,
             QByteArrayLiteral("2\n"
                               "1\tb\talpha beta\n"
                               "\\N\tb\tALPHA gamma\n"
                               "2\n"
                               "1\tb\talpha beta\n"
                               "4\\t2\tb\tit's beta\n"
                               "1\n"
                               "4\\t2\tb\tit's beta\n"
                               "0\n"
                               "2\n"
                               "1\tb\talpha beta\n"
                               "\\N\tb\tALPHA gamma\n"));

    const auto timed = testutil::runTool(
        {QStringLiteral("search"), QStringLiteral("--time"), db, QStringLiteral("beta")});
    QCOMPARE(timed.exitCode, 0);
    QCOMPARE(timed.out, QByteArrayLiteral("2\n1\tb\talpha beta\n4\\t2\tb\tit's beta\n"));
    QVERIFY(timed.err.contains("median"));

    // --words: every word in any order, one left out; the text around the first place of one
    const auto words = testutil::runTool({QStringLiteral("search"), QStringLiteral("--words"), db,
                                          QStringLiteral("beta alpha"),
                                          QStringLiteral("alpha -\"alpha beta\"")});
    QCOMPARE(words.exitCode, 0);
    QCOMPARE(words.out,
             QByteArrayLiteral("1\n1\tb\talpha beta\n"
                               "1\n\\N\tb\tALPHA gamma\n"));

    // the reader's comparison by default, the exact one with --exact
    const QByteArray marked = QStringLiteral(u"رَسُولُ").toUtf8() + "\t6\tk\tx\tb\n";
    const QString markedDb = dir.filePath(QStringLiteral("m.mdb"));
    QCOMPARE(testutil::runTool({QStringLiteral("build"), markedDb}, marked).exitCode, 0);
    const QString word = QStringLiteral(u"رسول");
    QCOMPARE(testutil::runTool({QStringLiteral("search"), markedDb, word}).out,
             "1\n6\tb\t" + marked.left(marked.indexOf('\t')) + '\n');
    QCOMPARE(
        testutil::runTool({QStringLiteral("search"), QStringLiteral("--exact"), markedDb, word})
            .out,
        QByteArrayLiteral("0\n"));

    // "--" ends the options: what follows is searched for. The text is one line, with
    // its escapes.
    const auto dashes = testutil::runTool(
        {QStringLiteral("search"), db, QStringLiteral("--"), QStringLiteral("--time")});
    QCOMPARE(dashes.out, QByteArrayLiteral("1\n5\t\\N\twith \\\\--time\n"));

    // one version, the package's
    const auto version = testutil::runTool({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArrayLiteral("tembra-mdb 2.0\n"));
    QVERIFY(dashes.err.isEmpty());

    QVERIFY(testutil::runTool({QStringLiteral("search"), db}).exitCode != 0);
    QVERIFY(testutil::runTool({QStringLiteral("search"), dir.filePath(QStringLiteral("none.mdb")),
                               QStringLiteral("x")})
                .exitCode
            != 0);
}

// Each book with its count, its chapters under it with theirs, in the order the table first
// names them, as a plain count finds them; each name as COPY text writes a field.
void TestTool::contents()
{
    const auto copyField = [](const tembra::Field &field) {
        if (!field)
            return QByteArray("\\N");
        return field->toUtf8()
            .replace("\\", "\\\\")
            .replace("\t", "\\t")
            .replace("\n", "\\n")
            .replace("\r", "\\r");
    };
    std::vector<tembra::Record> records = truth::awkwardRecords();
    const std::vector<tembra::Record> more = truth::randomRecords(
        500, {std::nullopt, QString(), QStringLiteral("a"), QStringLiteral(u"ب")}, 5);
    records.insert(records.end(), more.begin(), more.end());
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("c.mdb"));
    QCOMPARE(testutil::writeCollection(db, records), QString());

    QByteArray expected;
    for (const truth::Book &book : truth::contentsOf(records)) {
        expected += copyField(book.name) + '\t' + QByteArray::number(book.hadiths) + '\n';
        for (const truth::Chapter &chapter : book.chapters)
            expected += '\t' + copyField(chapter.name) + '\t' + QByteArray::number(chapter.hadiths)
                + '\n';
    }
    const auto run = runTool({QStringLiteral("contents"), db});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, expected);
}

// The bundled collection is the tool's build of its text, and reads back as that text.
void TestTool::sampleCollectionMatchesItsText()
{
    const QString root = QStringLiteral(TEMBRA_SOURCE_DIR);
    const QByteArray text = testutil::fileBytes(root + QStringLiteral("/Book/Data.tsv"));
    QVERIFY(!text.isEmpty());
    const auto dump
        = testutil::runTool({QStringLiteral("dump"), root + QStringLiteral("/Book/Data.mdb")});
    QCOMPARE(dump.exitCode, 0);
    QCOMPARE(dump.out, text);
    QTemporaryDir dir;
    const QString rebuilt = dir.filePath(QStringLiteral("Data.mdb"));
    QCOMPARE(testutil::runTool({QStringLiteral("build"), rebuilt}, text).exitCode, 0);
    QCOMPARE(testutil::fileBytes(rebuilt),
             testutil::fileBytes(root + QStringLiteral("/Book/Data.mdb")));
}

QTEST_GUILESS_MAIN(TestTool)
#include "tst_tool.moc"
