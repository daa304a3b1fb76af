#include "places/hadithnumber.h"

namespace tembra {

namespace {

// numberKey() of number, into out (whose room is kept from one call to the next).
void keyInto(QStringView number, QString &out)
{
    out.resize(0);
    number = number.trimmed();
    bool leading = true;
    for (qsizetype i = 0; i < number.size(); ++i) {
        const QChar c = number[i];
        const int digit = c.isSurrogate() ? -1 : c.digitValue();
        // QChar::digitValue() also gives superscripts and circled digits a value: only a
        // decimal digit is one.
        const bool decimal = digit >= 0 && c.category() == QChar::Number_DecimalDigit;
        if (decimal && digit == 0 && leading && i + 1 < number.size()) {
            const QChar next = number[i + 1];
            if (!next.isSurrogate() && next.category() == QChar::Number_DecimalDigit)
                continue;
        }
        leading = false;
        out.append(decimal ? QChar(u'0' + digit) : c);
    }
}

} // namespace

QString numberKey(QStringView number)
{
    QString key;
    keyInto(number, key);
    return key;
}

int findNumber(const HadithTable &table, const Contents &contents, int book, QStringView number)
{
    const QString wanted = numberKey(number);
    if (wanted.isEmpty())
        return -1;
    QString key;
    key.reserve(32);
    for (int row = 0; row < table.rowCount(); ++row) {
        if (contents.bookOf(row) != book || table.isNull(row, Column::Number))
            continue;
        keyInto(table.view(row, Column::Number), key);
        if (key == wanted)
            return row;
    }
    return -1;
}

} // namespace tembra
