#include "base/utf8.h"
#include "jet/copytext.h"

#include <QtTest>

using tembra::Record;
namespace copytext = tembra::copytext;

Q_DECLARE_METATYPE(tembra::Record)

namespace {

const tembra::Field null = std::nullopt;

// Not for text starting with U+FEFF: QString::fromUtf8 drops it.
QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

class TestCopyText : public QObject {
    Q_OBJECT

private slots:
    void bothWays_data();
    void bothWays();
    void refusals_data();
    void refusals();
    void lines_data();
    void lines();
    void strictUtf8_data();
    void strictUtf8();
};

void TestCopyText::bothWays_data()
{
    QTest::addColumn<QByteArray>("line"); // canonical, so formatting gives it back
    QTest::addColumn<Record>("record");

    QTest::newRow("the four escapes")
        << QByteArray("x\\ty\t\\n\t\\r\\n\ta\\\\b\t\\\\")
        << Record{{u("x\ty"), u("\n"), u("\r\n"), u("a\\b"), u("\\")}};
    QTest::newRow("NULL, empty and the text \\N")
        << QByteArray("\\N\t\t\\\\N\tN\t\\\\\\\\N")
        << Record{{null, u(""), u("\\N"), u("N"), u("\\\\N")}};
    QTest::newRow("all NULL") << QByteArray("\\N\t\\N\t\\N\t\\N\t\\N") << Record{};
    QTest::newRow("all empty") << QByteArray("\t\t\t\t")
                               << Record{{u(""), u(""), u(""), u(""), u("")}};
    QTest::newRow("arabic and kurdish")
        << QByteArray("حَدَّثَنَا\tکوردی ێ ۆ ڕ ڵ\tـــ\xe2\x80\x8c\t١\t ")
        << Record{{u("حَدَّثَنَا"), u("کوردی ێ ۆ ڕ ڵ"), u("ـــ\u200c"), u("١"), u(" ")}};
    QTest::newRow("non-BMP and the edges of UTF-8")
        << QByteArray("\xf0\x9f\x98\x80\t\xf4\x8f\xbf\xbf\t\xef\xbf\xbf\t\xc2\x80\t\xef\xbb\xbf"
                      "a")
        << Record{{QString::fromUcs4(U"\U0001F600"), QString::fromUcs4(U"\U0010FFFF"),
                   QString(QChar(0xFFFF)), QString(QChar(0x80)), QChar(0xFEFF) + u("a")}};
}

void TestCopyText::bothWays()
{
    QFETCH(QByteArray, line);
    QFETCH(Record, record);

    Record got;
    tembra::Error error;
    QVERIFY2(copytext::parseLine(line, &got, &error), qPrintable(error.detail));
    for (int c = 0; c < tembra::kColumnCount; ++c) // by column, so that a failure says which
        QCOMPARE(got.tab[c], record.tab[c]);
    QCOMPARE(copytext::formatRecord(record), line + '\n');
}

void TestCopyText::refusals_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");

    const QByteArray ok = "a\tb\tc\td\te\n";
    QTest::newRow("four fields") << ok + "a\tb\tc\td\n"
                                 << "line 2: expected 5 fields, found 4";
    QTest::newRow("six fields") << "a\tb\tc\td\te\tf\n" + ok
                                << "line 1: expected 5 fields, found 6";
    QTest::newRow("empty line") << ok + ok + "\n" + ok << "line 3: expected 5 fields, found 1";
    QTest::newRow("unknown escape") << ok + "a\\x\tb\tc\td\te\n"
                                    << "line 2: bad escape \"\\x\" in field 1";
    QTest::newRow("\\N inside a field") << ok + "a\tb\tx\\N\td\te"
                                        << "line 2: bad escape \"\\N\"";
    QTest::newRow("lone backslash ending the line")
        << ok + ok + "a\tb\tc\td\te\\\n"
        << "line 3: lone backslash with nothing after it in field 5";
    QTest::newRow("lone backslash ending a field")
        << QByteArray("a\\\tb\tc\td\te")
        << "line 1: lone backslash with nothing after it in field 1";
    QTest::newRow("raw CR") << ok + "a\tb\rc\tc\td\te\n"
                            << "line 2: raw carriage return";
    QTest::newRow("CRLF line end")
        << QByteArray("a\tb\tc\td\te\r\n") << "line 1: raw carriage return";
    QTest::newRow("NUL byte") << ok + QByteArray("a\tb\tc\0\td\te\n", 11)
                              << "line 2: NUL byte in field 3";
    QTest::newRow("byte FF") << ok + "\xff\tb\tc\td\te\n"
                             << "line 2: invalid UTF-8";
    QTest::newRow("overlong") << QByteArray("a\tb\tc\t\xc0\xaf\te") << "line 1: invalid UTF-8";
    QTest::newRow("encoded surrogate") << ok + "\xed\xa0\x80\tb\tc\td\te"
                                       << "line 2: invalid UTF-8";
    QTest::newRow("above U+10FFFF")
        << QByteArray("\xf4\x90\x80\x80\tb\tc\td\te") << "line 1: invalid UTF-8";
    QTest::newRow("cut short by the end")
        << QByteArray("a\tb\tc\td\t\xd8") << "line 1: invalid UTF-8";
    QTest::newRow("cut short by a tab")
        << QByteArray("\xe2\x82\tb\tc\td\te") << "line 1: invalid UTF-8";
}

void TestCopyText::refusals()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, message);

    const Record before{{u("kept")}};
    std::vector<Record> out{before};
    tembra::Error error;
    QVERIFY(!copytext::parse(input, &out, &error));
    QVERIFY2(error.detail.startsWith(message), qPrintable(error.detail));
    QCOMPARE(out.size(), std::size_t(1)); // nothing appended, not even the good lines
    QCOMPARE(out.front(), before);
}

void TestCopyText::lines_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("records");

    QTest::newRow("empty input") << QByteArray() << 0;
    QTest::newRow("last line without LF") << QByteArray("a\tb\tc\td\te\n\\N\t\t\t\t") << 2;
    QTest::newRow("escaped LF is no line end") << QByteArray("a\\nb\tb\tc\td\te\n") << 1;
    QTest::newRow("canonical input") << QByteArray("\\N\t\t\\\\N\t\\\\\t\\\\\\\\\n"
                                                   "a\\tb\\nc\\rd\\\\e\t\\t\t\\n\\n\t\\r\tx\n"
                                                   "قال ﷺ\t\xf0\x9f\x98\x80\tکوردی\t\xef\xbb\xbf"
                                                   "b\t\\N\n"
                                                   "\t\t\t\t\n")
                                     << 4;
}

void TestCopyText::lines()
{
    QFETCH(QByteArray, input);
    QFETCH(int, records);

    std::vector<Record> out{Record{{u("already there")}}};
    tembra::Error error;
    QVERIFY2(copytext::parse(input, &out, &error), qPrintable(error.detail));
    QCOMPARE(int(out.size()), 1 + records);
    QCOMPARE(out.front(), Record{{u("already there")}});

    if (input.endsWith('\n')) {
        QByteArray formatted;
        for (std::size_t i = 1; i < out.size(); ++i)
            formatted += copytext::formatRecord(out[i]);
        QCOMPARE(formatted, input);
    }
}

// The decoder both COPY text and the settings file rely on, at the edges of each length
// of sequence; the code points are written out by hand.
void TestCopyText::strictUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<uint>>("codePoints"); // empty: refused

    const QList<uint> refused;
    QTest::newRow("ASCII edges") << QByteArray("\x01\x7f", 2) << QList<uint>{0x01, 0x7F};
    QTest::newRow("U+0080, U+07FF") << QByteArray("\xc2\x80\xdf\xbf") << QList<uint>{0x80, 0x7FF};
    QTest::newRow("U+0800, U+D7FF, U+E000, U+FFFF")
        << QByteArray("\xe0\xa0\x80\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbf")
        << QList<uint>{0x800, 0xD7FF, 0xE000, 0xFFFF};
    QTest::newRow("U+10000, U+10FFFF")
        << QByteArray("\xf0\x90\x80\x80\xf4\x8f\xbf\xbf") << QList<uint>{0x10000, 0x10FFFF};
    QTest::newRow("Sorani with a non-joiner")
        << QByteArray("\xda\xa9\xe2\x80\x8c\xdb\x95") << QList<uint>{0x6A9, 0x200C, 0x6D5};
    QTest::newRow("overlong two bytes") << QByteArray("\xc1\xbf") << refused;
    QTest::newRow("overlong three bytes") << QByteArray("\xe0\x9f\xbf") << refused;
    QTest::newRow("overlong four bytes") << QByteArray("\xf0\x8f\xbf\xbf") << refused;
    QTest::newRow("encoded high surrogate") << QByteArray("\xed\xa0\x80") << refused;
    QTest::newRow("encoded low surrogate") << QByteArray("\xed\xbf\xbf") << refused;
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << refused;
    QTest::newRow("byte F5") << QByteArray("a\xf5\x80\x80\x80") << refused;
    QTest::newRow("lone continuation") << QByteArray("a\x80") << refused;
    QTest::newRow("bad continuation") << QByteArray("\xe2\x28\xa1") << refused;
    QTest::newRow("cut short") << QByteArray("\xf0\x9f\x98") << refused;
}

void TestCopyText::strictUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<uint>, codePoints);

    QString why;
    QChar units[16];
    const qsizetype n
        = tembra::utf8::decode(bytes.constData(), bytes.constData() + bytes.size(), units, &why);
    QCOMPARE(tembra::utf8::isValid(bytes, &why), !codePoints.isEmpty());
    if (codePoints.isEmpty()) {
        QCOMPARE(n, qsizetype(-1));
        QVERIFY2(why.startsWith(QLatin1String("invalid UTF-8")), qPrintable(why));
        return;
    }
    QCOMPARE(QString(units, n).toUcs4(), codePoints);
}

QTEST_APPLESS_MAIN(TestCopyText)
#include "tst_copytext.moc"
