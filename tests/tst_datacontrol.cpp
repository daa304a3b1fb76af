// The data control: the statements it runs, its moves and what it tells the bound
// controls when the current record changes.

#include "design/resultmodel.h"
#include "search/datacontrol.h"
#include "search/statement.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace tembra;

class TestDataControl : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void searchStatementDoublesApostrophes();
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
        for (int c = 0; c < 5; ++c)
            t.setField(c, QString::fromLatin1(row[c]));
    }
    return t.take();
}

void TestDataControl::parse_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("pattern");

    QTest::newRow("table name") << "Table1" << 2 << true << false << 0 << "";
    QTest::newRow("table name, any case") << "tABLE1" << 2 << true << false << 0 << "";
    QTest::newRow("other table") << "Hadiths" << 2 << false << false << 0 << "";
    QTest::newRow("statement as table name")
        << "select * from Table1" << 2 << false << false << 0 << "";
    QTest::newRow("whole table") << "select * from Table1" << 1 << true << false << 0 << "";
    QTest::newRow("search") << "select * from Table1 where Tab1 like '%abc%'" << 1 << true << true
                            << 0 << "%abc%";
    QTest::newRow("keywords any case")
        << "SELECT * FROM table1 WHERE tab3 LIKE 'x'" << 1 << true << true << 2 << "x";
    QTest::newRow("doubled apostrophe")
        << "select * from Table1 where Tab1 like '%it''s%'" << 1 << true << true << 0 << "%it's%";
    QTest::newRow("lone apostrophe")
        << "select * from Table1 where Tab1 like '%it's%'" << 1 << false << false << 0 << "";
    QTest::newRow("unclosed") << "select * from Table1 where Tab1 like '%abc" << 1 << false << false
                              << 0 << "";
    QTest::newRow("no such column")
        << "select * from Table1 where Tab9 like '%a%'" << 1 << false << false << 0 << "";
    QTest::newRow("no such table") << "select * from Hadiths" << 1 << false << false << 0 << "";
    QTest::newRow("garbage") << "drop table Table1" << 1 << false << false << 0 << "";
    QTest::newRow("unknown command type") << "Table1" << 4 << false << false << 0 << "";
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
    QTEST(s.filtered, "filtered");
    QTEST(s.column, "column");
    QTEST(s.pattern, "pattern");
}

void TestDataControl::searchStatementDoublesApostrophes()
{
    QCOMPARE(searchStatement(QStringLiteral("abc")),
             QStringLiteral("select * from Table1 where Tab1 like '%abc%'"));
    const QString text = QStringLiteral("it's 'quoted''");
    Statement s;
    QVERIFY(Statement::parse(searchStatement(text), Statement::Text, &s, nullptr));
    QCOMPARE(s.pattern, QLatin1Char('%') + text + QLatin1Char('%'));
}

void TestDataControl::wholeTableAtStart()
{
    DataControl dc;
    dc.setTable(sample());
    QCOMPARE(dc.recordCount(), 3);
    QCOMPARE(dc.absolutePosition(), 1);
    QCOMPARE(dc.boundValue(1), QStringLiteral("1"));
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
    for (int c = 0; c < 5; ++c)
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
        for (int c = 0; c < kColumnCount; ++c)
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
    t.setField(1, QStringLiteral("7"));
    DataControl dc;
    dc.setTable(t.take());
    QCOMPARE(dc.boundValue(0), QString());
    QCOMPARE(dc.boundValue(1), QStringLiteral("7"));
    QVERIFY(dc.table()->isNull(0, 0));
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
            t.setField(0, texts[r]); // row 6 stays NULL
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
    ResultModel model(&dc, tembra1Definition().find(QStringLiteral("DataGrid1"))->columns);
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

QTEST_APPLESS_MAIN(TestDataControl)
#include "tst_datacontrol.moc"
