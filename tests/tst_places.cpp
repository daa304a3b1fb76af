// Where the reader is and goes, without a window: the history of places as a browser keeps
// its pages, a place kept for the next start and read back, a hadith by its number against
// a plain reading of the digits, and the pane's text shown without its marks.

#include "places/hadithnumber.h"
#include "places/keptplace.h"
#include "places/placehistory.h"
#include "search/panetext.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace tembra;

Q_DECLARE_METATYPE(tembra::Place)

namespace {

Place at(const QString &text, const char *number)
{
    Place place;
    place.listing = Listing::search(text, Comparison::Folded, false);
    place.hadith.number = QString::fromLatin1(number);
    place.hadith.digest = QByteArrayLiteral("00");
    return place;
}

// The value of a number as a reader reads it, the plainest way: its digits in the three
// scripts a reader types, spaces around it and zeros in front of it aside.
QString plainNumber(QString text)
{
    text = text.trimmed();
    for (QChar &c : text) {
        for (const char16_t zero : {u'0', u'\u0660', u'\u06F0'}) {
            if (c.unicode() >= zero && c.unicode() <= zero + 9)
                c = QChar(u'0' + (c.unicode() - zero));
        }
    }
    while (text.size() > 1 && text[0] == u'0' && text[1].isDigit())
        text.remove(0, 1);
    return text;
}

} // namespace

class TestPlaces : public QObject {
    Q_OBJECT

private slots:
    void historyAsABrowserKeepsIt();
    void keptPlaceComesBack_data();
    void keptPlaceComesBack();
    void numbersAgainstAPlainReading();
    void shownWithoutMarks_data();
    void shownWithoutMarks();
};

// Jumps add places and drop those ahead; back and forward move along them and keep the
// hadith each place was left at; a jump to the very place left is no step; the place kept
// last time is one step back from the start.
void TestPlaces::historyAsABrowserKeepsIt()
{
    PlaceHistory history;
    const Place start = at(QStringLiteral("start"), "1");
    const Place kept = at(QStringLiteral("kept"), "9");
    history.restart(start, kept);
    QVERIFY(history.canGoBack() && !history.canGoForward());
    QCOMPARE(*history.back(start), kept);
    QCOMPARE(*history.forward(kept), start);

    const Place a = at(QStringLiteral("a"), "1");
    const Place b = at(QStringLiteral("b"), "1");
    history.jumped(start, a);
    history.jumped(at(QStringLiteral("a"), "3"), b); // read on in a before jumping
    history.jumped(b, b); // the same place again
    QCOMPARE(history.places().size(), size_t(4));
    QCOMPARE(*history.back(at(QStringLiteral("b"), "2")), at(QStringLiteral("a"), "3"));
    QCOMPARE(*history.back(at(QStringLiteral("a"), "3")), start);
    QCOMPARE(*history.forward(start), at(QStringLiteral("a"), "3"));
    QCOMPARE(*history.forward(at(QStringLiteral("a"), "4")), at(QStringLiteral("b"), "2"));
    QVERIFY(!history.forward(b));
    QCOMPARE(*history.back(at(QStringLiteral("b"), "2")), at(QStringLiteral("a"), "4"));

    const Place c = at(QStringLiteral("c"), "1");
    history.jumped(at(QStringLiteral("a"), "4"), c); // b goes
    QVERIFY(!history.canGoForward());
    QCOMPARE(*history.back(c), at(QStringLiteral("a"), "4"));

    for (int i = 0; i < PlaceHistory::kLimit * 2; ++i)
        history.jumped(history.places()[size_t(history.at())], at(QString::number(i), "1"));
    QCOMPARE(int(history.places().size()), PlaceHistory::kLimit);
}

// Every kind of list, NULL apart from empty, comes back as it was kept; the whole book is
// read from the kept hadith's number; what is not a place comes back as none.
void TestPlaces::keptPlaceComesBack_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<Place>("back"); // an empty listing text: none
    const auto with = [](Listing listing, const Field &book, const Field &number) {
        Place place;
        place.listing = std::move(listing);
        place.hadith = {book, number, textDigest(QStringLiteral("text"))};
        return place;
    };
    const Field b = QStringLiteral(u"صحيح البخاري");
    const Field n = QStringLiteral("3208");
    const Listing searched = Listing::search(QStringLiteral(u"الصلاة"), Comparison::Exact, true);
    for (const auto &[name, listing] : std::vector<std::pair<const char *, Listing>>{
             {"the whole table", Listing::wholeTable()},
             {"a search, exactly, in any order", searched},
             {"a search in one book", searched.inBook(b)},
             {"a search in one chapter", searched.inChapter(b, QStringLiteral("c"))},
             {"a book from a number", Listing::wholeBook(b, n)},
             {"a book without a name", Listing::wholeBook(std::nullopt, n)},
             {"a book with the empty name", Listing::wholeBook(QString(), n)},
             {"a chapter without a name", Listing::wholeChapter(b, std::nullopt)},
         })
        QTest::newRow(name) << with(listing, b, n) << with(listing, b, n);
    QTest::newRow("a hadith without a book or a number")
        << with(Listing::wholeChapter(b, QString()), std::nullopt, std::nullopt)
        << with(Listing::wholeChapter(b, QString()), std::nullopt, std::nullopt);
    QTest::newRow("no hadith") << Place{searched, {}} << Place{searched, {}};
    QTest::newRow("a search too long to keep")
        << with(Listing::search(QString(ReaderSettings::kMaxKeptText + 1, QLatin1Char('x')),
                                Comparison::Folded, false),
                b, n)
        << Place{Listing::search({}, Comparison::Folded, false), {}};
}

void TestPlaces::keptPlaceComesBack()
{
    QFETCH(Place, place);
    QFETCH(Place, back);
    const SavedPlace saved = keptPlace(place);
    // what the file keeps: through the settings file itself
    QTemporaryDir dir;
    ReaderSettings file(dir.filePath(QStringLiteral("t.ini")));
    QVERIFY(file.setValue(Setting::Place, QVariant::fromValue(saved)));
    ReaderSettings read(dir.filePath(QStringLiteral("t.ini")));
    QVERIFY(read.load());
    const std::optional<Place> came = placeKept(read.value(Setting::Place).value<SavedPlace>());
    if (back.listing.isSearch() && back.listing.text.isEmpty()) {
        QVERIFY(!came);
        return;
    }
    QVERIFY(came);
    QCOMPARE(*came, back);
}

// numberKey() compared as a reader reads the number, over every way a number is written in
// three scripts, with spaces and zeros in front; findNumber() the first of the book's rows
// that holds it, against a scan of the rows.
void TestPlaces::numbersAgainstAPlainReading()
{
    QRandomGenerator random(7);
    const QString digits[] = {QStringLiteral("0123456789"), QStringLiteral(u"٠١٢٣٤٥٦٧٨٩"),
                              QStringLiteral(u"۰۱۲۳۴۵۶۷۸۹")};
    const auto written = [&](int value, int script, int zeros, bool spaces) {
        QString text = QString(zeros, digits[script][0]);
        for (const QChar c : QString::number(value))
            text += digits[script][c.unicode() - u'0'];
        return spaces ? QStringLiteral("  ") + text + QLatin1Char(' ') : text;
    };
    std::vector<Record> records;
    for (int r = 0; r < 3000; ++r) {
        Record record;
        record[Column::Text] = QString::number(r);
        record[Column::Book] = QStringLiteral("book %1").arg(random.bounded(4));
        if (random.bounded(20) != 0)
            record[Column::Number] = random.bounded(10) == 0
                ? QStringLiteral("%1a").arg(random.bounded(300)) // not a plain number
                : written(int(random.bounded(300)), int(random.bounded(3)),
                          int(random.bounded(3)) == 0 ? 1 : 0, random.bounded(5) == 0);
        records.push_back(record);
    }
    TableBuilder builder;
    for (const Record &record : records)
        builder.append(record);
    const HadithTable table = builder.take();
    const Contents contents(table);
    for (int i = 0; i < 400; ++i) {
        const QString typed = written(int(random.bounded(320)), int(random.bounded(3)),
                                      int(random.bounded(3)), random.bounded(2) == 0);
        QCOMPARE(numberKey(typed), plainNumber(typed));
        const int book = int(random.bounded(int(contents.books().size())));
        int expected = -1;
        for (int r = 0; r < table.rowCount() && expected < 0; ++r) {
            const Field number = records[size_t(r)][Column::Number];
            if (contents.bookOf(r) == book && number && plainNumber(*number) == plainNumber(typed))
                expected = r;
        }
        QCOMPARE(findNumber(table, contents, book, typed), expected);
    }
    QCOMPARE(numberKey(u"١٢٣"), QStringLiteral("123"));
    QCOMPARE(numberKey(u"0"), QStringLiteral("0"));
}

// The shown text leaves out the marks (only while they are hidden) and makes every line
// break one; each position maps to the shown one before which its unit would stand, and
// back to where the shown unit's text starts.
void TestPlaces::shownWithoutMarks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("marks");
    const QString vowelled = QStringLiteral(u"عَنْ أَبِي\r\nهُرَيْرَةَ قَالَ\rقَالَ ّ");
    QTest::newRow("marks hidden") << vowelled << false;
    QTest::newRow("marks shown") << vowelled << true;
    QTest::newRow("only marks") << QStringLiteral(u"\u064E\u0651\u0650") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestPlaces::shownWithoutMarks()
{
    QFETCH(QString, text);
    QFETCH(bool, marks);
    const auto isMark = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x064B && u <= 0x065F) || u == 0x0670;
    };
    // the reference: the units kept, each with its own position
    QString expected;
    std::vector<qsizetype> from;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!marks && isMark(text[i]))
            continue;
        from.push_back(i);
        expected += text[i] == u'\r' ? QChar(u'\n') : text[i];
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
    }
    from.push_back(text.size());
    const pane::ShownText shown(text, marks);
    QCOMPARE(shown.shown(), expected);
    for (qsizetype k = 0; k <= expected.size(); ++k)
        QCOMPARE(shown.textAt(k), from[size_t(k)]);
    for (qsizetype i = 0; i <= text.size(); ++i) {
        qsizetype k = 0;
        while (from[size_t(k)] < i)
            ++k;
        QCOMPARE(shown.shownAt(i), k);
    }
}

QTEST_MAIN(TestPlaces)
#include "tst_places.moc"
