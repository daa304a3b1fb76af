// The LIKE matcher and the table search: the pattern language, the two comparisons, and the
// fast scans checked against plain references on random tables.

#include "search/excerpt.h"
#include "search/hadithtable.h"
#include "search/likepattern.h"
#include "search/pane.h"
#include "search/tablesearch.h"

#include <QRandomGenerator>
#include <QTest>

#include <numeric>
#include <set>
#include <string>

using namespace tembra;

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void like_data();
    void like();
    void foldKeepsLength();
    void findersAgreeWithIndexOf();
    void foldedRule_data();
    void foldedRule();
    void everyFormCharacterIsIgnored();
    void scansAgreeWithReference_data();
    void scansAgreeWithReference();
    void nullNeverMatches();
    void matchAcrossRowsIsNoMatch();
    void otherColumns();
    void paneOccurrences_data();
    void paneOccurrences();
    void wordsOccurrences_data();
    void wordsOccurrences();
    void workGrowsWithTheLength_data();
    void workGrowsWithTheLength();
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
        std::string hayBytes, needleBytes;
        for (const QChar c : hay)
            hayBytes.push_back(char(c.unicode() & 0xFF));
        for (const QChar c : needle)
            needleBytes.push_back(char(c.unicode() & 0xFF));
        UnitFinder<char> bytes(hayBytes, needleBytes);
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

std::vector<int> rowsMatching(const HadithTable &table, const std::function<bool(int)> &match)
{
    std::vector<int> rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        if (!table.isNull(r, Column::Text) && match(r))
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

namespace {

// The comparison written out from its rules, code point by code point, as a second
// implementation to hold the search to: Unicode's data for the categories and the digits,
// the rest as the rule lists it.
bool refIsMark(char32_t c)
{
    return (c >= 0x610 && c <= 0x61A) || (c >= 0x64B && c <= 0x65F) || c == 0x670
        || (c >= 0x6D6 && c <= 0x6DC) || (c >= 0x6DF && c <= 0x6E4) || c == 0x6E7 || c == 0x6E8
        || (c >= 0x6EA && c <= 0x6ED);
}

bool refIgnored(char32_t c)
{
    return c == 0x640 || QChar::category(c) == QChar::Other_Format;
}

char32_t refLetter(char32_t c)
{
    if (QChar::category(c) == QChar::Separator_Space)
        c = U' ';
    else if (QChar::category(c) == QChar::Number_DecimalDigit)
        c = char32_t(U'0' + QChar::digitValue(c));
    else if (c == 0x6A9)
        c = 0x643;
    else if (c == 0x6CC || c == 0x649)
        c = 0x64A;
    else if (c == 0x6D5 || c == 0x6BE || c == 0x629)
        c = 0x647;
    else if (c == 0x623 || c == 0x625 || c == 0x622 || c == 0x671)
        c = 0x627;
    return QChar::toCaseFolded(c);
}

// The text's code points, letter case folded and, by the default rule, the rest of the
// folding done, marks and ignored characters left out.
std::u32string refForm(const QString &s, bool foldLetters)
{
    std::u32string out;
    for (char32_t c : s.toUcs4()) {
        if (!foldLetters)
            out.push_back(QChar::toCaseFolded(c));
        else if (!refIgnored(c) && !refIsMark(c))
            out.push_back(refLetter(c));
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

// The third form: a text read as its letters, each with the set of marks on it, and the
// marks before its first letter.
struct RefMarked {
    std::set<char32_t> lead;
    std::vector<std::pair<char32_t, std::set<char32_t>>> letters;
};

RefMarked refMarked(const QString &s)
{
    RefMarked out;
    for (char32_t c : s.toUcs4()) {
        if (refIgnored(c))
            continue;
        if (refIsMark(c))
            (out.letters.empty() ? out.lead : out.letters.back().second).insert(c);
        else
            out.letters.push_back({refLetter(c), {}});
    }
    return out;
}

// Typed marks agree with a letter's when either is bare or the typed are among the text's.
bool refAgree(const std::set<char32_t> &typed, const std::set<char32_t> &text)
{
    return text.empty() || std::includes(text.begin(), text.end(), typed.begin(), typed.end());
}

// LIKE over letters with marks: each typed letter (and "_") with the marks typed after it
// must agree with the text's letter; marks typed before a part (at the start, after "%")
// with the letter before the place it starts, or where that is the text's start, with the
// marks before the text's first letter, which must be there.
bool refMarkedLike(const QString &pattern, const QString &text)
{
    const RefMarked p = refMarked(pattern);
    const RefMarked t = refMarked(text);
    const size_t n = t.letters.size();
    std::vector<char> row(n + 1, 0);
    row[0] = 1;
    const auto before = [&](const std::set<char32_t> &typed) {
        for (size_t i = 0; i <= n; ++i) {
            if (!row[i] || typed.empty())
                continue;
            const bool agree = i > 0 ? refAgree(typed, t.letters[i - 1].second)
                                     : !t.lead.empty() && refAgree(typed, t.lead);
            row[i] = agree ? 1 : 0;
        }
    };
    before(p.lead);
    for (const auto &[c, typed] : p.letters) {
        std::vector<char> next(n + 1, 0);
        if (c == U'%') {
            const auto first = std::find(row.begin(), row.end(), 1);
            std::fill(next.begin() + (first - row.begin()), next.end(), 1);
            row.swap(next);
            before(typed);
            continue;
        }
        for (size_t i = 0; i < n; ++i) {
            if (row[i] && (c == U'_' || c == t.letters[i].first)
                && refAgree(typed, t.letters[i].second))
                next[i + 1] = 1;
        }
        row.swap(next);
    }
    return row[n] != 0;
}

bool refMatches(const QString &pattern, const QString &text, Comparison comparison)
{
    if (comparison == Comparison::Exact)
        return refLike(refForm(pattern, false), refForm(text, false));
    bool marks = false;
    for (char32_t c : pattern.toUcs4())
        marks = marks || refIsMark(c);
    if (marks)
        return refMarkedLike(pattern, text);
    const std::u32string p = refForm(pattern, true);
    const bool onlyPercent = p.find_first_not_of(U'%') == std::u32string::npos;
    const bool typedOnlyPercent = pattern.count(QLatin1Char('%')) == pattern.size();
    if (onlyPercent && !typedOnlyPercent) // folds to nothing: as typed, case aside
        return refLike(refForm(pattern, false), refForm(text, false));
    return refLike(p, refForm(text, true));
}

// Characters that the default comparison folds, ignores or keeps apart, and those it
// keeps in its copy of one byte a character or not.
const char32_t kFoldAlphabet[] = {0x627,  0x623,  0x625,
                                  0x622,  0x671,  0x628,
                                  0x643,  0x6A9,  0x64A,
                                  0x6CC,  0x649,  0x647,
                                  0x6D5,  0x6BE,  0x629,
                                  0x644,  0x631,  0x633,
                                  0x648, // letters
                                  0x64E,  0x64F,  0x650,
                                  0x651,  0x652,  0x64B,
                                  0x670,  0x6D6,  0x655,
                                  0x610, // marks
                                  0x640,  0x200C, 0x200F,
                                  0x61C,  0xAD,   0x202B,
                                  0x2067, 0xFEFF, 0xE0001, // ignored
                                  U' ',   0xA0,   0x2007,
                                  0x3000, // spaces
                                  U'2',   0x662,  0x6F2,
                                  U'9',   0x669,  0x6F9, // digits of three scripts
                                  U'a',   U'A',   0xE9 /* no byte */,
                                  0x1F54C /* a pair */};

QString randomFoldText(QRandomGenerator *rng, int length, int wildcards)
{
    QString s;
    const int n = int(std::size(kFoldAlphabet));
    for (int i = 0; i < length; ++i) {
        const auto pick = int(rng->bounded(n + wildcards));
        if (pick >= n)
            s.append(pick == n ? QLatin1Char('%') : QLatin1Char('_'));
        else
            s.append(QString::fromUcs4(&kFoldAlphabet[pick], 1));
    }
    return s;
}

// Letters with marks in both orders, runs of three marks, as a vowelled text has them.
QString randomVowelled(QRandomGenerator *rng, int words)
{
    const char16_t letters[] = {0x627, 0x644, 0x647, 0x631, 0x633, 0x648, 0x628};
    const char16_t *runs[] = {u"",
                              u"\u064E",
                              u"\u0651\u064E",
                              u"\u064E\u0651",
                              u"\u0650\u0651",
                              u"\u0651\u0650",
                              u"\u0651\u064E\u0670",
                              u"\u0670\u064E\u0651",
                              u"\u0652",
                              u"\u064F\u0640\u0651",
                              u"\u0651\u200C\u064F"};
    QString s;
    for (int w = 0; w < words; ++w) {
        for (int i = int(rng->bounded(1, 5)); i > 0; --i) {
            s.append(QChar(letters[rng->bounded(int(std::size(letters)))]));
            s.append(QString::fromUtf16(runs[rng->bounded(int(std::size(runs)))]));
        }
        s.append(QLatin1Char(' '));
    }
    return s;
}

} // namespace

// The default comparison, case by case: the text typed, a hadith text, and whether the
// search finds it.
void TestSearch::foldedRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    const QString hadith = QStringLiteral(u"قَالَ رَسُولُ اللَّهِ صَلَّى اللَّهُ عَلَيْهِ وَسَلَّمَ");
    QTest::newRow("no marks typed, marks in the text")
        << QStringLiteral(u"رسول الله") << hadith << true;
    // Marks typed must not contradict the text's, letter by letter.
    QTest::newRow("marks typed, the same marks") << QStringLiteral(u"رَسُولُ") << hadith << true;
    QTest::newRow("a letter typed bare takes any marks")
        << QStringLiteral(u"رَسولُ") << hadith << true;
    QTest::newRow("a bare text takes any marks typed")
        << QStringLiteral(u"رَسُولُ") << QStringLiteral(u"رسول الله") << true;
    QTest::newRow("a partly vowelled text")
        << QStringLiteral(u"رَسُولُ") << QStringLiteral(u"قال رسُولُ") << true;
    QTest::newRow("a contradiction on the last letter")
        << QStringLiteral(u"رَسُولِ") << hadith << false;
    QTest::newRow("a contradiction on the first letter")
        << QStringLiteral(u"رُسُولُ") << hadith << false;
    // اللَّهِ: the second lam carries a shadda and a fatha
    QTest::newRow("some of the marks on a letter")
        << QStringLiteral(u"\u0627\u0644\u0644\u0651\u0647") << hadith << true;
    QTest::newRow("a mark the letter lacks beside one it has")
        << QStringLiteral(u"\u0627\u0644\u0644\u0651\u0650\u0647") << hadith << false;
    // the collection stores the shadda first; keyboards type the vowel first
    const QString shaddaFirst = QStringLiteral(u"\u062D\u064E\u062F\u0651\u064E\u062B\u064E");
    const QString vowelFirst = QStringLiteral(u"\u062D\u064E\u062F\u064E\u0651\u062B\u064E");
    QTest::newRow("shadda and vowel typed vowel first") << vowelFirst << shaddaFirst << true;
    QTest::newRow("shadda and vowel typed shadda first") << shaddaFirst << vowelFirst << true;
    QTest::newRow("three marks in another order")
        << QStringLiteral(u"\u0644\u0670\u0651\u064E\u0647")
        << QStringLiteral(u"\u0644\u0651\u064E\u0670\u0647") << true;
    QTest::newRow("the shadda alone of a shadda and vowel")
        << QStringLiteral(u"\u062F\u0651\u062B") << shaddaFirst << true;
    QTest::newRow("a pasted phrase, the text with a sukun more")
        << QStringLiteral(u"إِنَّمَا الأَعْمَالُ بِالنِّيَّاتِ") << QStringLiteral(u"إِنَّمَا الْأَعْمَالُ بِالنِّيَّاتِ")
        << true;
    // marks typed before the first letter: the text's letter before the match has them
    QTest::newRow("a mark before the first letter, on the letter before")
        << QStringLiteral(u"َسُول") << hadith << true;
    QTest::newRow("a mark before the first letter, contradicted")
        << QStringLiteral(u"ُسُول") << hadith << false;
    QTest::newRow("a mark before the first letter, the letter before bare")
        << QStringLiteral(u"ُسول") << QStringLiteral(u"رسول") << true;
    QTest::newRow("a mark before the first letter, no letter before")
        << QStringLiteral(u"َرسول") << QStringLiteral(u"رسول") << false;
    QTest::newRow("a mark before the first letter, marks before the text's first")
        << QStringLiteral(u"َرسول") << QStringLiteral(u"\u064E\u0631\u0633\u0648\u0644") << true;
    // "_" is one letter, and marks typed after it are that letter's
    QTest::newRow("underscore: one letter of the compared text")
        << QStringLiteral(u"ر_ول") << hadith << true;
    QTest::newRow("underscore with marks that agree") << QStringLiteral(u"رَ_ُولُ") << hadith << true;
    QTest::newRow("underscore with marks that contradict")
        << QStringLiteral(u"رَ_َول") << hadith << false;
    QTest::newRow("underscore with marks, the letter bare")
        << QStringLiteral(u"رَ_َول") << QStringLiteral(u"رسول") << true;
    QTest::newRow("underscore is never a mark") << QStringLiteral(u"رَ_سُول") << hadith << false;
    QTest::newRow("marks alone, on some letter")
        << QStringLiteral(u"\u064F\u064F\u064F") << QStringLiteral(u"\u0628\u064E\u0628\u064F")
        << true;
    QTest::newRow("marks alone, on no letter")
        << QStringLiteral(u"\u064F\u064F\u064F") << QStringLiteral(u"\u0628\u064E\u0628\u064E")
        << false;
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
    QTest::newRow("embedding, soft hyphen, byte-order mark ignored")
        << QStringLiteral(u"السائل؟. قلت")
        << QStringLiteral(u"\u202Bالسا\u00ADئل\uFEFF؟\u202C. \u2067قلت") << true;
    QTest::newRow("no-break space for a space")
        << QStringLiteral(u"قال رسول") << QStringLiteral(u"قال\u00A0رسول") << true;
    QTest::newRow("ideographic space typed")
        << QStringLiteral(u"قال\u3000رسول") << QStringLiteral(u"قال رسول") << true;
    QTest::newRow("Arabic-Indic digits find ASCII ones")
        << QStringLiteral(u"آية ٢٩") << QStringLiteral(u"آية 29") << true;
    QTest::newRow("Persian digits find Arabic-Indic ones")
        << QStringLiteral(u"۲۹۰") << QStringLiteral(u"٢٩٠") << true;
    QTest::newRow("digits by value") << QStringLiteral(u"۲۸") << QStringLiteral(u"آية 29") << false;
    QTest::newRow("other letters stay apart")
        << QStringLiteral(u"كتاب") << QStringLiteral(u"قتاب") << false;
    QTest::newRow("only tatweels: searched as typed")
        << QStringLiteral(u"ـــ") << QStringLiteral(u"فـــه") << true;
    QTest::newRow("only tatweels: not found without them")
        << QStringLiteral(u"ـــ") << QStringLiteral(u"فه") << false;
    QTest::newRow("only format characters and %: searched as typed")
        << QStringLiteral(u"\u200C%\u200C") << QStringLiteral(u"ab\u200Cc\u200C") << true;
    QTest::newRow("only format characters and %: not found without them")
        << QStringLiteral(u"\u200C%\u200C") << QStringLiteral(u"abc\u200C") << false;
    QTest::newRow("letter case ignored")
        << QStringLiteral("Aisha") << QStringLiteral("aISHA said") << true;
    QTest::newRow("a long run of underscores")
        << QStringLiteral(u"ق") + QString(11, u'_') + QStringLiteral(u"ه") << hadith << true;
    QTest::newRow("a long run of underscores, one too many")
        << QStringLiteral(u"ق") + QString(12, u'_') + QStringLiteral(u"ه") << hadith << false;
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
    TableBuilder rows;
    rows.appendRow(); // no case may find it: every letter carries a fatha, and only a fatha
    rows.setField(Column::Text, QStringLiteral(u"\u0641\u064E\u0641\u064E"));
    rows.appendRow();
    rows.setField(Column::Text, text);
    const HadithTable table = rows.take();
    const TableSearch search(table);
    const QString pattern = QLatin1Char('%') + typed + QLatin1Char('%');
    QCOMPARE(search.run(pattern, Comparison::Folded),
             found ? std::vector<int>{1} : std::vector<int>{});
    // whatever the search lists, the pane finds in it
    QCOMPARE(!pane::occurrences(text, typed, Comparison::Folded).empty(), found);
}

// Every format character of the BMP, by Unicode's data, in the text and in the typed text.
void TestSearch::everyFormCharacterIsIgnored()
{
    TableBuilder rows;
    QList<char16_t> format;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (QChar::category(c) != QChar::Other_Format)
            continue;
        format << char16_t(c);
        rows.appendRow();
        rows.setField(Column::Text, QStringLiteral(u"قال ر") + QChar(c) + QStringLiteral(u"سول"));
    }
    QVERIFY(format.size() > 40);
    QVERIFY(format.contains(0x00AD) && format.contains(0xFEFF) && format.contains(0x2067));
    const HadithTable table = rows.take();
    const TableSearch search(table);
    std::vector<int> all(size_t(table.rowCount()));
    std::iota(all.begin(), all.end(), 0);
    QCOMPARE(search.run(QStringLiteral(u"%رسول%"), Comparison::Folded), all);
    for (const char16_t c : format) {
        const QString typed = QStringLiteral(u"رس") + QChar(c) + QStringLiteral(u"ول");
        if (search.run(QLatin1Char('%') + typed + QLatin1Char('%'), Comparison::Folded) != all)
            QFAIL(qPrintable(QStringLiteral("U+%1 typed").arg(uint(c), 4, 16, QLatin1Char('0'))));
    }
    // the exact rule compares them as they stand
    QCOMPARE(search.run(QStringLiteral(u"%رسول%"), Comparison::Exact), std::vector<int>{});
}

void TestSearch::scansAgreeWithReference_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<bool>("longRuns"); // rows of vowelled words, patterns with long "_" runs
    for (quint32 seed : {7u, 11u, 1448u, 20261209u}) {
        for (const bool exact : {false, true}) {
            for (const bool longRuns : {false, true})
                QTest::addRow("%u%s%s", seed, exact ? ", exact" : "", longRuns ? ", long" : "")
                    << seed << exact << longRuns;
        }
    }
}

// The scans (the byte copy, the places checked with their marks, the rows kept apart, the
// exact scan) against the reference, over texts full of what the rule folds; and the
// search for several conditions at once (the last few patterns, some of them negated),
// whose checks on single rows are other code again.
void TestSearch::scansAgreeWithReference()
{
    QFETCH(quint32, seed);
    QFETCH(bool, exact);
    QFETCH(bool, longRuns);
    const Comparison comparison = exact ? Comparison::Exact : Comparison::Folded;
    QRandomGenerator rng(seed);
    TableBuilder rows;
    for (int r = 0; r < 250; ++r) {
        rows.appendRow();
        if (rng.bounded(12) == 0)
            continue; // NULL
        QString text = longRuns ? randomVowelled(&rng, int(rng.bounded(0, 12)))
                                : randomFoldText(&rng, int(rng.bounded(0, 30)), 0);
        if (rng.bounded(3) != 0) // most rows without the characters kept apart
            text.remove(QChar(0xE9))
                .remove(QChar::highSurrogate(0x1F54C))
                .remove(QChar::lowSurrogate(0x1F54C))
                .remove(QChar::highSurrogate(0xE0001))
                .remove(QChar::lowSurrogate(0xE0001));
        rows.setField(Column::Text, text);
    }
    const HadithTable table = rows.take();
    const TableSearch search(table);
    std::vector<TableSearch::Condition> recent;
    for (int round = 0; round < 300; ++round) {
        QString typed;
        if (longRuns) {
            // A piece of a row's text as a reader pastes it: whole, or with a run of "_"
            // in it; some of its marks left out or changed for others, or in the other
            // order.
            const QString row = table.text(int(rng.bounded(table.rowCount())), Column::Text);
            const auto from = row.isEmpty() ? 0 : int(rng.bounded(row.size()));
            typed = row.mid(from, int(rng.bounded(1, 40)));
            if (typed.size() > 2 && rng.bounded(2) == 0) {
                const auto at = int(rng.bounded(1, int(typed.size()) - 1));
                const auto count = int(rng.bounded(1, int(typed.size()) - at));
                typed.replace(at, count, QString(count + int(rng.bounded(-1, 2)), u'_'));
            }
            for (qsizetype i = 0; i < typed.size(); ++i) {
                const char16_t u = typed[i].unicode();
                if (u < 0x064B || u > 0x0652 || rng.bounded(4) != 0)
                    continue;
                if (rng.bounded(2) == 0)
                    typed.remove(i--, 1); // a letter typed bare
                else
                    typed[i] = QChar(char16_t(0x064E + rng.bounded(3))); // another vowel
            }
            if (rng.bounded(3) == 0)
                typed.replace(QStringLiteral(u"\u064E\u0651"), QStringLiteral(u"\u0651\u064E"));
            if (rng.bounded(4) == 0)
                typed.append(QLatin1Char('%') + randomVowelled(&rng, 1).left(3));
            if (rng.bounded(10) == 0) // marks alone
                typed = QString(QChar(char16_t(0x064E + rng.bounded(5))));
        } else {
            typed = randomFoldText(&rng, int(rng.bounded(1, 6)), 3);
        }
        const QString pattern = QLatin1Char('%') + typed + QLatin1Char('%');
        const std::vector<int> expected = rowsMatching(table, [&](int r) {
            return refMatches(pattern, table.text(r, Column::Text), comparison);
        });
        const std::vector<int> found = search.run(pattern, comparison);
        if (found != expected)
            QFAIL(qPrintable(QStringLiteral("seed %1, pattern [%2]: %3 rows found, %4 expected")
                                 .arg(seed)
                                 .arg(describe(pattern))
                                 .arg(found.size())
                                 .arg(expected.size())));

        recent.push_back({pattern, rng.bounded(3) == 0});
        if (recent.size() > 4)
            recent.erase(recent.begin());
        const std::vector<int> all = rowsMatching(table, [&](int r) {
            for (const TableSearch::Condition &c : recent) {
                if (refMatches(c.pattern, table.text(r, Column::Text), comparison) == c.negated)
                    return false;
            }
            return true;
        });
        if (search.run(recent, comparison) != all) {
            QStringList said;
            for (const TableSearch::Condition &c : recent)
                said << (c.negated ? QStringLiteral("not [") : QStringLiteral("["))
                        + describe(c.pattern) + QLatin1Char(']');
            QFAIL(qPrintable(QStringLiteral("seed %1, %2 at once: %3 rows expected")
                                 .arg(seed)
                                 .arg(said.join(QStringLiteral(", ")))
                                 .arg(all.size())));
        }
    }
}

void TestSearch::nullNeverMatches()
{
    TableBuilder rows;
    rows.appendRow(); // NULL
    rows.appendRow();
    rows.setField(Column::Text, QString()); // empty
    const HadithTable table = rows.take();
    const TableSearch search(table);
    for (const Comparison comparison : {Comparison::Folded, Comparison::Exact}) {
        QCOMPARE(search.run(QStringLiteral("%%%%%"), comparison), std::vector<int>{1});
        QCOMPARE(search.run(QStringLiteral("%___%"), comparison), std::vector<int>{});
    }
}

void TestSearch::matchAcrossRowsIsNoMatch()
{
    TableBuilder rows;
    for (const char *t : {"xxab", "cdxx", "abcd"}) {
        rows.appendRow();
        rows.setField(Column::Text, QString::fromLatin1(t));
    }
    const HadithTable table = rows.take();
    const TableSearch search(table);
    for (const Comparison comparison : {Comparison::Folded, Comparison::Exact}) {
        QCOMPARE(search.run(QStringLiteral("%abcd%"), comparison), std::vector<int>{2});
        QCOMPARE(search.run(QStringLiteral("%ABCD%"), comparison), std::vector<int>{2});
    }
}

void TestSearch::otherColumns()
{
    TableBuilder rows;
    for (const char16_t *book :
         {u"Sahih Muslim", u"صحيح البخاري", static_cast<const char16_t *>(nullptr)}) {
        rows.appendRow();
        rows.setField(Column::Text, QStringLiteral("text"));
        if (book)
            rows.setField(Column::Book, QString::fromUtf16(book));
    }
    const HadithTable table = rows.take();
    const TableSearch search(table);
    QCOMPARE(search.run(QStringLiteral("%SAHIH%"), Comparison::Exact, Column::Book),
             std::vector<int>{0});
    QCOMPARE(search.run(QStringLiteral("%"), Comparison::Exact, Column::Book),
             (std::vector<int>{0, 1}));
    QCOMPARE(search.run(QStringLiteral(u"%صحیح%"), Comparison::Folded, Column::Book),
             std::vector<int>{1});
    QCOMPARE(search.run(QStringLiteral(u"%صحیح%"), Comparison::Exact, Column::Book),
             std::vector<int>{});
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
    QTest::newRow("marks typed select what they agree with")
        << pane << QStringLiteral(u"رَسُولُ") << false
        << QStringList{QStringLiteral(u"رَسُولُ"), QStringLiteral(u"رســولُ")};
    QTest::newRow("marks typed before the first letter take the letter before's")
        << QStringLiteral(u"قَالَ رَسول") << QStringLiteral(u"َسول") << false
        << QStringList{QStringLiteral(u"َسول")};
    QTest::newRow("marks alone: the letter that carries them")
        << QStringLiteral(u"بَبُّ بُ") << QStringLiteral(u"ُ") << false
        << QStringList{QStringLiteral(u"بُّ"), QStringLiteral(u" "), QStringLiteral(u"بُ")};
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
    QTest::newRow("marks typed in the other order select the stored run")
        << QStringLiteral(u"\u0642\u0627\u0644 \u0627\u0644\u0644\u0651\u064E\u0647\u0650 x")
        << QStringLiteral(u"\u0627\u0644\u0644\u064E\u0651\u0647") << false
        << QStringList{QStringLiteral(u"\u0627\u0644\u0644\u0651\u064E\u0647\u0650")};
    QTest::newRow("a match that ends inside a run takes all of it")
        << QStringLiteral(u"\u062D\u064E\u062F\u0651\u064E\u062B")
        << QStringLiteral(u"\u062D\u064E\u062F\u064E") << false
        << QStringList{QStringLiteral(u"\u062D\u064E\u062F\u0651\u064E")};
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

// What the pane shades for a search by words: every place of every word that must occur,
// in order, places that overlap joined; the first is selected, and the list's cell shows
// where it starts.
void TestSearch::wordsOccurrences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    const QString text = QStringLiteral("prayer then faith, then prayer again");
    QTest::newRow("each word wherever it is")
        << text << QStringLiteral("faith prayer -then")
        << QStringList{QStringLiteral("prayer"), QStringLiteral("faith"), QStringLiteral("prayer")};
    QTest::newRow("a phrase") << text << QStringLiteral("\"then prayer\" faith")
                              << QStringList{QStringLiteral("faith"),
                                             QStringLiteral("then prayer")};
    QTest::newRow("words that overlap are one place")
        << QStringLiteral("faith faith") << QStringLiteral("faith \"ith f\"")
        << QStringList{QStringLiteral("faith faith")};
    QTest::newRow("each word with its own marks")
        << QStringLiteral(u"قَالَ رَسُولُ اللَّهِ") << QStringLiteral(u"اللَّهِ رسول")
        << QStringList{QStringLiteral(u"رَسُولُ"), QStringLiteral(u"اللَّهِ")};
    QTest::newRow("a word whose marks contradict is not shaded")
        << QStringLiteral(u"قَالَ رَسُولُ اللَّهِ") << QStringLiteral(u"اللَّهُ رسول")
        << QStringList{QStringLiteral(u"رَسُولُ")};
    QTest::newRow("only words left out") << text << QStringLiteral("-faith") << QStringList{};
}

void TestSearch::wordsOccurrences()
{
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    const Listing listing = Listing::search(typed, Comparison::Folded, true);
    QStringList found;
    for (const pane::Span &span : pane::occurrences(text, listing))
        found << text.mid(span.start, span.end - span.start);
    QCOMPARE(found, expected);
    // the cell shows the first place (one word of it, where words overlap)
    const Excerpt cell = excerpt(text, listing);
    QCOMPARE(cell.matchStart >= 0, !expected.isEmpty());
    if (cell.matchStart >= 0) {
        const QString shown = cell.text.mid(cell.matchStart, cell.matchLength);
        QVERIFY2(!shown.isEmpty() && expected.front().startsWith(shown), qPrintable(shown));
    }
}

// What finding in one long hadith costs, counted in the units of text looked at (folded,
// measured, compared), for a text of 10,000 repeats of a piece and one of 40,000: work
// that grows with the square of the length grows sixteen times, not four.
void TestSearch::workGrowsWithTheLength_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<QString>("tail"); // once, after the repeats
    QTest::addColumn<QString>("term");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QString>("what"); // every occurrence, of words, the first, the excerpt
    QTest::addColumn<double>("least"); // how many times the work may grow
    QTest::addColumn<double>("most");
    const QString word = QStringLiteral(u"رسول ");
    const QString vowelled = QStringLiteral(u"رَسُولُ ");
    const QString every = QStringLiteral("every");
    const QString first = QStringLiteral("first");
    const QString cell = QStringLiteral("excerpt");
    QTest::newRow("every match") << word << QString() << QStringLiteral(u"رسول") << false << every
                                 << 3.0 << 5.0;
    QTest::newRow("every match, marks typed")
        << vowelled << QString() << QStringLiteral(u"رَسُولُ") << false << every << 3.0 << 5.0;
    QTest::newRow("no match, marks contradicting")
        << vowelled << QString() << QStringLiteral(u"رَسُولِ") << false << every << 3.0 << 5.0;
    QTest::newRow("every match of a pattern")
        << word << QString() << QStringLiteral(u"ر_ول") << false << every << 3.0 << 5.0;
    QTest::newRow("every match of two parts")
        << word << QString() << QStringLiteral(u"رس%ول") << false << every << 3.0 << 5.0;
    QTest::newRow("every match of marks alone")
        << word << QString() << QStringLiteral(u"\u064E\u064E\u064E") << false << every << 3.0
        << 5.0;
    QTest::newRow("every match, exact")
        << word << QString() << QStringLiteral(u"رسول") << true << every << 3.0 << 5.0;
    QTest::newRow("the first, at the start")
        << word << QString() << QStringLiteral(u"رسول") << false << first << 0.5 << 1.5;
    QTest::newRow("the first, marks alone")
        << word << QString() << QStringLiteral(u"\u064E\u064E\u064E") << false << first << 0.5
        << 1.5;
    QTest::newRow("the first, at the end")
        << word << QStringLiteral(u"الله") << QStringLiteral(u"الله") << false << first << 3.0
        << 5.0;
    QTest::newRow("the first of two parts")
        << word << QStringLiteral(u"الله") << QStringLiteral(u"رس%الله") << false << first << 3.0
        << 5.0;
    QTest::newRow("every match of words") << word << QString() << QStringLiteral(u"رسول سو")
                                          << false << QStringLiteral("words") << 3.0 << 5.0;
    QTest::newRow("the excerpt, at the start")
        << word << QString() << QStringLiteral(u"رسول") << false << cell << 0.5 << 1.5;
    QTest::newRow("the excerpt of a text of marks")
        << QStringLiteral(u"\u064E") << QString() << QStringLiteral(u"رسول") << false << cell << 3.0
        << 5.0;
    QTest::newRow("the excerpt of invisible characters")
        << QStringLiteral(u"\u200F\u200C") << QString() << QStringLiteral(u"رسول") << false << cell
        << 3.0 << 5.0;
}

void TestSearch::workGrowsWithTheLength()
{
    QFETCH(QString, piece);
    QFETCH(QString, tail);
    QFETCH(QString, term);
    QFETCH(bool, exact);
    QFETCH(QString, what);
    QFETCH(double, least);
    QFETCH(double, most);
    const Comparison comparison = exact ? Comparison::Exact : Comparison::Folded;
    bool found = true; // what is looked for is there
    const auto work = [&](int repeats) {
        const QString text = piece.repeated(repeats) + tail;
        meter::units = 0;
        if (what == QLatin1String("every"))
            found
                = !pane::occurrences(text, term, comparison, std::numeric_limits<qsizetype>::max())
                       .empty();
        else if (what == QLatin1String("words"))
            found = !pane::occurrences(text, splitWords(term), comparison,
                                       std::numeric_limits<qsizetype>::max())
                         .empty();
        else if (what == QLatin1String("first"))
            found = pane::firstOccurrence(text, term, comparison).has_value();
        else
            found = excerpt(text, term, comparison).text.size() < 400; // and short
        return double(meter::units);
    };
    const double shorter = work(10000);
    QCOMPARE(found, !term.endsWith(QChar(0x0650)));
    const double longer = work(40000);
    QVERIFY(shorter > 0);
    const double grown = longer / shorter;
    if (grown < least || grown > most)
        QFAIL(qPrintable(
            QStringLiteral("%1 units, then %2: %3 times").arg(shorter).arg(longer).arg(grown)));
}

QTEST_APPLESS_MAIN(TestSearch)
#include "tst_search.moc"
