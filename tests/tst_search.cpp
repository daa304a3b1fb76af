// The LIKE matcher and the table search: the pattern language, letter case, and the
// fast scan checked against a plain row-by-row match on random tables.

#include "collection/hadithtable.h"
#include "collection/likepattern.h"
#include "collection/tablesearch.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tembra;

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void like_data();
    void like();
    void foldKeepsLength();
    void findUnitsAgreesWithIndexOf();
    void scanAgreesWithRowByRow_data();
    void scanAgreesWithRowByRow();
    void nullNeverMatches();
    void matchAcrossRowsIsNoMatch();
    void otherColumns();
};

void TestSearch::like_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("match");

    const QString arabic = QStringLiteral(u"إِنَّمَا الأَعْمَالُ بِالنِّيَّاتِ");
    QTest::newRow("substring") << QStringLiteral(u"%الأَعْمَالُ%") << arabic << true;
    QTest::newRow("absent") << QStringLiteral(u"%الأعمال%") << arabic
                            << false; // marks are not folded
    QTest::newRow("at start") << QStringLiteral(u"%إِنَّمَا%") << arabic << true;
    QTest::newRow("at end") << QStringLiteral(u"%يَّاتِ%") << arabic << true;
    QTest::newRow("anchored start") << QStringLiteral("abc%") << QStringLiteral("abcdef") << true;
    QTest::newRow("anchored start fails")
        << QStringLiteral("bc%") << QStringLiteral("abcdef") << false;
    QTest::newRow("anchored end") << QStringLiteral("%def") << QStringLiteral("abcdef") << true;
    QTest::newRow("anchored end fails")
        << QStringLiteral("%de") << QStringLiteral("abcdef") << false;
    QTest::newRow("exact") << QStringLiteral("abc") << QStringLiteral("abc") << true;
    QTest::newRow("exact longer text") << QStringLiteral("abc") << QStringLiteral("abcd") << false;
    QTest::newRow("case ignored") << QStringLiteral("%HeLLo%") << QStringLiteral("say hello there")
                                  << true;
    QTest::newRow("case ignored in text")
        << QStringLiteral("%hello%") << QStringLiteral("SAY HELLO") << true;
    QTest::newRow("accents not folded")
        << QStringLiteral("%cafe%") << QStringLiteral(u"café") << false;
    QTest::newRow("accented case")
        << QStringLiteral(u"%ÉCOLE%") << QStringLiteral(u"une école") << true;
    QTest::newRow("underscore one") << QStringLiteral("%a_c%") << QStringLiteral("xxabcxx") << true;
    QTest::newRow("underscore not zero")
        << QStringLiteral("%a_c%") << QStringLiteral("xxacxx") << false;
    QTest::newRow("underscore not two")
        << QStringLiteral("%a_c%") << QStringLiteral("xxabbcxx") << false;
    QTest::newRow("underscore takes a surrogate pair")
        << QStringLiteral("%a_c%") << QStringLiteral(u"a\U0001F600c") << true;
    QTest::newRow("underscores only") << QStringLiteral("%___%") << QStringLiteral("ab") << false;
    QTest::newRow("underscores only, enough")
        << QStringLiteral("%___%") << QStringLiteral("abc") << true;
    QTest::newRow("percent run") << QStringLiteral("%a%c%") << QStringLiteral("xaxxxcx") << true;
    QTest::newRow("percent order") << QStringLiteral("%c%a%") << QStringLiteral("xaxxxcx") << false;
    QTest::newRow("only percents") << QStringLiteral("%%%%%") << QString() << true;
    QTest::newRow("empty pattern, empty text") << QString() << QString() << true;
    QTest::newRow("empty pattern, some text") << QString() << QStringLiteral("a") << false;
    QTest::newRow("leading space kept")
        << QStringLiteral("% word%") << QStringLiteral("a word") << true;
    QTest::newRow("leading space needed")
        << QStringLiteral("% word%") << QStringLiteral("word") << false;
    QTest::newRow("trailing space needed")
        << QStringLiteral("%word %") << QStringLiteral("a word") << false;
    QTest::newRow("trailing space found")
        << QStringLiteral("%word %") << QStringLiteral("word here") << true;
    QTest::newRow("brackets are literal")
        << QStringLiteral("%[ab]%") << QStringLiteral("x[ab]x") << true;
    QTest::newRow("brackets not a class")
        << QStringLiteral("%[ab]%") << QStringLiteral("xax") << false;
    QTest::newRow("asterisk literal") << QStringLiteral("%a*%") << QStringLiteral("abc") << false;
    QTest::newRow("apostrophe") << QStringLiteral("%it's%") << QStringLiteral("so it's here")
                                << true;
    QTest::newRow("zwnj is a character")
        << QStringLiteral(u"%فه\u200Cرموو%") << QStringLiteral(u"فه\u200Cرمووده") << true;
    QTest::newRow("zwnj must be there")
        << QStringLiteral(u"%فه\u200Cرموو%") << QStringLiteral(u"فهرمووده") << false;
    QTest::newRow("kurdish and arabic kaf differ")
        << QStringLiteral(u"%كتاب%") << QStringLiteral(u"کتاب") << false;
    QTest::newRow("non-BMP literal")
        << QStringLiteral(u"%\U0001F54C%") << QStringLiteral(u"x\U0001F54Cx") << true;
    QTest::newRow("non-BMP case") << QStringLiteral(u"%\U00010400%")
                                  << QStringLiteral(u"\U00010428") << true;
    QTest::newRow("end anchor after underscore")
        << QStringLiteral("%b_") << QStringLiteral(u"ab\U0001F600") << true;
    QTest::newRow("repeated prefix") << QStringLiteral("%aab%") << QStringLiteral("aaaab") << true;
    QTest::newRow("parts may not overlap")
        << QStringLiteral("%aba%bab%") << QStringLiteral("ababa") << false;
    QTest::newRow("parts side by side")
        << QStringLiteral("%aba%bab%") << QStringLiteral("ababab") << true;
}

void TestSearch::like()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, match);
    QCOMPARE(LikePattern(pattern).matches(text), match);
}

void TestSearch::foldKeepsLength()
{
    const QString mixed = QStringLiteral(u"ÀBC ẞ ΣΑΣ \U00010400 İ K Ω كتاب");
    const QString folded = foldCase(mixed);
    QCOMPARE(folded.size(), mixed.size());
    QVERIFY(!isFoldInvariant(mixed));
    QVERIFY(isFoldInvariant(folded));
    QVERIFY(isFoldInvariant(QStringLiteral(u"إِنَّمَا الأَعْمَالُ 123")));
}

void TestSearch::findUnitsAgreesWithIndexOf()
{
    auto *rng = QRandomGenerator::global();
    const char16_t alphabet[] = {u'a', u'b', u'\u0627', u'\u0644'};
    for (int round = 0; round < 2000; ++round) {
        QString hay, needle;
        const int hn = int(rng->bounded(0, 90));
        const int nn = int(rng->bounded(1, 5));
        for (int i = 0; i < hn; ++i)
            hay.append(QChar(alphabet[rng->bounded(4)]));
        for (int i = 0; i < nn; ++i)
            needle.append(QChar(alphabet[rng->bounded(4)]));
        const qsizetype from = rng->bounded(0, hn + 1);
        QCOMPARE(findUnits(hay, needle, from), QStringView(hay).indexOf(needle, from));
    }
}

namespace {

// A random table over a small alphabet, so that patterns hit often, with some rows
// NULL, some empty and some that case folding changes.
HadithTable randomTable(QRandomGenerator *rng, int rows)
{
    const char16_t alphabet[] = {u'a', u'b', u'A', u'B', u' ', u'\u0627', u'\u0644', u'\u200C'};
    HadithTable table;
    for (int r = 0; r < rows; ++r) {
        table.appendRow();
        const auto kind = rng->bounded(10);
        if (kind == 0)
            continue; // NULL
        QString text;
        const int n = kind == 1 ? 0 : int(rng->bounded(0, 40));
        for (int i = 0; i < n; ++i)
            text.append(QChar(alphabet[rng->bounded(kind < 5 ? 2 : 8)]));
        table.setField(0, text);
        table.setField(1, QString::number(r));
    }
    return table;
}

QString randomPattern(QRandomGenerator *rng)
{
    const char16_t alphabet[] = {u'a', u'b', u'A', u' ', u'\u0627', u'%', u'_', u'%'};
    QString p;
    const int n = int(rng->bounded(0, 7));
    for (int i = 0; i < n; ++i)
        p.append(QChar(alphabet[rng->bounded(8)]));
    return p;
}

} // namespace

void TestSearch::scanAgreesWithRowByRow_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 42u, 2026u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

void TestSearch::scanAgreesWithRowByRow()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    const HadithTable table = randomTable(&rng, 400);
    const TableSearch search(table);
    for (int round = 0; round < 300; ++round) {
        const QString text = randomPattern(&rng);
        const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
        const LikePattern like(pattern);
        std::vector<int> expected;
        for (int r = 0; r < table.rowCount(); ++r) {
            if (!table.isNull(r, 0) && like.matches(table.view(r, 0)))
                expected.push_back(r);
        }
        const std::vector<int> found = search.run(like);
        if (found != expected)
            QFAIL(qPrintable(QStringLiteral("pattern \"%1\": %2 rows found, %3 expected")
                                 .arg(pattern)
                                 .arg(found.size())
                                 .arg(expected.size())));
    }
}

void TestSearch::nullNeverMatches()
{
    HadithTable table;
    table.appendRow(); // NULL
    table.appendRow();
    table.setField(0, QString()); // empty
    const TableSearch search(table);
    QCOMPARE(search.run(LikePattern(QStringLiteral("%%%%%"))), std::vector<int>{1});
    QCOMPARE(search.run(LikePattern(QStringLiteral("%___%"))), std::vector<int>{});
}

void TestSearch::matchAcrossRowsIsNoMatch()
{
    HadithTable table;
    for (const char *t : {"xxab", "cdxx", "abcd"}) {
        table.appendRow();
        table.setField(0, QString::fromLatin1(t));
    }
    const TableSearch search(table);
    QCOMPARE(search.run(LikePattern(QStringLiteral("%abcd%"))), std::vector<int>{2});
    QCOMPARE(search.run(LikePattern(QStringLiteral("%ABCD%"))), std::vector<int>{2});
}

void TestSearch::otherColumns()
{
    HadithTable table;
    for (const char *book : std::initializer_list<const char *>{"Sahih Muslim", "Sunan", nullptr}) {
        table.appendRow();
        table.setField(0, QStringLiteral("text"));
        if (book)
            table.setField(4, QString::fromLatin1(book));
    }
    const TableSearch search(table);
    QCOMPARE(search.run(LikePattern(QStringLiteral("%SAHIH%")), 4), std::vector<int>{0});
    QCOMPARE(search.run(LikePattern(QStringLiteral("%")), 4), (std::vector<int>{0, 1}));
}

QTEST_APPLESS_MAIN(TestSearch)
#include "tst_search.moc"
