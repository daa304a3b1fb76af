#include "search/hadithkey.h"

#include <QCryptographicHash>

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

namespace {

bool sameField(const HadithTable &table, int row, Column column, const Field &field)
{
    if (table.isNull(row, column))
        return !field;
    return field && table.view(row, column) == *field;
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

} // namespace tembra
