// The books and chapters of a collection, and a result counted by book, against a count
// made the plainest way.

#include "contentstruth.h"
#include "search/contents.h"

#include <QTest>

using namespace tembra;

Q_DECLARE_METATYPE(std::vector<tembra::Record>)

class TestContents : public QObject {
    Q_OBJECT

private slots:
    void againstADirectCount_data();
    void againstADirectCount();
};

void TestContents::againstADirectCount_data()
{
    QTest::addColumn<std::vector<Record>>("records");

    QTest::newRow("no rows") << std::vector<Record>();
    QTest::newRow("one row, NULL book and chapter") << std::vector<Record>{Record()};
    QTest::newRow("NULL, empty, repeats, a chapter back again") << truth::awkwardRecords();
    const std::vector<Field> few
        = {std::nullopt, QString(), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral(u"ب")};
    QTest::newRow("2,000 rows, few names") << truth::randomRecords(2000, few, 1);
    std::vector<Field> many = {std::nullopt, QString()};
    for (int i = 0; i < 300; ++i)
        many.push_back(QStringLiteral("name %1").arg(i));
    QTest::newRow("5,000 rows, many names") << truth::randomRecords(5000, many, 2);
    // Books in runs, as a real collection holds them, chapters mostly in runs too.
    std::vector<Record> runs = truth::randomRecords(3000, many, 3);
    for (size_t r = 0; r < runs.size(); ++r) {
        runs[r][Column::Book] = many[2 + r / 400];
        runs[r][Column::Kind] = r % 97 == 0 ? many[5] : many[10 + r / 37];
    }
    QTest::newRow("runs") << runs;
}

void TestContents::againstADirectCount()
{
    QFETCH(std::vector<Record>, records);
    TableBuilder builder;
    for (const Record &record : records)
        builder.append(record);
    const HadithTable table = builder.take();
    const Contents contents(table);
    const std::vector<truth::Book> books = truth::contentsOf(records);

    QCOMPARE(contents.books().size(), books.size());
    for (size_t b = 0; b < books.size(); ++b) {
        const Contents::Book &book = contents.books()[b];
        QCOMPARE(book.name, books[b].name);
        QCOMPARE(book.hadiths, books[b].hadiths);
        QCOMPARE(book.chapters.size(), books[b].chapters.size());
        for (size_t c = 0; c < books[b].chapters.size(); ++c) {
            QCOMPARE(book.chapters[c].name, books[b].chapters[c].name);
            QCOMPARE(book.chapters[c].hadiths, books[b].chapters[c].hadiths);
        }
    }
    for (size_t r = 0; r < records.size(); ++r)
        QCOMPARE(contents.books()[size_t(contents.bookOf(int(r)))].name, records[r][Column::Book]);

    // Results of every density, ascending as a search gives them: each book that holds any
    // of the rows, in the books' order, with how many.
    QRandomGenerator random(4);
    for (const int percent : {0, 1, 10, 50, 85, 100}) {
        std::vector<int> rows;
        for (int r = 0; r < int(records.size()); ++r) {
            if (int(random.bounded(100)) < percent)
                rows.push_back(r);
        }
        std::vector<Contents::BookCount> expected;
        for (size_t b = 0; b < books.size(); ++b) {
            const int held = int(std::count_if(rows.begin(), rows.end(), [&](int r) {
                return records[size_t(r)][Column::Book] == books[b].name;
            }));
            if (held > 0)
                expected.push_back({int(b), held});
        }
        QVERIFY2(contents.countsByBook(rows) == expected, qPrintable(QString::number(percent)));
    }
}

QTEST_GUILESS_MAIN(TestContents)
#include "tst_contents.moc"
