#include "jet/jetreader.h"

#include "base/texts.h"
#include "base/uniquefd.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <mdbtools.h>
}

namespace tembra {

namespace {

constexpr qint64 kPageSize = 4096;
constexpr qint64 kMaxDatabaseBytes = qint64(2) << 30;
constexpr int kMemoHeader = 12;
constexpr quint32 kMemoLengthMask = 0x00FFFFFF;
constexpr const char *kColumnNames[kColumnCount] = {"Tab1", "Tab2", "Tab3", "Tab4", "Tab5"};

std::function<void()> &midReadHook()
{
    static std::function<void()> hook;
    return hook;
}

// Jet stores its numbers little-endian, wherever they fall in a page.
int le16(const unsigned char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 le32(const unsigned char *p)
{
    return qFromLittleEndian<quint32>(p);
}

// Looks at the first bytes of the file before the library sees it: the library takes
// anything for a database and says little about what it does not like.
bool checkHeader(const QByteArray &head, qint64 size, Error *error)
{
    static const char kJet[] = "Standard Jet DB";
    static const char kAce[] = "Standard ACE DB";
    if (head.size() < 0x18 || head[0] != '\0'
        || (std::memcmp(head.constData() + 4, kJet, sizeof kJet) != 0
            && std::memcmp(head.constData() + 4, kAce, sizeof kAce) != 0)) {
        return fail(error, Error::NotJet,
                    QStringLiteral("the file does not start with a Jet database header"));
    }
    const auto version = static_cast<unsigned char>(head[0x14]);
    if (version == 0)
        return fail(error, Error::WrongVersion,
                    QStringLiteral("a Jet 3 database (Access 97); only Jet 4.0 is read"));
    if (version != 1)
        return fail(error, Error::WrongVersion,
                    QStringLiteral("an Access 2007 or later database (version byte %1); only "
                                   "Jet 4.0 is read")
                        .arg(version));
    // Jet 4.0 keeps a database within 2 GiB. A larger file that starts as one (a
    // collection padded with zeros) cannot be a collection, whatever its pages hold.
    if (size > kMaxDatabaseBytes)
        return fail(error, Error::TooLarge,
                    QStringLiteral("the file is %1 bytes long, larger than the %2 bytes a Jet 4.0 "
                                   "database can be")
                        .arg(size)
                        .arg(kMaxDatabaseBytes));
    if (size % kPageSize != 0)
        return fail(error, Error::Damaged,
                    QStringLiteral("the file is %1 bytes long, not a whole number of 4096-byte "
                                   "pages: it is truncated or damaged")
                        .arg(size));
    if (size < 3 * kPageSize)
        return fail(
            error, Error::Damaged,
            QStringLiteral("the file has only %1 pages: it is truncated").arg(size / kPageSize));
    return true;
}

struct HandleCloser {
    void operator()(MdbHandle *mdb) const { mdb_close(mdb); }
};
struct TableCloser {
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};

// Appends UTF-16 units decoded from a Jet 4.0 text value: plain UTF-16LE, or the
// compressed form that starts with FF FE, where single bytes stand for U+0001..U+00FF
// and a zero byte switches between one-byte and two-byte runs. Decoding it here
// rather than through the library keeps characters outside the BMP whole.
void decodeText(const unsigned char *p, size_t len, QString *out)
{
    if (len >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        bool compressed = true;
        size_t i = 2;
        while (i < len) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                out->append(QChar(char16_t(p[i])));
                ++i;
            } else if (len - i >= 2) {
                out->append(QChar(qFromLittleEndian<char16_t>(p + i)));
                i += 2;
            } else {
                break;
            }
        }
        return;
    }
    const qsizetype units = static_cast<qsizetype>(len / 2);
    const qsizetype at = out->size();
    out->resize(at + units);
    auto *dst = reinterpret_cast<char16_t *>(out->data()) + at;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    std::memcpy(dst, p, size_t(units) * 2);
#else
    for (qsizetype i = 0; i < units; ++i)
        dst[i] = qFromLittleEndian<char16_t>(p + 2 * i);
#endif
}

// Columns of Table1 that are not text are shown as text in one fixed form, the same
// whatever the locale: integers in decimal digits; single and double as the shortest
// decimal that reads back as the same number; currency with four decimals; decimal with
// its column's scale; date/time as yyyy-MM-dd hh:mm:ss; yes/no as 1 or 0. A '-' for
// negative numbers, a '.' before decimals, no grouping.
const char *typeName(int type)
{
    switch (type) {
    case MDB_BOOL: return "yes/no";
    case MDB_BYTE: return "byte";
    case MDB_INT: return "integer";
    case MDB_LONGINT: return "long integer";
    case MDB_MONEY: return "currency";
    case MDB_FLOAT: return "single";
    case MDB_DOUBLE: return "double";
    case MDB_DATETIME: return "date/time";
    case MDB_BINARY: return "binary";
    case MDB_TEXT: return "text";
    case MDB_OLE: return "OLE object";
    case MDB_MEMO: return "memo";
    case MDB_REPID: return "replication ID";
    case MDB_NUMERIC: return "decimal";
    case MDB_COMPLEX: return "attachment or multi-value";
    default: return "unknown";
    }
}

// The stored size of a fixed-size type; 0 for the others.
int fixedSize(int type)
{
    switch (type) {
    case MDB_BYTE: return 1;
    case MDB_INT: return 2;
    case MDB_LONGINT:
    case MDB_FLOAT: return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME: return 8;
    case MDB_NUMERIC: return 17;
    default: return 0;
    }
}

quint64 le64(const unsigned char *p)
{
    return qFromLittleEndian<quint64>(p);
}

template <typename T> void appendNumber(T value, QString *out)
{
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out->append(QLatin1String(buf, int(end - buf)));
}

// A Jet decimal: a sign byte (0x80 negative), then a 128-bit magnitude stored as four
// 32-bit little-endian words, the most significant word first.
bool appendDecimal(const unsigned char *p, int scale, QString *out)
{
    if (p[0] != 0 && p[0] != 0x80)
        return false;
    quint32 words[4];
    for (int i = 0; i < 4; ++i)
        words[i] = le32(p + 1 + 4 * i);
    const bool negative = p[0] == 0x80 && (words[0] | words[1] | words[2] | words[3]) != 0;
    QByteArray digits; // least significant first
    bool zero = false;
    while (!zero) {
        quint64 rest = 0;
        zero = true;
        for (quint32 &word : words) {
            const quint64 current = rest << 32 | word;
            word = quint32(current / 10);
            rest = current % 10;
            zero = zero && word == 0;
        }
        digits.append(char('0' + rest));
    }
    while (digits.size() <= scale)
        digits.append('0');
    std::reverse(digits.begin(), digits.end());
    if (scale > 0)
        digits.insert(digits.size() - scale, '.');
    if (negative)
        out->append(QLatin1Char('-'));
    out->append(QLatin1String(digits));
    return true;
}

// Days since 1899-12-30; the fraction is the time of day, also for days before then.
bool appendDateTime(double value, QString *out)
{
    // Jet's own range: the years 100 to 9999
    if (!(value >= -657434.0 && value < 2958466.0))
        return false;
    double whole = 0;
    const double fraction = std::fabs(std::modf(value, &whole));
    qint64 days = qint64(whole);
    qint64 seconds = std::llround(fraction * 86400.0);
    if (seconds == 86400) {
        ++days;
        seconds = 0;
    }
    out->append(QDate(1899, 12, 30).addDays(days).toString(QStringLiteral("yyyy-MM-dd")));
    out->append(QStringLiteral(" %1:%2:%3")
                    .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                    .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                    .arg(seconds % 60, 2, 10, QLatin1Char('0')));
    return true;
}

// A decimal column's scale: byte 12 of its descriptor (byte 11 is its precision), which
// the library reads into col_prec; its own rendering of decimals takes it from there.
int scale(const MdbColumn *col)
{
    return col->col_prec;
}

// Appends a fixed-size value of the given type (its size already checked); false if the
// bytes hold no value of that type.
bool appendFixed(int type, int scale, const unsigned char *p, QString *out)
{
    switch (type) {
    case MDB_BYTE: appendNumber(int(p[0]), out); return true;
    case MDB_INT: appendNumber(qint16(le16(p)), out); return true;
    case MDB_LONGINT: appendNumber(qint32(le32(p)), out); return true;
    case MDB_FLOAT: {
        float f;
        const quint32 bits = le32(p);
        std::memcpy(&f, &bits, sizeof f);
        appendNumber(f, out);
        return true;
    }
    case MDB_DOUBLE:
    case MDB_DATETIME: {
        double d;
        const quint64 bits = le64(p);
        std::memcpy(&d, &bits, sizeof d);
        if (type == MDB_DATETIME)
            return appendDateTime(d, out);
        appendNumber(d, out);
        return true;
    }
    case MDB_MONEY: {
        // ten-thousandths of a unit
        const auto amount = qint64(le64(p));
        const quint64 magnitude = amount < 0 ? 0 - quint64(amount) : quint64(amount);
        if (amount < 0)
            out->append(QLatin1Char('-'));
        appendNumber(magnitude / 10000, out);
        out->append(QStringLiteral(".%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0')));
        return true;
    }
    case MDB_NUMERIC: return appendDecimal(p, scale, out);
    default: return false;
    }
}

// Long-value pages, read apart from the library: it spends four system calls on every
// page, and a collection has one or more long-value pages for nearly every hadith.
// Pages come from the bytes in memory, or from the file through a window of pages
// read at once (long values lie near the rows that point to them). An encrypted
// database leaves the pages to the library, which knows how to decrypt them.
class PageSource {
public:
    PageSource(MdbHandle *mdb, const QByteArray *bytes, const QByteArray &path) : m_mdb(mdb)
    {
        if (mdb->f->db_key != 0)
            return;
        if (bytes) {
            m_bytes = bytes;
        } else {
            m_file.reset(::open(path.constData(), O_RDONLY | O_CLOEXEC));
            if (!m_file.isOpen())
                return;
        }
        m_direct = true;
    }

    bool direct() const { return m_direct; }

    // The page's bytes, or null past the end of the file.
    const unsigned char *page(long number)
    {
        const qint64 size = kPageSize;
        if (!m_direct) {
            if (mdb_read_alt_pg(m_mdb, static_cast<unsigned long>(number)) != m_mdb->fmt->pg_size)
                return nullptr;
            return m_mdb->alt_pg_buf;
        }
        if (m_bytes) {
            if ((number + 1) * size > m_bytes->size())
                return nullptr;
            return reinterpret_cast<const unsigned char *>(m_bytes->constData()) + number * size;
        }
        if (number < m_first || number >= m_first + m_count) {
            m_window.resize(kWindowPages * size);
            m_first = number;
            m_count = 0;
            const qint64 got = readAt(number * size);
            m_count = got > 0 ? got / size : 0;
            if (m_count == 0)
                return nullptr;
        }
        return reinterpret_cast<const unsigned char *>(m_window.constData())
            + (number - m_first) * size;
    }

private:
    // Fills the window from the file at offset; the bytes read, -1 if the system refused.
    qint64 readAt(qint64 offset)
    {
        qint64 got = 0;
        while (got < m_window.size()) {
            const ssize_t n = ::pread(m_file.get(), m_window.data() + got,
                                      size_t(m_window.size() - got), off_t(offset + got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return got > 0 ? got : -1;
            if (n == 0)
                break;
            got += n;
        }
        return got;
    }

    static constexpr int kWindowPages = 64;
    MdbHandle *m_mdb;
    bool m_direct = false;
    const QByteArray *m_bytes = nullptr;
    UniqueFd m_file;
    QByteArray m_window;
    long m_first = 0;
    long m_count = 0;
};

// Long-value rows already taken by a value, one bit per row slot of each page. A sound
// file gives every long value rows of its own; a row taken twice is a loop in a chain
// or a value shared by several rows, and reading it again and again could fill the
// memory many times over from a small file.
class RowsTaken {
public:
    // False if the row was taken before.
    bool take(quint32 pgRow)
    {
        const size_t word = pgRow >> 6;
        const quint64 bit = quint64(1) << (pgRow & 63);
        if (word >= m_bits.size())
            m_bits.resize(std::max(word + 1, m_bits.size() * 2));
        if (m_bits[word] & bit)
            return false;
        m_bits[word] |= bit;
        return true;
    }

private:
    std::vector<quint64> m_bits;
};

class Reader {
public:
    Reader(MdbHandle *mdb, PageSource *pages, qint64 fileSize)
        : m_mdb(mdb), m_pages(pages), m_budget(fileSize)
    { }

    bool read(RowSink *sink, Error *error);

private:
    bool findTable(Error *error);
    bool checkPageMaps(unsigned long tdefPage, const char *what, Error *error);
    bool longValueRow(int pgRow, const unsigned char **row, size_t *len);
    bool takeLongValueRow(int column, int pgRow, const unsigned char **row, size_t *len,
                          Error *error);
    bool spend(int column, size_t bytes, Error *error);
    bool readMemo(int column, int start, int size, QString *out, Error *error);
    bool readValue(int column, const MdbField &field, QString *out, Error *error);
    bool damaged(int column, const QString &why, Error *error) const;

    MdbHandle *m_mdb;
    std::unique_ptr<MdbTableDef, TableCloser> m_table;
    MdbColumn *m_columns[kColumnCount] = {};
    int m_index[kColumnCount] = {}; // position of Tab1..Tab5 among the table's columns
    QByteArray m_chain;
    PageSource *m_pages;
    long m_page = -1; // the long-value page read last
    const unsigned char *m_pageData = nullptr;
    RowsTaken m_taken;
    // Every value's stored bytes lie apart in the file, so all of them together cannot
    // be more than the file: what is read beyond that is read more than once.
    qint64 m_budget;
    qint64 m_spent = 0;
    int m_rowStart = 0; // the row being read, on the library's page
    int m_rowEnd = 0;
};

bool Reader::damaged(int column, const QString &why, Error *error) const
{
    return fail(
        error, Error::Damaged,
        QStringLiteral("column %1 of Table1: %2").arg(QLatin1String(kColumnNames[column]), why));
}

// Finds row (pgRow & 0xFF) of page (pgRow >> 8) with the library's bounds checks; a
// page read once serves every row on it, and small memos share their pages.
bool Reader::longValueRow(int pgRow, const unsigned char **row, size_t *len)
{
    const long page = long(quint32(pgRow) >> 8);
    const int slot = pgRow & 0xFF;
    if (page != m_page) {
        m_page = -1;
        m_pageData = page > 0 ? m_pages->page(page) : nullptr;
        if (!m_pageData)
            return false;
        m_page = page;
    }
    const unsigned char *buf = m_pageData;
    const int pageSize = int(m_mdb->fmt->pg_size);
    const int rco = m_mdb->fmt->row_count_offset;
    if (slot >= le16(buf + rco))
        return false;
    const int start = le16(buf + rco + 2 + slot * 2) & 0x1FFF;
    const int end = slot == 0 ? pageSize : le16(buf + rco + slot * 2) & 0x1FFF;
    if (start >= pageSize || start > end || end > pageSize)
        return false;
    *row = buf + start;
    *len = size_t(end - start);
    return true;
}

// The row is looked up before it is marked as taken: the map of taken rows grows to the
// highest row marked, and a pointer the file does not back (one flipped bit) would
// otherwise make it hundreds of megabytes before the missing page is noticed.
bool Reader::takeLongValueRow(int column, int pgRow, const unsigned char **row, size_t *len,
                              Error *error)
{
    if (!longValueRow(pgRow, row, len))
        return damaged(column,
                       QStringLiteral("a value points to a missing long-value row (page %1)")
                           .arg(quint32(pgRow) >> 8),
                       error);
    if (!m_taken.take(quint32(pgRow)))
        return damaged(column,
                       QStringLiteral("the long-value row %1 of page %2 is used more than once")
                           .arg(pgRow & 0xFF)
                           .arg(quint32(pgRow) >> 8),
                       error);
    return spend(column, *len, error);
}

bool Reader::spend(int column, size_t bytes, Error *error)
{
    m_spent += qint64(bytes);
    if (m_spent > m_budget)
        return damaged(column,
                       QStringLiteral("the values read add up to more than the %1 bytes of the "
                                      "file")
                           .arg(m_budget),
                       error);
    return true;
}

// The library follows a table definition's two page maps without checking that they
// are there, and dereferences a null map when one is not. Check them first.
bool Reader::checkPageMaps(unsigned long tdefPage, const char *what, Error *error)
{
    if (!m_pages->direct())
        return true; // an encrypted file: its pages are the library's to read
    const auto damaged = [&](const QString &why) {
        return fail(error, Error::Damaged, QStringLiteral("%1: %2").arg(QLatin1String(what), why));
    };
    const unsigned char *tdef = m_pages->page(long(tdefPage));
    if (!tdef || tdef[0] != 0x02)
        return damaged(QStringLiteral("the definition page %1 is missing").arg(tdefPage));
    const quint32 maps[2] = {le32(tdef + 55), le32(tdef + 59)};
    for (const quint32 map : maps) {
        const unsigned char *page = m_pages->page(long(map >> 8));
        const int slot = int(map & 0xFF);
        if (!page || page[0] != 0x01 || slot >= le16(page + 12))
            return damaged(QStringLiteral("its map of pages is missing"));
        const int start = le16(page + 14 + slot * 2) & 0x1FFF;
        const int end = slot == 0 ? int(kPageSize) : le16(page + 12 + slot * 2) & 0x1FFF;
        if (start >= end || end > int(kPageSize) || end - start < 5 || page[start] > 1)
            return damaged(QStringLiteral("its map of pages is damaged"));
    }
    return true;
}

bool Reader::findTable(Error *error)
{
    if (!checkPageMaps(2, "the catalogue of tables", error))
        return false;
    GPtrArray *catalog = mdb_read_catalog(m_mdb, MDB_TABLE);
    if (!catalog)
        return fail(error, Error::Damaged,
                    QStringLiteral("the database's catalogue of tables cannot be read"));
    MdbCatalogEntry *found = nullptr;
    QStringList names;
    for (guint i = 0; i < catalog->len; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(catalog, i));
        if (entry->object_type != MDB_TABLE)
            continue;
        if (g_ascii_strcasecmp(entry->object_name, JetReader::kTableName) == 0) {
            found = entry;
            break;
        }
        if (!mdb_is_system_table(entry))
            names << QString::fromUtf8(entry->object_name);
    }
    if (!found) {
        return fail(error, Error::NoTable,
                    names.isEmpty()
                        ? QStringLiteral("the database has no table named Table1 (it has no "
                                         "tables of its own)")
                        : QStringLiteral("the database has no table named Table1 (its tables: %1)")
                              .arg(names.join(QStringLiteral(", "))));
    }
    if (!checkPageMaps(found->table_pg, "Table1", error))
        return false;
    m_table.reset(mdb_read_table(found));
    if (!m_table || !mdb_read_columns(m_table.get()))
        return fail(error, Error::Damaged,
                    QStringLiteral("the definition of Table1 cannot be read"));

    for (int c = 0; c < kColumnCount; ++c) {
        for (guint i = 0; i < m_table->num_cols; ++i) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, i));
            if (g_ascii_strcasecmp(col->name, kColumnNames[c]) == 0) {
                m_columns[c] = col;
                m_index[c] = static_cast<int>(i);
                break;
            }
        }
        if (!m_columns[c])
            return fail(
                error, Error::MissingColumn,
                QStringLiteral("Table1 has no column %1").arg(QLatin1String(kColumnNames[c])),
                texts::notFoundDetail(
                    QStringLiteral("Table1 / %1").arg(QLatin1String(kColumnNames[c]))));
        const int type = m_columns[c]->col_type;
        const bool shown
            = type == MDB_TEXT || type == MDB_MEMO || type == MDB_BOOL || fixedSize(type) > 0;
        // A decimal has at most 28 digits; a larger scale is no decimal Jet wrote.
        if (!shown || (type == MDB_NUMERIC && scale(m_columns[c]) > 28))
            return fail(error, Error::BadColumn,
                        QStringLiteral("column %1 of Table1 is of type %2 (0x%3), which cannot "
                                       "be shown as text")
                            .arg(QLatin1String(kColumnNames[c]), QLatin1String(typeName(type)))
                            .arg(type, 2, 16, QLatin1Char('0')));
    }
    return true;
}

// A memo value is a 12-byte header: the stored length and a kind (0x80 inline, 0x40 one
// row on a long-value page, 0 a chain of such rows), then a pointer to the first row.
// The stored length must be what the value holds: the other readers disagree on a
// value whose length is wrong, and cut it or lose its end without a word.
bool Reader::readMemo(int column, int start, int size, QString *out, Error *error)
{
    if (size == 0)
        return true; // no header at all: read as empty, as the library does
    if (size < kMemoHeader)
        return damaged(column, QStringLiteral("a memo value is shorter than its header"), error);
    const unsigned char *head = m_mdb->pg_buf + start;
    const quint32 word = le32(head);
    const quint32 length = word & kMemoLengthMask;
    const quint32 kind = word >> 24;
    const auto wrongLength = [&](size_t found) {
        return damaged(
            column,
            QStringLiteral("a memo value records %1 bytes but holds %2").arg(length).arg(found),
            error);
    };
    if (kind == 0x80) {
        const size_t inlined = size_t(size - kMemoHeader);
        if (inlined != length)
            return wrongLength(inlined);
        decodeText(head + kMemoHeader, inlined, out);
        return true;
    }
    int pgRow = static_cast<int>(le32(head + 4));
    if (kind == 0x40) {
        const unsigned char *row = nullptr;
        size_t len = 0;
        if (!takeLongValueRow(column, pgRow, &row, &len, error))
            return false;
        if (len != length)
            return wrongLength(len);
        decodeText(row, len, out);
        return true;
    }
    if (kind != 0)
        return damaged(column,
                       QStringLiteral("a memo value has an unknown kind 0x%1")
                           .arg(kind, 2, 16, QLatin1Char('0')),
                       error);

    // A chain: each row is a pointer to the next row and a piece of the value.
    m_chain.resize(0); // keeps its allocation from value to value
    while (pgRow != 0) {
        const unsigned char *row = nullptr;
        size_t len = 0;
        if (!takeLongValueRow(column, pgRow, &row, &len, error))
            return false;
        if (len < 4)
            return damaged(column,
                           QStringLiteral("a chain of long-value rows is broken at page %1")
                               .arg(quint32(pgRow) >> 8),
                           error);
        const size_t piece = len - 4;
        if (size_t(m_chain.size()) + piece > length)
            return wrongLength(size_t(m_chain.size()) + piece);
        m_chain.append(reinterpret_cast<const char *>(row + 4), static_cast<qsizetype>(piece));
        pgRow = static_cast<int>(le32(row));
    }
    if (size_t(m_chain.size()) != length)
        return wrongLength(size_t(m_chain.size()));
    decodeText(reinterpret_cast<const unsigned char *>(m_chain.constData()), size_t(m_chain.size()),
               out);
    return true;
}

bool Reader::readValue(int column, const MdbField &field, QString *out, Error *error)
{
    MdbColumn *col = m_columns[column];
    if (col->col_type == MDB_BOOL) {
        // Its value is its bit in the row's mask of NULLs: a yes/no is never NULL.
        out->append(field.is_null ? QLatin1Char('0') : QLatin1Char('1'));
        return true;
    }
    // The library takes a row's value offsets as the file gives them; a damaged row
    // can place a value outside its row or give it a negative length.
    if (field.start < m_rowStart || field.siz < 0 || field.start + field.siz > m_rowEnd)
        return damaged(column, QStringLiteral("a value lies outside its row"), error);
    if (!spend(column, size_t(field.siz), error))
        return false;
    const unsigned char *p = m_mdb->pg_buf + field.start;
    switch (col->col_type) {
    case MDB_TEXT: decodeText(p, size_t(field.siz), out); return true;
    case MDB_MEMO: return readMemo(column, field.start, field.siz, out, error);
    default: {
        const int size = fixedSize(col->col_type);
        if (field.siz != size)
            return damaged(column,
                           QStringLiteral("a %1 value of %2 bytes, where the type takes %3")
                               .arg(QLatin1String(typeName(col->col_type)))
                               .arg(field.siz)
                               .arg(size),
                           error);
        if (!appendFixed(col->col_type, scale(col), p, out))
            return damaged(column,
                           QStringLiteral("a %1 value that is none")
                               .arg(QLatin1String(typeName(col->col_type))),
                           error);
        return true;
    }
    }
}

bool Reader::read(RowSink *sink, Error *error)
{
    // The bind size is not used (nothing is bound), but the library's default is small.
    mdb_set_bind_size(m_mdb, 1 << 20);
    if (!findTable(error))
        return false;

    MdbTableDef *t = m_table.get();
    sink->expectRows(quint32(t->num_rows));
    std::vector<MdbField> fields(t->num_cols);
    const int rowCountOffset = m_mdb->fmt->row_count_offset;
    QString value[kColumnCount];
    bool isNull[kColumnCount] = {};
    qint64 rowsRead = 0;
    bool firstPage = true;

    mdb_rewind_table(t);
    while (mdb_read_next_dpg(t) > 0) {
        m_page = -1; // finding the page may have used the library's second buffer
        const long page = long(t->cur_phys_pg);
        const auto badRow = [&](int r, const char *why) {
            return fail(error, Error::Damaged,
                        QStringLiteral("row %1 of page %2 of Table1 %3")
                            .arg(r)
                            .arg(page)
                            .arg(QLatin1String(why)));
        };
        const int rows = mdb_get_int16(m_mdb->pg_buf, rowCountOffset);
        for (int r = 0; r < rows; ++r) {
            const int slot = rowCountOffset + 2 + 2 * r;
            if (slot + 2 > int(kPageSize))
                return badRow(r, "lies beyond its page's table of rows");
            if (mdb_get_int16(m_mdb->pg_buf, slot) & 0x4000) // deleted row
                continue;
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(m_mdb, r, &start, &size) != 0 || size == 0)
                return badRow(r, "has no place on its page");
            start &= 0x1FFF;
            m_rowStart = start;
            m_rowEnd = start + int(size);
            const int n = mdb_crack_row(t, start, size, fields.data());
            if (n < 0)
                return badRow(r, "cannot be taken apart into its values");
            for (int c = 0; c < kColumnCount; ++c) {
                value[c].resize(0); // keeps its allocation from row to row
                isNull[c] = true;
            }
            for (int f = 0; f < int(t->num_cols); ++f) {
                for (int c = 0; c < kColumnCount; ++c) {
                    if (fields[f].colnum != m_index[c])
                        continue;
                    const bool yesNo = m_columns[c]->col_type == MDB_BOOL;
                    isNull[c] = fields[f].is_null && !yesNo;
                    if ((yesNo || !isNull[c]) && !readValue(c, fields[f], &value[c], error))
                        return false;
                }
            }
            if (!sink->addRow(value, isNull))
                return fail(error, Error::Damaged,
                            QStringLiteral("the rows could not be passed on"));
            ++rowsRead;
        }
        if (firstPage && midReadHook()) {
            midReadHook()();
            firstPage = false;
        }
    }
    // The table's definition counts its rows: fewer means pages or rows the library
    // passed over (a cut file, a damaged map of pages), more means rows that are not
    // the table's.
    if (rowsRead != qint64(t->num_rows))
        return fail(error, Error::Damaged,
                    QStringLiteral("Table1 records %1 rows, but %2 were found")
                        .arg(t->num_rows)
                        .arg(rowsRead),
                    texts::rowsDetail(qint64(t->num_rows), rowsRead));
    return true;
}

bool readHandle(MdbHandle *handle, const QByteArray *bytes, const QByteArray &path, qint64 size,
                RowSink *sink, Error *error)
{
    std::unique_ptr<MdbHandle, HandleCloser> mdb(handle);
    if (!mdb)
        return fail(error, Error::Damaged, QStringLiteral("the database cannot be opened"));
    PageSource pages(mdb.get(), bytes, path);
    Reader reader(mdb.get(), &pages, size);
    return reader.read(sink, error);
}

bool outOfMemory(Error *error)
{
    return fail(error, Error::NoMemory,
                QStringLiteral("there is not enough memory to hold the collection"));
}

// What identifies the file's contents for as long as it is read: replaced, cut, grown
// or written to, one of these changes.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const Stamp &o) const
    {
        return device == o.device && inode == o.inode && size == o.size
            && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec
            && changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

// Checks that path names a regular file, and stamps it.
bool stampFile(const QByteArray &path, Stamp *stamp, Error *error)
{
    struct stat st { };
    if (::stat(path.constData(), &st) != 0) {
        if (errno == ENOTDIR && path.endsWith('/')) {
            // "file.mdb/": the file is there, but a name ending in a slash names a folder.
            return fail(error, Error::NotAFile,
                        QStringLiteral("a file, not a folder, though its name ends in \"/\""));
        }
        if (errno != ENOENT && errno != ENOTDIR)
            return fail(error, Error::NotReadable, QString::fromLocal8Bit(std::strerror(errno)));
        // A relative path is looked for from the folder the program was started in.
        const bool relative = !path.startsWith('/');
        return fail(error, Error::NoFile,
                    relative ? QStringLiteral("no such file under %1, the folder the program was "
                                              "started in")
                                   .arg(QDir::currentPath())
                             : QStringLiteral("no such file"),
                    relative ? texts::folderDetail(QDir::currentPath()) : QString());
    }
    // A pipe or a device would block or never end.
    if (S_ISDIR(st.st_mode))
        return fail(error, Error::NotAFile, QStringLiteral("a folder, not a file"));
    if (S_ISFIFO(st.st_mode))
        return fail(error, Error::NotAFile, QStringLiteral("a named pipe (FIFO), not a file"));
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return fail(error, Error::NotAFile, QStringLiteral("a device, not a file"));
    if (!S_ISREG(st.st_mode))
        return fail(error, Error::NotAFile, QStringLiteral("not a regular file"));
    *stamp = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    return true;
}

// The file's first bytes, as many as there are up to size; false, with errno set, if the
// file cannot be opened or read.
bool readStart(const QByteArray &path, qsizetype size, QByteArray *start)
{
    const UniqueFd file(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!file.isOpen())
        return false;
    start->resize(size);
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::pread(file.get(), start->data() + got, size_t(size - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    start->truncate(got);
    return true;
}

// Reads the file once into a sink made for it. The sink is made only once the file is known
// to be a Jet 4.0 database of a size one can have: a sink sized by the file (the helper's
// sizes its memory so) must not decide what is said of a file that is no collection.
std::unique_ptr<RowSink> readOnce(const QByteArray &path, const JetReader::SinkMaker &makeSink,
                                  Error *error)
{
    Stamp before;
    if (!stampFile(path, &before, error))
        return nullptr;
    QByteArray start;
    if (!readStart(path, 0x18, &start)) {
        fail(error, Error::NotReadable, systemReason(errno));
        return nullptr;
    }
    std::unique_ptr<RowSink> sink;
    bool ok = checkHeader(start, qint64(before.size), error);
    if (ok) {
        sink = makeSink(error);
        ok = sink
            && readHandle(mdb_open(path.constData(), MDB_NOFLAGS), nullptr, path,
                          qint64(before.size), sink.get(), error);
    }
    // A file that changed under the reader can look damaged, or sound but short: say
    // that it changed, so that it is read again.
    Stamp after;
    Error ignored;
    if (!stampFile(path, &after, &ignored) || !(after == before)) {
        fail(error, Error::Changed, QStringLiteral("the file changed while it was being read"));
        return nullptr;
    }
    return ok ? std::move(sink) : nullptr;
}

} // namespace

void JetReader::waitUntilStill(const QByteArray &path)
{
    Stamp last;
    Error ignored;
    stampFile(path, &last, &ignored);
    int still = 0;
    for (int waited = 0; waited < 2000 && still < 250; waited += 50) {
        ::usleep(50 * 1000);
        Stamp now;
        stampFile(path, &now, &ignored);
        still = now == last ? still + 50 : 0;
        last = now;
    }
}

void JetReader::setMidReadHook(std::function<void()> hook)
{
    midReadHook() = std::move(hook);
}

// The one place where a file that changed while it was read is read again: into a new
// sink, since the rows already passed on are void; changing again, it fails.
std::unique_ptr<RowSink> JetReader::readHere(const QByteArray &path, const SinkMaker &makeSink,
                                             Error *error)
{
    for (int attempt = 1;; ++attempt) {
        Error why;
        try {
            std::unique_ptr<RowSink> sink = readOnce(path, makeSink, &why);
            if (sink)
                return sink;
        } catch (const std::bad_alloc &) {
            outOfMemory(error);
            return nullptr;
        }
        if (why.kind != Error::Changed || attempt == 2) {
            if (error)
                *error = why;
            return nullptr;
        }
        waitUntilStill(path);
    }
}

bool JetReader::readHere(const QByteArray &path, HadithTable *table, Error *error)
{
    *table = HadithTable();
    std::unique_ptr<RowSink> read = readHere(
        path, [](Error *) { return std::make_unique<TableSink>(); }, error);
    if (!read)
        return false;
    *table = static_cast<TableSink *>(read.get())->table.take();
    return true;
}

bool JetReader::readBytes(const QByteArray &bytes, HadithTable *table, Error *error)
{
    *table = HadithTable();
    if (!checkHeader(bytes.left(0x18), bytes.size(), error))
        return false;
    try {
        // fmemopen wants a writable pointer even for reading; give it a private copy.
        QByteArray copy(bytes);
        TableSink sink;
        if (!readHandle(mdb_open_buffer(copy.data(), size_t(copy.size()), MDB_NOFLAGS), &copy,
                        QByteArray(), bytes.size(), &sink, error))
            return false;
        *table = sink.table.take();
        return true;
    } catch (const std::bad_alloc &) {
        return outOfMemory(error);
    }
}

} // namespace tembra
