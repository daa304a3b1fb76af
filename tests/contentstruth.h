#pragma once

// The books and chapters of a collection counted the plainest way, for the tests to hold the
// contents and the tool against: for each row, a look through every book met so far, then
// through that book's chapters.

#include "search/record.h"

#include <QRandomGenerator>

#include <algorithm>
#include <vector>

namespace truth {

struct Chapter {
    tembra::Field name;
    int hadiths = 0;
};
struct Book {
    tembra::Field name;
    int hadiths = 0;
    std::vector<Chapter> chapters;
};

inline std::vector<Book> contentsOf(const std::vector<tembra::Record> &records)
{
    std::vector<Book> books;
    for (const tembra::Record &record : records) {
        const tembra::Field &bookName = record[tembra::Column::Book];
        const tembra::Field &chapterName = record[tembra::Column::Kind];
        auto book = std::find_if(books.begin(), books.end(),
                                 [&](const Book &b) { return b.name == bookName; });
        if (book == books.end())
            book = books.insert(books.end(), Book{bookName, 0, {}});
        ++book->hadiths;
        auto chapter = std::find_if(book->chapters.begin(), book->chapters.end(),
                                    [&](const Chapter &c) { return c.name == chapterName; });
        if (chapter == book->chapters.end())
            chapter = book->chapters.insert(book->chapters.end(), Chapter{chapterName, 0});
        ++chapter->hadiths;
    }
    return books;
}

// Rows whose books and chapters are drawn from names, NULL and the empty name among them.
inline std::vector<tembra::Record> randomRecords(int rows, const std::vector<tembra::Field> &names,
                                                 quint32 seed)
{
    QRandomGenerator random(seed);
    std::vector<tembra::Record> records(static_cast<size_t>(rows));
    for (tembra::Record &record : records) {
        record[tembra::Column::Text] = QStringLiteral("text");
        record[tembra::Column::Book] = names[random.bounded(quint32(names.size()))];
        record[tembra::Column::Kind] = names[random.bounded(quint32(names.size()))];
    }
    return records;
}

// The first rows: NULL and empty books and chapters, one chapter name in two books, and a
// chapter that comes back after another.
inline std::vector<tembra::Record> awkwardRecords()
{
    const tembra::Field null;
    const tembra::Field empty = QString();
    const tembra::Field a = QStringLiteral(u"صحيح البخاري");
    const tembra::Field b = QStringLiteral("B\tbook\\");
    const tembra::Field x = QStringLiteral(u"كتاب الإيمان");
    const tembra::Field y = QStringLiteral("y\nchapter");
    const std::pair<tembra::Field, tembra::Field> rows[] = {
        {a, x},     {a, y},       {a, x},         {b, x}, {null, x}, {empty, x}, {a, null},
        {a, empty}, {null, null}, {empty, empty}, {b, y}, {null, x}, {a, y},
    };
    std::vector<tembra::Record> records;
    for (const auto &[book, chapter] : rows) {
        tembra::Record record;
        record[tembra::Column::Text] = QStringLiteral("text");
        record[tembra::Column::Book] = book;
        record[tembra::Column::Kind] = chapter;
        records.push_back(record);
    }
    return records;
}

} // namespace truth
