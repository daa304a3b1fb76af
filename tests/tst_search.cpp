// The LIKE matcher and the table search: the pattern language, the two comparisons, and the
// fast scans checked against plain references on random tables.

#include "search/hadithtable.h"
#include "search/likepattern.h"
#include "search/pane.h"
#include "search/tablesearch.h"

#include <QRandomGenerator>
#include <QTest>

#include <string>

using namespace tembra;

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void like_data();
    void like();
    void foldKeepsLength();
    void findersAgreeWithIndexOf();
    void exactScanAgreesWithRowByRow_data();
    void exactScanAgreesWithRowByRow();
    void foldedRule_data();
    void foldedRule();
    void foldedScanAgreesWithReference_data();
    void foldedScanAgreesWithReference();
    void nullNeverMatches();
    void matchAcrossRowsIsNoMatch();
    void otherColumns();
    void paneOccurrences_data();
    void paneOccurrences();
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

namespace {

// Every place of needle in hay, by QStringView::indexOf.
std::vector<qsizetype> allPlaces(const QString &hay, const QString &needle)
{
    std::vector<qsizetype> places;
    for (qsizetype p = hay.indexOf(needle); p >= 0; p = hay.indexOf(needle, p + 1))
        places.push_back(p);
    return places;
}

std::u16string_view units(QStringView s)
{
    return {s.utf16(), size_t(s.size())};
}

} // namespace

// The vectorised finders, over UTF-16 and over bytes, one call at a time and as a finder
// that goes on from its last place.
void TestSearch::findersAgreeWithIndexOf()
{
    QRandomGenerator rng(20261209);
    const char16_t alphabet[] = {u'a', u'b', u'\u0627', u'\u0644'};
    for (int round = 0; round < 3000; ++round) {
        QString hay, needle;
        const int hn = int(rng.bounded(0, 140));
        const int nn = int(rng.bounded(1, 5));
        for (int i = 0; i < hn; ++i)
            hay.append(QChar(alphabet[rng.bounded(4)]));
        for (int i = 0; i < nn; ++i)
            needle.append(QChar(alphabet[rng.bounded(4)]));
        const qsizetype from = rng.bounded(0, hn + 1);
        QCOMPARE(findUnits(units(hay), units(needle), from), hay.indexOf(needle, from));

        // the same text one byte a unit
        std::basic_string<std::uint8_t> hayBytes, needleBytes;
        for (const QChar c : hay)
            hayBytes.push_back(std::uint8_t(c.unicode() & 0xFF));
        for (const QChar c : needle)
            needleBytes.push_back(std::uint8_t(c.unicode() & 0xFF));
        UnitFinder<std::uint8_t> bytes(hayBytes, needleBytes);
        UnitFinder<char16_t> wide(units(hay), units(needle));
        std::vector<qsizetype> fromBytes, fromWide;
        for (qsizetype p = bytes.next(0); p >= 0; p = bytes.next(p + 1))
            fromBytes.push_back(p);
        for (qsizetype p = wide.next(0); p >= 0; p = wide.next(p + 1))
            fromWide.push_back(p);
        const std::vector<qsizetype> expected = allPlaces(hay, needle);
        QCOMPARE(fromBytes, expected);
        QCOMPARE(fromWide, expected);
        // skipping ahead drops what lies between
        UnitFinder<char16_t> skipping(units(hay), units(needle));
        const qsizetype first = skipping.next(0);
        if (first >= 0)
            QCOMPARE(skipping.next(from > first ? from : first + 1),
                     hay.indexOf(needle, from > first ? from : first + 1));
    }
}

namespace {

// A random table over a small alphabet, so that patterns hit often, with some rows
// NULL, some empty and some that case folding changes.
HadithTable randomTable(QRandomGenerator *rng, int rows)
{
    const char16_t alphabet[] = {u'a', u'b', u'A', u'B', u' ', u'\u0627', u'\u0644', u'\u200C'};
    TableBuilder table;
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
    return table.take();
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

std::vector<int> rowsMatching(const HadithTable &table, const std::function<bool(int)> &match)
{
    std::vector<int> rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        if (!table.isNull(r, 0) && match(r))
            rows.push_back(r);
    }
    return rows;
}

QString describe(const QString &s)
{
    QStringList codes;
    for (const uint c : s.toUcs4())
        codes << QString::number(c, 16);
    return codes.join(QLatin1Char(' '));
}

} // namespace

void TestSearch::exactScanAgreesWithRowByRow_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 42u, 2026u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

// The exact comparison's scan of the whole column against LIKE on each row alone.
void TestSearch::exactScanAgreesWithRowByRow()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    const HadithTable table = randomTable(&rng, 400);
    const TableSearch search(table);
    for (int round = 0; round < 300; ++round) {
        const QString pattern = QLatin1Char('%') + randomPattern(&rng) + QLatin1Char('%');
        const LikePattern like(pattern);
        const std::vector<int> expected
            = rowsMatching(table, [&](int r) { return like.matches(table.view(r, 0)); });
        const std::vector<int> found = search.run(pattern, Comparison::Exact);
        if (found != expected)
            QFAIL(qPrintable(QStringLiteral("seed %1, pattern \"%2\": %3 rows found, %4 expected")
                                 .arg(seed)
                                 .arg(pattern)
                                 .arg(found.size())
                                 .arg(expected.size())));
    }
}

// The default comparison, case by case, through the search and through the pane: the
// text typed (searched as "%typed%"), a hadith text, and whether it is found.
void TestSearch::foldedRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    const QString hadith = QStringLiteral(u"قَالَ رَسُولُ اللَّهِ صَلَّى اللَّهُ عَلَيْهِ وَسَلَّمَ");
    QTest::newRow("no marks typed, marks in the text")
        << QStringLiteral(u"رسول الله") << hadith << true;
    QTest::newRow("marks typed, the same marks") << QStringLiteral(u"رَسُولُ") << hadith << true;
    QTest::newRow("marks typed, other marks") << QStringLiteral(u"رُسُولُ") << hadith << false;
    QTest::newRow("marks typed, none in the text")
        << QStringLiteral(u"رَسُولُ") << QStringLiteral(u"رسول الله") << false;
    QTest::newRow("a mark typed before the first letter")
        << QStringLiteral(u"َسُول") << hadith << true;
    QTest::newRow("Kurdish yeh for Arabic yeh")
        << QStringLiteral(u"النبی") << QStringLiteral(u"قَالَ النَّبِيُّ") << true;
    QTest::newRow("Arabic yeh for alef maksura")
        << QStringLiteral(u"صلي") << QStringLiteral(u"صَلَّى") << true;
    QTest::newRow("Kurdish kaf for Arabic kaf")
        << QStringLiteral(u"کتاب") << QStringLiteral(u"كِتَابُ الإِيمَانِ") << true;
    QTest::newRow("teh marbuta, heh and ae")
        << QStringLiteral(u"الجنة") << QStringLiteral(u"الجنه والجنە") << true;
    QTest::newRow("heh doachashmee")
        << QStringLiteral(u"ھەر") << QStringLiteral(u"هه‌ر") << true;
    QTest::newRow("hamza alefs") << QStringLiteral(u"ابو هريرة")
                                 << QStringLiteral(u"حَدَّثَنَا أَبُو هُرَيْرَةَ") << true;
    QTest::newRow("alef wasla and madda")
        << QStringLiteral(u"امن") << QStringLiteral(u"ٱلَّذِينَ آمَنُوا") << true;
    QTest::newRow("tatweel, joiners and direction marks ignored")
        << QStringLiteral(u"فه\u200Cرمو\u200Fده") << QStringLiteral(u"فـهـرمـــوده\u200D") << true;
    QTest::newRow("other letters stay apart")
        << QStringLiteral(u"كتاب") << QStringLiteral(u"قتاب") << false;
    QTest::newRow("only tatweels: searched as typed")
        << QStringLiteral(u"ـــ") << QStringLiteral(u"فـــه") << true;
    QTest::newRow("only tatweels: not found without them")
        << QStringLiteral(u"ـــ") << QStringLiteral(u"فه") << false;
    QTest::newRow("letter case ignored")
        << QStringLiteral("Aisha") << QStringLiteral("aISHA said") << true;
    QTest::newRow("underscore: one letter of the compared text")
        << QStringLiteral(u"ر_ول") << hadith << true;
    QTest::newRow("underscore with marks may stand for a letter")
        << QStringLiteral(u"رَ_ُولُ") << hadith << true;
    QTest::newRow("percent inside") << QStringLiteral(u"قال%وسلم") << hadith << true;
    QTest::newRow("a character without a byte")
        << QStringLiteral(u"café") << QStringLiteral(u"au CAFÉ") << true;
    QTest::newRow("outside the BMP")
        << QStringLiteral(u"\U00010400x") << QStringLiteral(u"a\U00010428X") << true;
}

void TestSearch::foldedRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(bool, found);
    TableBuilder table;
    table.appendRow();
    table.setField(0, QStringLiteral("unrelated"));
    table.appendRow();
    table.setField(0, text);
    const TableSearch search(table.take());
    const QString pattern = QLatin1Char('%') + typed + QLatin1Char('%');
    QCOMPARE(search.run(pattern, Comparison::Folded),
             found ? std::vector<int>{1} : std::vector<int>{});
    // whatever the search lists, the pane finds in it
    QCOMPARE(!pane::occurrences(text, typed, Comparison::Folded).empty(), found);
}

namespace {

// The default comparison written out from its rules, code point by code point, as a
// second implementation to hold the search to.
bool refIsMark(char32_t c)
{
    return (c >= 0x610 && c <= 0x61A) || (c >= 0x64B && c <= 0x65F) || c == 0x670
        || (c >= 0x6D6 && c <= 0x6DC) || (c >= 0x6DF && c <= 0x6E4) || c == 0x6E7 || c == 0x6E8
        || (c >= 0x6EA && c <= 0x6ED);
}

std::u32string refForm(const QString &s, bool foldLetters, bool keepMarks)
{
    std::u32string out;
    for (char32_t c : s.toUcs4()) {
        if (foldLetters) {
            if (c == 0x640 || c == 0x200C || c == 0x200D || c == 0x200E || c == 0x200F
                || c == 0x61C)
                continue;
            if (refIsMark(c) && !keepMarks)
                continue;
            if (c == 0x6A9)
                c = 0x643;
            else if (c == 0x6CC || c == 0x649)
                c = 0x64A;
            else if (c == 0x6D5 || c == 0x6BE || c == 0x629)
                c = 0x647;
            else if (c == 0x623 || c == 0x625 || c == 0x622 || c == 0x671)
                c = 0x627;
        }
        out.push_back(QChar::toCaseFolded(c));
    }
    return out;
}

// LIKE by dynamic programming over code points: '%' any run, '_' one code point.
bool refLike(const std::u32string &p, const std::u32string &t)
{
    std::vector<char> row(t.size() + 1, 0), next(t.size() + 1, 0);
    row[0] = 1;
    for (const char32_t c : p) {
        std::fill(next.begin(), next.end(), 0);
        for (size_t i = 0; i <= t.size(); ++i) {
            if (!row[i])
                continue;
            if (c == U'%') {
                for (size_t j = i; j <= t.size(); ++j)
                    next[j] = 1;
                break;
            }
            if (i < t.size() && (c == U'_' || c == t[i]))
                next[i + 1] = 1;
        }
        row.swap(next);
    }
    return row[t.size()] != 0;
}

bool refMatches(const QString &pattern, const QString &text)
{
    bool marks = false;
    for (char32_t c : pattern.toUcs4())
        marks = marks || refIsMark(c);
    std::u32string p = refForm(pattern, true, marks);
    const bool onlyPercent = p.find_first_not_of(U'%') == std::u32string::npos;
    const bool typedOnlyPercent = pattern.count(QLatin1Char('%')) == pattern.size();
    if (onlyPercent && !typedOnlyPercent) // folds to nothing: as typed, case aside
        return refLike(refForm(pattern, false, true), refForm(text, false, true));
    return refLike(p, refForm(text, true, marks));
}

// Characters that the default comparison folds, ignores or keeps apart, and those it
// keeps in its copy of one byte a character or not.
const char32_t kFoldAlphabet[] = {0x627,  0x623,  0x625,  0x622,
                                  0x671,  0x628,  0x643,  0x6A9,
                                  0x64A,  0x6CC,  0x649,  0x647,
                                  0x6D5,  0x6BE,  0x629,  0x644,
                                  0x631,  0x633,  0x648, // letters
                                  0x64E,  0x64F,  0x650,  0x651,
                                  0x652,  0x670,  0x6D6,  0x610, // marks
                                  0x640,  0x200C, 0x200D, 0x200E,
                                  0x200F, 0x61C, // ignored
                                  U' ',   U'a',   U'A',   0xE9 /* no byte */,
                                  0x1F54C /* a pair */};

QString randomFoldText(QRandomGenerator *rng, int length, bool wildcards)
{
    QString s;
    const int n = int(std::size(kFoldAlphabet));
    for (int i = 0; i < length; ++i) {
        const auto pick = int(rng->bounded(wildcards ? n + 3 : n));
        if (pick >= n)
            s.append(pick == n ? QLatin1Char('_') : QLatin1Char('%'));
        else
            s.append(QString::fromUcs4(&kFoldAlphabet[pick], 1));
    }
    return s;
}

} // namespace

void TestSearch::foldedScanAgreesWithReference_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {7u, 11u, 1448u, 20261209u})
        QTest::newRow(qPrintable(QString::number(seed))) << seed;
}

// The default comparison's scans (the byte copy, the places checked with their marks, the
// rows kept apart) against the reference, over texts full of what it folds.
void TestSearch::foldedScanAgreesWithReference()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    TableBuilder rows;
    for (int r = 0; r < 300; ++r) {
        rows.appendRow();
        if (rng.bounded(12) == 0)
            continue; // NULL
        QString text = randomFoldText(&rng, int(rng.bounded(0, 30)), false);
        if (rng.bounded(3) != 0) // most rows without the two characters kept apart
            text.remove(QChar(0xE9))
                .remove(QChar::highSurrogate(0x1F54C))
                .remove(QChar::lowSurrogate(0x1F54C));
        rows.setField(0, text);
    }
    const HadithTable table = rows.take();
    const TableSearch search(table);
    for (int round = 0; round < 400; ++round) {
        const QString typed = randomFoldText(&rng, int(rng.bounded(1, 5)), true);
        const QString pattern = QLatin1Char('%') + typed + QLatin1Char('%');
        const std::vector<int> expected
            = rowsMatching(table, [&](int r) { return refMatches(pattern, table.text(r, 0)); });
        const std::vector<int> found = search.run(pattern, Comparison::Folded);
        if (found != expected)
            QFAIL(qPrintable(QStringLiteral("seed %1, pattern [%2]: %3 rows found, %4 expected")
                                 .arg(seed)
                                 .arg(describe(pattern))
                                 .arg(found.size())
                                 .arg(expected.size())));
    }
}

void TestSearch::nullNeverMatches()
{
    TableBuilder table;
    table.appendRow(); // NULL
    table.appendRow();
    table.setField(0, QString()); // empty
    const TableSearch search(table.take());
    for (const Comparison comparison : {Comparison::Folded, Comparison::Exact}) {
        QCOMPARE(search.run(QStringLiteral("%%%%%"), comparison), std::vector<int>{1});
        QCOMPARE(search.run(QStringLiteral("%___%"), comparison), std::vector<int>{});
    }
}

void TestSearch::matchAcrossRowsIsNoMatch()
{
    TableBuilder table;
    for (const char *t : {"xxab", "cdxx", "abcd"}) {
        table.appendRow();
        table.setField(0, QString::fromLatin1(t));
    }
    const TableSearch search(table.take());
    for (const Comparison comparison : {Comparison::Folded, Comparison::Exact}) {
        QCOMPARE(search.run(QStringLiteral("%abcd%"), comparison), std::vector<int>{2});
        QCOMPARE(search.run(QStringLiteral("%ABCD%"), comparison), std::vector<int>{2});
    }
}

void TestSearch::otherColumns()
{
    TableBuilder table;
    for (const char16_t *book :
         {u"Sahih Muslim", u"صحيح البخاري", static_cast<const char16_t *>(nullptr)}) {
        table.appendRow();
        table.setField(0, QStringLiteral("text"));
        if (book)
            table.setField(4, QString::fromUtf16(book));
    }
    const TableSearch search(table.take());
    QCOMPARE(search.run(QStringLiteral("%SAHIH%"), Comparison::Exact, 4), std::vector<int>{0});
    QCOMPARE(search.run(QStringLiteral("%"), Comparison::Exact, 4), (std::vector<int>{0, 1}));
    QCOMPARE(search.run(QStringLiteral(u"%صحیح%"), Comparison::Folded, 4), std::vector<int>{1});
    QCOMPARE(search.run(QStringLiteral(u"%صحیح%"), Comparison::Exact, 4), std::vector<int>{});
}

// What the pane selects and marks: the pane's text, the term, the comparison, and the
// stretches of the text expected, the first to be selected.
void TestSearch::paneOccurrences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("term");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QStringList>("expected");
    const QString pane = QStringLiteral(u"عَنْ رَسُولِ اللَّهِ\r\nقَالَ رَسُولُ اللَّهِ، رســولُ");
    QTest::newRow("marks after the last letter come along")
        << pane << QStringLiteral(u"رسول") << false
        << QStringList{QStringLiteral(u"رَسُولِ"), QStringLiteral(u"رَسُولُ"), QStringLiteral(u"رســولُ")};
    QTest::newRow("the Tab4 line first")
        << pane << QStringLiteral(u"الله") << false
        << QStringList{QStringLiteral(u"اللَّهِ"), QStringLiteral(u"اللَّهِ")};
    QTest::newRow("marks typed select only their own")
        << pane << QStringLiteral(u"رَسُولُ") << false << QStringList{QStringLiteral(u"رَسُولُ")};
    QTest::newRow("percent inside spans the gap")
        << QStringLiteral(u"قَالَ النَّبِيُّ ثُمَّ قَالَ") << QStringLiteral(u"النبی%قال") << false
        << QStringList{QStringLiteral(u"النَّبِيُّ ثُمَّ قَالَ")};
    QTest::newRow("percent at the ends adds nothing")
        << QStringLiteral(u"xx قَالَ yy") << QStringLiteral(u"%%قال%") << false
        << QStringList{QStringLiteral(u"قَالَ")};
    QTest::newRow("exact: letter case aside, marks as typed")
        << QStringLiteral("Narrated AISHA and aisha") << QStringLiteral("aisha") << true
        << QStringList{QStringLiteral("AISHA"), QStringLiteral("aisha")};
    QTest::newRow("exact: no marks typed, none matched")
        << pane << QStringLiteral(u"رسول") << true << QStringList{};
    QTest::newRow("a pair outside the BMP")
        << QStringLiteral(u"a \U00010400\u064E b") << QStringLiteral(u"\U00010428") << false
        << QStringList{QStringLiteral(u"\U00010400\u064E")};
    QTest::newRow("only percents select nothing")
        << pane << QStringLiteral("%%%") << false << QStringList{};
}

void TestSearch::paneOccurrences()
{
    QFETCH(QString, text);
    QFETCH(QString, term);
    QFETCH(bool, exact);
    QFETCH(QStringList, expected);
    QStringList found;
    qsizetype before = 0;
    for (const pane::Span &span :
         pane::occurrences(text, term, exact ? Comparison::Exact : Comparison::Folded)) {
        QVERIFY(span.start >= before); // in order, never overlapping
        before = span.end;
        found << text.mid(span.start, span.end - span.start);
    }
    QCOMPARE(found, expected);
}

QTEST_APPLESS_MAIN(TestSearch)
#include "tst_search.moc"
