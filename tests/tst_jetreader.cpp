// The collection reader on files that fail on purpose: each gives its own kind of
// error with a detail, never a crash, and no file is changed by being read.

#include "jet/childreader.h"
#include "jet/jetreader.h"
#include "jet/jetwriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tembra;

Q_DECLARE_METATYPE(Error::Kind)

namespace {

constexpr int kPage = 4096;

QByteArray utf16(const char *latin)
{
    QByteArray out;
    for (const char *p = latin; *p; ++p) {
        out.append(*p);
        out.append('\0');
    }
    return out;
}

// Replaces the one occurrence of from by to (same length) inside page.
QByteArray patched(QByteArray bytes, int page, const QByteArray &from, const QByteArray &to)
{
    const qsizetype at = bytes.indexOf(from, page * kPage);
    if (at < 0 || at >= (page + 1) * kPage)
        qFatal("pattern not on page %d", page);
    bytes.replace(at, from.size(), to);
    return bytes;
}

} // namespace

class TestJetReader : public QObject {
    Q_OBJECT

private:
    QString streamFile(const QString &name, int rows, const QString *values, const bool *isNull,
                       bool finished, const Error &error);

private slots:
    void initTestCase();
    void readsWhatWasWritten();
    void failures_data();
    void failures();
    void noFileAndFolder();
    void tableAndColumnNamesIgnoreCase();
    void bytesAndFileAgree();
    void readingChangesNothing();
    void notARegularFile();
    void childPassesRowsAndErrors();
    void childThatDiesOrHangs_data();
    void childThatDiesOrHangs();
    void fuzzFindings_data();
    void fuzzFindings();

private:
    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_bytes;
    std::vector<Record> m_records;
};

void TestJetReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_records = {
        Record{{QStringLiteral(u"حديث \U0001F54C"), QStringLiteral("1"), QStringLiteral("صحيح"),
                std::nullopt, QStringLiteral(u"کتێب")}},
        Record{{QString(), QString(), std::nullopt, QStringLiteral("x"), QString()}},
    };
    m_path = m_dir.filePath(QStringLiteral("Data.mdb"));
    tembra::Error error;
    QVERIFY2(JetWriter::write(m_path, m_records, &error), qPrintable(error.detail));
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    m_bytes = f.readAll();
}

void TestJetReader::readsWhatWasWritten()
{
    HadithTable table;
    Error error;
    QVERIFY2(JetReader::read(m_path, &table, &error), qPrintable(error.detail));
    QCOMPARE(error.kind, Error::None);
    QCOMPARE(table.rowCount(), 2);
    for (int r = 0; r < 2; ++r)
        QCOMPARE(table.record(r), m_records[size_t(r)]);
}

void TestJetReader::failures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Error::Kind>("kind");

    QByteArray noise(8 * kPage, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) & 0xFF);
    QTest::newRow("random bytes") << noise << Error::NotJet;
    QTest::newRow("empty file") << QByteArray() << Error::NotJet;
    QTest::newRow("a few bytes") << m_bytes.left(10) << Error::NotJet;
    QTest::newRow("text file") << QByteArray("Standard Jet DB? no.\n") << Error::NotJet;

    QByteArray jet3 = m_bytes;
    jet3[0x14] = 0;
    QTest::newRow("Jet 3") << jet3 << Error::WrongVersion;
    QByteArray accdb = m_bytes;
    accdb.replace(4, 15, "Standard ACE DB");
    accdb[0x14] = 2;
    QTest::newRow("ACCDB") << accdb << Error::WrongVersion;

    QTest::newRow("cut inside a page") << m_bytes.left(m_bytes.size() - 1000) << Error::Damaged;
    QTest::newRow("only two pages") << m_bytes.left(2 * kPage) << Error::Damaged;
    QTest::newRow("no table definition page") << m_bytes.left(4 * kPage) << Error::Damaged;

    QByteArray tdef = m_bytes;
    tdef.replace(4 * kPage, kPage, QByteArray(kPage, '\xAB'));
    QTest::newRow("table definition overwritten") << tdef << Error::Damaged;

    QTest::newRow("no Table1") << patched(m_bytes, 3, utf16("Table1"), utf16("Tablex"))
                               << Error::NoTable;
    QTest::newRow("no Tab3") << patched(m_bytes, 4, utf16("Tab3"), utf16("Tax3"))
                             << Error::MissingColumn;
    QTest::newRow("no Tab1") << patched(m_bytes, 4, utf16("Tab1"), utf16("Text"))
                             << Error::MissingColumn;
}

void TestJetReader::failures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Error::Kind, kind);

    const QString path = m_dir.filePath(QStringLiteral("bad.mdb"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();

    HadithTable table;
    table.appendRow(); // must come back empty
    Error error;
    QVERIFY(!JetReader::read(path, &table, &error));
    QCOMPARE(error.kind, kind);
    QVERIFY(!error.detail.isEmpty());
    QCOMPARE(table.rowCount(), 0);

    Error fromBytes;
    QVERIFY(!JetReader::readBytes(bytes, &table, &fromBytes));
    QCOMPARE(fromBytes.kind, kind);
}

void TestJetReader::noFileAndFolder()
{
    HadithTable table;
    Error error;
    QVERIFY(!JetReader::read(m_dir.filePath(QStringLiteral("missing.mdb")), &table, &error));
    QCOMPARE(error.kind, Error::NoFile);
    QVERIFY(error.detail.contains(QStringLiteral("missing.mdb")));
    QVERIFY(!JetReader::read(m_dir.path(), &table, &error));
    QCOMPARE(error.kind, Error::NotReadable);
}

void TestJetReader::tableAndColumnNamesIgnoreCase()
{
    // Jet names are not case-sensitive
    QByteArray bytes = patched(m_bytes, 3, utf16("Table1"), utf16("TABLE1"));
    bytes = patched(bytes, 4, utf16("Tab2"), utf16("tAB2"));
    HadithTable table;
    Error error;
    QVERIFY2(JetReader::readBytes(bytes, &table, &error), qPrintable(error.detail));
    QCOMPARE(table.record(0), m_records[0]);
}

void TestJetReader::bytesAndFileAgree()
{
    HadithTable a, b;
    Error error;
    QVERIFY(JetReader::read(m_path, &a, &error));
    QVERIFY(JetReader::readBytes(m_bytes, &b, &error));
    QCOMPARE(a.rowCount(), b.rowCount());
    for (int r = 0; r < a.rowCount(); ++r)
        QCOMPARE(a.record(r), b.record(r));
}

void TestJetReader::readingChangesNothing()
{
    const QDateTime before = QFileInfo(m_path).lastModified();
    HadithTable table;
    Error error;
    for (int i = 0; i < 3; ++i)
        QVERIFY(JetReader::read(m_path, &table, &error));
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), m_bytes);
    QCOMPARE(QFileInfo(m_path).lastModified(), before);
}

void TestJetReader::notARegularFile()
{
    const QString fifo = m_dir.filePath(QStringLiteral("fifo.mdb"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    HadithTable table;
    Error error;
    QVERIFY(!JetReader::read(fifo, &table, &error)); // and does not wait for a writer
    QCOMPARE(error.kind, Error::NotReadable);
}

// A stream as the helper writes it, to a file that a stand-in helper then prints.
QString TestJetReader::streamFile(const QString &name, int rows, const QString *values,
                                  const bool *isNull, bool finished, const Error &error)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
    StreamSink sink(fd);
    for (int i = 0; i < rows; ++i)
        sink.addRow(values, isNull);
    if (finished) {
        sink.finish(!error.isError(), error);
    } else {
        sink.finish(true, {}); // then the end mark is taken off again
        if (::ftruncate(fd, ::lseek(fd, 0, SEEK_CUR) - 1) != 0)
            qFatal("cannot cut %s", qPrintable(path));
    }
    ::close(fd);
    return path;
}

void TestJetReader::childPassesRowsAndErrors()
{
    const QString big(200000, QChar(0x0628));
    const QString values[kColumnCount] = {big + QStringLiteral(u"\U0001F54C"), QString(),
                                          QStringLiteral("x"), QString(), QStringLiteral(u"کتێب")};
    const bool isNull[kColumnCount] = {false, false, true, true, false};
    HadithTable table;
    Error error;
    const QString rows = streamFile(QStringLiteral("rows"), 50, values, isNull, true, {});
    QVERIFY(ChildRead::startProgram(QStringLiteral("/bin/cat"), {rows}).collect(&table, &error));
    QCOMPARE(table.rowCount(), 50);
    const Record expected{{values[0], QString(), std::nullopt, std::nullopt, values[4]}};
    QCOMPARE(table.record(49), expected);

    const QString failed = streamFile(QStringLiteral("failed"), 3, values, isNull, true,
                                      {Error::NoTable, QStringLiteral("said by the child")});
    QVERIFY(!ChildRead::startProgram(QStringLiteral("/bin/cat"), {failed}).collect(&table, &error));
    QCOMPARE(error.kind, Error::NoTable);
    QCOMPARE(error.detail, QStringLiteral("said by the child"));
    QCOMPARE(table.rowCount(), 0);
}

void TestJetReader::childThatDiesOrHangs_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("said");
    QTest::newRow("crashes") << QStringLiteral("kill -SEGV $$") << QStringLiteral("signal");
    QTest::newRow("aborts after some rows")
        << QStringLiteral("cat \"$0\"; kill -ABRT $$") << QStringLiteral("signal");
    QTest::newRow("exits without an answer")
        << QStringLiteral("cat \"$0\"; exit 3") << QStringLiteral("without an answer");
    QTest::newRow("hangs") << QStringLiteral("cat \"$0\"; exec sleep 60")
                           << QStringLiteral("progress");
    QTest::newRow("cannot be started") << QString() << QStringLiteral("could not be started");
}

void TestJetReader::childThatDiesOrHangs()
{
    QFETCH(QString, script);
    QFETCH(QString, said);
    const QString v[kColumnCount];
    const bool n[kColumnCount] = {};
    const QString rows = streamFile(QStringLiteral("unfinished"), 100000, v, n, false, {});
    HadithTable table;
    Error error;
    QElapsedTimer timer;
    timer.start();
    ChildRead read = script.isEmpty()
        ? ChildRead::startProgram(m_dir.filePath(QStringLiteral("no-such-helper")), {})
        : ChildRead::startProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, rows});
    QVERIFY(!read.collect(&table, &error, 500));
    QCOMPARE(error.kind, Error::Damaged);
    QVERIFY2(error.detail.contains(said), qPrintable(error.detail));
    QCOMPARE(table.rowCount(), 0);
    QVERIFY(timer.elapsed() < 20000);
}

// Files the fuzzer made the reader or the library fail on: each is now a plain error.
void TestJetReader::fuzzFindings_data()
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(TEMBRA_SOURCE_DIR "/tests/fixtures"));
    const QStringList files = dir.entryList({QStringLiteral("fuzz-*.mdb")});
    QVERIFY(!files.isEmpty());
    for (const QString &name : files)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

void TestJetReader::fuzzFindings()
{
    QFETCH(QString, path);
    HadithTable table;
    Error error;
    QVERIFY(!JetReader::read(path, &table, &error));
    QCOMPARE(error.kind, Error::Damaged);
    QVERIFY(!error.detail.isEmpty());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!JetReader::readBytes(f.readAll(), &table, &error));
    QCOMPARE(error.kind, Error::Damaged);
}

QTEST_APPLESS_MAIN(TestJetReader)
#include "tst_jetreader.moc"
