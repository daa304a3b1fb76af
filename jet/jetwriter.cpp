#include "jet/jetwriter.h"

#include "base/filereplace.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace tembra {

namespace {

using u8 = std::uint8_t;
using u32 = std::uint32_t;

constexpr int kPageSize = 4096;
constexpr int kPageHeader = 14; // data page header, before the slot table
constexpr int kMaxRowsPerPage = 255; // an LVAL row number must fit one byte of a pointer
constexpr u32 kBitmapSpan = (kPageSize - 4) * 8; // pages one usage bitmap page covers
constexpr int kBitmapSlots = 17;
constexpr u32 kMaxPages = 0x80000000u / kPageSize; // Jet 4.0 files stop at 2 GB

// The fixed pages. Page 2 must be the catalogue: every reader starts there.
constexpr u32 kMapPage = 1;
constexpr u32 kCatalogTdef = 2;
constexpr u32 kCatalogData = 3;
constexpr u32 kTableTdef = 4;
constexpr u32 kFirstFreePage = 5;

// The usage maps on kMapPage, one row each.
enum MapRow {
    GlobalMap,
    CatalogOwned,
    CatalogFree,
    CatalogLvOwned,
    CatalogLvFree,
    TableOwned,
    TableFree,
    MemoLvOwned,
    MemoLvFree,
    MapRowCount
};
constexpr int kMapRowSize = 69;

// Memos of up to 64 stored bytes stay in the row, as the independent writer does; the
// rest go to LVAL pages, where a row never outgrows its page.
constexpr qsizetype kInlineMemoMax = 64;
constexpr qsizetype kSingleLvalMax = kPageSize - kPageHeader - 2 - 4; // 4076
constexpr qsizetype kChainPiece = kSingleLvalMax - 4; // 4072, after the pointer
constexpr qsizetype kMemoLimit = qsizetype(1) << 24; // 3-byte length field
constexpr qsizetype kCompressMin = 3; // shorter values gain nothing from compression
constexpr qsizetype kCompressMax = 1024;
constexpr u32 kTdefUnknown = 1625; // what Access puts there; nothing reads it
constexpr unsigned kSortGeneral = 0x0409;
// Fixed so that the same rows always give the same bytes (2025-01-01, Jet day count).
constexpr double kCreationDate = 45658.0;

constexpr u8 kTypeInt = 0x03, kTypeLong = 0x04, kTypeText = 0x0A, kTypeOle = 0x0B, kTypeMemo = 0x0C;
constexpr u8 kMemoInline = 0x80, kMemoSingle = 0x40, kMemoChain = 0x00;

// Jet stores its numbers little-endian, wherever they fall in a page.
void put16(u8 *p, unsigned v)
{
    qToLittleEndian(quint16(v), p);
}

void put32(u8 *p, u32 v)
{
    qToLittleEndian(v, p);
}

u32 rowPointer(u32 page, int row)
{
    return (page << 8) | u32(row);
}

QString columnName(int column)
{
    return QStringLiteral("Tab%1").arg(column + 1);
}

// --- Text values --------------------------------------------------------------------
//
// A value starting with the bytes FF FE is read as compressed by every reader. So a
// value is stored either plainly (UTF-16LE, and then it must not start with U+FEFF),
// wholly compressed (pure Latin-1), or, when it does start with U+FEFF, in segments.

enum class Form { Plain, Latin, Segments };

struct Encoding {
    Form form = Form::Plain;
    qsizetype bytes = 0;
};

bool isLatin(char16_t u)
{
    return u >= 0x01 && u <= 0xFF;
}

// Inside a compressed value a zero byte switches mode (for one reader wherever it
// falls), so a unit written whole there must have none.
bool fitsSegment(char16_t u)
{
    return (u & 0xFFu) != 0 && (u >> 8) != 0;
}

bool isPureLatin(QStringView v)
{
    for (const QChar c : v) {
        if (!isLatin(c.unicode()))
            return false;
    }
    return true;
}

enum class Storable { Yes, FeffTooLong, FeffBadUnit };

// How value would be stored; *bad gets the unit that makes it unstorable.
Storable encodingOf(QStringView v, Encoding *out, char16_t *bad = nullptr)
{
    const qsizetype n = v.size();
    if (n > 0 && v.front().unicode() == 0xFEFF) {
        // Compressed forms stay within the size Jet itself compresses.
        if (n > kCompressMax)
            return Storable::FeffTooLong;
        qsizetype bytes = 2;
        bool compressed = true;
        for (const QChar c : v) {
            const char16_t u = c.unicode();
            const bool latin = isLatin(u);
            if (!latin && !fitsSegment(u)) {
                if (bad)
                    *bad = u;
                return Storable::FeffBadUnit;
            }
            if (latin != compressed) {
                ++bytes;
                compressed = latin;
            }
            bytes += latin ? 1 : 2;
        }
        *out = {Form::Segments, bytes};
        return Storable::Yes;
    }
    // An empty value is never compressed: "FF FE" alone reads back differently per reader.
    if (n >= kCompressMin && n <= kCompressMax && isPureLatin(v))
        *out = {Form::Latin, 2 + n};
    else
        *out = {Form::Plain, 2 * n};
    return Storable::Yes;
}

void writeEncoded(u8 *dst, QStringView v, Form form)
{
    const char16_t *src = v.utf16();
    const qsizetype n = v.size();
    switch (form) {
    case Form::Plain:
        for (qsizetype i = 0; i < n; ++i)
            qToLittleEndian(char16_t(src[i]), dst + 2 * i);
        return;
    case Form::Latin:
        *dst++ = 0xFF;
        *dst++ = 0xFE;
        for (qsizetype i = 0; i < n; ++i)
            dst[i] = u8(src[i]);
        return;
    case Form::Segments: {
        *dst++ = 0xFF;
        *dst++ = 0xFE;
        bool compressed = true;
        for (qsizetype i = 0; i < n; ++i) {
            const bool latin = isLatin(src[i]);
            if (latin != compressed) {
                *dst++ = 0x00;
                compressed = latin;
            }
            *dst++ = u8(src[i]);
            if (!latin)
                *dst++ = u8(src[i] >> 8);
        }
        return;
    }
    }
}

// --- Table definitions --------------------------------------------------------------

struct Column {
    const char16_t *name;
    u8 type;
    int number; // the null-mask bit and the column order
    int varIndex; // slot in the row's offset table (variable columns)
    int fixedOffset; // inside the row's fixed part (fixed columns)
    int length;
    int lvOwned = -1, lvFree = -1; // usage-map rows of a long-value column
};

bool isFixed(const Column &c)
{
    return c.type == kTypeInt || c.type == kTypeLong;
}

// Writes a definition that fits one page; both of ours are about 300 bytes.
void writeTdef(u8 *pg, u8 tableType, u32 rowCount, const Column *cols, int count, MapRow owned,
               MapRow free)
{
    int varCount = 0;
    for (int i = 0; i < count; ++i)
        varCount += isFixed(cols[i]) ? 0 : 1;

    pg[0] = 0x02;
    pg[1] = 0x01;
    put32(pg + 12, kTdefUnknown);
    put32(pg + 16, rowCount);
    pg[24] = 0x01;
    pg[40] = tableType;
    put16(pg + 41, unsigned(count));
    put16(pg + 43, unsigned(varCount));
    put16(pg + 45, unsigned(count));
    put32(pg + 55, rowPointer(kMapPage, owned));
    put32(pg + 59, rowPointer(kMapPage, free));

    u8 *p = pg + 63; // no indexes, so the column descriptors follow the header
    for (int i = 0; i < count; ++i, p += 25) {
        const Column &c = cols[i];
        const bool fixed = isFixed(c);
        const bool text = c.type == kTypeText || c.type == kTypeMemo;
        p[0] = c.type;
        put32(p + 1, kTdefUnknown);
        put16(p + 5, unsigned(c.number));
        put16(p + 7, fixed ? 0u : unsigned(c.varIndex));
        put16(p + 9, unsigned(c.number));
        if (text)
            put16(p + 11, kSortGeneral);
        p[15] = fixed ? 0x03 : 0x02;
        p[16] = text ? 0x01 : 0x00;
        put16(p + 21, fixed ? unsigned(c.fixedOffset) : 0u);
        put16(p + 23, unsigned(c.length));
    }
    for (int i = 0; i < count; ++i) {
        const QStringView name(cols[i].name);
        put16(p, unsigned(name.size() * 2));
        writeEncoded(p + 2, name, Form::Plain);
        p += 2 + name.size() * 2;
    }
    for (int i = 0; i < count; ++i) {
        if (cols[i].lvOwned < 0)
            continue;
        put16(p, unsigned(cols[i].number));
        put32(p + 2, rowPointer(kMapPage, cols[i].lvOwned));
        put32(p + 6, rowPointer(kMapPage, cols[i].lvFree));
        p += 10;
    }
    put16(p, 0xFFFF);
    p += 2;

    const auto length = unsigned(p - pg);
    put32(pg + 8, length);
    put16(pg + 2, unsigned(kPageSize) - length - 8);
}

// Memo first in column order but last among the variable columns, as the independent
// writer lays it out.
const Column kTableColumns[] = {
    {u"Tab1", kTypeMemo, 0, 4, 0, 0, MemoLvOwned, MemoLvFree},
    {u"Tab2", kTypeText, 1, 0, 0, 2 * kTextColumnMax},
    {u"Tab3", kTypeText, 2, 1, 0, 2 * kTextColumnMax},
    {u"Tab4", kTypeText, 3, 2, 0, 2 * kTextColumnMax},
    {u"Tab5", kTypeText, 4, 3, 0, 2 * kTextColumnMax},
};

// The catalogue holds what mdbtools binds by name (Id, Name, Type, Flags, LvProp), plus
// ParentId and the "Tables" container row, without which Jackcess-based readers give up.
const Column kCatalogColumns[] = {
    {u"Id", kTypeLong, 0, 0, 0, 4},
    {u"ParentId", kTypeLong, 1, 0, 4, 4},
    {u"Name", kTypeText, 2, 0, 0, 2 * kTextColumnMax},
    {u"Type", kTypeInt, 3, 0, 8, 2},
    {u"Flags", kTypeLong, 4, 0, 10, 4},
    {u"LvProp", kTypeOle, 5, 1, 0, 0, CatalogLvOwned, CatalogLvFree},
};
constexpr int kCatalogFixedSize = 14;

constexpr u32 kTablesContainerId = 0x0F000001;
constexpr u32 kRootContainerId = 0x0F000000;
constexpr u32 kSystemObjectFlag = 0x80000000;

// --- Page 0 -------------------------------------------------------------------------

void rc4(u8 *data, int length, const u8 *key, int keyLength)
{
    u8 s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = u8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keyLength]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

void writeHeaderPage(u8 *pg)
{
    pg[0] = 0x00;
    pg[1] = 0x01;
    std::memcpy(pg + 4, "Standard Jet DB", 16); // with its NUL
    put32(pg + 0x14, 1); // Jet 4.0: 4 KB pages

    put16(pg + 0x3C, 1252);
    put32(pg + 0x3E, 0); // database key 0: the pages themselves are not encrypted
    // "No password" is stored as the bare mask derived from the creation date.
    const auto day = u32(std::int32_t(std::floor(kCreationDate)));
    for (int i = 0; i < 40; i += 4)
        put32(pg + 0x42 + i, day);
    put16(pg + 0x6E, kSortGeneral);
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof kCreationDate);
    std::memcpy(&bits, &kCreationDate, sizeof bits);
    for (int i = 0; i < 8; ++i)
        pg[0x72 + i] = u8(bits >> (8 * i));

    // Readers decrypt this block before looking at any field in it.
    static const u8 key[] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(pg + 0x18, 128, key, 4);
}

// --- The file image -----------------------------------------------------------------

class Builder {
public:
    bool build(const std::vector<Record> &records, Error *error);
    const std::vector<u8> &image() const { return m_image; }

private:
    struct OpenPage {
        u32 number = 0; // 0: none yet
        int rows = 0;
        int top = kPageSize; // rows fill the page from its end down to here
    };

    u8 *page(u32 n) { return m_image.data() + std::size_t(n) * kPageSize; }
    bool allocate(u32 *number);
    bool newDataPage(OpenPage *p, bool lval);
    static bool fits(const OpenPage &p, qsizetype length)
    {
        return p.number != 0 && p.rows < kMaxRowsPerPage
            && p.top - kPageHeader - 2 * p.rows >= length + 2;
    }
    int placeRow(OpenPage *p, qsizetype length);
    bool storeMemo(qsizetype length, u32 *pointer, u8 *kind);
    bool addRecord(const Record &record);
    bool writeBitmaps(const std::vector<u32> &pages, u32 *bitmaps);
    void writeCatalog();
    void writeMapPage(const u32 *tableBitmaps, const u32 *memoBitmaps);

    std::vector<u8> m_image;
    u32 m_pageCount = 0;
    OpenPage m_data, m_lval;
    std::vector<u32> m_dataPages, m_lvalPages;
    std::vector<u8> m_memo; // one memo encoded, before it is cut into LVAL rows
};

bool Builder::allocate(u32 *number)
{
    // Leave room for the bitmap pages that go last.
    if (m_pageCount + 2 * kBitmapSlots >= kMaxPages)
        return false;
    *number = m_pageCount++;
    m_image.resize(std::size_t(m_pageCount) * kPageSize);
    return true;
}

bool Builder::newDataPage(OpenPage *p, bool lval)
{
    u32 n = 0;
    if (!allocate(&n))
        return false;
    u8 *pg = page(n);
    pg[0] = 0x01;
    pg[1] = 0x01;
    put16(pg + 2, kPageSize - kPageHeader);
    if (lval)
        std::memcpy(pg + 4, "LVAL", 4);
    else
        put32(pg + 4, kTableTdef);
    *p = OpenPage{n, 0, kPageSize};
    (lval ? m_lvalPages : m_dataPages).push_back(n);
    return true;
}

// Rows lie back to back from the page end: a reader takes a row's length from where
// the previous one starts, so any gap would become part of the row.
int Builder::placeRow(OpenPage *p, qsizetype length)
{
    u8 *pg = page(p->number);
    p->top -= int(length);
    put16(pg + kPageHeader + 2 * p->rows, unsigned(p->top));
    ++p->rows;
    put16(pg + 2, unsigned(p->top - kPageHeader - 2 * p->rows));
    put16(pg + 12, unsigned(p->rows));
    return p->rows - 1;
}

// Puts the memo in m_memo on LVAL pages: one row if it fits a page, else a chain
// whose pieces add up exactly to the length (readers drop a piece that overshoots).
bool Builder::storeMemo(qsizetype length, u32 *pointer, u8 *kind)
{
    if (length <= kSingleLvalMax) {
        if (!fits(m_lval, length) && !newDataPage(&m_lval, true))
            return false;
        const int row = placeRow(&m_lval, length);
        std::memcpy(page(m_lval.number) + m_lval.top, m_memo.data(), std::size_t(length));
        *pointer = rowPointer(m_lval.number, row);
        *kind = kMemoSingle;
        return true;
    }

    struct Piece {
        u32 page;
        int row;
        int offset;
        qsizetype bytes;
    };
    std::vector<Piece> pieces;
    qsizetype left = length;
    while (left > kChainPiece) { // a full piece fills a page of its own
        OpenPage fresh;
        if (!newDataPage(&fresh, true))
            return false;
        const int row = placeRow(&fresh, 4 + kChainPiece);
        pieces.push_back({fresh.number, row, fresh.top, kChainPiece});
        left -= kChainPiece;
    }
    if (!fits(m_lval, 4 + left) && !newDataPage(&m_lval, true))
        return false;
    const int row = placeRow(&m_lval, 4 + left);
    pieces.push_back({m_lval.number, row, m_lval.top, left});

    const u8 *src = m_memo.data();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Piece &pc = pieces[i];
        u8 *dst = page(pc.page) + pc.offset;
        put32(dst, i + 1 < pieces.size() ? rowPointer(pieces[i + 1].page, pieces[i + 1].row) : 0);
        std::memcpy(dst + 4, src, std::size_t(pc.bytes));
        src += pc.bytes;
    }
    *pointer = rowPointer(pieces.front().page, pieces.front().row);
    *kind = kMemoChain;
    return true;
}

bool Builder::addRecord(const Record &record)
{
    Encoding enc[kColumnCount];
    for (int c = 0; c < kColumnCount; ++c) {
        if (record.tab[c])
            encodingOf(*record.tab[c], &enc[c]); // validated before
    }

    // The memo goes out first, so that the row knows where it points.
    const Field &memo = record[tembra::Column::Text];
    const bool memoInline = memo && enc[0].bytes <= kInlineMemoMax;
    u32 memoPointer = 0;
    u8 memoKind = kMemoInline;
    if (memo && !memoInline) {
        m_memo.resize(std::size_t(enc[0].bytes));
        writeEncoded(m_memo.data(), *memo, enc[0].form);
        if (!storeMemo(enc[0].bytes, &memoPointer, &memoKind))
            return false;
    }

    qsizetype varBytes = 0;
    for (int c = 1; c < kColumnCount; ++c)
        varBytes += enc[c].bytes;
    if (memo)
        varBytes += 12 + (memoInline ? enc[0].bytes : 0);
    // 2 column count + var data + 2 EOD + 5 * 2 offsets + 2 count + 1 null mask
    const qsizetype length = varBytes + 17;

    if (!fits(m_data, length) && !newDataPage(&m_data, false))
        return false;
    placeRow(&m_data, length);
    u8 *row = page(m_data.number) + m_data.top;

    put16(row, kColumnCount);
    qsizetype pos = 2; // no fixed columns
    unsigned offsets[kColumnCount];
    for (int vi = 0; vi < kColumnCount; ++vi) { // variable index order: Tab2..Tab5, Tab1
        const int c = vi == kColumnCount - 1 ? position(tembra::Column::Text) : vi + 1;
        offsets[vi] = unsigned(pos);
        const Field &f = record.tab[c];
        if (!f)
            continue;
        if (c == position(tembra::Column::Text)) {
            const qsizetype stored = enc[0].bytes;
            row[pos] = u8(stored);
            row[pos + 1] = u8(stored >> 8);
            row[pos + 2] = u8(stored >> 16);
            row[pos + 3] = memoKind;
            put32(row + pos + 4, memoPointer);
            pos += 12;
            if (!memoInline)
                continue;
        }
        writeEncoded(row + pos, *f, enc[c].form);
        pos += enc[c].bytes;
    }
    // The offset table runs backwards from the end of the data: EOD first.
    put16(row + pos, unsigned(pos));
    pos += 2;
    for (int vi = kColumnCount - 1; vi >= 0; --vi, pos += 2)
        put16(row + pos, offsets[vi]);
    put16(row + pos, kColumnCount);
    pos += 2;
    u8 mask = 0;
    for (int c = 0; c < kColumnCount; ++c)
        mask = u8(mask | (record.tab[c] ? 1u << c : 0u));
    row[pos] = mask;
    return true;
}

// A type-1 map names up to 17 bitmap pages, each covering its own 32,736 pages.
bool Builder::writeBitmaps(const std::vector<u32> &pages, u32 *bitmaps)
{
    for (const u32 n : pages) {
        const u32 slot = n / kBitmapSpan;
        if (bitmaps[slot] == 0) {
            if (!allocate(&bitmaps[slot]))
                return false;
            u8 *pg = page(bitmaps[slot]);
            pg[0] = 0x05;
            pg[1] = 0x01;
        }
        const u32 bit = n % kBitmapSpan;
        page(bitmaps[slot])[4 + bit / 8] |= u8(1u << (bit % 8));
    }
    return true;
}

void Builder::writeCatalog()
{
    writeTdef(page(kCatalogTdef), 0x53, 2, kCatalogColumns, 6, CatalogOwned, CatalogFree);

    OpenPage data{kCatalogData, 0, kPageSize};
    u8 *pg = page(kCatalogData);
    pg[0] = 0x01;
    pg[1] = 0x01;
    put32(pg + 4, kCatalogTdef);

    struct Object {
        u32 id, parent;
        const char16_t *name;
        unsigned type;
        u32 flags;
    };
    const Object objects[] = {
        {kTablesContainerId, kRootContainerId, u"Tables", 3, kSystemObjectFlag},
        {kTableTdef, kTablesContainerId, u"Table1", 1, 0}, // a table's Id is its TDEF page
    };
    for (const Object &o : objects) {
        const QStringView name(o.name);
        const qsizetype nameEnd = 2 + kCatalogFixedSize + 2 * name.size();
        placeRow(&data, nameEnd + 2 + 4 + 2 + 1);
        u8 *row = pg + data.top;
        put16(row, 6);
        put32(row + 2, o.id);
        put32(row + 6, o.parent);
        put16(row + 10, o.type);
        put32(row + 12, o.flags);
        writeEncoded(row + 16, name, Form::Plain);
        u8 *p = row + nameEnd;
        put16(p, unsigned(nameEnd)); // EOD
        put16(p + 2, unsigned(nameEnd)); // LvProp: NULL, empty
        put16(p + 4, 16); // Name
        put16(p + 6, 2);
        p[8] = 0x1F; // all but LvProp
    }
}

void Builder::writeMapPage(const u32 *tableBitmaps, const u32 *memoBitmaps)
{
    OpenPage maps{kMapPage, 0, kPageSize};
    u8 *pg = page(kMapPage);
    pg[0] = 0x01;
    pg[1] = 0x01;
    for (int r = 0; r < MapRowCount; ++r) {
        placeRow(&maps, kMapRowSize);
        u8 *row = pg + maps.top;
        // Type 0 (a bitmap of 512 pages from a start page) unless filled in below.
        if (r == CatalogOwned) {
            row[5 + kCatalogData / 8] = u8(1u << (kCatalogData % 8));
        } else if (r == TableOwned || r == MemoLvOwned) {
            const u32 *bitmaps = r == TableOwned ? tableBitmaps : memoBitmaps;
            row[0] = 0x01;
            for (int s = 0; s < kBitmapSlots; ++s)
                put32(row + 1 + 4 * s, bitmaps[s]);
        }
    }
}

bool Builder::build(const std::vector<Record> &records, Error *error)
{
    const auto tooBig = [error] {
        return fail(error, Error::BadInput,
                    QStringLiteral("the collection would exceed 2 GB, the largest Jet 4.0 file"));
    };

    // Growing a large image page by page would copy it over and over. Reserving only
    // claims address space, so the guess may well be generous: every value
    // uncompressed, and LVAL pages half full.
    qsizetype guess = 0;
    for (const Record &r : records) {
        guess += 17 + 2 + 12 + 4;
        for (const Field &f : r.tab)
            guess += f ? 2 * f->size() : 0;
    }
    const qsizetype guessPages = kFirstFreePage + 2 * guess / kPageSize + 2 * kBitmapSlots + 2;
    m_image.reserve(std::size_t(std::min<qsizetype>(guessPages, kMaxPages)) * kPageSize);
    m_image.assign(std::size_t(kFirstFreePage) * kPageSize, 0);
    m_pageCount = kFirstFreePage;
    for (const Record &r : records) {
        if (!addRecord(r))
            return tooBig();
    }

    u32 tableBitmaps[kBitmapSlots] = {};
    u32 memoBitmaps[kBitmapSlots] = {};
    if (!writeBitmaps(m_dataPages, tableBitmaps) || !writeBitmaps(m_lvalPages, memoBitmaps))
        return tooBig();

    writeHeaderPage(page(0));
    writeMapPage(tableBitmaps, memoBitmaps);
    writeCatalog();
    // The row count goes in last; mdb-count and others report it as it stands.
    writeTdef(page(kTableTdef), 0x4E, u32(records.size()), kTableColumns, kColumnCount, TableOwned,
              TableFree);
    return true;
}

} // namespace

bool JetWriter::validateRecord(const Record &record, Error *error)
{
    const auto fail
        = [error](const QString &why) { return tembra::fail(error, Error::BadInput, why); };
    for (int c = 0; c < kColumnCount; ++c) {
        const Field &f = record.tab[c];
        if (!f)
            continue;
        const qsizetype units = f->size();
        if (c > 0 && units > kTextColumnMax) {
            return fail(QStringLiteral(
                            "%1 has %2 characters (UTF-16 units); a text column holds at most %3")
                            .arg(columnName(c))
                            .arg(units)
                            .arg(kTextColumnMax));
        }
        Encoding enc;
        char16_t bad = 0;
        switch (encodingOf(*f, &enc, &bad)) {
        case Storable::FeffTooLong:
            return fail(QStringLiteral("%1 begins with U+FEFF and is longer than %2 characters; "
                                       "Jet cannot store such a value")
                            .arg(columnName(c))
                            .arg(kCompressMax));
        case Storable::FeffBadUnit:
            return fail(
                QStringLiteral("%1 begins with U+FEFF and also holds U+%2; "
                               "Jet cannot store such a value")
                    .arg(columnName(c))
                    .arg(QString::number(bad, 16).toUpper().rightJustified(4, QLatin1Char('0'))));
        case Storable::Yes: break;
        }
        if (c == 0 && enc.bytes >= kMemoLimit) {
            return fail(QStringLiteral("%1 has %2 characters; a memo holds less than 16 MiB "
                                       "(at most %3 characters)")
                            .arg(columnName(c))
                            .arg(units)
                            .arg((kMemoLimit - 1) / 2));
        }
    }
    return true;
}

bool JetWriter::validate(const std::vector<Record> &records, Error *error)
{
    Error why;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!validateRecord(records[i], &why))
            return fail(error, Error::BadInput,
                        QStringLiteral("record %1: %2").arg(i + 1).arg(why.detail));
    }
    return true;
}

bool JetWriter::write(const QByteArray &path, const std::vector<Record> &records, Error *error)
{
    if (!validate(records, error))
        return false;

    Builder builder;
    if (!builder.build(records, error))
        return false;

    // Written whole beside the target and renamed over it (see FileReplacement): a
    // failure at any point leaves no file and an older one untouched, with the
    // system's reason (no space left on the device) in the message.
    FileReplacement file(path);
    const std::vector<u8> &image = builder.image();
    if (!file.open(error)
        || !file.commit(reinterpret_cast<const char *>(image.data()), qint64(image.size()), error))
        return false;
    return true;
}

} // namespace tembra
