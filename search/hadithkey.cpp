#include "search/hadithkey.h"

#include <QCryptographicHash>
#include <QHashFunctions>

#include <algorithm>

namespace tembra {

QByteArray textDigest(const Field &text)
{
    if (!text)
        return QByteArrayLiteral("-");
    const QByteArray units(reinterpret_cast<const char *>(text->constData()),
                           text->size() * qsizetype(sizeof(QChar)));
    return QCryptographicHash::hash(units, QCryptographicHash::Sha256).left(16).toHex();
}

HadithKey keyOf(const HadithTable &table, int row)
{
    return {table.field(row, Column::Book), table.field(row, Column::Number),
            textDigest(table.field(row, Column::Text))};
}

HadithKey keyOf(const Record &record)
{
    return {record[Column::Book], record[Column::Number], textDigest(record[Column::Text])};
}

namespace {

bool sameField(const HadithTable &table, int row, Column column, const Field &field)
{
    if (table.isNull(row, column))
        return !field;
    return field && table.view(row, column) == *field;
}

// NULL and the empty text hash apart, and so do a book and number that would run together.
std::size_t fieldHash(bool isNull, QStringView text, std::size_t seed)
{
    return isNull ? qHashMulti(seed, 1) : qHashMulti(seed, 2, text);
}

std::size_t bookAndNumberHash(const Field &book, const Field &number)
{
    const std::size_t seed = fieldHash(!book, book ? QStringView(*book) : QStringView(), 0);
    return fieldHash(!number, number ? QStringView(*number) : QStringView(), seed);
}

} // namespace

int findHadith(const HadithTable &table, const HadithKey &key)
{
    if (key.isNull())
        return -1;
    for (int r = 0; r < table.rowCount(); ++r) {
        if (sameField(table, r, Column::Number, key.number)
            && sameField(table, r, Column::Book, key.book)
            && textDigest(table.field(r, Column::Text)) == key.digest)
            return r;
    }
    return -1;
}

HadithIndex::HadithIndex(const HadithTable &table) : m_table(table)
{
    m_rows.reserve(size_t(table.rowCount()));
    for (int r = 0; r < table.rowCount(); ++r) {
        const bool noBook = table.isNull(r, Column::Book);
        const bool noNumber = table.isNull(r, Column::Number);
        const std::size_t seed = fieldHash(noBook, table.view(r, Column::Book), 0);
        m_rows.emplace_back(fieldHash(noNumber, table.view(r, Column::Number), seed), r);
    }
    std::sort(m_rows.begin(), m_rows.end());
}

auto HadithIndex::rowsUnder(const HadithKey &key) const
    -> std::pair<std::vector<std::pair<std::size_t, int>>::const_iterator,
                 std::vector<std::pair<std::size_t, int>>::const_iterator>
{
    const std::size_t hash = bookAndNumberHash(key.book, key.number);
    const auto first = std::lower_bound(m_rows.begin(), m_rows.end(), std::make_pair(hash, -1));
    auto last = first;
    while (last != m_rows.end() && last->first == hash)
        ++last;
    return {first, last};
}

int HadithIndex::find(const HadithKey &key) const
{
    return find(key, std::nullopt);
}

int HadithIndex::find(const HadithKey &key, const Field &textOfKey) const
{
    if (key.isNull())
        return -1;
    const auto [first, last] = rowsUnder(key);
    // The first row of the table that is the hadith: by its text where the caller gave it,
    // else by its digest. Rows under one hash are in the table's order.
    for (auto at = first; at != last; ++at) {
        const int r = at->second;
        if (!sameField(m_table, r, Column::Number, key.number)
            || !sameField(m_table, r, Column::Book, key.book))
            continue;
        const bool sameText = textOfKey && sameField(m_table, r, Column::Text, textOfKey);
        if (sameText || textDigest(m_table.field(r, Column::Text)) == key.digest)
            return r;
    }
    return -1;
}

} // namespace tembra
