#include "jet/jetreader.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <memory>
#include <unordered_set>

extern "C" {
#include <mdbtools.h>
}

namespace tembra {

namespace {

constexpr qint64 kPageSize = 4096;
constexpr int kMemoHeader = 12;
constexpr quint32 kMemoLengthMask = 0x00FFFFFF;
constexpr const char *kColumnNames[kColumnCount] = {"Tab1", "Tab2", "Tab3", "Tab4", "Tab5"};

int le16(const unsigned char *p)
{
    return p[0] | p[1] << 8;
}

quint32 le32(const unsigned char *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
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
                out->append(QChar(char16_t(p[i] | p[i + 1] << 8)));
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
        dst[i] = char16_t(p[2 * i] | p[2 * i + 1] << 8);
#endif
}

// Long-value pages, read apart from the library: it spends four system calls on every
// page, and a collection has one or more long-value pages for nearly every hadith.
// Pages come from the bytes in memory, or from the file through a window of pages
// read at once (long values lie near the rows that point to them). An encrypted
// database leaves the pages to the library, which knows how to decrypt them.
class PageSource {
public:
    PageSource(MdbHandle *mdb, const QByteArray *bytes, const QString &path) : m_mdb(mdb)
    {
        if (mdb->f->db_key != 0)
            return;
        if (bytes) {
            m_bytes = bytes;
        } else {
            m_file.setFileName(path);
            if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
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
            if (!m_file.seek(number * size))
                return nullptr;
            const qint64 got = m_file.read(m_window.data(), m_window.size());
            m_count = got > 0 ? got / size : 0;
            if (m_count == 0)
                return nullptr;
        }
        return reinterpret_cast<const unsigned char *>(m_window.constData())
            + (number - m_first) * size;
    }

private:
    static constexpr int kWindowPages = 64;
    MdbHandle *m_mdb;
    bool m_direct = false;
    const QByteArray *m_bytes = nullptr;
    QFile m_file;
    QByteArray m_window;
    long m_first = 0;
    long m_count = 0;
};

class Reader {
public:
    Reader(MdbHandle *mdb, PageSource *pages) : m_mdb(mdb), m_pages(pages) { }

    bool read(RowSink *sink, Error *error);

private:
    bool findTable(Error *error);
    bool checkPageMaps(unsigned long tdefPage, const char *what, Error *error);
    bool longValueRow(int pgRow, const unsigned char **row, size_t *len);
    bool readMemo(int start, int size, QString *out, Error *error);
    bool readValue(int column, const MdbField &field, QString *out, Error *error);

    MdbHandle *m_mdb;
    std::unique_ptr<MdbTableDef, TableCloser> m_table;
    MdbColumn *m_columns[kColumnCount] = {};
    int m_index[kColumnCount] = {}; // position of Tab1..Tab5 among the table's columns
    QByteArray m_chain;
    PageSource *m_pages;
    long m_page = -1; // the long-value page read last
    const unsigned char *m_pageData = nullptr;
};

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
                QStringLiteral("Table1 has no column %1").arg(QLatin1String(kColumnNames[c])));
        switch (m_columns[c]->col_type) {
        case MDB_TEXT:
        case MDB_MEMO:
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_NUMERIC: break;
        default:
            return fail(error, Error::MissingColumn,
                        QStringLiteral("column %1 of Table1 holds no text (type %2)")
                            .arg(QLatin1String(kColumnNames[c]))
                            .arg(m_columns[c]->col_type));
        }
    }
    return true;
}

// A memo value is a 12-byte header: the stored length and a kind (0x80 inline, 0x40 one
// row on a long-value page, 0 a chain of such rows), then a pointer to the first row.
bool Reader::readMemo(int start, int size, QString *out, Error *error)
{
    if (size < kMemoHeader)
        return true; // shorter than a header: read as empty, as the library does
    const unsigned char *head = m_mdb->pg_buf + start;
    const quint32 word = le32(head);
    const quint32 length = word & kMemoLengthMask;
    const quint32 kind = word >> 24;
    if (kind == 0x80) {
        decodeText(head + kMemoHeader, size_t(size - kMemoHeader), out);
        return true;
    }
    int pgRow = static_cast<int>(le32(head + 4));
    if (kind == 0x40) {
        const unsigned char *row = nullptr;
        size_t len = 0;
        if (!longValueRow(pgRow, &row, &len))
            return fail(error, Error::Damaged,
                        QStringLiteral("a hadith text points to a missing long-value row (page %1)")
                            .arg(pgRow >> 8));
        decodeText(row, len, out);
        return true;
    }
    if (kind != 0)
        return fail(error, Error::Damaged,
                    QStringLiteral("a hadith text has an unknown memo kind 0x%1")
                        .arg(kind, 2, 16, QLatin1Char('0')));

    // A chain: each row is a pointer to the next row and a piece of the value. The
    // pieces must add up to the stored length; a piece that would overrun it ends the
    // value, as in the other readers. A row seen twice would loop for ever.
    m_chain.resize(0); // keeps its allocation from value to value
    std::unordered_set<int> seen;
    while (pgRow != 0) {
        if (!seen.insert(pgRow).second)
            return fail(error, Error::Damaged,
                        QStringLiteral("a hadith text's chain of long-value rows loops"));
        const unsigned char *row = nullptr;
        size_t len = 0;
        if (!longValueRow(pgRow, &row, &len) || len < 4)
            return fail(error, Error::Damaged,
                        QStringLiteral("a hadith text's chain of long-value rows is broken at "
                                       "page %1")
                            .arg(pgRow >> 8));
        const size_t piece = len - 4;
        if (size_t(m_chain.size()) + piece > length)
            break;
        m_chain.append(reinterpret_cast<const char *>(row + 4), static_cast<qsizetype>(piece));
        pgRow = static_cast<int>(le32(row));
    }
    decodeText(reinterpret_cast<const unsigned char *>(m_chain.constData()), size_t(m_chain.size()),
               out);
    return true;
}

bool Reader::readValue(int column, const MdbField &field, QString *out, Error *error)
{
    MdbColumn *col = m_columns[column];
    // The library takes a row's value offsets as the file gives them; a damaged row
    // can place a value outside its page or give it a negative length.
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > int(kPageSize))
        return fail(error, Error::Damaged,
                    QStringLiteral("a value of column %1 lies outside its page")
                        .arg(QLatin1String(kColumnNames[column])));
    switch (col->col_type) {
    case MDB_TEXT: decodeText(m_mdb->pg_buf + field.start, size_t(field.siz), out); return true;
    case MDB_MEMO: return readMemo(field.start, field.siz, out, error);
    default: {
        // A number where text is expected: take the library's own rendering of it.
        char *text = mdb_col_to_string(m_mdb, m_mdb->pg_buf, field.start, col->col_type, field.siz);
        out->append(QString::fromUtf8(text));
        g_free(text);
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
    std::vector<MdbField> fields(t->num_cols);
    const int rowCountOffset = m_mdb->fmt->row_count_offset;
    QString value[kColumnCount];
    bool isNull[kColumnCount] = {};

    mdb_rewind_table(t);
    while (mdb_read_next_dpg(t)) {
        m_page = -1; // finding the page may have used the library's second buffer
        const int rows = mdb_get_int16(m_mdb->pg_buf, rowCountOffset);
        for (int r = 0; r < rows && r <= 1000; ++r) {
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(m_mdb, r, &start, &size) != 0 || size == 0)
                continue;
            if (start & 0x4000) // deleted row
                continue;
            start &= 0x1FFF;
            const int n = mdb_crack_row(t, start, size, fields.data());
            if (n < 0)
                continue;
            for (int c = 0; c < kColumnCount; ++c) {
                value[c].resize(0); // keeps its allocation from row to row
                isNull[c] = true;
            }
            for (int f = 0; f < n && f < int(t->num_cols); ++f) {
                for (int c = 0; c < kColumnCount; ++c) {
                    if (fields[f].colnum != m_index[c])
                        continue;
                    isNull[c] = fields[f].is_null;
                    if (!isNull[c] && !readValue(c, fields[f], &value[c], error))
                        return false;
                }
            }
            if (!sink->addRow(value, isNull))
                return fail(error, Error::Damaged,
                            QStringLiteral("the rows could not be passed on"));
        }
    }
    return true;
}

bool readHandle(MdbHandle *handle, const QByteArray *bytes, const QString &path, RowSink *sink,
                Error *error)
{
    std::unique_ptr<MdbHandle, HandleCloser> mdb(handle);
    if (!mdb)
        return fail(error, Error::Damaged, QStringLiteral("the database cannot be opened"));
    PageSource pages(mdb.get(), bytes, path);
    Reader reader(mdb.get(), &pages);
    return reader.read(sink, error);
}

} // namespace

bool JetReader::readHere(const QString &path, RowSink *sink, Error *error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return fail(error, Error::NoFile, QStringLiteral("%1: no such file").arg(path));
    if (info.isDir())
        return fail(error, Error::NotReadable, QStringLiteral("%1 is a folder").arg(path));
    if (!info.isFile()) // a pipe or a device would block or never end
        return fail(error, Error::NotReadable,
                    QStringLiteral("%1 is not a regular file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, Error::NotReadable,
                    QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (!checkHeader(file.read(0x18), file.size(), error))
        return false;
    file.close();
    return readHandle(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS), nullptr, path,
                      sink, error);
}

bool JetReader::readHere(const QString &path, HadithTable *table, Error *error)
{
    *table = HadithTable();
    TableSink sink;
    if (!readHere(path, &sink, error))
        return false;
    sink.table.squeeze();
    *table = std::move(sink.table);
    return true;
}

bool JetReader::readBytes(const QByteArray &bytes, HadithTable *table, Error *error)
{
    *table = HadithTable();
    if (!checkHeader(bytes.left(0x18), bytes.size(), error))
        return false;
    // fmemopen wants a writable pointer even for reading; give it a private copy.
    QByteArray copy(bytes);
    TableSink sink;
    if (!readHandle(mdb_open_buffer(copy.data(), size_t(copy.size()), MDB_NOFLAGS), &copy,
                    QString(), &sink, error))
        return false;
    sink.table.squeeze();
    *table = std::move(sink.table);
    return true;
}

} // namespace tembra
