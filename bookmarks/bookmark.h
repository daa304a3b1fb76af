#pragma once

#include "search/hadithkey.h"
#include "search/record.h"

#include <QDateTime>
#include <QString>

namespace tembra {

// A hadith the reader marked, with the reader's note. It keeps the hadith's Tab4 line and
// text as they were when it was marked, so that it can be shown and exported when the
// open collection no longer holds it, and its key, which alone says which hadith it is.
struct Bookmark {
    qint64 id = 0; // the store's; never given to another bookmark
    HadithKey key;
    Field heading; // Tab4 when marked
    Field text; // Tab1 when marked; key.digest is its digest
    QString note;
    QDateTime created; // UTC, to the millisecond
    QDateTime updated; // when the note last changed (UTC); invalid if it never did

    // The hadith as the bookmark keeps it, as a record: for citation() and the like.
    Record record() const
    {
        Record r;
        r[Column::Text] = text;
        r[Column::Number] = key.number;
        r[Column::Heading] = heading;
        r[Column::Book] = key.book;
        return r;
    }

    // The same bookmark, its id aside (a bookmark moved to another store has another).
    bool sameAs(const Bookmark &other) const
    {
        return key == other.key && heading == other.heading && text == other.text
            && note == other.note && created == other.created && updated == other.updated;
    }
};

// How the store and the export write a date: ISO 8601 in UTC, to the millisecond
// ("2026-12-09T18:14:03.120Z"); and the date such a text gives (invalid for anything else).
QString isoDate(const QDateTime &date);
QDateTime fromIsoDate(const QString &text);

} // namespace tembra
