// The bookmarks and notes, through real files in a temporary folder. SQLite itself, through
// its C library, is the second reader of every file the store writes, and the one that
// writes the files the store is given (a first-schema file, another program's database);
// a second process (bookmarkprobe) is the reader in another window, and the one that is
// killed or runs out of room.

#include "base/messages.h"
#include "base/processsetup.h"
#include "base/texts.h"
#include "bookmarks/bookmarkfilter.h"
#include "bookmarks/bookmarkstore.h"
#include "search/hadithkey.h"
#include "search/hadithtable.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace tembra;

namespace {

// --- SQLite's own reading of a file --------------------------------------------------

// One value as SQLite holds it: its type (SQLITE_NULL, SQLITE_TEXT, SQLITE_BLOB,
// SQLITE_INTEGER) and its bytes.
struct Value {
    int type = SQLITE_NULL;
    QByteArray bytes;

    QString text() const { return QString::fromUtf8(bytes); }
    bool isNull() const { return type == SQLITE_NULL; }
};
using Row = QList<Value>;

// The rows a query gives, through a connection of its own, opened and closed here.
QList<Row> query(const QString &file, const char *sql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK)
        qFatal("sqlite3 cannot open %s", qPrintable(file));
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        qFatal("sqlite3 cannot run %s: %s", sql, sqlite3_errmsg(db));
    QList<Row> rows;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Row row;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            Value v;
            v.type = sqlite3_column_type(stmt, c);
            const void *data = v.type == SQLITE_BLOB ? sqlite3_column_blob(stmt, c)
                                                     : sqlite3_column_text(stmt, c);
            v.bytes = QByteArray(static_cast<const char *>(data), sqlite3_column_bytes(stmt, c));
            row << v;
        }
        rows << row;
    }
    if (rc != SQLITE_DONE)
        qFatal("sqlite3 failed on %s: %s", sql, sqlite3_errmsg(db));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

QString scalar(const QString &file, const char *sql)
{
    const QList<Row> rows = query(file, sql);
    return rows.isEmpty() ? QString() : rows.first().first().text();
}

void execute(const QString &file, const char *sql)
{
    sqlite3 *db = nullptr;
    char *message = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK
        || sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK)
        qFatal("sqlite3 cannot run %s: %s", sql, message ? message : sqlite3_errmsg(db));
    sqlite3_close(db);
}

// A text as SQLite holds a text value: UTF-8; or NULL.
Value textValue(const Field &field)
{
    return field ? Value{SQLITE_TEXT, field->toUtf8()} : Value{};
}

bool operator==(const Value &a, const Value &b)
{
    return a.type == b.type && a.bytes == b.bytes;
}

// --- Files ---------------------------------------------------------------------------

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// The digest a hadith key holds, computed here as its definition says: the first 16 bytes
// of the SHA-256 of the text's UTF-16 units (little-endian), in hexadecimal.
QByteArray referenceDigest(const Field &text)
{
    if (!text)
        return "-";
    QByteArray units;
    for (const QChar c : *text)
        units += char(c.unicode() & 0xFF), units += char(c.unicode() >> 8);
    return QCryptographicHash::hash(units, QCryptographicHash::Sha256).left(16).toHex();
}

Record record(const Field &book, const Field &number, const Field &text,
              const Field &heading = QStringLiteral(u"عن أبي هريرة"))
{
    Record r;
    r[Column::Text] = text;
    r[Column::Number] = number;
    r[Column::Heading] = heading;
    r[Column::Book] = book;
    return r;
}

const QString kBukhari = QStringLiteral(u"صحيح البخاري");
const QString kSaid = QStringLiteral(u"قَالَ رَسُولُ اللَّهِ صَلَّى اللَّهُ عَلَيْهِ وَسَلَّمَ");

QString lone(char16_t surrogate)
{
    return QStringLiteral(u"قال ") + QChar(surrogate) + QStringLiteral(u" الله");
}

// --- The second process ---------------------------------------------------------------

struct ProbeRun {
    int exitCode = -1;
    QStringList lines;
    QString err;

    int saved() const
    {
        return int(lines.filter(QRegularExpression(QStringLiteral("^saved "))).size());
    }
    QString line(const QString &start) const
    {
        for (const QString &l : lines) {
            if (l.startsWith(start + QLatin1Char(' ')))
                return l.mid(start.size() + 1);
        }
        return QString();
    }
};

ProbeRun runProbe(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    ProbeRun run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.lines
        = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(p.readAllStandardError()).trimmed();
    return run;
}

QString probe()
{
    return QStringLiteral(TEMBRA_BOOKMARK_PROBE);
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

Q_DECLARE_METATYPE(Error::Kind)
Q_DECLARE_METATYPE(Comparison)
Q_DECLARE_METATYPE(tembra::Record)

class TestBookmarks : public QObject {
    Q_OBJECT

private slots:
    void init();
    void storesWhatItIsGiven_data();
    void storesWhatItIsGiven();
    void oneBookmarkPerHadith();
    void removedAndPutBack();
    void noteChanges();
    void filterFindsAsTheSearchDoes_data();
    void filterFindsAsTheSearchDoes();
    void keysFindTheirHadith_data();
    void keysFindTheirHadith();
    void indexAgreesWithTheScan();
    void twoStoresOnOneFile();
    void markSurvivesAKill();
    void refusesFilesNotOursOrDamaged_data();
    void refusesFilesNotOursOrDamaged();
    void readsWhatItCannotWrite_data();
    void readsWhatItCannotWrite();
    void writeFailuresSayWhy_data();
    void writeFailuresSayWhy();
    void migratesTheFirstSchema();
    void exportThenImport();
    void importRefusesWhatIsNotAnExport_data();
    void importRefusesWhatIsNotAnExport();
    void defaultPathKeepsTheEnvironmentsBytes();

private:
    QString file() const { return m_dir->filePath(QStringLiteral("bookmarks.sqlite")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBookmarks::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// What a mark writes, as SQLite reads it back: NULL as NULL, every text as it was given.
void TestBookmarks::storesWhatItIsGiven_data()
{
    QTest::addColumn<Record>("hadith");
    QTest::addColumn<QString>("note");
    QTest::newRow("a vowelled hadith with a note")
        << record(kBukhari, QStringLiteral("1"), kSaid) << QStringLiteral(u"بۆ وتاری هەینی");
    QTest::newRow("no book and no number (NULL)")
        << record(std::nullopt, std::nullopt, kSaid) << QString();
    QTest::newRow("an empty book and number")
        << record(QString(), QString(), kSaid) << QStringLiteral("x");
    QTest::newRow("no text and no Tab4 line")
        << record(kBukhari, QStringLiteral("2"), std::nullopt, std::nullopt) << QStringLiteral("n");
    QTest::newRow("line breaks, Markdown and direction marks")
        << record(QStringLiteral("# *b*"), QStringLiteral("`3`"),
                  QStringLiteral(u"سطر\r\nسطر\u200F\n-->\n"))
        << QStringLiteral(u"**تێبینی**\n\n> `code`");
    QTest::newRow("a lone surrogate, which UTF-8 cannot hold")
        << record(kBukhari, QStringLiteral("4"), lone(0xD800)) << QStringLiteral("s");
}

void TestBookmarks::storesWhatItIsGiven()
{
    QFETCH(Record, hadith);
    QFETCH(QString, note);
    const QDateTime before = QDateTime::currentDateTimeUtc();
    Bookmark saved;
    {
        BookmarkStore store;
        Error error;
        QVERIFY2(store.open(encoded(file()), &error), qPrintable(error.detail));
        QVERIFY2(store.mark(hadith, note, &saved, &error), qPrintable(error.detail));
    }
    const QDateTime after = QDateTime::currentDateTimeUtc();

    const QList<Row> rows = query(file(),
                                  "SELECT book, number, digest, heading, text, note, "
                                  "created, updated, id FROM bookmark");
    QCOMPARE(rows.size(), 1);
    const Row &r = rows.first();
    QCOMPARE(r[0], textValue(hadith[Column::Book]));
    QCOMPARE(r[1], textValue(hadith[Column::Number]));
    QCOMPARE(r[2].bytes, referenceDigest(hadith[Column::Text]));
    QCOMPARE(r[3], textValue(hadith[Column::Heading]));
    const Field &text = hadith[Column::Text];
    if (text && !QStringView(*text).isValidUtf16()) {
        QCOMPARE(r[4].type, SQLITE_BLOB); // its UTF-16 units, as they are
        QCOMPARE(r[4].bytes,
                 QByteArray(reinterpret_cast<const char *>(text->utf16()), text->size() * 2));
    } else {
        QCOMPARE(r[4], textValue(text));
    }
    QCOMPARE(r[5], textValue(note));
    const QString created = r[6].text();
    QVERIFY2(
        QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$"))
            .match(created)
            .hasMatch(),
        qPrintable(created));
    const QDateTime made = QDateTime::fromString(created, Qt::ISODateWithMs);
    QVERIFY(made >= before.addMSecs(-1) && made <= after);
    QVERIFY(r[7].isNull());
    QCOMPARE(scalar(file(), "PRAGMA journal_mode"), QStringLiteral("wal"));

    // and the store reads it back as SQLite does
    BookmarkStore again;
    QVERIFY(again.open(encoded(file())));
    std::vector<Bookmark> all;
    QVERIFY(again.all(&all));
    QCOMPARE(all.size(), size_t(1));
    QVERIFY(all[0].sameAs(saved));
    QCOMPARE(all[0].id, r[8].text().toLongLong());
    QCOMPARE(all[0].record()[Column::Text], text);
    QCOMPARE(all[0].key, keyOf(hadith));
}

// A mark of a hadith already marked gives its bookmark the new note; NULL and the empty
// book are two hadiths.
void TestBookmarks::oneBookmarkPerHadith()
{
    BookmarkStore store;
    QVERIFY(store.open(encoded(file())));
    const Record hadith = record(std::nullopt, QStringLiteral("7"), kSaid);
    Bookmark first, second, third;
    QVERIFY(store.mark(hadith, QStringLiteral("one"), &first));
    QVERIFY(store.mark(hadith, QStringLiteral("one"), &second)); // the same note: no edit
    QTest::qWait(5);
    QVERIFY(store.mark(hadith, QStringLiteral("two"), &third));
    QVERIFY(store.mark(record(QString(), QStringLiteral("7"), kSaid), QStringLiteral("empty")));

    const QList<Row> rows = query(
        file(), "SELECT id, book IS NULL, note, created, updated FROM bookmark ORDER BY id");
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0][0].text().toLongLong(), first.id);
    QCOMPARE(rows[0][1].text(), QStringLiteral("1"));
    QCOMPARE(rows[0][2].text(), QStringLiteral("two"));
    QCOMPARE(rows[0][3].text(), isoDate(first.created)); // made once
    QVERIFY(second.updated.isNull());
    QCOMPARE(rows[0][4].text(), isoDate(third.updated));
    QVERIFY(third.updated > first.created);
    QCOMPARE(rows[1][1].text(), QStringLiteral("0"));
    QCOMPARE(second.id, first.id);
    QCOMPARE(third.id, first.id);

    std::optional<Bookmark> found;
    QVERIFY(store.find(keyOf(hadith), &found));
    QVERIFY(found && found->note == QLatin1String("two"));
    QVERIFY(store.find(keyOf(record(std::nullopt, QStringLiteral("8"), kSaid)), &found));
    QVERIFY(!found);
}

// Delete and Ctrl+Z: a bookmark removed comes back as it was, with its id; and a hadith
// marked again in the meantime keeps its newer bookmark.
void TestBookmarks::removedAndPutBack()
{
    BookmarkStore store;
    QVERIFY(store.open(encoded(file())));
    std::vector<Bookmark> made(3);
    for (int i = 0; i < 3; ++i)
        QVERIFY(store.mark(record(kBukhari, QString::number(i), kSaid + QString::number(i)),
                           QStringLiteral("note %1").arg(i), &made[size_t(i)]));
    std::vector<Bookmark> all;
    QVERIFY(store.all(&all));
    QCOMPARE(all.size(), size_t(3));
    for (int i = 0; i < 3; ++i) // the newest first
        QVERIFY(all[size_t(i)].sameAs(made[size_t(2 - i)]));

    QVERIFY(store.unmark(made[1].id));
    QVERIFY(store.unmark(made[1].id)); // already gone
    QCOMPARE(scalar(file(), "SELECT count(*) FROM bookmark"), QStringLiteral("2"));
    // another bookmark made now does not take the removed one's id
    Bookmark other;
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("9"), kSaid), QString(), &other));
    QVERIFY(other.id > made[2].id);
    QVERIFY(store.restore(made[1]));
    QVERIFY(store.restore(made[1])); // twice is once
    const QList<Row> back
        = query(file(), "SELECT id, note, created FROM bookmark WHERE number = '1'");
    QCOMPARE(back.size(), 1);
    QCOMPARE(back[0][0].text().toLongLong(), made[1].id);
    QCOMPARE(back[0][1].text(), QStringLiteral("note 1"));
    QCOMPARE(back[0][2].text(), isoDate(made[1].created));

    QVERIFY(store.unmark(made[0].id));
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("0"), kSaid + QStringLiteral("0")),
                       QStringLiteral("newer")));
    QVERIFY(store.restore(made[0]));
    QCOMPARE(scalar(file(), "SELECT group_concat(note) FROM bookmark WHERE number = '0'"),
             QStringLiteral("newer"));

    Bookmark forged = made[0];
    forged.text = QStringLiteral("another text");
    Error error;
    QVERIFY(!store.restore(forged, &error));
    QCOMPARE(error.kind, Error::BadInput);
}

void TestBookmarks::noteChanges()
{
    BookmarkStore store;
    QVERIFY(store.open(encoded(file())));
    Bookmark b;
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("1"), kSaid), QStringLiteral("old"), &b));
    QVERIFY(store.setNote(b.id, QStringLiteral(u"نوێ\nnew")));
    QCOMPARE(scalar(file(), "SELECT note FROM bookmark"), QStringLiteral(u"نوێ\nnew"));
    const QDateTime updated
        = QDateTime::fromString(scalar(file(), "SELECT updated FROM bookmark"), Qt::ISODateWithMs);
    QVERIFY(updated.isValid() && updated >= b.created);

    QVERIFY(store.unmark(b.id));
    Error error;
    QVERIFY(!store.setNote(b.id, QStringLiteral("lost?"), &error));
    QCOMPARE(error.kind, Error::MarkNotSaved);
    QVERIFY(error.detail.contains(file()));
    QCOMPARE(scalar(file(), "SELECT count(*) FROM bookmark"), QStringLiteral("0"));
}

// Typing in the bookmarks view finds a note or a text as the search finds a hadith.
void TestBookmarks::filterFindsAsTheSearchDoes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Comparison>("comparison");
    QTest::addColumn<QString>("found"); // the first letters of their notes, newest first

    const auto folded = Comparison::Folded;
    QTest::newRow("empty: every bookmark") << QString() << folded << "dcba";
    QTest::newRow("unvowelled, in a vowelled text")
        << QStringLiteral(u"رسول الله") << folded << "ba";
    // typed marks must not contradict the text's; a bare text contradicts none
    QTest::newRow("vowelled as the text is, and a bare text")
        << QStringLiteral(u"رَسُولُ") << folded << "ba";
    QTest::newRow("marks that contradict the vowelled text, not the bare one")
        << QStringLiteral(u"رَسُولِ") << folded << "b";
    QTest::newRow("a Sorani keyboard's ی and ک, in a note")
        << QStringLiteral(u"کتیبی") << folded << "c";
    QTest::newRow("the exact comparison keeps letter forms")
        << QStringLiteral(u"کتیبی") << Comparison::Exact << QString();
    QTest::newRow("letter case, in a note of no hadith text")
        << QStringLiteral("ZAKAT") << folded << "d";
    QTest::newRow("a LIKE wildcard") << QStringLiteral(u"ر_ول") << folded << "ba";
    QTest::newRow("in both text and note, listed once") << QStringLiteral(u"صلاة") << folded << "c";
}

void TestBookmarks::filterFindsAsTheSearchDoes()
{
    QFETCH(QString, typed);
    QFETCH(Comparison, comparison);
    QFETCH(QString, found);
    BookmarkStore store;
    QVERIFY(store.open(encoded(file())));
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("1"), kSaid), QStringLiteral("a")));
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("2"), QStringLiteral(u"قال رسول الله")),
                       QStringLiteral("b")));
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("3"), QStringLiteral(u"الصَّلَاةِ")),
                       QStringLiteral(u"c بۆ كتيبي صلاة")));
    QVERIFY(
        store.mark(record(kBukhari, QStringLiteral("4"), std::nullopt), QStringLiteral("d zakat")));

    std::vector<Bookmark> all, filtered;
    QVERIFY(store.all(&all));
    const BookmarkFilter filter(all);
    QString notes;
    for (const int i : filter.matching(typed, comparison))
        notes += filter.bookmarks()[size_t(i)].note.left(1);
    QCOMPARE(notes, found);
    QVERIFY(store.filter(typed, comparison, &filtered));
    QCOMPARE(int(filtered.size()), found.size());
}

// A bookmark's hadith in a collection: the row whose book, number and text are the ones
// it was made from, wherever it stands, or none; never another hadith.
void TestBookmarks::keysFindTheirHadith_data()
{
    QTest::addColumn<QList<Record>>("collection");
    QTest::addColumn<int>("row"); // of the hadith marked (row 1 of the first collection)

    const Record marked = record(kBukhari, QStringLiteral("2"), QStringLiteral(u"النص"));
    const Record before = record(kBukhari, QStringLiteral("1"), QStringLiteral(u"أول"));
    QTest::newRow("the same collection") << QList<Record>{before, marked} << 1;
    QTest::newRow("moved in another collection") << QList<Record>{marked, before} << 0;
    QTest::newRow("its text changed")
        << QList<Record>{before, record(kBukhari, QStringLiteral("2"), QStringLiteral(u"نص آخر"))}
        << -1;
    QTest::newRow("another book") << QList<Record>{record(
        QStringLiteral("مسلم"), QStringLiteral("2"), QStringLiteral(u"النص"))}
                                  << -1;
    QTest::newRow("NULL where the book was")
        << QList<Record>{record(std::nullopt, QStringLiteral("2"), QStringLiteral(u"النص"))} << -1;
    QTest::newRow("held twice: the first") << QList<Record>{before, marked, marked} << 1;
    QTest::newRow("an empty collection") << QList<Record>{} << -1;
}

void TestBookmarks::keysFindTheirHadith()
{
    QFETCH(QList<Record>, collection);
    QFETCH(int, row);
    BookmarkStore store;
    QVERIFY(store.open(encoded(file())));
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("2"), QStringLiteral(u"النص")), QString()));
    std::vector<Bookmark> all;
    QVERIFY(store.all(&all));

    TableBuilder builder;
    for (const Record &r : collection)
        builder.append(r);
    const HadithTable table = builder.take();
    const HadithIndex index(table);
    QCOMPARE(findHadith(table, all[0].key), row);
    QCOMPARE(index.find(all[0].key), row);
    QCOMPARE(index.find(all[0].key, all[0].text), row);
}

// The index gives what the plain scan gives, on a table with many rows under one book and
// number, NULLs and empty fields, and texts that differ by a letter.
void TestBookmarks::indexAgreesWithTheScan()
{
    QRandomGenerator random(20261209);
    const QList<Field> books{std::nullopt, QString(), kBukhari, QStringLiteral("b")};
    const QList<Field> numbers{std::nullopt, QString(), QStringLiteral("1"), QStringLiteral("2")};
    const auto pick
        = [&](const QList<Field> &from) { return from[random.bounded(int(from.size()))]; };
    TableBuilder builder;
    std::vector<Record> rows;
    for (int i = 0; i < 400; ++i) {
        const Field text = random.bounded(10) == 0
            ? Field()
            : Field(QStringLiteral(u"قال %1").arg(random.bounded(20)));
        rows.push_back(record(pick(books), pick(numbers), text));
        builder.append(rows.back());
    }
    const HadithTable table = builder.take();
    const HadithIndex index(table);
    int found = 0;
    for (int i = 0; i < 600; ++i) {
        Record asked = rows[size_t(random.bounded(int(rows.size())))];
        if (i % 3 == 0) // a key no row need hold
            asked = record(pick(books), pick(numbers),
                           QStringLiteral(u"قال %1").arg(random.bounded(25)));
        const HadithKey key = keyOf(asked);
        const int expected = findHadith(table, key);
        found += expected >= 0;
        QCOMPARE(index.find(key), expected);
        QCOMPARE(index.find(key, asked[Column::Text]), expected);
    }
    QVERIFY(found > 300);
    QCOMPARE(index.find(HadithKey{}), -1);
}

// Two readers at once: each mark is added to the file, none written over by a list read
// before it; in one process, and in two processes marking at the same moment.
void TestBookmarks::twoStoresOnOneFile()
{
    BookmarkStore one, two;
    Error error;
    QVERIFY(one.open(encoded(file())));
    QVERIFY2(two.open(encoded(file()), &error), qPrintable(error.detail));
    Bookmark a, b;
    QVERIFY(one.mark(record(kBukhari, QStringLiteral("1"), kSaid), QStringLiteral("one"), &a));
    QVERIFY(two.mark(record(kBukhari, QStringLiteral("2"), kSaid), QStringLiteral("two"), &b));
    QVERIFY(two.setNote(a.id, QStringLiteral("one, from two")));
    QVERIFY(
        one.mark(record(kBukhari, QStringLiteral("2"), kSaid), QStringLiteral("two, from one")));
    QVERIFY(one.unmark(a.id));
    std::vector<Bookmark> seen;
    QVERIFY(two.all(&seen));
    QCOMPARE(seen.size(), size_t(1));
    QCOMPARE(seen[0].id, b.id);
    QCOMPARE(seen[0].note, QStringLiteral("two, from one"));

    QProcess first, second;
    first.start(probe(),
                {QStringLiteral("marks"), file(), QStringLiteral("1000"), QStringLiteral("150"),
                 QStringLiteral("300")});
    second.start(probe(),
                 {QStringLiteral("marks"), file(), QStringLiteral("2000"), QStringLiteral("150"),
                  QStringLiteral("300")});
    for (int i = 0; i < 50; ++i) // and this process marks meanwhile too
        QVERIFY(one.mark(record(kBukhari, QString::number(3000 + i), kSaid), QString()));
    QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(scalar(file(), "SELECT count(*) FROM bookmark"), QStringLiteral("351"));
    QCOMPARE(scalar(file(), "SELECT count(DISTINCT number) FROM bookmark"), QStringLiteral("351"));
    QVERIFY(two.all(&seen));
    QCOMPARE(seen.size(), size_t(351));
}

// A mark reported saved is in the file, even when its process is killed the moment after.
void TestBookmarks::markSurvivesAKill()
{
    QProcess child;
    child.start(probe(),
                {QStringLiteral("marks"), file(), QStringLiteral("1"), QStringLiteral("100000"),
                 QStringLiteral("200")});
    QVERIFY(child.waitForStarted());
    int saved = 0;
    QByteArray pending;
    while (saved < 40 && child.waitForReadyRead(30000)) {
        pending += child.readAllStandardOutput();
        saved = int(pending.count("saved "));
        if (pending.contains("failed"))
            QFAIL(pending.constData());
    }
    child.kill(); // SIGKILL: no destructor, no close, no checkpoint
    child.waitForFinished();
    QVERIFY(saved >= 40);
    const qsizetype at = pending.lastIndexOf("saved ");
    const int last = pending.mid(at + 6, pending.indexOf('\n', at) - at - 6).toInt();
    QVERIFY(last >= 40);
    QCOMPARE(scalar(file(), "PRAGMA integrity_check"), QStringLiteral("ok"));
    const QString count
        = scalar(file(),
                 QStringLiteral("SELECT count(*) FROM bookmark WHERE CAST(number AS "
                                "INTEGER) BETWEEN 1 AND %1")
                     .arg(last)
                     .toUtf8()
                     .constData());
    QCOMPARE(count.toInt(), last);
}

// A file that is not this program's, or is damaged, is refused, named, and left as it is.
void TestBookmarks::refusesFilesNotOursOrDamaged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a text file") << "text";
    QTest::newRow("shorter than an SQLite header") << "short";
    QTest::newRow("another program's SQLite database") << "theirs";
    QTest::newRow("a database with our table but no mark of ours") << "unmarked";
    QTest::newRow("ours, cut short") << "cut";
    QTest::newRow("ours, a page overwritten") << "overwritten";
    QTest::newRow("ours, from a later version") << "later";
    QTest::newRow("ours, its table changed") << "changed";
}

void TestBookmarks::refusesFilesNotOursOrDamaged()
{
    QFETCH(QString, kind);
    const QString path = file();
    const auto ours = [&](int marks) {
        BookmarkStore store;
        QVERIFY(store.open(encoded(path)));
        for (int i = 0; i < marks; ++i)
            QVERIFY(store.mark(record(kBukhari, QString::number(i), kSaid.repeated(8)),
                               QStringLiteral("note")));
    };
    if (kind == QLatin1String("text")) {
        put(path, "my own notes\n");
    } else if (kind == QLatin1String("short")) {
        put(path, "SQLite format 3");
    } else if (kind == QLatin1String("theirs")) {
        execute(path, "CREATE TABLE t(x); INSERT INTO t VALUES (1);");
    } else if (kind == QLatin1String("unmarked")) {
        execute(path,
                "PRAGMA journal_mode=WAL; CREATE TABLE bookmark(id INTEGER PRIMARY KEY, "
                "book, number, digest, heading, text, note, created, updated); "
                "PRAGMA user_version=2;");
    } else if (kind == QLatin1String("cut")) {
        ours(300);
        QVERIFY(QFile::resize(path, QFileInfo(path).size() / 2));
    } else if (kind == QLatin1String("overwritten")) {
        ours(300);
        QByteArray bytes = bytesOf(path);
        QVERIFY(bytes.size() > 5 * 4096);
        for (int i = 2 * 4096; i < 5 * 4096; ++i)
            bytes[i] = char(i * 7);
        put(path, bytes);
    } else if (kind == QLatin1String("later")) {
        ours(1);
        execute(path, "PRAGMA user_version=3;");
    } else if (kind == QLatin1String("changed")) {
        ours(1);
        execute(path, "ALTER TABLE bookmark DROP COLUMN note;");
    }
    const QByteArray before = bytesOf(path);
    const QStringList listed = entries(m_dir->path());

    BookmarkStore store;
    Error error;
    QVERIFY(!store.open(encoded(path), &error));
    QVERIFY(!store.isOpen());
    QCOMPARE(error.kind, Error::BookmarksBad);
    QVERIFY2(error.detail.contains(path), qPrintable(error.detail));
    QVERIFY(error.shown.contains(path));
    QCOMPARE(reasonText(error.kind), texts::bookmarksFileBad());
    QVERIFY(bookmarksErrorMessage(error).contains(path));
    QVERIFY(!store.mark(record(kBukhari, QStringLiteral("1"), kSaid), QString()));
    store.close();
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(entries(m_dir->path()), listed);
}

// A file or folder that cannot be written: what is there is read; every change says it
// was not saved and why, and the file is left as it is.
void TestBookmarks::readsWhatItCannotWrite_data()
{
    QTest::addColumn<bool>("folder"); // the folder made read-only, else the file
    QTest::addColumn<int>("marks"); // made before
    QTest::newRow("a read-only file") << false << 2;
    QTest::newRow("a read-only folder") << true << 2;
    QTest::newRow("a read-only folder without bookmarks yet") << true << 0;
}

void TestBookmarks::readsWhatItCannotWrite()
{
    QFETCH(bool, folder);
    QFETCH(int, marks);
    const QString dir = m_dir->filePath(QStringLiteral("Tembra"));
    const QString path = dir + QStringLiteral("/bookmarks.sqlite");
    QVERIFY(QDir().mkpath(dir));
    if (marks > 0) {
        BookmarkStore store;
        QVERIFY(store.open(encoded(path)));
        for (int i = 0; i < marks; ++i)
            QVERIFY(store.mark(record(kBukhari, QString::number(i), kSaid), QStringLiteral("n")));
    }
    const QByteArray before = bytesOf(path);
    const QString made = folder ? dir : path;
    QVERIFY(::chmod(encoded(made).constData(), folder ? 0555 : 0444) == 0);
    const QStringList listed = entries(dir);

    BookmarkStore store;
    Error error;
    QVERIFY2(store.open(encoded(path), &error), qPrintable(error.detail));
    QVERIFY(store.isReadOnly());
    std::vector<Bookmark> all;
    QVERIFY(store.all(&all));
    QCOMPARE(int(all.size()), marks);
    QVERIFY(!store.mark(record(kBukhari, QStringLiteral("9"), kSaid), QString(), nullptr, &error));
    QCOMPARE(error.kind, Error::MarkNotSaved);
    QCOMPARE(reasonText(error.kind), texts::markNotSaved());
    QVERIFY2(error.shown.contains(texts::noPermissionDetail()), qPrintable(error.shown));
    QVERIFY(error.shown.contains(path));
    QVERIFY(error.detail.contains(QString::fromLocal8Bit(std::strerror(EACCES))));
    if (marks > 0) {
        QVERIFY(!store.setNote(all[0].id, QStringLiteral("x")));
        QVERIFY(!store.unmark(all[0].id));
    }
    store.close();
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(entries(dir), listed);
    QVERIFY(::chmod(encoded(made).constData(), folder ? 0755 : 0644) == 0);
}

// Where the system refuses the write (a read-only disk, no space, a file-size limit), a
// mark fails with the system's reason, every mark reported saved is there, and nothing of
// the one that failed. Run in a second process under the fault; a fault that cannot be
// made here (no mount namespace, not root) skips.
void TestBookmarks::writeFailuresSayWhy_data()
{
    QTest::addColumn<QString>("script"); // runs the probe ($0) on the folder $1
    QTest::addColumn<int>("before"); // bookmarks made before, in $1/b.sqlite
    QTest::addColumn<int>("reason"); // errno
    const QString inNamespace = QStringLiteral(
        "unshare -m true 2>/dev/null || { echo 'no mount namespace can be made here' >&2; "
        "exit 99; }; exec unshare -m sh -c '%1' \"$0\" \"$1\"");
    QTest::newRow("a read-only disk") << inNamespace.arg(QStringLiteral(
        "mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" 2>/dev/null || "
        "{ echo \"no read-only mount can be made here\" >&2; exit 99; }; "
        "\"$0\" marks \"$1/b.sqlite\" 100 5 50"))
                                      << 3 << EROFS;
    // A device of 256 KiB; what is in it is copied out before it goes with the namespace.
    QTest::newRow("a full disk") << inNamespace.arg(QStringLiteral(
        "mkdir \"$1/disk\" && mount -t tmpfs -o size=256k none \"$1/disk\" 2>/dev/null || "
        "{ echo \"no tmpfs can be mounted here\" >&2; exit 99; }; "
        "cp \"$1/b.sqlite\" \"$1/disk/\"; "
        "\"$0\" marks \"$1/disk/b.sqlite\" 100 100000 3000; code=$?; "
        "\"$0\" list \"$1/disk/b.sqlite\"; rm -f \"$1\"/b.sqlite*; "
        "cp \"$1\"/disk/b.sqlite* \"$1/\"; exit $code"))
                                 << 3 << ENOSPC;
    QTest::newRow("a file-size limit")
        << QStringLiteral("ulimit -f 400; exec \"$0\" marks \"$1/b.sqlite\" 100 100000 3000") << 3
        << EFBIG;
}

void TestBookmarks::writeFailuresSayWhy()
{
    QFETCH(QString, script);
    QFETCH(int, before);
    QFETCH(int, reason);
    const QString path = m_dir->filePath(QStringLiteral("b.sqlite"));
    {
        BookmarkStore store;
        QVERIFY(store.open(encoded(path)));
        for (int i = 0; i < before; ++i)
            QVERIFY(store.mark(record(QStringLiteral("probe"), QString::number(i + 1), kSaid),
                               QStringLiteral("kept")));
    }
    const ProbeRun run = runProbe(QStringLiteral("/bin/sh"),
                                  {QStringLiteral("-c"), script, probe(), m_dir->path()});
    if (run.exitCode == 99)
        QSKIP(qPrintable(run.err));
    const QString said = run.lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + run.err;
    QVERIFY2(run.exitCode == 4, qPrintable(said));
    QCOMPARE(run.line(QStringLiteral("failed")), QString::number(int(Error::MarkNotSaved)));
    QVERIFY2(run.line(QStringLiteral("shown")).contains(shownSystemReason(reason)),
             qPrintable(said));
    QVERIFY2(
        run.line(QStringLiteral("detail")).contains(QString::fromLocal8Bit(std::strerror(reason))),
        qPrintable(said));
    const int saved = run.saved();
    if (reason != EROFS)
        QVERIFY2(saved > 5, qPrintable(said)); // the disk filled up over many marks
    // the store still reads every mark it saved, and so does a fresh one
    const QStringList counts = run.lines.filter(QRegularExpression(QStringLiteral("^count ")));
    for (const QString &count : counts)
        QCOMPARE(count, QStringLiteral("count %1").arg(before + saved));
    // and SQLite finds them, and nothing of the mark that failed
    QCOMPARE(scalar(path, "PRAGMA integrity_check"), QStringLiteral("ok"));
    QCOMPARE(scalar(path, "SELECT count(*) FROM bookmark").toInt(), before + saved);
    QCOMPARE(scalar(path,
                    QStringLiteral("SELECT count(*) FROM bookmark WHERE number = '%1'")
                        .arg(100 + saved)
                        .toUtf8()
                        .constData()),
             QStringLiteral("0"));
}

// A file of the first schema, made by plain SQL, is brought up to this version's and loses
// nothing; read-only, it is read as it is.
void TestBookmarks::migratesTheFirstSchema()
{
    const QString path = file();
    execute(path, R"(PRAGMA application_id = 1415736683;
        PRAGMA journal_mode = WAL;
        CREATE TABLE bookmark(id INTEGER PRIMARY KEY AUTOINCREMENT, book TEXT, number TEXT,
          digest TEXT NOT NULL, heading TEXT, text TEXT, note TEXT NOT NULL DEFAULT '',
          created TEXT NOT NULL);
        CREATE UNIQUE INDEX bookmark_key ON bookmark(digest, ifnull(book, x''), ifnull(number, x''));
        INSERT INTO bookmark(book, number, digest, heading, text, note, created) VALUES
          ('b', '1', '-', NULL, NULL, 'first', '2025-01-02T03:04:05.006Z'),
          (NULL, '2', '-', 'h', NULL, 'second', '2025-02-03T04:05:06.007Z');
        PRAGMA user_version = 1;)");

    QVERIFY(::chmod(encoded(path).constData(), 0444) == 0);
    const QByteArray before = bytesOf(path);
    {
        BookmarkStore store;
        QVERIFY(store.open(encoded(path)));
        std::vector<Bookmark> all;
        QVERIFY(store.all(&all));
        QCOMPARE(all.size(), size_t(2));
        QCOMPARE(all[0].note, QStringLiteral("second"));
    }
    QCOMPARE(bytesOf(path), before);
    QVERIFY(::chmod(encoded(path).constData(), 0644) == 0);

    BookmarkStore store;
    Error error;
    QVERIFY2(store.open(encoded(path), &error), qPrintable(error.detail));
    QCOMPARE(scalar(path, "PRAGMA user_version"), QStringLiteral("2"));
    QCOMPARE(scalar(path, "SELECT group_concat(name) FROM pragma_table_info('bookmark')"),
             QStringLiteral("id,book,number,digest,heading,text,note,created,updated"));
    std::vector<Bookmark> all;
    QVERIFY(store.all(&all));
    QCOMPARE(all.size(), size_t(2));
    QCOMPARE(all[1].key.book, Field(QStringLiteral("b")));
    QCOMPARE(all[0].key.book, Field());
    QCOMPARE(all[0].heading, Field(QStringLiteral("h")));
    QCOMPARE(isoDate(all[1].created), QStringLiteral("2025-01-02T03:04:05.006Z"));
    QVERIFY(!all[1].updated.isValid());
    QVERIFY(store.setNote(all[1].id, QStringLiteral("edited")));
    QVERIFY(!query(path, "SELECT updated FROM bookmark WHERE note = 'edited'")
                 .first()
                 .first()
                 .isNull());
    BookmarkStore second; // a second start finds it up to date
    QVERIFY(second.open(encoded(path)));
    QVERIFY(second.all(&all));
    QCOMPARE(all.size(), size_t(2));
}

// Export, then import into an empty store: the same bookmarks, whatever their texts.
void TestBookmarks::exportThenImport()
{
    BookmarkStore from;
    QVERIFY(from.open(encoded(file())));
    const QList<Record> hadiths{
        record(kBukhari, QStringLiteral("7"), kSaid),
        record(std::nullopt, std::nullopt, QStringLiteral("# *x* _y_ `z` [a](b) <b> & \\")),
        record(QString(), QString(), QStringLiteral(u"سطر\r\nسطر\u200F\n\n-->\n<!-- tembra-")),
        record(QStringLiteral("```"), QStringLiteral("1."), std::nullopt, std::nullopt),
        record(kBukhari, QStringLiteral("8"), lone(0xDC00), QString()),
    };
    const QStringList notes{QStringLiteral(u"بۆ وتار\nدوو"), QString(),
                            QStringLiteral("--> <!-- tembra-bookmarks-end 0 -->"),
                            QStringLiteral("> quoted\n    code"), QStringLiteral(u"\u202Brtl")};
    for (int i = 0; i < hadiths.size(); ++i)
        QVERIFY(from.mark(hadiths[i], notes[i]));
    std::vector<Bookmark> original;
    QVERIFY(from.all(&original));
    QVERIFY(from.setNote(original[1].id, QStringLiteral("edited"))); // an updated date too
    QVERIFY(from.all(&original));

    const QString exported = m_dir->filePath(QStringLiteral("export.md"));
    int written = 0;
    Error error;
    QVERIFY2(from.exportMarkdown(exported, &written, &error), qPrintable(error.detail));
    QCOMPARE(written, hadiths.size());
    const QByteArray bytes = bytesOf(exported);
    QVERIFY(QString::fromUtf8(bytes).toUtf8() == bytes); // UTF-8 throughout
    // what a person reads: the copy with its source, then the note and the date
    const QString shown = QString::fromUtf8(bytes);
    QVERIFY(shown.contains(QStringLiteral(u"> صحيح البخاري، ژمارە 7\n")));
    QVERIFY(shown.contains(QStringLiteral(u"**تێبینی:** بۆ وتار\\\nدوو")));
    QVERIFY(shown.contains(QStringLiteral(u"**ڕێکەوت:** ") + isoDate(original[4].created)));
    QVERIFY(shown.contains(QStringLiteral("> \\# \\*x\\* \\_y\\_ \\`z\\`")));

    const QString other = m_dir->filePath(QStringLiteral("other.sqlite"));
    BookmarkStore to;
    QVERIFY(to.open(encoded(other)));
    BookmarkStore::ImportCounts counts;
    QVERIFY2(to.importMarkdown(exported, &counts, &error), qPrintable(error.detail));
    QCOMPARE(counts.added, hadiths.size());
    QCOMPARE(counts.skipped, 0);
    std::vector<Bookmark> imported;
    QVERIFY(to.all(&imported));
    QCOMPARE(imported.size(), original.size());
    for (size_t i = 0; i < original.size(); ++i)
        QVERIFY2(imported[i].sameAs(original[i]), qPrintable(original[i].note));
    // what SQLite holds is the same too
    const char *columns = "SELECT book, number, digest, heading, text, note, created, updated "
                          "FROM bookmark ORDER BY created, digest";
    QCOMPARE(query(other, columns).size(), query(file(), columns).size());
    const QList<Row> a = query(other, columns), b = query(file(), columns);
    for (int i = 0; i < a.size(); ++i)
        QVERIFY(a[i] == b[i]);

    // again: nothing new; into a store that has one of them with another note: that one
    // stays as it is
    QVERIFY(to.importMarkdown(exported, &counts));
    QCOMPARE(counts.added, 0);
    QCOMPARE(counts.skipped, hadiths.size());
    const QString third = m_dir->filePath(QStringLiteral("third.sqlite"));
    BookmarkStore partly;
    QVERIFY(partly.open(encoded(third)));
    QVERIFY(partly.mark(hadiths[0], QStringLiteral("mine")));
    QVERIFY(partly.importMarkdown(exported, &counts));
    QCOMPARE(counts.added, hadiths.size() - 1);
    QCOMPARE(counts.skipped, 1);
    QCOMPARE(scalar(third, "SELECT note FROM bookmark WHERE number = '7'"), QStringLiteral("mine"));

    // an empty store's export imports as nothing
    const QString empty = m_dir->filePath(QStringLiteral("empty.md"));
    BookmarkStore none;
    QVERIFY(none.open(encoded(m_dir->filePath(QStringLiteral("none.sqlite")))));
    QVERIFY(none.exportMarkdown(empty));
    QVERIFY(to.importMarkdown(empty, &counts));
    QCOMPARE(counts.added + counts.skipped, 0);
}

// A file that is not, whole, an export adds nothing, and says so.
void TestBookmarks::importRefusesWhatIsNotAnExport_data()
{
    QTest::addColumn<QString>("change"); // what becomes of a good export
    QTest::addColumn<Error::Kind>("kind");
    QTest::newRow("someone's own Markdown") << "own" << Error::NotAnExport;
    QTest::newRow("an empty file") << "empty" << Error::NotAnExport;
    QTest::newRow("cut short") << "cut" << Error::NotAnExport;
    QTest::newRow("a text changed by hand") << "text" << Error::NotAnExport;
    QTest::newRow("a bookmark's line broken") << "broken" << Error::NotAnExport;
    QTest::newRow("not UTF-8") << "bytes" << Error::NotAnExport;
    QTest::newRow("a count that does not match") << "count" << Error::NotAnExport;
    QTest::newRow("a folder") << "folder" << Error::NotAFile;
}

void TestBookmarks::importRefusesWhatIsNotAnExport()
{
    QFETCH(QString, change);
    QFETCH(Error::Kind, kind);
    BookmarkStore store;
    QVERIFY(store.open(encoded(file())));
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("1"), kSaid), QStringLiteral("a")));
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("2"), kSaid), QStringLiteral("b")));
    const QString path = m_dir->filePath(QStringLiteral("in.md"));
    QVERIFY(store.exportMarkdown(path));
    std::vector<Bookmark> all;
    QVERIFY(store.all(&all));
    for (const Bookmark &b : all)
        QVERIFY(store.unmark(b.id));
    QByteArray bytes = bytesOf(path);
    if (change == QLatin1String("own"))
        bytes = "# My notes\n\n* one\n";
    else if (change == QLatin1String("empty"))
        bytes.clear();
    else if (change == QLatin1String("cut"))
        bytes.truncate(bytes.lastIndexOf("<!-- tembra-bookmarks-end"));
    else if (change == QLatin1String("text"))
        bytes.replace(QStringLiteral(u"رَسُولُ").toUtf8(), QStringLiteral(u"رَسُولِ").toUtf8());
    else if (change == QLatin1String("broken"))
        bytes.replace("\"note\":\"b\"", "\"note\":");
    else if (change == QLatin1String("bytes"))
        bytes.replace("\"note\":\"b\"", "\"note\":\"\xFF\"");
    else if (change == QLatin1String("count"))
        bytes.replace("-end 2 -->", "-end 3 -->");
    if (change == QLatin1String("folder")) {
        QFile::remove(path);
        QVERIFY(QDir().mkdir(path));
    } else {
        put(path, bytes);
    }

    Error error;
    BookmarkStore::ImportCounts counts;
    QVERIFY(!store.importMarkdown(path, &counts, &error));
    QCOMPARE(error.kind, kind);
    QVERIFY2(error.detail.contains(path), qPrintable(error.detail));
    if (kind == Error::NotAnExport)
        QCOMPARE(reasonText(error.kind), texts::reasonNotAnExport());
    QCOMPARE(scalar(file(), "SELECT count(*) FROM bookmark"), QStringLiteral("0"));
}

// The folder comes from the environment as bytes: a name that is not UTF-8 is still that
// name.
void TestBookmarks::defaultPathKeepsTheEnvironmentsBytes()
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QByteArray folder = QFile::encodeName(m_dir->path()) + "/d\xE9j\xE0";
    qputenv("XDG_DATA_HOME", folder);
    const QByteArray path = BookmarkStore::defaultPath();
    QCOMPARE(path, folder + "/Tembra/bookmarks.sqlite");
    BookmarkStore store;
    Error error;
    QVERIFY2(store.open(path, &error), qPrintable(error.detail));
    QVERIFY(store.mark(record(kBukhari, QStringLiteral("1"), kSaid), QString()));
    struct stat st { };
    QCOMPARE(::stat(path.constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u); // the reader's own
    QCOMPARE(::stat((folder + "/Tembra").constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u); // made as the user's data folder is
    store.close();
    // QTemporaryDir removes by names as text, which this one is not
    for (const char *name : {"/Tembra/bookmarks.sqlite", "/Tembra"})
        QCOMPARE(::remove((folder + name).constData()), 0);
    QCOMPARE(::rmdir(folder.constData()), 0);
    qputenv("XDG_DATA_HOME", "relative/folder"); // no folder at all, as XDG says
    QVERIFY(BookmarkStore::defaultPath().startsWith(qgetenv("HOME") + "/.local/share/Tembra/"));
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
}

QTEST_GUILESS_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
