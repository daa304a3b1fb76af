// The collection reader on files that fail on purpose: each gives its own kind of
// error with a detail, never a crash, and no file is changed by being read.

#include "base/cuttext.h"
#include "base/messages.h"
#include "base/uniquefd.h"
#include "handover/adoptblock.h"
#include "handover/childreader.h"
#include "jet/jetreader.h"
#include "jet/jetwriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
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

// The writer's layout: Table1's definition on page 4, its first data page 5, its column
// descriptors from byte 63 of the definition in column order.
constexpr int kTdefPage = 4;
constexpr int kDataPage = 5;

int le16At(const QByteArray &bytes, qsizetype at)
{
    return quint8(bytes[at]) | quint8(bytes[at + 1]) << 8;
}

void put16At(QByteArray *bytes, qsizetype at, int value)
{
    (*bytes)[at] = char(value & 0xFF);
    (*bytes)[at + 1] = char(value >> 8);
}

qsizetype descriptor(int column)
{
    return kTdefPage * kPage + 63 + 25 * column;
}

QByteArray inverted(QByteArray bytes, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        bytes[i] = char(~bytes[i]);
    return bytes;
}

QByteArray fileBytes(const QString &path, bool mayBeGone = false)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (mayBeGone)
            return {};
        qFatal("cannot read %s", qPrintable(path));
    }
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
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
    QString answerFile(const QString &name, const QByteArray &answer);

private slots:
    void initTestCase();
    void readsWhatWasWritten();
    void failures_data();
    void failures();
    void columnTypes_data();
    void columnTypes();
    void changedWhileRead_data();
    void changedWhileRead();
    void noFileAndFolder();
    void tableAndColumnNamesIgnoreCase();
    void bytesAndFileAgree();
    void readingChangesNothing();
    void notARegularFile();
    void helperHandsOverTheTable();
    void errorKindsByWireCode_data();
    void errorKindsByWireCode();
    void childAnswerIsChecked_data();
    void childAnswerIsChecked();
    void filesOnlyWithTheEnd_data();
    void filesOnlyWithTheEnd();
    void handedOverTableIsChecked_data();
    void handedOverTableIsChecked();
    void childThatFailsOrHangs_data();
    void childThatFailsOrHangs();
    void helperEndsWithItsParent();
    void tooManyOpenFiles();
    void largeFilesAreNamedForWhatTheyAre_data();
    void largeFilesAreNamedForWhatTheyAre();
    void farPointerCostsNoMemory();
    void fuzzFindings_data();
    void fuzzFindings();

private:
    QByteArray written(const std::vector<Record> &records);
    QByteArray typedTab2(int type, const QByteArray &stored);

    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_bytes;
    std::vector<Record> m_records;
    std::vector<Record> m_bigRecords; // 200 rows, memos of every kind
    QByteArray m_big;
};

QByteArray TestJetReader::written(const std::vector<Record> &records)
{
    const QString path = m_dir.filePath(QStringLiteral("written.mdb"));
    Error error;
    if (!JetWriter::write(QFile::encodeName(path), records, &error))
        qFatal("cannot write a fixture: %s", qPrintable(error.detail));
    return fileBytes(path);
}

// A one-row collection whose Tab2 is a column of the given type holding the stored
// bytes (NULL for a null array): a text value of as many bytes, retyped, and made one
// byte shorter where stored has an odd length.
QByteArray TestJetReader::typedTab2(int type, const QByteArray &stored)
{
    const qsizetype units = (stored.size() + 1) / 2;
    const QString placeholder(units, QChar(0x0622));
    QByteArray bytes
        = written({Record{{QStringLiteral("x"), stored.isNull() ? Field() : Field(placeholder),
                           std::nullopt, QStringLiteral("y"), QStringLiteral("z")}}});
    const qsizetype d = descriptor(1);
    if (bytes[d] != 0x0A || bytes[d + 5] != 1)
        qFatal("Tab2 is not where the writer puts it");
    bytes[d] = char(type);
    bytes[d + 11] = 18; // precision and scale, for a decimal
    bytes[d + 12] = 2;
    if (units > 0) {
        const QByteArray from = QByteArray("\x22\x06").repeated(units);
        bytes = patched(bytes, kDataPage, from,
                        stored + QByteArray(from.size() - stored.size(), '\0'));
        if (stored.size() % 2) {
            // the row's offset of Tab3 (variable index 1), one byte earlier
            const qsizetype tab3 = kDataPage * kPage + kPage - 1 - 1 - 3 - 2;
            put16At(&bytes, tab3, le16At(bytes, tab3) - 1);
        }
    }
    return bytes;
}

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
    QVERIFY2(JetWriter::write(QFile::encodeName(m_path), m_records, &error),
             qPrintable(error.detail));
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    m_bytes = f.readAll();

    // Texts from a few letters (inline) to a few thousand (one long-value row, chains).
    for (int i = 0; i < 200; ++i)
        m_bigRecords.push_back(
            Record{{QString(20 + i * 37 % 3000, QChar(0x0628 + i % 20)), QString::number(i + 1),
                    QStringLiteral("k"), std::nullopt, QStringLiteral("b")}});
    m_big = written(m_bigRecords);
    QVERIFY(m_big.size() > 30 * kPage);
}

void TestJetReader::readsWhatWasWritten()
{
    HadithTable table;
    Error error;
    QVERIFY2(ChildRead::read(QFile::encodeName(m_path), &table, &error), qPrintable(error.detail));
    QCOMPARE(error.kind, Error::None);
    QCOMPARE(table.rowCount(), 2);
    for (int r = 0; r < 2; ++r)
        QCOMPARE(table.record(r), m_records[size_t(r)]);
}

void TestJetReader::failures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Error::Kind>("kind");
    QTest::addColumn<QString>("said"); // in the detail, when given

    QByteArray noise(8 * kPage, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) & 0xFF);
    QTest::newRow("random bytes") << noise << Error::NotJet << QString();
    QTest::newRow("empty file") << QByteArray() << Error::NotJet << QString();
    QTest::newRow("a few bytes") << m_bytes.left(10) << Error::NotJet << QString();
    QTest::newRow("text file") << QByteArray("Standard Jet DB? no.\n") << Error::NotJet
                               << QString();

    QByteArray jet3 = m_bytes;
    jet3[0x14] = 0;
    QTest::newRow("Jet 3") << jet3 << Error::WrongVersion << QString();
    QByteArray accdb = m_bytes;
    accdb.replace(4, 15, "Standard ACE DB");
    accdb[0x14] = 2;
    QTest::newRow("ACCDB") << accdb << Error::WrongVersion << QString();

    QTest::newRow("cut inside a page")
        << m_bytes.left(m_bytes.size() - 1000) << Error::Damaged << QString();
    QTest::newRow("only two pages") << m_bytes.left(2 * kPage) << Error::Damaged << QString();
    QTest::newRow("no table definition page")
        << m_bytes.left(4 * kPage) << Error::Damaged << QString();

    QByteArray tdef = m_bytes;
    tdef.replace(4 * kPage, kPage, QByteArray(kPage, '\xAB'));
    QTest::newRow("table definition overwritten") << tdef << Error::Damaged << QString();

    QTest::newRow("no Table1") << patched(m_bytes, 3, utf16("Table1"), utf16("Tablex"))
                               << Error::NoTable << QString();
    QTest::newRow("no Tab3") << patched(m_bytes, 4, utf16("Tab3"), utf16("Tax3"))
                             << Error::MissingColumn << QString();
    QTest::newRow("no Tab1") << patched(m_bytes, 4, utf16("Tab1"), utf16("Text"))
                             << Error::MissingColumn << QString();

    // Files read whole or not at all: never fewer rows than Table1 records.
    QTest::newRow("cut after the definitions")
        << m_big.left(5 * kPage) << Error::Damaged << QStringLiteral("records 200 rows, but 0");
    QTest::newRow("cut among the data pages")
        << m_big.left(28 * kPage) << Error::Damaged << QStringLiteral("Table1");
    // Table1's pages: a type 1 map, a row on page 1 that names the bitmap page
    const int map = le16At(m_big, kTdefPage * kPage + 55); // row (map & 0xFF) of page 1
    const qsizetype mapRow
        = (map >> 8) * kPage + (le16At(m_big, (map >> 8) * kPage + 14 + 2 * (map & 0xFF)) & 0x1FFF);
    const qsizetype bitmap = le16At(m_big, mapRow + 1) * qsizetype(kPage);
    QVERIFY(m_big[mapRow] == 1 && m_big[bitmap] == 5);
    QByteArray unlisted = m_big; // the first data page left out of Table1's pages
    unlisted[bitmap + 4] = char(unlisted[bitmap + 4] & ~(1 << kDataPage));
    QTest::newRow("a data page left out of the usage bitmap")
        << unlisted << Error::Damaged << QStringLiteral("records 200 rows, but");
    const qsizetype rows = kDataPage * kPage;
    const auto slot = [&](int r) { return rows + (le16At(m_big, rows + 14 + 2 * r) & 0x1FFF); };
    QTest::newRow("three rows flipped")
        << inverted(m_big, slot(5), slot(2)) << Error::Damaged << QStringLiteral("of page 5");
    QByteArray moreRows = m_big;
    put16At(&moreRows, kTdefPage * kPage + 16, 201);
    QTest::newRow("one row more recorded")
        << moreRows << Error::Damaged << QStringLiteral("records 201 rows, but 200");

    // Memory bounded by the file: two rows' memos made one chain (3,000 characters,
    // 6,000 bytes in two pieces each).
    const QByteArray chained
        = written({Record{{QString(3000, QChar(0x0628))}}, Record{{QString(3000, QChar(0x062A))}}});
    const QByteArray head("\x70\x17\0\0", 4);
    const qsizetype first = chained.indexOf(head);
    const qsizetype second = chained.indexOf(head, first + 4);
    QVERIFY(first > 0 && second > 0 && second / kPage == first / kPage);
    QByteArray shared = chained;
    shared.replace(second + 4, 4, chained.mid(first + 4, 4));
    QTest::newRow("a memo chain shared by two rows")
        << shared << Error::Damaged << QStringLiteral("used more than once");
    QByteArray longer = chained;
    longer[first] = 0x72;
    QTest::newRow("a memo longer than its chain")
        << longer << Error::Damaged << QStringLiteral("records 6002 bytes but holds 6000");

    // Errors name the column.
    QTest::newRow("an odd memo kind")
        << patched(m_bytes, kDataPage, QByteArray("\x0e\0\0\x80", 4), QByteArray("\x0e\0\0\x20", 4))
        << Error::Damaged << QStringLiteral("column Tab1");
    QByteArray ole = m_bytes;
    ole[descriptor(4)] = 0x0B;
    QTest::newRow("Tab5 an OLE column") << ole << Error::BadColumn << QStringLiteral("Tab5");
}

void TestJetReader::failures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Error::Kind, kind);
    QFETCH(QString, said);

    const QString path = m_dir.filePath(QStringLiteral("bad.mdb"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();

    TableBuilder one;
    one.appendRow();
    HadithTable table = one.take(); // must come back empty
    Error error;
    QVERIFY(!ChildRead::read(QFile::encodeName(path), &table, &error));
    QCOMPARE(error.kind, kind);
    QVERIFY(!error.detail.isEmpty());
    QVERIFY2(error.detail.contains(said), qPrintable(error.detail));
    QCOMPARE(table.rowCount(), 0);

    Error fromBytes;
    QVERIFY(!JetReader::readBytes(bytes, &table, &fromBytes));
    QCOMPARE(fromBytes.kind, kind);
}

// Every type a column may have is shown in one form, or the file is refused.
void TestJetReader::columnTypes_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shown"); // null: the file is damaged

    const auto hex = [](const char *digits) { return QByteArray::fromHex(digits); };
    QTest::newRow("byte") << 0x02 << hex("ff") << QStringLiteral("255");
    QTest::newRow("integer") << 0x03 << hex("ffff") << QStringLiteral("-1");
    QTest::newRow("long") << 0x04 << hex("00000080") << QStringLiteral("-2147483648");
    QTest::newRow("long over two bytes") << 0x04 << hex("3100") << QString();
    QTest::newRow("single 0.1") << 0x06 << hex("cdcccc3d") << QStringLiteral("0.1");
    QTest::newRow("double 1e20") << 0x07 << hex("408cb5781daf1544") << QStringLiteral("1e+20");
    QTest::newRow("double -2.5") << 0x07 << hex("00000000000004c0") << QStringLiteral("-2.5");
    QTest::newRow("double over four bytes") << 0x07 << hex("00000000") << QString();
    QTest::newRow("currency") << 0x05 << hex("40e2010000000000") << QStringLiteral("12.3456");
    QTest::newRow("currency -0.5") << 0x05 << hex("78ecffffffffffff") << QStringLiteral("-0.5000");
    QTest::newRow("date and time")
        << 0x08 << hex("0000000010f9e540") << QStringLiteral("2023-03-15 12:00:00");
    QTest::newRow("date before 1899-12-30")
        << 0x08 << hex("000000000000f4bf") << QStringLiteral("1899-12-29 06:00:00");
    QTest::newRow("date not a number") << 0x08 << hex("000000000000f87f") << QString();
    QTest::newRow("decimal -123.45") << 0x10
                                     << hex("80000000000000000000000000"
                                            "39300000")
                                     << QStringLiteral("-123.45");
    QTest::newRow("decimal of 29 digits") << 0x10
                                          << hex("00010000000000000000000000"
                                                 "01000000")
                                          << QStringLiteral("792281625142643375935439503.37");
    QTest::newRow("decimal with an odd sign") << 0x10
                                              << hex("01000000000000000000000000"
                                                     "01000000")
                                              << QString();
    QTest::newRow("decimal over 16 bytes")
        << 0x10 << hex("00000000000000000000000000000000") << QString();
    QTest::newRow("yes") << 0x01 << QByteArray("") << QStringLiteral("1");
    QTest::newRow("no") << 0x01 << QByteArray() << QStringLiteral("0");
}

void TestJetReader::columnTypes()
{
    QFETCH(int, type);
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);

    HadithTable table;
    Error error;
    const bool read = JetReader::readBytes(typedTab2(type, stored), &table, &error);
    if (shown.isNull()) {
        QVERIFY(!read);
        QCOMPARE(error.kind, Error::Damaged);
        QVERIFY2(error.detail.contains(QStringLiteral("column Tab2")), qPrintable(error.detail));
        return;
    }
    QVERIFY2(read, qPrintable(error.detail));
    QCOMPARE(table.rowCount(), 1);
    QVERIFY(!table.isNull(0, Column::Number));
    QCOMPARE(table.text(0, Column::Number), shown);
    QCOMPARE(table.field(0, Column::Heading), Field(QStringLiteral("y")));
}

// The file changes under the reader: once, it is read again; twice, the read fails.
void TestJetReader::changedWhileRead_data()
{
    QTest::addColumn<int>("changes");
    QTest::newRow("changed once") << 1;
    QTest::newRow("changed again") << 2;
}

void TestJetReader::changedWhileRead()
{
    QFETCH(int, changes);
    const QString path = m_dir.filePath(QStringLiteral("changing.mdb"));
    writeBytes(path, m_bytes);
    int left = changes;
    bool big = true;
    JetReader::setMidReadHook([&] {
        if (left-- > 0) {
            writeBytes(path, big ? m_big : m_bytes); // in place, as cp does
            big = !big;
        }
    });
    HadithTable table;
    Error error;
    const bool read = JetReader::readHere(QFile::encodeName(path), &table, &error);
    JetReader::setMidReadHook({});
    if (changes == 1) {
        QVERIFY2(read, qPrintable(error.detail));
        QCOMPARE(table.rowCount(), 200);
        QCOMPARE(table.record(199), m_bigRecords[199]);
    } else {
        QVERIFY(!read);
        QCOMPARE(error.kind, Error::Changed);
        QCOMPARE(table.rowCount(), 0);
    }
}

void TestJetReader::noFileAndFolder()
{
    HadithTable table;
    Error error;
    QVERIFY(!ChildRead::read(QFile::encodeName(m_dir.filePath(QStringLiteral("missing.mdb"))),
                             &table, &error));
    QCOMPARE(error.kind, Error::NoFile);
    QVERIFY(!error.detail.contains(QStringLiteral("missing.mdb"))); // the caller shows it
    QVERIFY(!ChildRead::read(QFile::encodeName(m_dir.path()), &table, &error));
    QCOMPARE(error.kind, Error::NotAFile);
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
    QVERIFY(ChildRead::read(QFile::encodeName(m_path), &a, &error));
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
        QVERIFY(ChildRead::read(QFile::encodeName(m_path), &table, &error));
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
    QVERIFY(!ChildRead::read(QFile::encodeName(fifo), &table,
                             &error)); // and does not wait for a writer
    QCOMPARE(error.kind, Error::NotAFile);
}

namespace {

// What the helper says, written out here from its description: 'S' once at work, 'P' and
// the bytes read so far (64-bit), then 'D' and Table1's count of rows (sent with the
// table's files), or 'E', the kind's wire code, the detail and the Sorani detail, each
// text its length in units and its UTF-16. Numbers little-endian.
QByteArray u32(quint32 v)
{
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray u64(quint64 v)
{
    QByteArray out(8, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray text16(const QString &text)
{
    return u32(quint32(text.size()))
        + QByteArray(reinterpret_cast<const char *>(text.constData()), text.size() * 2);
}

QByteArray progress(quint64 read)
{
    return QByteArray("P") + u64(read);
}

QByteArray done(quint32 recorded)
{
    return QByteArray("D") + u32(recorded);
}

QByteArray failed(quint32 code, const QString &detail, const QString &shown)
{
    return QByteArray("E") + u32(code) + text16(detail) + text16(shown);
}

// The wire code of "no table named Table1".
constexpr quint32 kNoTableCode = 8;

// A table's three files as the helper makes them, with one thing changed by spoil before
// they are sealed (unless spoil says not to seal them).
struct Block {
    int fds[wire::FileCount] = {-1, -1, -1};
    Block() = default;
    Q_DISABLE_COPY_MOVE(Block)
    ~Block()
    {
        for (int fd : fds)
            if (fd >= 0)
                ::close(fd);
    }
};

struct Spoil {
    // at the table's own parts: the header's fields, the arrays, the texts
    std::function<void(quint32 *rows, quint64 *text, quint64 *shorts, std::vector<quint32> *start,
                       std::vector<quint32> *shortEnd, std::vector<quint8> *nulls, QString *text16)>
        change;
    bool seal = true;
};

int memoryFile(const QByteArray &bytes, bool seal)
{
    const int fd = ::memfd_create("test", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        qFatal("no memory file");
    if (seal)
        ::fcntl(fd, F_ADD_SEALS, F_SEAL_SEAL | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE);
    return fd;
}

QByteArray header(quint32 rows, quint64 textUnits, quint64 shortUnits)
{
    return QByteArray("TEMBRAB1") + u32(rows) + u32(0) + u64(textUnits) + u64(shortUnits);
}

// Three rows: "abc" / NULL / "", and Tab2 "1", "22", NULL; the other columns NULL.
void makeBlock(const Spoil &spoil, Block *block)
{
    quint32 rows = 3;
    QString text = QStringLiteral("abc");
    QString shorts = QStringLiteral("122");
    std::vector<quint32> start{0, 3, 3, 3};
    std::vector<quint32> shortEnd{1, 1, 1, 1, 3, 3, 3, 3, 3, 3, 3, 3};
    std::vector<quint8> nulls{0x1C, 0x1D, 0x1E};
    quint64 textUnits = 3;
    quint64 shortUnits = 3;
    if (spoil.change)
        spoil.change(&rows, &textUnits, &shortUnits, &start, &shortEnd, &nulls, &text);
    QByteArray arrays = header(rows, textUnits, shortUnits);
    arrays += QByteArray(reinterpret_cast<const char *>(start.data()), int(start.size() * 4));
    arrays += QByteArray(reinterpret_cast<const char *>(shortEnd.data()), int(shortEnd.size() * 4));
    arrays += QByteArray(reinterpret_cast<const char *>(nulls.data()), int(nulls.size()));
    const auto bytes16 = [](const QString &s) {
        return QByteArray(reinterpret_cast<const char *>(s.constData()), s.size() * 2);
    };
    block->fds[wire::Text] = memoryFile(bytes16(text), spoil.seal);
    block->fds[wire::Short] = memoryFile(bytes16(shorts), true);
    block->fds[wire::Arrays] = memoryFile(arrays, true);
}

// count rows, every field NULL but in the first two.
void nullRows(quint32 count, quint32 *rows, std::vector<quint32> *start,
              std::vector<quint32> *shortEnd, std::vector<quint8> *nulls, QString *text,
              quint64 *textUnits)
{
    *rows = count;
    text->clear();
    *textUnits = 0;
    start->assign(count + 1, 0);
    shortEnd->assign(size_t(count) * 4, 3);
    nulls->assign(count, 0x1F);
    // but the first two rows' Tab2 "1" and "22", and the first row's empty Tab1
    std::fill(shortEnd->begin(), shortEnd->begin() + 4, 1);
    (*nulls)[0] = 0x1C;
    (*nulls)[1] = 0x1D;
}

long peakKiB()
{
    const QByteArray status = fileBytes(QStringLiteral("/proc/self/status"));
    const qsizetype at = status.indexOf("VmHWM:");
    return status.mid(at + 6, status.indexOf('\n', at) - at - 6).trimmed().split(' ')[0].toLong();
}

// The peak memory starts again from what is in use; false where it cannot.
bool resetPeak()
{
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    return reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
}

int openFiles()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// Sends bytes on the forged helper's output with the descriptors fds attached; false
// once the system refuses.
bool sendWith(const QByteArray &bytes, const std::vector<int> &fds)
{
    iovec part{const_cast<char *>(bytes.constData()), size_t(bytes.size())};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 32)] = {};
    if (!fds.empty()) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(sizeof(int) * fds.size());
        cmsghdr *files = CMSG_FIRSTHDR(&message);
        files->cmsg_level = SOL_SOCKET;
        files->cmsg_type = SCM_RIGHTS;
        files->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
        std::memcpy(CMSG_DATA(files), fds.data(), sizeof(int) * fds.size());
    }
    return ::sendmsg(1, &message, MSG_NOSIGNAL) == bytes.size();
}

// The forged helpers: this test program, started with --forge and a way of answering.
int forge(const QByteArray &how)
{
    const auto send = [](const QByteArray &bytes) { return sendWith(bytes, {}); };
    const auto pause = [](int ms) { ::usleep(useconds_t(ms) * 1000); };
    const auto blockFiles = [](const Block &block) {
        return std::vector<int>(block.fds, block.fds + wire::FileCount);
    };
    if (how == "files with its start") {
        Block block;
        makeBlock({}, &block);
        sendWith("S", blockFiles(block));
        pause(60000);
        return 0;
    }
    send("S");
    if (how == "the same count again and again") {
        for (;;) {
            send(progress(4096));
            pause(50);
        }
    }
    if (how == "progresses slowly, then fails" || how == "progresses forever") {
        for (quint64 i = 1; i <= 40 || how == "progresses forever"; ++i) {
            send(progress(i * 4096));
            pause(50);
        }
        send(failed(kNoTableCode, QStringLiteral("said by the helper"), QStringLiteral("Table1")));
        return 0;
    }
    if (how == "files with every byte") {
        // 16 memory files with each byte of an error that never ends
        const QByteArray partial = failed(kNoTableCode, QString(1000, QLatin1Char('x')), QString());
        for (const char byte : partial) {
            std::vector<int> fds;
            for (int i = 0; i < 16; ++i)
                fds.push_back(memoryFile("x", true));
            const bool sent = sendWith(QByteArray(1, byte), fds);
            for (int fd : fds)
                ::close(fd);
            if (!sent)
                break;
        }
        pause(60000);
        return 0;
    }
    Block block;
    Spoil spoil;
    if (how == "a table of 2^32 - 1 rows")
        spoil.change
            = [](quint32 *rows, quint64 *, quint64 *, std::vector<quint32> *,
                 std::vector<quint32> *, std::vector<quint8> *, QString *) { *rows = 0xFFFFFFFF; };
    makeBlock(spoil, &block);
    std::vector<int> fds = blockFiles(block);
    if (how == "four files with its end")
        fds.push_back(memoryFile("x", true));
    if (!sendWith(done(how == "a table of 2^32 - 1 rows" ? 0xFFFFFFFF : 3), fds))
        return 1;
    if (how == "files after its end")
        sendWith(progress(1), {memoryFile("x", true)});
    if (how == "answers, then does not end")
        pause(60000);
    return how == "answers, then exits with 1" ? 1 : 0;
}

QString self()
{
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

} // namespace

// An answer in a file, for a stand-in helper to print.
QString TestJetReader::answerFile(const QString &name, const QByteArray &answer)
{
    const QString path = m_dir.filePath(name);
    writeBytes(path, answer);
    return path;
}

// The real helper hands the whole table over: every value as written, NULL apart from
// empty, a value of 200,000 characters and one outside the BMP among them.
void TestJetReader::helperHandsOverTheTable()
{
    const QString big = QString(200000, QChar(0x0628)) + QStringLiteral(u"\U0001F54C");
    std::vector<Record> records;
    for (int i = 0; i < 50; ++i)
        records.push_back(
            Record{{i == 7 ? big : QStringLiteral(u"نص %1").arg(i),
                    i % 3 ? Field(QString::number(i)) : std::nullopt, QString(),
                    i % 5 ? Field(QStringLiteral("x")) : std::nullopt, QStringLiteral(u"کتێب")}});
    const QString db = m_dir.filePath(QStringLiteral("handed.mdb"));
    writeBytes(db, written(records));
    HadithTable table;
    Error error;
    QVERIFY2(ChildRead::read(QFile::encodeName(db), &table, &error), qPrintable(error.detail));
    QCOMPARE(table.rowCount(), 50);
    for (int i = 0; i < 50; ++i)
        QCOMPARE(table.record(i), records[size_t(i)]);
    // a copy is the same table, and outlives the original and its mappings' first owner
    HadithTable copy = table;
    table = HadithTable();
    QCOMPARE(table.rowCount(), 0);
    QCOMPARE(copy.record(7), records[7]);
}

// The kinds of error travel by numbers of the protocol's own, written out here by hand:
// each comes through as the helper said it, and a number the helper may not give is
// refused.
void TestJetReader::errorKindsByWireCode_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<int>("units"); // of the detail
    QTest::addColumn<Error::Kind>("kind"); // HelperFailed: refused
    const std::pair<quint32, Error::Kind> codes[] = {
        {1, Error::NoFile},     {2, Error::NotAFile},     {3, Error::NotReadable},
        {4, Error::NotJet},     {5, Error::WrongVersion}, {6, Error::Damaged},
        {7, Error::Changed},    {8, Error::NoTable},      {9, Error::MissingColumn},
        {10, Error::BadColumn}, {11, Error::NoMemory},    {12, Error::TooLarge},
    };
    for (const auto &[code, kind] : codes)
        QTest::addRow("code %u", code) << code << 20 << kind;
    QTest::newRow("code 0") << 0u << 20 << Error::HelperFailed;
    QTest::newRow("code 13") << 13u << 20 << Error::HelperFailed;
    QTest::newRow("code 2^32 - 1") << 0xFFFFFFFFu << 20 << Error::HelperFailed;
    // the texts of an error are 16,384 units at most, 64 KiB the two
    QTest::newRow("a detail of 16,384 units") << 8u << 16384 << Error::NoTable;
    QTest::newRow("a detail of 16,385 units") << 8u << 16385 << Error::HelperFailed;
}

void TestJetReader::errorKindsByWireCode()
{
    QFETCH(quint32, code);
    QFETCH(int, units);
    QFETCH(Error::Kind, kind);
    const QString detail(units, QChar(0x0628));
    const QString answer
        = answerFile(QStringLiteral("failed"), "S" + failed(code, detail, QStringLiteral(u"کتێب")));
    TableBuilder one;
    one.appendRow();
    HadithTable table = one.take(); // must come back empty
    Error error;
    QVERIFY(!ChildRead::startProgram(QStringLiteral("/bin/cat"), {answer}).collect(&table, &error));
    QCOMPARE(error.kind, kind);
    QCOMPARE(table.rowCount(), 0);
    if (kind != Error::HelperFailed) {
        QCOMPARE(error.detail, detail);
        QCOMPARE(error.shown, QStringLiteral(u"کتێب"));
    }
}

// The parent takes nothing on trust from the answer itself: a table must come with it, and
// nothing after it.
void TestJetReader::childAnswerIsChecked_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("said");
    QTest::newRow("an end without its files") << "S" + done(0) << QStringLiteral("sent 0 files");
    QTest::newRow("a report cut short")
        << "S" + progress(1).left(4) << QStringLiteral("without a whole answer");
    QTest::newRow("bytes after the end") << "S" + failed(kNoTableCode, QString(), QString()) + "R"
                                         << QStringLiteral("more after its answer");
    QTest::newRow("an unknown message") << QByteArray("SX") << QStringLiteral("unknown message");
    QTest::newRow("at work twice") << QByteArray("SS") << QStringLiteral("second start");
    QTest::newRow("progress before the start") << progress(1) << QStringLiteral("unknown message");
}

void TestJetReader::childAnswerIsChecked()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, said);
    HadithTable table;
    Error error;
    QVERIFY(!ChildRead::startProgram(QStringLiteral("/bin/cat"),
                                     {answerFile(QStringLiteral("answer"), answer)})
                 .collect(&table, &error));
    QCOMPARE(error.kind, Error::HelperFailed);
    QVERIFY2(error.detail.contains(said), qPrintable(error.detail));
    QCOMPARE(table.rowCount(), 0);
}

// Files come only with the helper's end, exactly the table's three: any others are
// closed at once and the answer refused, and none is left open however many come.
void TestJetReader::filesOnlyWithTheEnd_data()
{
    QTest::addColumn<QByteArray>("how");
    QTest::addColumn<QString>("said"); // empty: the table is taken
    QTest::newRow("a sound table") << QByteArray("a sound table") << QString();
    QTest::newRow("files with its start")
        << QByteArray("files with its start") << QStringLiteral("message that carries none");
    QTest::newRow("16 files with every byte of an error")
        << QByteArray("files with every byte") << QStringLiteral("message that carries none");
    QTest::newRow("four files with its end")
        << QByteArray("four files with its end") << QStringLiteral("sent 4 files");
    QTest::newRow("a file after its end")
        << QByteArray("files after its end") << QStringLiteral("more after its answer");
    QTest::newRow("a table of 2^32 - 1 rows")
        << QByteArray("a table of 2^32 - 1 rows") << QStringLiteral("more than the");
}

void TestJetReader::filesOnlyWithTheEnd()
{
    QFETCH(QByteArray, how);
    QFETCH(QString, said);
    const int before = openFiles();
    HadithTable table;
    Error error;
    ChildRead::Limits limits;
    limits.stallMs = 20000;
    const bool taken = ChildRead::startProgram(
                           self(), {QStringLiteral("--forge"), QString::fromLatin1(how)}, m_path)
                           .collect(&table, &error, limits);
    QCOMPARE(openFiles(), before);
    if (said.isEmpty()) {
        QVERIFY2(taken, qPrintable(error.detail));
        QCOMPARE(table.record(1), (Record{{std::nullopt, QStringLiteral("22")}}));
        return;
    }
    QVERIFY(!taken);
    QCOMPARE(error.kind, Error::HelperFailed);
    QVERIFY2(error.detail.contains(said), qPrintable(error.detail));
}

// Every count in a handed-over table's header is held to what a collection file of its
// size can give before anything it counts is touched, and every part is checked before
// it is read. A row has an entry of two bytes of its own in a page's table of rows; the
// values' stored bytes add up to no more than the file, each giving at most four units
// of text, and a yes/no gives one unit without a byte.
void TestJetReader::handedOverTableIsChecked_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<quint32>("recorded");
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<QString>("said"); // empty: taken
    const qint64 page = 4096;
    QTest::newRow("sound") << 0 << 3u << page << QString();
    QTest::newRow("fewer rows than recorded")
        << 0 << 4u << page << QStringLiteral("sent 3 rows, but Table1 records 4");
    QTest::newRow("more rows than recorded")
        << 0 << 2u << page << QStringLiteral("sent 3 rows, but Table1 records 2");
    QTest::newRow("not sealed") << 1 << 3u << page << QStringLiteral("not sealed");
    QTest::newRow("a text longer than its header says")
        << 2 << 3u << page << QStringLiteral("sizes");
    QTest::newRow("a row's start past the text") << 3 << 3u << page << QStringLiteral("do not end");
    QTest::newRow("starts going back") << 4 << 3u << page << QStringLiteral("out of order");
    QTest::newRow("short values going back") << 5 << 3u << page << QStringLiteral("out of order");
    QTest::newRow("text in a NULL field") << 6 << 3u << page << QStringLiteral("NULL field");
    QTest::newRow("a sixth column's flag") << 7 << 3u << page << QStringLiteral("out of order");
    QTest::newRow("another header") << 8 << 3u << page << QStringLiteral("header");
    // the bounds: 2 pages hold 4,096 rows at most, and 3 rows 4 * 8,192 + 5 * 3 units
    QTest::newRow("4,096 rows from 8 KiB") << 10 << 4096u << 2 * page << QString();
    QTest::newRow("4,097 rows from 8 KiB")
        << 11 << 4097u << 2 * page << QStringLiteral("more than the 4096");
    QTest::newRow("32,783 units from 8 KiB") << 12 << 3u << 2 * page << QString();
    QTest::newRow("32,784 units from 8 KiB")
        << 13 << 3u << 2 * page << QStringLiteral("texts are larger");
    QTest::newRow("2^31 rows") << 14 << 0x80000000u << 73728LL << QStringLiteral("more than the");
    QTest::newRow("2^32 - 1 rows")
        << 15 << 0xFFFFFFFFu << 73728LL << QStringLiteral("more than the");
    // an int counts the rows, and row * 4 + 4 must not overflow it, whatever the file
    QTest::newRow("2^29 + 1 rows from 1 TiB")
        << 16 << 536870913u << (1LL << 40) << QStringLiteral("more than the 536870910");
    QTest::newRow("a text of 2^32 units from 1 TiB")
        << 17 << 3u << (1LL << 40) << QStringLiteral("texts are larger");
    // arrays of the very size the header gives, not touched before they are refused
    QTest::newRow("20,000,000 rows from 72 KiB")
        << 18 << 20000000u << 73728LL << QStringLiteral("more than the 36864");
}

void TestJetReader::handedOverTableIsChecked()
{
    QFETCH(int, which);
    QFETCH(quint32, recorded);
    QFETCH(qint64, fileSize);
    QFETCH(QString, said);
    Spoil spoil;
    spoil.change
        = [which](quint32 *rows, quint64 *textUnits, quint64 *, std::vector<quint32> *start,
                  std::vector<quint32> *shortEnd, std::vector<quint8> *nulls, QString *text16) {
              switch (which) {
              case 2: text16->append(QLatin1Char('d')); break;
              case 3: (*start)[3] = 5; break;
              case 4: (*start)[1] = 3, (*start)[2] = 1; break;
              case 5: (*shortEnd)[4] = 0; break;
              case 6: (*nulls)[0] |= 1; break;
              case 7: (*nulls)[1] |= 0x20; break;
              case 10: nullRows(4096, rows, start, shortEnd, nulls, text16, textUnits); break;
              case 11: nullRows(4097, rows, start, shortEnd, nulls, text16, textUnits); break;
              case 12:
              case 13: // row 0's Tab1 as long as the bound lets it be, and one unit more
                  *text16 = QString(int(4 * 8192 + 5 * 3 - 3 + (which - 12)), QLatin1Char('a'));
                  *textUnits = quint64(text16->size());
                  (*start)[1] = (*start)[2] = (*start)[3] = quint32(text16->size());
                  break;
              case 14: *rows = 0x80000000u; break;
              case 15: *rows = 0xFFFFFFFFu; break;
              case 16: *rows = 536870913u; break;
              case 17: *textUnits = quint64(1) << 32; break;
              case 18: *rows = 20000000u; break;
              default: break;
              }
          };
    spoil.seal = which != 1;
    Block block;
    makeBlock(spoil, &block);
    if (which == 8) {
        ::close(block.fds[wire::Arrays]);
        QByteArray other(32 + 4 * 4 + 16 * 3 + 3, '\0');
        other.replace(0, 8, "TEMBRAB0");
        block.fds[wire::Arrays] = memoryFile(other, true);
    }
    if (which == 18) { // 20,000,000 rows, all NULL: 421 MB, in a file that holds none yet
        ::close(block.fds[wire::Arrays]);
        const int arrays = memoryFile(header(recorded, 0, 0), false);
        QVERIFY(::ftruncate(arrays, 32 + 21 * off_t(recorded) + 4) == 0);
        ::fcntl(arrays, F_ADD_SEALS, F_SEAL_SEAL | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE);
        block.fds[wire::Arrays] = arrays;
    }
    HadithTable table;
    Error error;
    const bool measured = resetPeak();
    const long before = peakKiB();
    const bool taken = adoptBlock(block.fds, recorded, fileSize, &table, &error);
    if (measured) // nothing the size of what was refused
        QVERIFY2(peakKiB() - before < 16 * 1024, qPrintable(QString::number(peakKiB() - before)));
    if (said.isEmpty()) {
        QVERIFY2(taken, qPrintable(error.detail));
        QCOMPARE(table.rowCount(), int(recorded));
        QCOMPARE(table.record(1), (Record{{std::nullopt, QStringLiteral("22")}}));
        if (which == 0) {
            QCOMPARE(table.record(0), (Record{{QStringLiteral("abc"), QStringLiteral("1")}}));
            QCOMPARE(table.record(2), (Record{{QString()}}));
        }
        return;
    }
    QVERIFY(!taken);
    QCOMPARE(error.kind, Error::HelperFailed);
    QVERIFY2(error.detail.contains(said), qPrintable(error.detail));
}

// Whatever becomes of the helper is said as it happened; none of it blames the file, and
// no wait on the helper outlasts its bounds: 0.8 seconds without progress, four seconds in
// all. One that keeps going further is let finish however long it takes within them.
void TestJetReader::childThatFailsOrHangs_data()
{
    QTest::addColumn<QString>("script"); // forged: how, for the test program as the helper
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<Error::Kind>("kind");
    QTest::addColumn<QString>("said");
    const auto signal = [](int sig) {
        return QStringLiteral("signal %1 (%2)")
            .arg(sig)
            .arg(QString::fromLocal8Bit(strsignal(sig)));
    };
    const QByteArray cut = "S" + progress(1).left(4);
    QTest::newRow("crashes") << QStringLiteral("kill -SEGV $$") << cut << Error::HelperCrashed
                             << signal(SIGSEGV);
    QTest::newRow("aborts midway") << QStringLiteral("cat \"$0\"; kill -ABRT $$") << cut
                                   << Error::HelperCrashed << signal(SIGABRT);
    QTest::newRow("killed, as for lack of memory") << QStringLiteral("cat \"$0\"; kill -KILL $$")
                                                   << cut << Error::HelperKilled << signal(SIGKILL);
    // Its status taken by the kernel, a helper gone is never said to have ended well.
    QTest::newRow("killed midway, SIGCHLD ignored")
        << QStringLiteral("cat \"$0\"; kill -KILL $$") << cut << Error::HelperFailed
        << QStringLiteral("without a whole answer (its end was taken by the system");
    QTest::newRow("exits without an answer") << QStringLiteral("cat \"$0\"; exit 3") << cut
                                             << Error::HelperFailed << QStringLiteral("status 3");
    QTest::newRow("answers, then exits with 1")
        << QStringLiteral("forged") << QByteArray() << Error::HelperFailed
        << QStringLiteral("exit status 1 after its answer");
    QTest::newRow("hangs") << QStringLiteral("cat \"$0\"; exec sleep 60") << cut
                           << Error::HelperStopped << QStringLiteral("no progress for 0.8 seconds");
    QTest::newRow("is stopped") << QStringLiteral("cat \"$0\"; kill -STOP $$") << cut
                                << Error::HelperStopped
                                << QStringLiteral("stopped by %1").arg(signal(SIGSTOP));
    QTest::newRow("answers, then does not end")
        << QStringLiteral("forged") << QByteArray() << Error::HelperStopped
        << QStringLiteral("did not end");
    QTest::newRow("cannot be started")
        << QString() << QByteArray() << Error::HelperMissing << QStringLiteral("cannot be started");
    // an error text's length past its bound is refused when it comes, not waited for
    QTest::newRow("an error text of 2^31 - 1 units, then silence")
        << QStringLiteral("cat \"$0\"; exec sleep 60")
        << "S" + failed(kNoTableCode, QString(), QString()).left(5) + u32(0x7FFFFFFF)
        << Error::HelperFailed << QStringLiteral("more than the 16384");
    QTest::newRow("the same count again and again")
        << QStringLiteral("forged") << QByteArray() << Error::HelperStopped
        << QStringLiteral("no progress");
    QTest::newRow("progresses slowly, then fails")
        << QStringLiteral("forged") << QByteArray() << Error::NoTable
        << QStringLiteral("said by the helper");
    QTest::newRow("progresses forever")
        << QStringLiteral("forged") << QByteArray() << Error::HelperStopped
        << QStringLiteral("took longer than the 4 seconds");
}

void TestJetReader::childThatFailsOrHangs()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, answer);
    QFETCH(Error::Kind, kind);
    QFETCH(QString, said);
    HadithTable table;
    Error error;
    QElapsedTimer timer;
    timer.start();
    const bool ignoreChildren = QByteArray(QTest::currentDataTag()).contains("SIGCHLD ignored");
    const auto before = ::signal(SIGCHLD, ignoreChildren ? SIG_IGN : SIG_DFL);
    const auto restore = qScopeGuard([before] { ::signal(SIGCHLD, before); });
    ChildRead read = script.isEmpty()
        ? ChildRead::startProgram(m_dir.filePath(QStringLiteral("no-such-helper")), {})
        : script == QStringLiteral("forged")
        ? ChildRead::startProgram(
            self(), {QStringLiteral("--forge"), QString::fromLatin1(QTest::currentDataTag())})
        : ChildRead::startProgram(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), script, answerFile(QStringLiteral("answer"), answer)});
    ChildRead::Limits limits;
    limits.stallMs = 800;
    limits.baseMs = 4000;
    QVERIFY(!read.collect(&table, &error, limits));
    QCOMPARE(error.kind, kind);
    QVERIFY2(error.detail.contains(said), qPrintable(error.detail));
    QCOMPARE(table.rowCount(), 0);
    QVERIFY(timer.elapsed() < 20000);
}

// A program that has all the files open it may cannot take the table's files: it says so
// in the system's words, and does not blame the helper.
void TestJetReader::tooManyOpenFiles()
{
    ChildRead read = ChildRead::start(QFile::encodeName(m_path));
    rlimit files{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &files) == 0);
    const rlimit kept = files;
    // Every number below the highest open one taken, and none above it allowed.
    int highest = 0;
    for (const QString &fd :
         QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System))
        highest = std::max(highest, fd.toInt());
    files.rlim_cur = rlim_t(highest) + 1;
    std::vector<UniqueFd> filling;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &files) == 0);
    for (;;) {
        UniqueFd fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        if (!fd.isOpen())
            break;
        filling.push_back(std::move(fd));
    }
    HadithTable table;
    Error error;
    const bool taken = read.collect(&table, &error);
    filling.clear();
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &kept) == 0);
    QVERIFY(!taken);
    QCOMPARE(error.kind, Error::HelperFailed);
    QVERIFY2(error.detail.contains(QString::fromLocal8Bit(std::strerror(EMFILE))),
             qPrintable(error.detail));
    QVERIFY2(!error.detail.contains(QStringLiteral("carries none")), qPrintable(error.detail));
    QVERIFY(error.shown.contains(QStringLiteral("ulimit -n")));
}

// A file far larger than any collection is named for what it is before any memory is set
// aside for its rows: one of zeros is no database; a database padded past the 2 GiB a Jet
// 4.0 file can have is too large for one. Neither is "not enough memory".
void TestJetReader::largeFilesAreNamedForWhatTheyAre_data()
{
    QTest::addColumn<bool>("database"); // the collection at the start, or zeros only
    QTest::addColumn<qint64>("size");
    QTest::addColumn<Error::Kind>("kind");
    QTest::newRow("50 GB of zeros") << false << (qint64(50) << 30) << Error::NotJet;
    QTest::newRow("a collection padded to 5 GB") << true << (qint64(5) << 30) << Error::TooLarge;
    QTest::newRow("a collection padded to 2 GiB and a page")
        << true << ((qint64(2) << 30) + 4096) << Error::TooLarge;
}

void TestJetReader::largeFilesAreNamedForWhatTheyAre()
{
    QFETCH(bool, database);
    QFETCH(qint64, size);
    QFETCH(Error::Kind, kind);
    const QString path = m_dir.filePath(QStringLiteral("large.mdb"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (database)
        QVERIFY(file.write(m_bytes) == m_bytes.size());
    if (!file.resize(size))
        QSKIP("this file system cannot hold a sparse file of that size");
    file.close();
    const auto remove = qScopeGuard([&path] { QFile::remove(path); });
    HadithTable table;
    Error error;
    QVERIFY(!ChildRead::read(QFile::encodeName(path), &table, &error));
    QCOMPARE(error.kind, kind);
    QVERIFY(!error.detail.contains(QStringLiteral("memory")));
}

// The helper ends with the process that started it, even stopped: here a shell that
// starts it, waits for its first byte (it is then past its own set-up), stops it and
// goes.
void TestJetReader::helperEndsWithItsParent()
{
    const QString helper = ChildRead::helperPath();
    QVERIFY(!helper.isEmpty());
    // More than the helper's first block and a pipe's worth, so that it is still writing.
    std::vector<Record> records;
    for (int i = 0; i < 300; ++i)
        records.push_back(Record{{QString(4000, QChar(0x0628 + i % 20)), QString::number(i)}});
    const QString db = m_dir.filePath(QStringLiteral("orphan.mdb"));
    writeBytes(db, written(records));
    const QString fifo = m_dir.filePath(QStringLiteral("orphan.fifo"));
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("mkfifo \"$2\"; \"$0\" \"$1\" $$ > \"$2\" & exec 3< \"$2\"; "
                                "head -c 1 <&3 > /dev/null; kill -STOP $!; echo $!"),
                 helper, db, fifo});
    QVERIFY(shell.waitForFinished(60000));
    bool ok = false;
    const pid_t orphan = pid_t(shell.readAllStandardOutput().trimmed().toInt(&ok));
    QVERIFY(ok && orphan > 0);
    // Gone, or a zombie that waits for whoever adopted it.
    const auto ended = [orphan] {
        const QByteArray stat = fileBytes(QStringLiteral("/proc/%1/stat").arg(orphan), true);
        const qsizetype state = stat.lastIndexOf(')') + 2;
        return stat.isEmpty() || stat.at(state) == 'Z' || stat.at(state) == 'X';
    };
    QTRY_VERIFY_WITH_TIMEOUT(ended(), 20000);

    // Told another parent than its own, it ends at once without a word.
    QProcess misled;
    misled.start(helper, {db, QStringLiteral("1")});
    QVERIFY(misled.waitForFinished(60000));
    QCOMPARE(misled.exitCode(), 2);
    QCOMPARE(misled.readAllStandardOutput(), QByteArray());
}

// One flipped byte in a memo's pointer sends it far past the end of the file: the reader
// says so without first making room for a map of every row up to there (466 MB on the
// file it was found in). The measure is the peak memory of a reading in this process,
// from a peak reset to what is in use.
void TestJetReader::farPointerCostsNoMemory()
{
    const QByteArray chained
        = written({Record{{QString(3000, QChar(0x0628))}}, Record{{QString(3000, QChar(0x062A))}}});
    const qsizetype head = chained.indexOf(QByteArray("\x70\x17\0\0", 4));
    QVERIFY(head > 0);
    QByteArray far = chained;
    far[head + 7] = char(0xDF); // the page number's high byte
    const QString db = m_dir.filePath(QStringLiteral("far.mdb"));
    writeBytes(db, far);

    HadithTable table;
    Error error;
    QVERIFY(!ChildRead::read(QFile::encodeName(db), &table, &error));
    QCOMPARE(error.kind, Error::Damaged);
    QVERIFY2(error.detail.contains(QStringLiteral("missing long-value row")),
             qPrintable(error.detail));

    if (!resetPeak())
        QSKIP("the peak memory cannot be reset here");
    const long before = peakKiB();
    QVERIFY(!JetReader::readBytes(far, &table, &error));
    QCOMPARE(error.kind, Error::Damaged);
    QVERIFY2(peakKiB() - before < 100 * 1024, qPrintable(QString::number(peakKiB() - before)));
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
    QVERIFY(!ChildRead::read(QFile::encodeName(path), &table, &error));
    QCOMPARE(error.kind, Error::Damaged);
    QVERIFY(!error.detail.isEmpty());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!JetReader::readBytes(f.readAll(), &table, &error));
    QCOMPARE(error.kind, Error::Damaged);
}

// The test program is also the forged helper of the tests above, started with --forge.
int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--forge") == 0)
        return forge(argv[2]);
    TestJetReader test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_jetreader.moc"
