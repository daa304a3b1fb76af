// The data control: the statements it runs, its moves and what it tells the bound
// controls when the current record changes.

#include "search/citation.h"
#include "search/datacontrol.h"
#include "search/excerpt.h"
#include "search/pane.h"
#include "search/resultmodel.h"
#include "search/statement.h"
#include "search/words.h"

#include <QAbstractItemModelTester>
#include <QPoint>
#include <QSignalSpy>
#include <QTest>

using namespace tembra;

namespace {

// The grid's two columns as the main window's design gives them: the kind, then the text.
std::vector<ResultModel::Shown> gridColumns()
{
    return {{QStringLiteral("kind"), Column::Kind}, {QStringLiteral("text"), Column::Text}};
}

// A field from a test's table: a null QString stands for NULL, an empty one for the empty text.
Field given(const QString &text)
{
    return text.isNull() ? Field() : Field(text);
}

} // namespace

class TestDataControl : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void statementsMadeReadBack();
    void wholeTableAtStart();
    void searchReplacesResult();
    void movesFailOnEmptyResult();
    void movesFailPastEitherEnd();
    void badStatementKeepsResult();
    void closedControlFails();
    void boundValuesAreNewWhenTheChangeComes();
    void nullShowsAsEmpty();
    void gridModelKeepsItsContract();
    void hostileSearchTexts_data();
    void hostileSearchTexts();
    void conditionsSelect_data();
    void conditionsSelect();
    void narrowingKeepsTheCurrentHadith();
    void wordsSplit_data();
    void wordsSplit();
    void wordsSelect_data();
    void wordsSelect();
    void wordsSearchInItsOrder();
    void cellTextAroundTheMatch_data();
    void cellTextAroundTheMatch();
    void cellIsShortWhateverTheText_data();
    void cellIsShortWhateverTheText();
    void rowsNameTheirHadith();
    void citationFormat_data();
    void citationFormat();

private:
    static HadithTable sample();
};

HadithTable TestDataControl::sample()
{
    TableBuilder t;
    const char *rows[][5] = {
        {"first hadith about faith", "1", "sahih", "head 1", "Bukhari"},
        {"second about prayer", "2", "sahih", "head 2", "Bukhari"},
        {"third about faith and prayer", "3", "hasan", "head 3", "Muslim"},
    };
    for (const auto &row : rows) {
        t.appendRow();
        for (Column c : kColumns)
            t.setField(c, QString::fromLatin1(row[position(c)]));
    }
    return t.take();
}

// A statement as the data control reads it, written out: each condition as "like COL
// 'pattern'", "not COL 'pattern'", "= COL 'value'" or "null COL", joined by "; ".
void TestDataControl::parse_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("read");

    QTest::newRow("table name") << "Table1" << 2 << true << "";
    QTest::newRow("table name, any case") << "tABLE1" << 2 << true << "";
    QTest::newRow("other table") << "Hadiths" << 2 << false << "";
    QTest::newRow("statement as table name") << "select * from Table1" << 2 << false << "";
    QTest::newRow("whole table") << "select * from Table1" << 1 << true << "";
    QTest::newRow("search") << "select * from Table1 where Tab1 like '%abc%'" << 1 << true
                            << "like Tab1 '%abc%'";
    QTest::newRow("keywords any case")
        << "SELECT * FROM table1 WHERE tab3 LIKE 'x'" << 1 << true << "like Tab3 'x'";
    QTest::newRow("doubled apostrophe")
        << "select * from Table1 where Tab1 like '%it''s%'" << 1 << true << "like Tab1 '%it's%'";
    QTest::newRow("lone apostrophe")
        << "select * from Table1 where Tab1 like '%it's%'" << 1 << false << "";
    QTest::newRow("unclosed") << "select * from Table1 where Tab1 like '%abc" << 1 << false << "";
    QTest::newRow("no such column")
        << "select * from Table1 where Tab9 like '%a%'" << 1 << false << "";
    QTest::newRow("no such table") << "select * from Hadiths" << 1 << false << "";
    QTest::newRow("garbage") << "drop table Table1" << 1 << false << "";
    QTest::newRow("unknown command type") << "Table1" << 4 << false << "";
    QTest::newRow("words, one left out")
        << "select * from Table1 where Tab1 like '%a%' and Tab1 like '%b%' and not Tab1 like "
           "'%c%'"
        << 1 << true << "like Tab1 '%a%'; like Tab1 '%b%'; not Tab1 '%c%'";
    QTest::newRow("left out alone")
        << "select * from Table1 where not Tab1 like '%c%'" << 1 << true << "not Tab1 '%c%'";
    QTest::newRow("a chapter of a book") << "select * from Table1 where Tab5 = 'B' and Tab3 = 'C'"
                                         << 1 << true << "= Tab5 'B'; = Tab3 'C'";
    QTest::newRow("no spaces, any case")
        << "SELECT * FROM Table1 WHERE tab1 LIKE '%about%' AND TAB5='Bukhari'" << 1 << true
        << "like Tab1 '%about%'; = Tab5 'Bukhari'";
    QTest::newRow("a book with no name")
        << "select * from Table1 where Tab1 like '%a%' and Tab5 is null" << 1 << true
        << "like Tab1 '%a%'; null Tab5";
    QTest::newRow("is null, any case")
        << "select * from Table1 where TAB5 IS NULL" << 1 << true << "null Tab5";
    QTest::newRow("not before an equal")
        << "select * from Table1 where not Tab5 = 'x'" << 1 << false << "";
    QTest::newRow("and first") << "select * from Table1 and Tab5 = 'x'" << 1 << false << "";
    QTest::newRow("where twice") << "select * from Table1 where Tab1 like 'a' where Tab5 = 'x'" << 1
                                 << false << "";
    QTest::newRow("text after the name")
        << "select * from Table1 where Tab5 = 'x' order" << 1 << false << "";
}

void TestDataControl::parse()
{
    QFETCH(QString, source);
    QFETCH(int, type);
    QFETCH(bool, ok);
    Statement s;
    tembra::Error error;
    QCOMPARE(Statement::parse(source, type, &s, &error), ok);
    if (!ok) {
        QVERIFY(error.isError());
        return;
    }
    QStringList read;
    const auto name = [](Column c) { return QStringLiteral("Tab%1").arg(position(c) + 1); };
    for (const Statement::Like &like : s.likes)
        read << (like.negated ? QStringLiteral("not ") : QStringLiteral("like "))
                + name(like.column) + QStringLiteral(" '") + like.pattern + QLatin1Char('\'');
    for (const Statement::Equal &equal : s.equals)
        read << (equal.value ? QStringLiteral("= ") + name(equal.column) + QStringLiteral(" '")
                         + *equal.value + QLatin1Char('\'')
                             : QStringLiteral("null ") + name(equal.column));
    QTEST(read.join(QStringLiteral("; ")), "read");
}

// What the window asks for, read back as it was meant: apostrophes stay inside their
// literals, and a plain search is the design's statement to the letter.
void TestDataControl::statementsMadeReadBack()
{
    QCOMPARE(searchStatement(QStringLiteral("abc")),
             QStringLiteral("select * from Table1 where Tab1 like '%abc%'"));
    QCOMPARE(Listing::search(QStringLiteral("abc"), Comparison::Folded, false).statement(),
             searchStatement(QStringLiteral("abc")));
    const QString text = QStringLiteral("it's 'quoted''");
    const QString book = QStringLiteral("a'b");
    Statement s;
    const Listing search = Listing::search(text, Comparison::Folded, false);
    QVERIFY(Statement::parse(search.inBook(book).statement(), Statement::Text, &s, nullptr));
    QCOMPARE(s.likes.size(), size_t(1));
    QCOMPARE(s.likes[0].pattern, QLatin1Char('%') + text + QLatin1Char('%'));
    QCOMPARE(s.equals.size(), size_t(1));
    QCOMPARE(s.equals[0].value, Field(book));
    QVERIFY(Statement::parse(Listing::wholeChapter(std::nullopt, QStringLiteral("c'h")).statement(),
                             Statement::Text, &s, nullptr));
    QVERIFY(s.likes.empty());
    QCOMPARE(s.equals.size(), size_t(2));
    QCOMPARE(s.equals[0].column, Column::Book);
    QCOMPARE(s.equals[0].value, Field());
    QCOMPARE(s.equals[1].column, Column::Kind);
    QCOMPARE(s.equals[1].value, Field(QStringLiteral("c'h")));
}

void TestDataControl::wholeTableAtStart()
{
    DataControl dc;
    dc.setTable(sample());
    QCOMPARE(dc.recordCount(), 3);
    QCOMPARE(dc.absolutePosition(), 1);
    QCOMPARE(dc.boundValue(Column::Number), QStringLiteral("1"));
}

void TestDataControl::searchReplacesResult()
{
    DataControl dc;
    dc.setTable(sample());
    dc.setRecordSource(searchStatement(QStringLiteral("PRAYER")));
    dc.setCommandType(Statement::Text);
    QVERIFY(dc.refresh());
    QCOMPARE(dc.recordCount(), 2);
    QCOMPARE(dc.currentRow(), 1);
    QVERIFY(dc.moveLast());
    QCOMPARE(dc.absolutePosition(), 2);
    QCOMPARE(dc.currentRow(), 2);
}

void TestDataControl::movesFailOnEmptyResult()
{
    DataControl dc;
    dc.setTable(sample());
    dc.setRecordSource(searchStatement(QStringLiteral("nowhere")));
    dc.setCommandType(Statement::Text);
    QVERIFY(dc.refresh());
    QCOMPARE(dc.recordCount(), 0);
    QCOMPARE(dc.absolutePosition(), 0);
    tembra::Error error;
    QVERIFY(!dc.moveFirst(&error));
    QVERIFY(error.isError());
    QVERIFY(!dc.moveLast());
    QVERIFY(!dc.moveNext());
    QVERIFY(!dc.movePrevious());
    for (Column c : kColumns)
        QCOMPARE(dc.boundValue(c), QString());
}

void TestDataControl::movesFailPastEitherEnd()
{
    DataControl dc;
    dc.setTable(sample());
    QVERIFY(!dc.movePrevious());
    QCOMPARE(dc.absolutePosition(), 1);
    QVERIFY(dc.moveNext());
    QVERIFY(dc.moveNext());
    QVERIFY(!dc.moveNext());
    QCOMPARE(dc.absolutePosition(), 3);
    QVERIFY(dc.moveTo(2));
    QVERIFY(!dc.moveTo(4));
    QVERIFY(!dc.moveTo(0));
    QCOMPARE(dc.absolutePosition(), 2);
}

void TestDataControl::badStatementKeepsResult()
{
    DataControl dc;
    dc.setTable(sample());
    dc.setRecordSource(QStringLiteral("select * from Table1 where Tab1 like '%it's%'"));
    dc.setCommandType(Statement::Text);
    QSignalSpy replaced(&dc, &DataControl::resultReplaced);
    tembra::Error error;
    QVERIFY(!dc.refresh(&error));
    QVERIFY(error.isError());
    QCOMPARE(replaced.count(), 0);
    QCOMPARE(dc.recordCount(), 3);
}

void TestDataControl::closedControlFails()
{
    DataControl dc;
    QVERIFY(!dc.isOpen());
    QVERIFY(!dc.refresh());
    QVERIFY(!dc.moveFirst());
    QCOMPARE(dc.recordCount(), 0);
}

void TestDataControl::boundValuesAreNewWhenTheChangeComes()
{
    DataControl dc;
    dc.setTable(sample());
    QStringList seen;
    connect(&dc, &DataControl::currentChanged, this, [&] {
        for (Column c : kColumns)
            seen << dc.boundValue(c);
    });
    QVERIFY(dc.moveNext());
    QVERIFY(dc.moveNext());
    QCOMPARE(
        seen.mid(kColumnCount),
        (QStringList{QStringLiteral("third about faith and prayer"), QStringLiteral("3"),
                     QStringLiteral("hasan"), QStringLiteral("head 3"), QStringLiteral("Muslim")}));
}

void TestDataControl::nullShowsAsEmpty()
{
    TableBuilder t;
    t.appendRow();
    t.setField(Column::Number, QStringLiteral("7"));
    DataControl dc;
    dc.setTable(t.take());
    QCOMPARE(dc.boundValue(Column::Text), QString());
    QCOMPARE(dc.boundValue(Column::Number), QStringLiteral("7"));
    QVERIFY(dc.table()->isNull(0, Column::Text));
}

void TestDataControl::hostileSearchTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("rows");
    const QString longRun(100000, QChar(0x0628));
    QTest::newRow("percents only") << QStringLiteral("%%%") << QList<int>{0, 1, 2, 3, 4, 5, 7};
    // the right-to-left marks of row 3 are not compared, and "نص" is two letters
    QTest::newRow("underscores only") << QStringLiteral("___") << QList<int>{0, 1, 2, 4, 7};
    QTest::newRow("a control character") << QStringLiteral(u"\u0001") << QList<int>{1};
    QTest::newRow("NUL") << QString(QChar(0)) << QList<int>{};
    QTest::newRow("unpaired high surrogate") << QString(QChar(0xD800)) << QList<int>{2};
    QTest::newRow("unpaired low surrogate") << QString(QChar(0xDC00)) << QList<int>{};
    QTest::newRow("right-to-left marks") << QStringLiteral(u"\u200F\u200F") << QList<int>{3};
    QTest::newRow("spaces only") << QStringLiteral("   ") << QList<int>{4};
    QTest::newRow("100,000 characters") << longRun << QList<int>{7};
    QTest::newRow("100,001 characters") << longRun + QChar(0x0628) << QList<int>{};
    QTest::newRow("100,000 underscores") << QString(100000, QLatin1Char('_')) << QList<int>{7};
    QTest::newRow("alternating wildcards") << QStringLiteral("%_").repeated(50000) << QList<int>{7};
    QTest::newRow("apostrophes") << QStringLiteral("''''") << QList<int>{};
}

void TestDataControl::hostileSearchTexts()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, rows);
    TableBuilder t;
    const QString texts[] = {
        QStringLiteral("abc"),
        QStringLiteral(u"a\u0001b"),
        QStringLiteral("x") + QChar(0xD800) + QLatin1Char('y'),
        QStringLiteral(u"\u200F\u200Fنص"),
        QStringLiteral("     "),
        QString(),
        QString(),
        QString(100000, QChar(0x0628)) + QStringLiteral("end"),
    };
    for (int r = 0; r < 8; ++r) {
        t.appendRow();
        if (r != 6)
            t.setField(Column::Text, texts[r]); // row 6 stays NULL
    }
    DataControl dc;
    dc.setTable(t.take());
    dc.setRecordSource(searchStatement(text));
    dc.setCommandType(Statement::Text);
    QVERIFY(dc.refresh());
    QList<int> found;
    for (int i = 0; i < dc.recordCount(); ++i)
        found << dc.rowAt(i);
    QCOMPARE(found, rows);
}

// The grid's model through searches that grow, shrink and empty the result, checked by
// Qt's own model tester after every change.
void TestDataControl::gridModelKeepsItsContract()
{
    DataControl dc;
    ResultModel model(&dc, gridColumns());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    dc.setTable(sample());
    QCOMPARE(model.rowCount(), 3);
    for (const char *text : {"faith", "nothing", "prayer", "a"}) {
        dc.setRecordSource(searchStatement(QString::fromLatin1(text)));
        dc.setCommandType(Statement::Text);
        QVERIFY(dc.refresh());
        QCOMPARE(model.rowCount(), dc.recordCount());
    }
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("sahih"));
    QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(),
             QStringLiteral("first hadith about faith"));
}

// What each statement selects from a table whose books and chapters have NULL and empty
// names beside real ones; every truth is counted by hand from the rows below.
void TestDataControl::conditionsSelect_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QList<int>>("rows");

    QTest::newRow("search in a book")
        << "select * from Table1 where Tab1 like '%faith%' and Tab5 = 'Muslim'" << QList<int>{2};
    QTest::newRow("the whole book")
        << "select * from Table1 where Tab5 = 'Bukhari'" << QList<int>{0, 1};
    QTest::newRow("the name as it stands")
        << "select * from Table1 where Tab5 = 'bukhari'" << QList<int>{};
    QTest::newRow("a book named NULL, not the empty name")
        << "select * from Table1 where Tab5 is null" << QList<int>{3, 4};
    QTest::newRow("the empty name, not NULL")
        << "select * from Table1 where Tab5 = ''" << QList<int>{5};
    QTest::newRow("a chapter of a book")
        << "select * from Table1 where Tab5 = 'Bukhari' and Tab3 = 'sahih'" << QList<int>{0, 1};
    QTest::newRow("a chapter named NULL")
        << "select * from Table1 where Tab3 is null" << QList<int>{4, 6};
}

void TestDataControl::conditionsSelect()
{
    QFETCH(QString, source);
    QFETCH(QList<int>, rows);
    TableBuilder t;
    t.append(sample().record(0));
    t.append(sample().record(1));
    t.append(sample().record(2));
    const auto row = [&t](const char *text, const Field &kind, const Field &book) {
        Record r;
        r[Column::Text] = QString::fromLatin1(text);
        r[Column::Kind] = kind;
        r[Column::Book] = book;
        t.append(r);
    };
    row("fourth, of no book", QStringLiteral("hasan"), std::nullopt);
    row("fifth, of no book or chapter", std::nullopt, std::nullopt);
    row("sixth, its book's name empty", QStringLiteral("hasan"), QString());
    Record none;
    none[Column::Book] = QStringLiteral("Muslim");
    t.append(none);

    DataControl dc;
    dc.setTable(t.take());
    dc.setRecordSource(source);
    dc.setCommandType(Statement::Text);
    QVERIFY(dc.refresh());
    QList<int> found;
    for (int i = 0; i < dc.recordCount(); ++i)
        found << dc.rowAt(i);
    QCOMPARE(found, rows);
}

// The count is known before the grid changes, and the hadith read stays current where the
// new result holds it; where it does not, the first one is.
void TestDataControl::narrowingKeepsTheCurrentHadith()
{
    DataControl dc;
    dc.setTable(sample());
    dc.setCommandType(Statement::Text);
    dc.setRecordSource(searchStatement(QStringLiteral("about")));
    QVERIFY(dc.refresh());
    QVERIFY(dc.moveTo(2)); // "second about prayer", Bukhari

    QStringList events;
    connect(&dc, &DataControl::resultCounted, &dc,
            [&](int n) { events << QStringLiteral("count %1").arg(n); });
    connect(&dc, &DataControl::resultReplaced, &dc, [&] { events << QStringLiteral("result"); });
    connect(&dc, &DataControl::currentChanged, &dc,
            [&] { events << QStringLiteral("current ") + dc.boundValue(Column::Number); });
    dc.setRecordSource(Listing::search(QStringLiteral("about"), Comparison::Folded, false)
                           .inBook(QStringLiteral("Bukhari")));
    QVERIFY(dc.refreshKeeping(dc.currentRow()));
    QCOMPARE(events,
             QStringList({QStringLiteral("count 2"), QStringLiteral("result"),
                          QStringLiteral("current 2")}));
    QCOMPARE(dc.absolutePosition(), 2);

    events.clear();
    dc.setRecordSource(Listing::wholeBook(QStringLiteral("Muslim")));
    QVERIFY(dc.refreshKeeping(dc.currentRow())); // not in that book: the first
    QCOMPARE(events,
             QStringList({QStringLiteral("count 1"), QStringLiteral("result"),
                          QStringLiteral("current 3")}));
}

// The items a text typed for words in any order splits into, written "+item" for one that
// must occur and "-item" for one that must not, joined by "|".
void TestDataControl::wordsSplit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("items");
    QTest::newRow("two words") << "faith prayer"
                               << "+faith|+prayer";
    QTest::newRow("every kind of space")
        << QStringLiteral(u"a\u00A0b\u3000c\u2007d") << "+a|+b|+c|+d";
    QTest::newRow("a tab is no space separator") << "a\tb"
                                                 << "+a\tb";
    QTest::newRow("straight quotes keep their spaces") << "\"a b\" c"
                                                       << "+a b|+c";
    QTest::newRow("guillemets") << QStringLiteral(u"«a  b» c") << "+a  b|+c";
    QTest::newRow("curly quotes") << QStringLiteral(u"c “a b”") << "+c|+a b";
    QTest::newRow("a word left out") << "a -b"
                                     << "+a|-b";
    QTest::newRow("a phrase left out") << QStringLiteral(u"-«a b» c") << "-a b|+c";
    QTest::newRow("only left out") << "-a -b"
                                   << "-a|-b";
    QTest::newRow("an unclosed quote runs to the end")
        << QStringLiteral(u"a «b c -d") << "+a|+b c -d";
    QTest::newRow("empty items") << "  a   \"\"  -  b  -\"\" "
                                 << "+a|+b";
    QTest::newRow("a phrase with wildcards") << "\"a%b c_d\""
                                             << "+a%b c_d";
    QTest::newRow("a quote inside a word is a letter") << "a\"b c"
                                                       << "+a\"b|+c";
    QTest::newRow("a closing quote ends the phrase") << "\"a b\"c"
                                                     << "+a b|+c";
    QTest::newRow("a minus inside a word is a letter") << "a-b --c"
                                                       << "+a-b|--c";
    QTest::newRow("a closing quote alone is a letter")
        << QStringLiteral(u"a» b") << QStringLiteral(u"+a»|+b");
}

void TestDataControl::wordsSplit()
{
    QFETCH(QString, typed);
    QStringList items;
    for (const WordItem &item : splitWords(typed))
        items << (item.excluded ? QLatin1Char('-') : QLatin1Char('+')) + item.text;
    QTEST(items.join(QLatin1Char('|')), "items");
}

// What a search for words in any order lists, from the three sample rows, a row of no
// text and one of marked Arabic; each truth counted by hand.
void TestDataControl::wordsSelect_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("in any order") << "prayer faith" << false << QList<int>{2};
    QTest::newRow("letter case aside") << "FAITH About" << false << QList<int>{0, 2};
    QTest::newRow("one left out") << "about -prayer" << false << QList<int>{0};
    // row 3 has no text: it holds nothing, and holds nothing left out either
    QTest::newRow("left out alone") << "-faith" << false << QList<int>{1, 4};
    QTest::newRow("a phrase") << "\"about faith\"" << false << QList<int>{0, 2};
    QTest::newRow("a phrase in another order") << "\"faith about\"" << false << QList<int>{};
    QTest::newRow("wildcards within a word") << "f_ith pr%er" << false << QList<int>{2};
    QTest::newRow("a phrase left out") << "about -\"and prayer\"" << false << QList<int>{0, 1};
    // each item its own marks: رسول is bare, اللَّهِ has a kasra the text's هُ contradicts
    QTest::newRow("marks compared item by item")
        << QStringLiteral(u"اللَّهِ رسول") << false << QList<int>{};
    QTest::newRow("marks that agree") << QStringLiteral(u"اللَّهُ رسول") << false << QList<int>{4};
    QTest::newRow("exact: marks as typed") << QStringLiteral(u"اللَّهُ رسول") << true << QList<int>{};
    QTest::newRow("exact") << QStringLiteral(u"قَالَ") << true << QList<int>{4};
    QTest::newRow("nothing but spaces and minuses: every row")
        << "  -  " << false << QList<int>{0, 1, 2, 3, 4};
}

void TestDataControl::wordsSelect()
{
    QFETCH(QString, typed);
    QFETCH(bool, exact);
    QFETCH(QList<int>, rows);
    TableBuilder t;
    for (int r = 0; r < 3; ++r)
        t.append(sample().record(r));
    t.appendRow(); // no text
    t.appendRow();
    t.setField(Column::Text, QStringLiteral(u"قَالَ رَسُولُ اللَّهُ"));
    DataControl dc;
    dc.setTable(t.take());
    const Comparison comparison = exact ? Comparison::Exact : Comparison::Folded;
    dc.setComparison(comparison);
    const Listing listing = Listing::search(typed, comparison, true);
    dc.setRecordSource(listing);
    QVERIFY(dc.refresh());
    QList<int> found;
    for (int i = 0; i < dc.recordCount(); ++i)
        found << dc.rowAt(i);
    QCOMPARE(found, rows);
    // counted without being listed, as the window asks after a plain search found nothing
    dc.setRecordSource(Listing::wholeTable());
    QVERIFY(dc.refresh());
    QCOMPARE(dc.count(Listing::search(typed, comparison, false).inAnyOrder()), rows.size());
    QCOMPARE(dc.recordCount(), 5);
}

// A search for words: the count comes before the grid changes, the grid has its rows when
// the first hadith becomes current, and the pane then selects the first place where a word
// occurs and shades the others; each move does the same for its hadith.
void TestDataControl::wordsSearchInItsOrder()
{
    DataControl dc;
    ResultModel model(&dc, gridColumns());
    dc.setTable(sample());
    Listing listing
        = Listing::search(QStringLiteral("prayer -second about"), Comparison::Folded, true);
    model.setListing(listing);
    QStringList events;
    connect(&dc, &DataControl::resultCounted, &dc,
            [&](int n) { events << QStringLiteral("count %1").arg(n); });
    connect(&model, &QAbstractItemModel::modelReset, &dc,
            [&] { events << QStringLiteral("grid %1").arg(model.rowCount()); });
    connect(&dc, &DataControl::currentChanged, &dc, [&] {
        const QString text = dc.boundValue(Column::Text);
        QStringList shaded;
        for (const pane::Span &span : pane::occurrences(text, listing))
            shaded << text.mid(span.start, span.end - span.start);
        events << QStringLiteral("current %1: %2")
                      .arg(dc.boundValue(Column::Number), shaded.join(QLatin1Char(',')));
    });
    dc.setRecordSource(listing);
    QVERIFY(dc.refresh());
    QCOMPARE(events,
             QStringList({QStringLiteral("count 1"), QStringLiteral("grid 1"),
                          QStringLiteral("current 3: about,prayer")}));
    QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(),
             QStringLiteral("third about faith and prayer"));
    QCOMPARE(model.data(model.index(0, 1), ResultModel::MatchRole).toPoint(), QPoint(6, 5));

    events.clear();
    listing = Listing::search(QStringLiteral("about"), Comparison::Folded, true)
                  .inBook(QStringLiteral("Bukhari"));
    model.setListing(listing);
    dc.setRecordSource(listing);
    QVERIFY(dc.refreshKeeping(dc.currentRow())); // not in that book: the first
    QVERIFY(dc.moveNext());
    QCOMPARE(events,
             QStringList({QStringLiteral("count 2"), QStringLiteral("grid 2"),
                          QStringLiteral("current 1: about"), QStringLiteral("current 2: about")}));
}

// The hadith cell: the text around the first match, "…" where it is cut, and where the
// match stands in it. Each truth is written out by hand.
void TestDataControl::cellTextAroundTheMatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("term");
    QTest::addColumn<int>("lead");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("match"); // the emphasised part of cell

    const QString e(QChar(0x2026));
    QTest::newRow("match at the very start")
        << "faith comes first and the rest follows"
        << "faith" << 10 << 20 << QStringLiteral("faith comes first") + e << "faith";
    QTest::newRow("match at the very end")
        << "the words before it and then the end"
        << "end" << 10 << 40 << e + QStringLiteral("then the end") << "end";
    QTest::newRow("short hadith, whole") << "a short one"
                                         << "short" << 10 << 40 << "a short one"
                                         << "short";
    QTest::newRow("cut on both sides, at words")
        << "one two three four five six seven"
        << "four" << 9 << 16 << e + QStringLiteral("three four five") + e << "four";
    QTest::newRow("no match: the start")
        << "nothing here to find at all"
        << "zzz" << 5 << 12 << QStringLiteral("nothing here") + e << "";
    QTest::newRow("line breaks as spaces")
        << QStringLiteral("head\r\nbody\twith it") << "body" << 40 << 80 << "head  body with it"
        << "body";
    QTest::newRow("case as the search") << "The Prophet said"
                                        << "PROPHET" << 40 << 80 << "The Prophet said"
                                        << "Prophet";
    // رَسُولُ with its marks: the unvowelled term matches, and the marks after its last
    // letter come along; the cut never leaves a mark without its letter.
    QTest::newRow("marks come along")
        << QStringLiteral(u"قَالَ رَسُولُ اللَّهِ") << QStringLiteral(u"رسول") << 40 << 80
        << QStringLiteral(u"قَالَ رَسُولُ اللَّهِ") << QStringLiteral(u"رَسُولُ");
    QTest::newRow("marks at the cut after")
        << QStringLiteral(u"رَسُولُبَبَبَ") << QStringLiteral(u"رسول") << 40 << 8
        << QStringLiteral(u"رَسُولُبَ") + e << QStringLiteral(u"رَسُولُ");
    QTest::newRow("marks at the cut before")
        << QStringLiteral(u"بَبَبَبَرَسُولُ") << QStringLiteral(u"رسول") << 3 << 80
        << e + QStringLiteral(u"بَرَسُولُ") << QStringLiteral(u"رَسُولُ");
    QTest::newRow("a word before the match")
        << QStringLiteral(u"قَالَقَالَ رَسُولُ") << QStringLiteral(u"رسول") << 3 << 80
        << e + QStringLiteral(u"رَسُولُ") << QStringLiteral(u"رَسُولُ");
    QTest::newRow("a cut word before is left out")
        << QStringLiteral(u"abcdefghij match") << "match" << 4 << 80 << e + QStringLiteral(u"match")
        << "match";
}

void TestDataControl::cellTextAroundTheMatch()
{
    QFETCH(QString, text);
    QFETCH(QString, term);
    QFETCH(int, lead);
    QFETCH(int, length);
    QFETCH(QString, cell);
    QFETCH(QString, match);
    const Excerpt got = excerpt(text, term, Comparison::Folded, lead, length);
    QCOMPARE(got.text, cell);
    if (match.isEmpty()) {
        QCOMPARE(got.matchStart, qsizetype(-1));
        return;
    }
    QCOMPARE(got.text.mid(got.matchStart, got.matchLength), match);

    // and the grid shows the same, with the match for the cell to shade
    TableBuilder table;
    table.appendRow();
    table.setField(Column::Text, text);
    DataControl dc;
    dc.setTable(table.take());
    ResultModel model(&dc, gridColumns());
    model.setListing(Listing::search(term, Comparison::Folded, false));
    if (lead == kExcerptLead && length == kExcerptLength) {
        QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(), cell);
        QCOMPARE(model.data(model.index(0, 1), ResultModel::MatchRole).toPoint(),
                 QPoint(int(got.matchStart), int(got.matchLength)));
    }
}

// A hadith cell holds about 300 units whatever the hadith: a text of marks alone, or of
// invisible characters, has no letter to keep its marks with or no word to end on, and is
// cut all the same; and the cell is a piece of the text, with its match in it.
void TestDataControl::cellIsShortWhateverTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("term");
    QTest::addColumn<bool>("found");
    const QString fatha(QChar(0x064E));
    QTest::newRow("marks alone") << fatha.repeated(100000) << QStringLiteral(u"رسول") << false;
    QTest::newRow("invisible characters alone")
        << QStringLiteral(u"\u200F\u200C").repeated(50000) << QStringLiteral(u"رسول") << false;
    QTest::newRow("a letter with a hundred thousand marks")
        << QStringLiteral(u"ر") + fatha.repeated(100000) + QStringLiteral(u"سول")
        << QStringLiteral(u"رسول") << true;
    QTest::newRow("a match after them")
        << fatha.repeated(100000) + QStringLiteral(u" رسول") << QStringLiteral(u"رسول") << true;
    QTest::newRow("one word of a hundred thousand letters")
        << QString(50000, QChar(0x0628)) + QStringLiteral(u"رسول") + QString(50000, QChar(0x0628))
        << QStringLiteral(u"رسول") << true;
}

void TestDataControl::cellIsShortWhateverTheText()
{
    QFETCH(QString, text);
    QFETCH(QString, term);
    QFETCH(bool, found);
    const Excerpt got = excerpt(text, term, Comparison::Folded);
    QVERIFY2(got.text.size() <= 340, qPrintable(QString::number(got.text.size())));
    QString piece = got.text;
    if (piece.startsWith(QChar(0x2026)))
        piece.remove(0, 1);
    if (piece.endsWith(QChar(0x2026)))
        piece.chop(1);
    QVERIFY(!piece.isEmpty() && text.contains(piece));
    QCOMPARE(got.matchStart >= 0, found);
    if (found) {
        QVERIFY(got.matchStart + got.matchLength <= got.text.size());
        QVERIFY(got.text.mid(got.matchStart, got.matchLength).startsWith(QChar(0x0631)));
    }
}

// A row says which hadith it is: the same number comes back in other books.
void TestDataControl::rowsNameTheirHadith()
{
    DataControl dc;
    dc.setTable(sample());
    ResultModel model(&dc, gridColumns());
    for (int column = 0; column < 2; ++column) {
        const QString tip = model.data(model.index(2, column), Qt::ToolTipRole).toString();
        const QStringList lines = tip.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith(QStringLiteral(": Muslim")));
        QVERIFY(lines[1].endsWith(QStringLiteral(": 3")));
        QVERIFY(lines[2].endsWith(QStringLiteral(": hasan")));
        const QString said
            = model.data(model.index(2, column), Qt::AccessibleDescriptionRole).toString();
        QVERIFY(!said.contains(QLatin1Char('\n')));
        for (const char *part : {"Muslim", "3", "hasan"})
            QVERIFY(said.contains(QLatin1String(part)));
    }
}

void TestDataControl::citationFormat_data()
{
    QTest::addColumn<QString>("tab4");
    QTest::addColumn<QString>("tab1");
    QTest::addColumn<QString>("tab5");
    QTest::addColumn<QString>("tab2");
    QTest::addColumn<QString>("cited");
    // "، ژمارە ": the Arabic comma U+060C, a space, ژ م ا ر ە, a space
    const QString comma = QStringLiteral(u"\u060C ");
    const QString number = QStringLiteral(u"\u0698\u0645\u0627\u0631\u06D5 ");
    const QString book = QStringLiteral("Book A");
    const QString twelve = QStringLiteral("12");
    const QString hadith = QStringLiteral("the hadith");
    QTest::newRow("with its line above")
        << QStringLiteral("chapter of faith") << hadith << book << twelve
        << QStringLiteral("chapter of faith\nthe hadith\nBook A") + comma + number + twelve;
    QTest::newRow("no line above")
        << QString() << hadith << book << twelve
        << QStringLiteral("the hadith\nBook A") + comma + number + twelve;
    QTest::newRow("a blank line above is none")
        << QStringLiteral("  ") << hadith << book << twelve
        << QStringLiteral("the hadith\nBook A") + comma + number + twelve;
    QTest::newRow("breaks made plain")
        << QStringLiteral("head") << QStringLiteral("one\r\ntwo") << book << twelve
        << QStringLiteral("head\none\ntwo\nBook A") + comma + number + twelve;
    // what the source lacks is left out, never a comma or a number with nothing beside it
    QTest::newRow("NULL book") << QString() << hadith << QString() << twelve
                               << QStringLiteral("the hadith\n") + number + twelve;
    QTest::newRow("empty book") << QString() << hadith << QStringLiteral("") << twelve
                                << QStringLiteral("the hadith\n") + number + twelve;
    QTest::newRow("NULL number") << QString() << hadith << book << QString()
                                 << QStringLiteral("the hadith\nBook A");
    QTest::newRow("neither") << QString() << hadith << QStringLiteral("") << QString() << hadith;
}

void TestDataControl::citationFormat()
{
    QFETCH(QString, tab4);
    QFETCH(QString, tab1);
    QFETCH(QString, tab5);
    QFETCH(QString, tab2);
    Record record;
    record[Column::Heading] = given(tab4);
    record[Column::Text] = given(tab1);
    record[Column::Book] = given(tab5);
    record[Column::Number] = given(tab2);
    QTEST(citation(record), "cited");
}

QTEST_APPLESS_MAIN(TestDataControl)
#include "tst_datacontrol.moc"
