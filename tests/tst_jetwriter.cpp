#include "handover/childreader.h"
#include "jet/copytext.h"
#include "jet/jetreader.h"
#include "testutil.h"

#include <QtTest>

#include <QStandardPaths>
#include <QTemporaryDir>

using tembra::Field;
using tembra::JetWriter;
using tembra::Record;
using testutil::record;
using Records = std::vector<Record>;

Q_DECLARE_METATYPE(Records)

namespace {

const Field null = std::nullopt;

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}
// QString::fromUtf8 drops a leading byte order mark, so such values are put together here.
QString feff(const QString &rest = {})
{
    return QChar(0xFEFF) + rest;
}
QString ucs4(const char32_t *text)
{
    return QString::fromUcs4(text);
}

// Arabic of exactly n UTF-16 units: words with diacritics, spaces between.
QString arabic(qsizetype n, int seed = 0)
{
    static const QStringList words = u("حَدَّثَنَا عَبْدُ اللَّهِ قَالَ رَسُولُ النَّبِيِّ ﷺ عَنْ أَبِي هُرَيْرَةَ").split(u' ');
    QString s;
    for (int i = seed; s.size() < n; ++i)
        s += words[i % words.size()] + u' ';
    s.truncate(n);
    return s;
}

QString latin(qsizetype n) // printable Latin-1, no controls
{
    QString s;
    for (qsizetype i = 0; i < n; ++i)
        s += QChar(char16_t(0x20 + i % 0xDF));
    return s;
}

bool haveMdbTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty();
}

QByteArray runMdb(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return "failed: " + p.readAllStandardError();
    return p.readAllStandardOutput();
}

QString show(const Field &f)
{
    return f ? QStringLiteral("%1 units \"%2\"").arg(f->size()).arg(f->left(50))
             : QStringLiteral("NULL");
}

// mdb-count, then Table1 as mdb-export prints it with C escapes. Allowing for what
// mdb-export cannot show: "" prints like NULL, a surrogate unit as '?', and a value is
// cut at 200,000 bytes.
void compareExport(const QString &path, const Records &records)
{
    QCOMPARE(runMdb(QStringLiteral("mdb-count"), {path, QStringLiteral("Table1")}).trimmed(),
             QByteArray::number(qulonglong(records.size())));
    const QByteArray out = runMdb(QStringLiteral("mdb-export"),
                                  {QStringLiteral("-HQe"), QStringLiteral("-d"),
                                   QStringLiteral("\t"), path, QStringLiteral("Table1")});
    QVERIFY2(!out.startsWith("failed: "), out.constData());
    QList<QByteArray> lines = out.split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    QCOMPARE(std::size_t(lines.size()), records.size());

    for (qsizetype r = 0; r < lines.size(); ++r) {
        Record got; // the escapes are COPY's, and NULL never prints as \N
        tembra::Error error;
        QVERIFY2(tembra::copytext::parseLine(lines[r], &got, &error), qPrintable(error.detail));
        for (int c = 0; c < tembra::kColumnCount; ++c) {
            QString want = records[size_t(r)].tab[c].value_or(QString());
            for (QChar &ch : want)
                ch = ch.isSurrogate() ? QChar(u'?') : ch;
            const QString have = got.tab[c].value_or(QString());
            const bool cut
                = want.toUtf8().size() > 199990 && want.startsWith(have) && have.size() > 50000;
            if (have != want && !cut)
                QFAIL(qPrintable(QStringLiteral("mdb-export row %1 Tab%2: got %3, want %4")
                                     .arg(r + 1)
                                     .arg(c + 1)
                                     .arg(show(have), show(want))));
        }
    }
}

// The project's reader must give every value back exactly, NULL apart from "".
void compareReader(const QString &path, const Records &records)
{
    tembra::HadithTable table;
    tembra::Error error;
    QVERIFY2(tembra::ChildRead::read(QFile::encodeName(path), &table, &error),
             qPrintable(error.detail));
    QCOMPARE(std::size_t(table.rowCount()), records.size());
    for (int r = 0; r < table.rowCount(); ++r) {
        const Record got = table.record(r);
        for (int c = 0; c < tembra::kColumnCount; ++c) {
            const Field &want = records[size_t(r)].tab[c];
            if (got.tab[c] != want)
                QFAIL(qPrintable(QStringLiteral("row %1 Tab%2: got %3, want %4")
                                     .arg(r + 1)
                                     .arg(c + 1)
                                     .arg(show(got.tab[c]), show(want))));
        }
    }
}

void writeAndCompare(const Records &records, QByteArray *head = nullptr)
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Data.mdb"));
    const QString error = testutil::writeCollection(path, records);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    if (head) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        *head = file.read(2 * 4096);
    }
    compareReader(path, records);
    if (QTest::currentTestFailed())
        return;
    if (!haveMdbTools())
        QSKIP("mdbtools (mdb-export, mdb-count) is not installed: checked with the project's "
              "reader only");
    compareExport(path, records);
}

} // namespace

class TestJetWriter : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip()
    {
        QFETCH(Records, records);
        writeAndCompare(records);
    }
    void manyRows();
    void dataPagesPastFirstBitmap();
    void refusals_data();
    void refusals();
    void layout();
};

void TestJetWriter::roundTrip_data()
{
    QTest::addColumn<Records>("records");

    QTest::newRow("no rows") << Records{};
    QTest::newRow("NULL and empty in every column")
        << Records{record(), record(u(""), u(""), u(""), u(""), u("")),
                   record(u(""), null, u(""), null, u("")), record(null, u(""), null, u(""), null)};
    QTest::newRow("arabic and kurdish") << Records{
        record(arabic(500), u("صحيح البخاري"), u("كتاب الإيمان"), u("باب ١٢"), u("٣٤٥")),
        record(u("کوردی: ێ ۆ ڕ ڵ ڤ ە"), u("ك ي ى ه ة"), u("ـــ"), u("a\u200cb"), u("  spaced  "))};
    // The low surrogate of many emoji (U+DE00) has a zero byte: never compressible.
    const QString emoji = ucs4(U"\U0001F600\U0001D54F\U00020000");
    QTest::newRow("characters outside the BMP") << Records{
        record(emoji, emoji, u("a") + emoji, emoji + u("ب"), emoji.repeated(42) + u("xyz")),
        record((emoji + arabic(7)).repeated(3000), null, null, null, emoji)};
    // Inline up to 64 bytes (32 Arabic letters); one LVAL row up to 4,076 bytes (2,038);
    // then chains, whose last piece may be full (4,072 letters: two full pieces).
    Records sizes;
    for (const qsizetype n : {30, 32, 33, 100, 2036, 2038, 2039, 3000, 4072, 70000, 200001})
        sizes.push_back(record(arabic(n, int(n)), QString::number(n)));
    sizes.push_back(record(arabic(250000), u("after the longest")));
    QTest::newRow("memo sizes") << sizes;
    QTest::newRow("255-unit text values")
        << Records{record(null, arabic(255), latin(255), ucs4(U"\U0001F600").repeated(127) + u("x"),
                          arabic(255, 1)),
                   record(arabic(70000), arabic(255, 2), latin(255), arabic(255, 3), latin(255))};
    // Compressed when pure Latin-1 of 3..1024 units; "ÿþ" first must still read as text.
    QTest::newRow("latin-1 values") << Records{
        record(u("a"), u("ab"), u("abc"), u("éàü"), u("\u00ff\u00feabc")),
        record(latin(32), latin(33), u("\u0001\u00ff"), u("\u00ff\u00fe"), u("mix é ب")),
        record(latin(1024), u("\u0100abc"), u("abc\u0100"), null, null),
        record(latin(1025), null, null, null, null), record(latin(3000), null, null, null, null)};
    QTest::newRow("values starting with U+FEFF") << Records{
        record(feff(u("abc")), feff(), feff(u("قال")), feff(feff(u("x"))),
               feff(ucs4(U"\U0001D54F"))),
        record(feff(arabic(1000)), feff(u("a\u00e9b")), u("a\ufeff"), feff(u(" ")), null)};
    QTest::newRow("COPY escapes as data")
        << Records{record(u("tab\there\nnew line\r\n"), u("\\N"), u("\\"), u("\\t"), u("\t"))};
}

void TestJetWriter::manyRows()
{
    Records records;
    for (int i = 0; i < 100000; ++i) {
        const QString num = QString::number(i);
        const Field memo = i % 7 == 0 ? null
            : i % 11 == 0             ? Field(u(""))
            : i % 5 == 0              ? Field(latin(40) + num)
                                      : Field(arabic(i % 90, i) + num);
        records.push_back(record(memo, num, i % 3 ? Field(u("باب ") + num) : null,
                                 i % 4 ? Field(u("")) : null,
                                 i % 13 ? Field(u("book") + num) : Field(u("کوردی"))));
    }
    writeAndCompare(records);
}

void TestJetWriter::dataPagesPastFirstBitmap()
{
    // Memos of 4 million letters (about 1,965 pages each) between rows that fill a data
    // page each: the last data pages lie past page 32,736, where the table's second
    // usage bitmap page takes over.
    Records records;
    const QString huge = arabic(4000000);
    const QString full = arabic(255, 1);
    for (int i = 0; i < 18; ++i)
        records.push_back(record(huge, QString::number(i) + full.mid(2), full, full, full));
    QByteArray head;
    writeAndCompare(records, &head);

    const qsizetype mapRow = 2 * 4096 - 6 * 69; // row 5 of page 1: Table1's pages, type 1
    QCOMPARE(head.size(), 2 * 4096);
    QCOMPARE(int(head[mapRow]), 1);
    QVERIFY(head.mid(mapRow + 5, 4) != QByteArray(4, '\0'));
}

void TestJetWriter::refusals_data()
{
    QTest::addColumn<Records>("records");
    QTest::addColumn<QString>("message");

    const Record fine = record(arabic(100), u("a"), null, u(""));
    QTest::newRow("256 units of text")
        << Records{fine, record(null, latin(256))} << "record 2: Tab2 has 256 characters";
    QTest::newRow("128 emoji are 256 units")
        << Records{fine, fine, record(null, null, null, null, ucs4(U"\U0001F600").repeated(128))}
        << "record 3: Tab5 has 256 characters";
    QTest::newRow("U+FEFF, U+0100") << Records{record(null, null, null, feff(u("a\u0100")))}
                                    << "record 1: Tab4 begins with U+FEFF and also holds U+0100";
    QTest::newRow("U+FEFF, an emoji")
        << Records{fine, record(null, null, feff(ucs4(U"\U0001F600")))}
        << "record 2: Tab3 begins with U+FEFF and also holds U+DE00";
    QTest::newRow("U+FEFF, long memo")
        << Records{fine, record(feff(arabic(1024)))}
        << "record 2: Tab1 begins with U+FEFF and is longer than 1024";
    QTest::newRow("memo of 16 MiB") << Records{record(QString(8388608, QChar(0x0628)))}
                                    << "record 1: Tab1 has 8388608 characters";
}

void TestJetWriter::refusals()
{
    QFETCH(Records, records);
    QFETCH(QString, message);

    tembra::Error error;
    QVERIFY(!JetWriter::validate(records, &error));
    QVERIFY2(error.detail.startsWith(message), qPrintable(error.detail));

    // No file, and an older one under the same name left as it was.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Data.mdb"));
    QVERIFY(!JetWriter::write(QFile::encodeName(path), records, &error));
    QVERIFY2(error.detail.startsWith(message), qPrintable(error.detail));
    QVERIFY(QDir(dir.path()).isEmpty());
    QCOMPARE(testutil::writeCollection(path, {record(u("old"))}), QString());
    const QByteArray before = testutil::fileBytes(path);
    QVERIFY(!JetWriter::write(QFile::encodeName(path), records, &error));
    QCOMPARE(testutil::fileBytes(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("Data.mdb")});

    // The same values one unit short of the limits pass.
    const Records atLimits{record(QString(8388607, QChar(0x0628)), latin(255), feff(latin(254)),
                                  ucs4(U"\U0001F600").repeated(127) + u("x"), null),
                           record(feff(arabic(1023)))};
    QVERIFY2(JetWriter::validate(atLimits, &error), qPrintable(error.detail));
}

void TestJetWriter::layout()
{
    // Five NULLs, then five empty values, laid out as Access does: the offset table
    // reversed and ending in the count, Tab1 last among the variable columns, the empty
    // memo a bare inline header, rows packed from the page end with no gap.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const Records records{record(), record(u(""), u(""), u(""), u(""), u(""))};
    QCOMPARE(testutil::writeCollection(dir.filePath(QStringLiteral("a.mdb")), records), QString());
    const QByteArray bytes = testutil::fileBytes(dir.filePath(QStringLiteral("a.mdb")));
    const QByteArray page = bytes.mid(5 * 4096, 4096);
    QCOMPARE(page.left(18),
             QByteArray::fromHex("0101"
                                 "c00f"
                                 "04000000"
                                 "00000000"
                                 "0200"
                                 "ef0f"
                                 "d20f"));
    QCOMPARE(page.right(17 + 29),
             QByteArray::fromHex("0500000000800000000000000000"
                                 "0e00"
                                 "02000200020002000200"
                                 "0500"
                                 "1f"
                                 "0500"
                                 "0200"
                                 "02000200020002000200"
                                 "0500"
                                 "00"));
    QCOMPARE(page.mid(18, 4096 - 18 - 46), QByteArray(4096 - 18 - 46, '\0'));

    // The same rows give the same bytes, down to the header's creation date and the
    // unused ends of LVAL pages.
    Records more = records;
    more.push_back(record(arabic(9000), latin(40), feff(u("x"))));
    more.push_back(record(arabic(300)));
    QCOMPARE(testutil::writeCollection(dir.filePath(QStringLiteral("b.mdb")), more), QString());
    QCOMPARE(testutil::writeCollection(dir.filePath(QStringLiteral("c.mdb")), more), QString());
    const QByteArray once = testutil::fileBytes(dir.filePath(QStringLiteral("b.mdb")));
    QCOMPARE(once.size() % 4096, 0);
    QVERIFY(once == testutil::fileBytes(dir.filePath(QStringLiteral("c.mdb"))));
    if (haveMdbTools())
        QCOMPARE(
            runMdb(QStringLiteral("mdb-ver"), {dir.filePath(QStringLiteral("a.mdb"))}).trimmed(),
            QByteArray("JET4"));
}

QTEST_GUILESS_MAIN(TestJetWriter)
#include "tst_jetwriter.moc"
