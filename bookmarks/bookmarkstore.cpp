#include "bookmarks/bookmarkstore.h"

#include "base/filereplace.h"
#include "base/texts.h"
#include "bookmarks/bookmarkfilter.h"
#include "bookmarks/markdown.h"
#include "bookmarks/sqlite.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tembra {

namespace {

// The schema, as version 1 wrote it and as version 2 adds to it. A hadith key is its
// book, number and digest with NULL kept apart from the empty text: ifnull() gives NULL an
// empty blob, which no text equals, so the unique index holds one bookmark per key.
const char *const kSchemaVersion1 = R"(
CREATE TABLE bookmark(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  book TEXT,
  number TEXT,
  digest TEXT NOT NULL,
  heading TEXT,
  text TEXT,
  note TEXT NOT NULL DEFAULT '',
  created TEXT NOT NULL
);
CREATE UNIQUE INDEX bookmark_key ON bookmark(digest, ifnull(book, x''), ifnull(number, x''));
)";
// Version 2: when a bookmark's note last changed.
const char *const kToVersion2 = "ALTER TABLE bookmark ADD COLUMN updated TEXT;";

const char *const kColumns1 = "id, book, number, digest, heading, text, note, created, NULL";
const char *const kColumns2 = "id, book, number, digest, heading, text, note, created, updated";
const char *const kSameKey
    = "digest = ?1 AND ifnull(book, x'') = ifnull(?2, x'') AND ifnull(number, x'') = "
      "ifnull(?3, x'')";

// How long a change waits for another reader's change to the same file to end.
constexpr int kBusyTimeoutMs = 5000;

QString shown(const QByteArray &path)
{
    return QFile::decodeName(path);
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// Makes the folder and those above it that are missing, as the user's data folder is made
// (0700). 0, or the errno of the step that failed.
int makeFolders(const QByteArray &folder)
{
    struct stat st { };
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    const QByteArray parent = folderOf(folder);
    if (parent != folder) {
        if (const int err = makeFolders(parent))
            return err;
    }
    return ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

// 0 when this user may write in the file or folder, by its permission bits as well as by
// the system (a read-only mount); else the reason. The bits count for root too: a file or
// folder made read-only is meant to stay as it is.
int writeRefusal(const QByteArray &path, const struct stat &st)
{
    if (::access(path.constData(), W_OK) != 0)
        return errno;
    return modeLetsUserWrite(st) ? 0 : EACCES;
}

QString hexId(quint32 id)
{
    return QStringLiteral("0x%1").arg(id, 8, 16, QLatin1Char('0'));
}

// What the file's first bytes say: empty for a file that may be ours, else why it is not.
QString headerProblem(const QByteArray &header)
{
    if (header.size() < 100 || !header.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return QStringLiteral("it is not an SQLite database");
    const auto byte = [&](int at) { return quint32(quint8(header[at])); };
    const quint32 id = byte(68) << 24 | byte(69) << 16 | byte(70) << 8 | byte(71);
    if (id != quint32(BookmarkStore::kApplicationId))
        return QStringLiteral("it is another program's SQLite database (application_id %1)")
            .arg(hexId(id));
    return {};
}

int integerOf(const Field &value)
{
    return value ? value->toInt() : 0;
}

} // namespace

QString isoDate(const QDateTime &date)
{
    return date.toUTC().toString(Qt::ISODateWithMs);
}

// Only the form isoDate() writes, a date and time to the millisecond in UTC; taken apart
// here, since every bookmark listed has one or two: QDateTime::fromString() takes several
// times as long for any form it might be.
QDateTime fromIsoDate(const QString &text)
{
    static const char kForm[] = "dddd-dd-ddTdd:dd:dd.dddZ";
    if (text.size() != 24)
        return {};
    int digits[17];
    int n = 0;
    for (int i = 0; i < 24; ++i) {
        const char16_t c = text[i].unicode();
        if (kForm[i] == 'd') {
            if (c < u'0' || c > u'9')
                return {};
            digits[n++] = c - u'0';
        } else if (c != char16_t(kForm[i])) {
            return {};
        }
    }
    const auto number = [&](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i)
            value = value * 10 + digits[i];
        return value;
    };
    const QDate date(number(0, 4), number(4, 2), number(6, 2));
    const QTime time(number(8, 2), number(10, 2), number(12, 2), number(14, 3));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

namespace {

// The bookmark in the row a statement stands on: id, book, number, digest, heading, text,
// note, made and changed, the columns every statement that returns bookmarks gives.
Bookmark bookmarkOf(sqlite::Statement &row)
{
    Bookmark b;
    b.id = row.integer(0);
    b.key = {row.field(1), row.field(2), row.text(3).toLatin1()};
    b.heading = row.field(4);
    b.text = row.field(5);
    b.note = row.text(6);
    b.created = fromIsoDate(row.text(7));
    b.updated = fromIsoDate(row.text(8));
    return b;
}

} // namespace

BookmarkStore::BookmarkStore() : m_db(new sqlite::Database) { }

BookmarkStore::~BookmarkStore() = default;

QByteArray BookmarkStore::defaultPath()
{
    QByteArray data = qgetenv("XDG_DATA_HOME");
    // A relative folder is no folder at all, as the XDG rules say.
    if (!data.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            home = QFile::encodeName(QDir::homePath());
        data = home + "/.local/share";
    }
    return data + "/Tembra/bookmarks.sqlite";
}

void BookmarkStore::close()
{
    m_db->close();
    m_open = false;
    m_readOnlyErrno = 0;
    m_schema = 0;
}

QString BookmarkStore::shownPath() const
{
    return shown(m_path);
}

// The file is not one this program may use: it is left as it is, and with it whatever
// SQLite would otherwise write back to it as the connection closes.
bool BookmarkStore::refuse(Error *error, const QString &why)
{
    m_db->close(m_keepWal);
    m_open = false;
    return fail(error, Error::BookmarksBad,
                QStringLiteral("%1 is not a bookmarks file this program can use: %2; it is left "
                               "as it is")
                    .arg(shownPath(), why),
                texts::fileDetail(shownPath()));
}

bool BookmarkStore::open(const QByteArray &path, Error *error)
{
    close();
    m_path = path;
    m_setUpErrno = 0;
    const QString where = shownPath();
    const QByteArray folder = folderOf(path);
    const int folderError = makeFolders(folder);

    struct stat st { };
    const bool exists = ::stat(path.constData(), &st) == 0;
    if (!exists && errno != ENOENT && errno != ENOTDIR)
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot look at %1: %2").arg(where, systemReason(errno)),
                    texts::fileDetail(where));
    if (exists && !S_ISREG(st.st_mode))
        return fail(
            error, Error::NotAFile,
            QStringLiteral("%1 is %2, not a bookmarks file").arg(where, fileKind(st.st_mode)),
            texts::fileDetail(where));

    // A file that is not SQLite, or is another program's database, is never handed to
    // SQLite, which could write to it (a journal rolled back, a log checkpointed).
    if (exists && st.st_size > 0) {
        const int fd = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return fail(error, Error::NotReadable,
                        QStringLiteral("cannot read %1: %2").arg(where, systemReason(errno)),
                        texts::fileDetail(where));
        QByteArray header(100, '\0');
        const ssize_t got = ::pread(fd, header.data(), size_t(header.size()), 0);
        ::close(fd);
        header.truncate(got < 0 ? 0 : qsizetype(got));
        const QString problem = headerProblem(header);
        if (!problem.isEmpty())
            return refuse(error, problem);
    }

    struct stat folderStat { };
    int refusal = folderError;
    if (!refusal)
        refusal = ::stat(folder.constData(), &folderStat) == 0 ? writeRefusal(folder, folderStat)
                                                               : errno;
    if (!refusal && exists)
        refusal = writeRefusal(path, st);
    if (refusal && !exists) {
        // Nothing to read and nowhere to write: an empty store that says why at a change.
        m_open = true;
        m_readOnlyErrno = refusal;
        return true;
    }
    m_readOnlyErrno = refusal;

    // A log of changes that was there before (another reader's, or one left by a reader that
    // ended without closing) is left for its owner; one this store made, and wrote nothing
    // to, goes when the store closes.
    m_keepWal = ::access((path + "-wal").constData(), F_OK) == 0;
    if (refusal)
        return openReadOnly(refusal, error);
    // The reader's notes are the reader's own: a new file is made for the user alone
    // (SQLite gives its log and shared index the file's permissions).
    if (!exists) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    if (!m_db->open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot open %1: %2").arg(where, m_db->lastError().message),
                    texts::fileDetail(where));
    m_db->setBusyTimeout(kBusyTimeoutMs);
    m_open = true;
    Error why;
    if (prepare(&why))
        return true;
    // A file of bookmarks that cannot be set up for writing (no room left for SQLite's
    // shared index beside it, the disk full) can still be read as it stands.
    const bool refused = m_setUpErrno == ENOSPC || m_setUpErrno == EDQUOT || m_setUpErrno == EFBIG
        || m_setUpErrno == EROFS || m_setUpErrno == EACCES || m_setUpErrno == EPERM;
    if (why.kind == Error::BookmarksBad || !exists || st.st_size == 0 || !refused) {
        if (error)
            *error = why;
        return false;
    }
    return openReadOnly(m_setUpErrno, error);
}

// Read-only, the file is read as it stands, without the locks and the shared index that a
// folder that cannot be written cannot hold. Only where a log of changes not yet in the
// file is there (a writer still at work, or one that ended without closing) is it read
// with them, if SQLite can.
bool BookmarkStore::openReadOnly(int why, Error *error)
{
    m_readOnlyErrno = why;
    bool opened = false;
    if (m_keepWal && m_db->open(m_path, SQLITE_OPEN_READONLY)) {
        bool ok = false;
        m_db->value("PRAGMA application_id", &ok);
        opened = ok;
        if (!ok)
            m_db->close(true);
    }
    if (!opened) {
        const QByteArray uri = "file:" + m_path.toPercentEncoding("/") + "?immutable=1";
        opened = m_db->open(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    }
    if (!opened)
        return fail(
            error, Error::NotReadable,
            QStringLiteral("cannot open %1: %2").arg(shownPath(), m_db->lastError().message),
            texts::fileDetail(shownPath()));
    m_db->setBusyTimeout(kBusyTimeoutMs);
    m_open = true;
    return prepare(error);
}

// Checks that the file is ours and sound, by reading only; then, where it may be written,
// makes the schema in a new file or brings an older one up to this version.
bool BookmarkStore::prepare(Error *error)
{
    sqlite::Database &db = *m_db;
    const auto damaged = [&] {
        const sqlite::Failure &f = db.lastError();
        if (f.code == SQLITE_CORRUPT || f.code == SQLITE_NOTADB)
            return refuse(error, QStringLiteral("it is damaged (%1)").arg(f.message));
        m_setUpErrno = writeErrno(f);
        m_db->close(m_keepWal);
        m_open = false;
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot read %1: %2").arg(shownPath(), f.message),
                    texts::fileDetail(shownPath()));
    };
    bool ok = false;
    const int applicationId = integerOf(db.value("PRAGMA application_id", &ok));
    if (!ok)
        return damaged();
    const Field tables = db.value("SELECT count(*) FROM sqlite_schema", &ok);
    if (!ok)
        return damaged();
    const bool empty = integerOf(tables) == 0;
    if (applicationId != kApplicationId) {
        // Only a file with nothing in it yet is ours to make.
        if (!(applicationId == 0 && empty))
            return refuse(error,
                          QStringLiteral("it is another program's SQLite database "
                                         "(application_id %1)")
                              .arg(hexId(quint32(applicationId))));
    }
    m_schema = integerOf(db.value("PRAGMA user_version", &ok));
    if (!ok)
        return damaged();
    if (!empty) {
        if (m_schema > kSchemaVersion)
            return refuse(error,
                          QStringLiteral("its schema is version %1, of a later version of "
                                         "the program; this one knows versions 1 to %2")
                              .arg(m_schema)
                              .arg(kSchemaVersion));
        if (m_schema < 1)
            return refuse(error, QStringLiteral("it has tables but no schema version"));
        // A damaged page anywhere is found now, not at the first change.
        {
            sqlite::Statement check(db, "PRAGMA quick_check");
            if (check.step() != sqlite::Statement::Step::Row)
                return damaged();
            if (check.text(0) != QLatin1String("ok"))
                return refuse(error, QStringLiteral("it is damaged (%1)").arg(check.text(0)));
        }
        QStringList columns;
        {
            sqlite::Statement info(db, "SELECT name FROM pragma_table_info('bookmark')");
            sqlite::Statement::Step step;
            while ((step = info.step()) == sqlite::Statement::Step::Row)
                columns << info.text(0);
            if (step == sqlite::Statement::Step::Failed)
                return damaged();
        }
        QStringList expected{QStringLiteral("id"),      QStringLiteral("book"),
                             QStringLiteral("number"),  QStringLiteral("digest"),
                             QStringLiteral("heading"), QStringLiteral("text"),
                             QStringLiteral("note"),    QStringLiteral("created")};
        if (m_schema >= 2)
            expected << QStringLiteral("updated");
        if (columns != expected)
            return refuse(error,
                          QStringLiteral("its table bookmark has the columns (%1), not those of "
                                         "schema version %2")
                              .arg(columns.join(QLatin1String(", ")))
                              .arg(m_schema));
    }
    if (m_readOnlyErrno) {
        if (empty)
            m_db->close(m_keepWal); // nothing to read; every change is refused
        return true;
    }

    // From here on the file is written. Each step is committed by itself, so that an
    // interrupted start leaves a file that the next start takes up again.
    const auto notWritten = [&] {
        const sqlite::Failure f = db.lastError();
        m_setUpErrno = writeErrno(f);
        m_db->close();
        m_open = false;
        return fail(error, Error::MarkNotSaved,
                    QStringLiteral("cannot set up %1: %2").arg(shownPath(), f.message),
                    shownSystemReason(m_setUpErrno) + QLatin1Char('\n')
                        + texts::fileDetail(shownPath()));
    };
    // FULL: each commit reaches the disk before the call returns, so that a mark reported
    // saved survives a power cut too, not only a crash of the program (NORMAL, in WAL,
    // may lose the last ones). It costs one flush of the log a mark: a few milliseconds, for
    // something a reader does by hand.
    if (!db.exec("PRAGMA synchronous=FULL"))
        return notWritten();
    {
        sqlite::Transaction transaction(db);
        if (!transaction.isActive())
            return notWritten();
        // Read again inside the transaction: another reader may have set the file up since.
        const int id = integerOf(db.value("PRAGMA application_id", &ok));
        if (!ok)
            return notWritten();
        int version = integerOf(db.value("PRAGMA user_version", &ok));
        if (!ok)
            return notWritten();
        // A new file is made before it is put in WAL mode: its first page, which says whose
        // it is, is then in the file itself, where the next open looks before SQLite reads it.
        if (id != kApplicationId) {
            // Hadith text is Arabic, two bytes a letter in UTF-8 as in UTF-16: kept as the
            // program holds it, it is read without a conversion.
            const QByteArray setId
                = "PRAGMA application_id=" + QByteArray::number(kApplicationId) + ";";
            if (!db.exec("PRAGMA encoding='UTF-16le'") || !db.exec(setId.constData())
                || !db.exec(kSchemaVersion1))
                return notWritten();
            version = 1;
        }
        if (version == 1 && !db.exec(kToVersion2))
            return notWritten();
        if (version != kSchemaVersion) {
            const QByteArray setVersion
                = "PRAGMA user_version=" + QByteArray::number(kSchemaVersion) + ";";
            if (!db.exec(setVersion.constData()))
                return notWritten();
        }
        if (!transaction.commit())
            return notWritten();
    }
    // WAL: a reader in another window reads while this one writes, and a change is one
    // append to the log.
    const Field mode = db.value("PRAGMA journal_mode=WAL", &ok);
    if (!ok || !mode || mode->compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        return notWritten();
    m_schema = kSchemaVersion;
    return true;
}

// The errno behind a failed write. SQLite keeps the system's errno for some failures only:
// a disk that filled up is SQLITE_FULL with none, and a write cut short by a file-size
// limit is an I/O error with none. Where it has none, the system is asked what it would
// refuse: a file near its size limit, a disk with next to no room left.
int BookmarkStore::writeErrno(const sqlite::Failure &f) const
{
    if (f.systemErrno)
        return f.systemErrno;
    if (f.code == SQLITE_FULL || f.code == SQLITE_IOERR) {
        constexpr qint64 kMargin = 1 << 20; // more than a change writes
        struct rlimit limit { };
        if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
            for (const QByteArray &name : {m_path, m_path + "-wal"}) {
                struct stat st { };
                if (::stat(name.constData(), &st) == 0
                    && qint64(st.st_size) + kMargin > qint64(limit.rlim_cur))
                    return EFBIG;
            }
        }
        struct statvfs disk { };
        if (::statvfs(folderOf(m_path).constData(), &disk) == 0
            && qint64(disk.f_bavail) * qint64(disk.f_frsize) < kMargin / 4)
            return ENOSPC;
        if (f.code == SQLITE_FULL)
            return ENOSPC;
    }
    switch (f.code) {
    case SQLITE_READONLY: return EROFS;
    case SQLITE_PERM: return EACCES;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return EBUSY;
    default: return EIO;
    }
}

// A change was not saved: why, in the system's words and in the reader's.
bool BookmarkStore::notSaved(Error *error) const
{
    if (!m_open)
        return fail(error, Error::NotOpen, QStringLiteral("the bookmarks are not open"));
    int err = m_readOnlyErrno;
    QString why;
    if (err) {
        why = systemReason(err);
    } else {
        const sqlite::Failure &f = m_db->lastError();
        err = writeErrno(f);
        why = QStringLiteral("%1 (SQLite %2").arg(f.message).arg(f.extended);
        if (f.systemErrno || f.code == SQLITE_FULL || f.code == SQLITE_IOERR)
            why += QLatin1String("; ") + systemReason(err);
        why += QLatin1Char(')');
        if (f.code == SQLITE_CORRUPT || f.code == SQLITE_NOTADB)
            return fail(error, Error::MarkNotSaved,
                        QStringLiteral("the change was not saved in %1: %2").arg(shownPath(), why),
                        texts::bookmarksFileBad() + QLatin1Char('\n')
                            + texts::fileDetail(shownPath()));
    }
    return fail(error, Error::MarkNotSaved,
                QStringLiteral("the change was not saved in %1: %2").arg(shownPath(), why),
                shownSystemReason(err) + QLatin1Char('\n') + texts::fileDetail(shownPath()));
}

bool BookmarkStore::readFailed(Error *error) const
{
    const sqlite::Failure &f = m_db->lastError();
    const bool damaged = f.code == SQLITE_CORRUPT || f.code == SQLITE_NOTADB;
    return fail(error, damaged ? Error::BookmarksBad : Error::NotReadable,
                QStringLiteral("cannot read the bookmarks in %1: %2").arg(shownPath(), f.message),
                texts::fileDetail(shownPath()));
}

bool BookmarkStore::mark(const Record &record, const QString &note, Bookmark *saved, Error *error)
{
    return mark(keyOf(record), record[Column::Heading], record[Column::Text], note, saved, error);
}

bool BookmarkStore::mark(const HadithKey &key, const Field &heading, const Field &text,
                         const QString &note, Bookmark *saved, Error *error)
{
    if (key.isNull() || textDigest(text) != key.digest)
        return fail(error, Error::BadInput,
                    QStringLiteral("a bookmark's text must be the text its key was made from"));
    if (!m_open || m_readOnlyErrno || !m_db->isOpen())
        return notSaved(error);
    sqlite::Database &db = *m_db;
    sqlite::Transaction transaction(db);
    if (!transaction.isActive())
        return notSaved(error);
    // One statement: a mark of a hadith already marked changes that bookmark's note (and
    // notes when it changed), the other reader's mark of it included.
    sqlite::Statement upsert(
        db,
        "INSERT INTO bookmark(digest, book, number, heading, text, note, created) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7) "
        "ON CONFLICT(digest, ifnull(book, x''), ifnull(number, x'')) DO UPDATE SET "
        "updated = CASE WHEN note IS excluded.note THEN updated ELSE excluded.created END, "
        "note = excluded.note, heading = excluded.heading "
        "RETURNING id, book, number, digest, heading, text, note, created, updated");
    const QString now = isoDate(QDateTime::currentDateTimeUtc());
    if (!upsert.bind(1, QString::fromLatin1(key.digest)) || !upsert.bind(2, key.book)
        || !upsert.bind(3, key.number) || !upsert.bind(4, heading) || !upsert.bind(5, text)
        || !upsert.bind(6, note) || !upsert.bind(7, now))
        return notSaved(error);
    if (upsert.step() != sqlite::Statement::Step::Row)
        return notSaved(error);
    Bookmark b = bookmarkOf(upsert);
    if (!upsert.run() || !transaction.commit())
        return notSaved(error);
    if (saved)
        *saved = std::move(b);
    return true;
}

bool BookmarkStore::unmark(qint64 id, Error *error)
{
    if (!m_open || m_readOnlyErrno || !m_db->isOpen())
        return notSaved(error);
    sqlite::Transaction transaction(*m_db);
    sqlite::Statement remove(*m_db, "DELETE FROM bookmark WHERE id = ?1");
    if (!transaction.isActive() || !remove.bind(1, id) || !remove.run() || !transaction.commit())
        return notSaved(error);
    return true;
}

// Adds a bookmark as it is, unless its hadith has one (or, with keepId, its id is taken).
bool BookmarkStore::insert(const Bookmark &b, bool keepId, bool *added, Error *error)
{
    sqlite::Statement add(
        *m_db,
        keepId ? "INSERT INTO bookmark(digest, book, number, heading, text, note, created, "
                 "updated, id) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9) "
                 "ON CONFLICT DO NOTHING"
               : "INSERT INTO bookmark(digest, book, number, heading, text, note, created, "
                 "updated) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) ON CONFLICT DO NOTHING");
    const Field updated = b.updated.isValid() ? Field(isoDate(b.updated)) : std::nullopt;
    if (!add.bind(1, QString::fromLatin1(b.key.digest)) || !add.bind(2, b.key.book)
        || !add.bind(3, b.key.number) || !add.bind(4, b.heading) || !add.bind(5, b.text)
        || !add.bind(6, b.note) || !add.bind(7, isoDate(b.created)) || !add.bind(8, updated)
        || (keepId && !add.bind(9, b.id)) || !add.run())
        return notSaved(error);
    *added = m_db->changes() > 0;
    return true;
}

bool BookmarkStore::restore(const Bookmark &bookmark, Error *error)
{
    if (bookmark.key.isNull() || textDigest(bookmark.text) != bookmark.key.digest
        || !bookmark.created.isValid() || bookmark.id <= 0)
        return fail(error, Error::BadInput,
                    QStringLiteral("only a bookmark as the store gave it can be put back"));
    if (!m_open || m_readOnlyErrno || !m_db->isOpen())
        return notSaved(error);
    sqlite::Transaction transaction(*m_db);
    bool added = false;
    if (!transaction.isActive() || !insert(bookmark, true, &added, error))
        return notSaved(error);
    return transaction.commit() || notSaved(error);
}

bool BookmarkStore::setNote(qint64 id, const QString &note, Error *error)
{
    if (!m_open || m_readOnlyErrno || !m_db->isOpen())
        return notSaved(error);
    sqlite::Transaction transaction(*m_db);
    sqlite::Statement update(*m_db,
                             "UPDATE bookmark SET updated = CASE WHEN note IS ?2 THEN updated "
                             "ELSE ?3 END, note = ?2 WHERE id = ?1");
    if (!transaction.isActive() || !update.bind(1, id) || !update.bind(2, note)
        || !update.bind(3, isoDate(QDateTime::currentDateTimeUtc())) || !update.run())
        return notSaved(error);
    if (m_db->changes() == 0)
        return fail(error, Error::MarkNotSaved,
                    QStringLiteral("the note was not saved in %1: bookmark %2 is no longer there "
                                   "(removed in another window)")
                        .arg(shownPath())
                        .arg(id),
                    texts::fileDetail(shownPath()));
    return transaction.commit() || notSaved(error);
}

bool BookmarkStore::readRows(const char *condition, const std::vector<Field> &values,
                             std::vector<Bookmark> *out, Error *error) const
{
    out->clear();
    if (!m_open)
        return fail(error, Error::NotOpen, QStringLiteral("the bookmarks are not open"));
    if (!m_db->isOpen())
        return true; // nothing was there, and nothing can be made
    // Read in the table's own order, and put in the list's here: sorted by SQLite, every
    // text would be copied once more, or each row looked up by an index.
    const QByteArray sql = QByteArray("SELECT ") + (m_schema >= 2 ? kColumns2 : kColumns1)
        + " FROM bookmark " + condition;
    sqlite::Statement select(*m_db, sql.constData());
    for (size_t i = 0; i < values.size(); ++i) {
        if (!select.bind(int(i) + 1, values[i]))
            return readFailed(error);
    }
    sqlite::Statement::Step step;
    while ((step = select.step()) == sqlite::Statement::Step::Row) {
        out->push_back(bookmarkOf(select));
    }
    if (step == sqlite::Statement::Step::Failed) {
        out->clear();
        return readFailed(error);
    }
    // The newest first; among those made in the same millisecond, the last made first.
    std::sort(out->begin(), out->end(), [](const Bookmark &a, const Bookmark &b) {
        return a.created != b.created ? a.created > b.created : a.id > b.id;
    });
    return true;
}

bool BookmarkStore::all(std::vector<Bookmark> *out, Error *error) const
{
    return readRows("", {}, out, error);
}

qint64 BookmarkStore::changesElsewhere() const
{
    if (!m_open || !m_db->isOpen())
        return 0;
    bool ok = false;
    const Field version = m_db->value("PRAGMA data_version", &ok);
    return ok && version ? version->toLongLong() : -1;
}

bool BookmarkStore::find(const HadithKey &key, std::optional<Bookmark> *out, Error *error) const
{
    std::vector<Bookmark> found;
    out->reset();
    const QByteArray condition = QByteArray("WHERE ") + kSameKey;
    if (!readRows(condition.constData(), {QString::fromLatin1(key.digest), key.book, key.number},
                  &found, error))
        return false;
    if (!found.empty())
        *out = std::move(found.front());
    return true;
}

bool BookmarkStore::filter(const QString &typed, Comparison comparison, std::vector<Bookmark> *out,
                           Error *error) const
{
    std::vector<Bookmark> every;
    if (!all(&every, error))
        return false;
    const BookmarkFilter filter(std::move(every));
    out->clear();
    for (const int i : filter.matching(typed, comparison))
        out->push_back(filter.bookmarks()[size_t(i)]);
    return true;
}

bool BookmarkStore::exportMarkdown(const QString &path, int *written, Error *error) const
{
    std::vector<Bookmark> every;
    if (!all(&every, error))
        return false;
    const QByteArray bytes = markdown::write(every);
    FileReplacement file(path);
    if (!file.open(error) || !file.commit(bytes.constData(), bytes.size(), error))
        return false;
    if (written)
        *written = int(every.size());
    return true;
}

bool BookmarkStore::importMarkdown(const QString &path, ImportCounts *counts, Error *error)
{
    // The file is taken apart whole before anything is added: a file that is not an
    // export, or not all of one, adds nothing.
    FileReplacement file(path);
    QByteArray bytes;
    bool tooLarge = false;
    if (!file.open(error) || !file.read(markdown::kMaxFileBytes, &bytes, &tooLarge, error)) {
        if (tooLarge)
            return fail(error, Error::NotAnExport,
                        QStringLiteral("%1 is larger than an export of bookmarks can be (%2 "
                                       "bytes)")
                            .arg(path)
                            .arg(markdown::kMaxFileBytes),
                        texts::fileDetail(path));
        return false;
    }
    if (!file.exists())
        return fail(error, Error::NotAnExport, QStringLiteral("%1 does not exist").arg(path),
                    texts::notFoundDetail(texts::isolatedPath(path)));
    std::vector<Bookmark> read;
    QString why;
    if (!markdown::read(bytes, &read, &why))
        return fail(error, Error::NotAnExport,
                    QStringLiteral("%1 is not an export of bookmarks: %2").arg(path, why),
                    texts::fileDetail(path));
    if (!m_open || m_readOnlyErrno || !m_db->isOpen())
        return notSaved(error);
    ImportCounts done;
    sqlite::Transaction transaction(*m_db);
    if (!transaction.isActive())
        return notSaved(error);
    // Oldest first, as they were made: bookmarks made in the same millisecond keep their
    // order, which the list breaks such ties by.
    for (auto b = read.rbegin(); b != read.rend(); ++b) {
        bool added = false;
        if (!insert(*b, false, &added, error))
            return false;
        ++(added ? done.added : done.skipped);
    }
    if (!transaction.commit())
        return notSaved(error);
    if (counts)
        *counts = done;
    return true;
}

} // namespace tembra
