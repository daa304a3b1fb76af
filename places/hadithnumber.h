#pragma once

#include "search/contents.h"
#include "search/hadithtable.h"

#include <QString>
#include <QStringView>

namespace tembra {

// A hadith's number as the reader types it and as the collection holds it (Tab2), in the
// form two are compared in: every decimal digit of any script stands as its value
// (٣٢٠٨, ۳۲۰۸ and 3208 are one number), and spaces around it and zeros before its first
// other digit do not count. Anything else in it is compared as it stands ("12أ" is not 12).
QString numberKey(QStringView number);

// The first row of the table, in its order, that stands in book (its place in
// contents.books()) under number, compared as numberKey() compares; -1 when the book holds
// no such number.
int findNumber(const HadithTable &table, const Contents &contents, int book, QStringView number);

} // namespace tembra
