#include "search/tablesearch.h"

#include "search/likepattern.h"

#include <QVarLengthArray>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>

namespace tembra {

namespace {

// Every this many bytes of the folded copy, where its character lies in the text itself:
// few places are looked up in the text now that the marks have codes.
constexpr qsizetype kCheckpointEvery = 64;

using Bytes = std::string;
using ByteView = std::string_view;

enum class Verdict {
    Match, // the row matches
    Reject, // the row does not match
    NextHit, // not at this place; try the next place in the same row
};

// Rows whose text, laid back to back with the others, holds literal, each offered to
// accept(row, place) once for each place until it decides; with no literal every row is
// offered once, at place -1. end(row) is where the row's text ends in all.
template <typename Unit, typename End, typename Accept>
std::vector<int> scanHits(std::basic_string_view<Unit> all, int rowCount, End end,
                          std::basic_string_view<Unit> literal, Accept accept)
{
    std::vector<int> rows;
    if (literal.empty()) {
        for (int r = 0; r < rowCount; ++r) {
            if (accept(r, qsizetype(-1)) == Verdict::Match)
                rows.push_back(r);
        }
        return rows;
    }
    const auto length = qsizetype(literal.size());
    UnitFinder<Unit> places(all, literal);
    int r = 0;
    qsizetype at = places.next(0);
    while (at >= 0) {
        // the row holding position at: rows are short, so walk rather than bisect unless
        // the hit is far ahead
        if (qsizetype(end(r)) <= at) {
            int lo = r, hi = rowCount - 1;
            while (lo < hi) {
                const int mid = lo + (hi - lo) / 2;
                if (qsizetype(end(mid)) <= at)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            r = lo;
        }
        if (at + length > qsizetype(end(r))) {
            at = places.next(at + 1); // straddles two rows
            continue;
        }
        const Verdict verdict = accept(r, at);
        if (verdict == Verdict::NextHit) {
            at = places.next(at + 1);
            continue;
        }
        if (verdict == Verdict::Match)
            rows.push_back(r);
        at = places.next(qsizetype(end(r)));
        ++r;
    }
    return rows;
}

// The marks that follow a letter, in canonical order, as a code of four bits: 0 for none,
// 1 .. 14 for the commonest runs of Arabic vowel marks (together nearly every run in a
// collection of fifty thousand vowelled hadiths), 15 for any other run. With them a
// literal typed with marks is checked at most of its places without the text itself.
constexpr std::uint8_t kOtherMarks = 15;
constexpr char16_t kMarkRuns[kOtherMarks][2] = {
    {0, 0},           {0x064E, 0},      {0x0650, 0},      {0x0652, 0},      {0x064F, 0},
    {0x064D, 0},      {0x064C, 0},      {0x064B, 0},      {0x064E, 0x0651}, {0x0650, 0x0651},
    {0x064F, 0x0651}, {0x064D, 0x0651}, {0x064C, 0x0651}, {0x064B, 0x0651}, {0x0651, 0},
};

// Asked for every letter of the collection, with the run already in canonical order: the
// commonest answers come first.
std::uint8_t markCode(const char16_t *run, qsizetype count)
{
    if (count == 0)
        return 0;
    if (count == 1) {
        switch (run[0]) {
        case 0x064E: return 1;
        case 0x0650: return 2;
        case 0x0652: return 3;
        case 0x064F: return 4;
        case 0x064D: return 5;
        case 0x064C: return 6;
        case 0x064B: return 7;
        case 0x0651: return 14;
        default: return kOtherMarks;
        }
    }
    if (count == 2 && run[1] == 0x0651) {
        for (std::uint8_t code = 8; code < 14; ++code) {
            if (kMarkRuns[code][0] == run[0])
                return code;
        }
    }
    return kOtherMarks;
}

// The run a code stands for; none for kOtherMarks, which stands for many.
std::u16string_view markRun(std::uint8_t code)
{
    if (code >= kOtherMarks)
        return {};
    const char16_t *known = kMarkRuns[code];
    return {known, size_t(known[0] == 0 ? 0 : known[1] == 0 ? 1 : 2)};
}

std::vector<int> mergeRows(std::vector<int> rows, const std::vector<int> &more)
{
    if (more.empty())
        return rows;
    std::vector<int> merged;
    merged.reserve(rows.size() + more.size());
    std::merge(rows.begin(), rows.end(), more.begin(), more.end(), std::back_inserter(merged));
    return merged;
}

std::u16string_view units(QStringView s)
{
    return {s.utf16(), size_t(s.size())};
}

// A folded pattern in bytes; false if one of its characters has no byte, so that no text
// kept in bytes can match it.
bool toBytes(QStringView folded, Bytes *out)
{
    out->clear();
    for (const QChar c : folded) {
        const std::uint8_t b = fold::byteOf(c.unicode());
        if (b == 0)
            return false;
        out->push_back(char(b));
    }
    return true;
}

// What the build looks up for each UTF-16 unit: its class (0 a letter, 1 .. 9 a mark, 15
// ignored; bit 7 set where letter case folding changes it), and how the code of a run of
// marks grows by one more mark, the run kept in canonical order.
struct BuildTables {
    BuildTables();
    std::uint8_t unitClass[0x10000];
    std::uint8_t next[16][16];
};

constexpr std::uint8_t kIgnoredClass = 15;
constexpr char16_t kClassMark[10]
    = {0, 0x064B, 0x064C, 0x064D, 0x064E, 0x064F, 0x0650, 0x0651, 0x0652, 0x0670 /* any other */};

BuildTables::BuildTables() : unitClass{}, next{}
{
    for (char32_t c = 0; c < 0x10000; ++c) {
        const auto u = char16_t(c);
        std::uint8_t cls = 0;
        if (fold::kind(u) == fold::Ignore)
            cls = kIgnoredClass;
        else if (fold::kind(u) == fold::Mark)
            cls = u >= 0x064B && u <= 0x0652 ? std::uint8_t(u - 0x064B + 1) : 9;
        if (!QChar::isSurrogate(c) && QChar::toCaseFolded(c) != c)
            cls |= 0x80;
        unitClass[c] = cls;
    }
    for (std::uint8_t code = 0; code < 16; ++code) {
        for (std::uint8_t m = 1; m < 10; ++m) {
            if (code == kOtherMarks) {
                next[code][m] = kOtherMarks;
                continue;
            }
            char16_t run[3];
            const std::u16string_view known = markRun(code);
            std::copy(known.begin(), known.end(), run);
            run[known.size()] = kClassMark[m];
            const auto count = qsizetype(known.size() + 1);
            fold::canonicalOrder(run, count);
            next[code][m] = m == 9 ? kOtherMarks : markCode(run, count);
        }
    }
}

const BuildTables &buildTables()
{
    static const auto t = std::make_unique<const BuildTables>();
    return *t;
}

} // namespace

struct TableSearch::Kept {
    // The hadith texts in the NoMarks form, one byte a character, back to back; a row
    // that holds a character without a byte has none here and is kept apart, in UTF-16.
    // The buffers are allocated for the longest the copy can be and filled as far as it
    // is: memory never written is never taken.
    std::unique_ptr<char[]> bytes;
    qsizetype byteCount = 0;
    std::vector<std::uint32_t> end; // per row, where its bytes end
    // Text position of byte kCheckpointEvery * i, counted from the start of each of the
    // two halves the copy is built in (the second from secondBase).
    std::unique_ptr<std::uint32_t[]> checkpoint;
    std::unique_ptr<std::uint32_t[]> secondCheckpoint;
    qsizetype secondBase = 0;
    std::unique_ptr<std::uint8_t[]> marks; // the mark code after each byte's letter, two a byte
    std::vector<bool> apart;
    std::vector<int> apartRows;
    std::vector<QString> apartText;
    // For the exact comparison: the rows that letter case folding changes, folded.
    std::vector<bool> cased;
    std::vector<int> casedRows;
    std::vector<QString> casedText;
    // How often each byte occurs in the copy, a share of all: a pattern is looked for by
    // its rarest run of letters. Byte 0 (a character without a byte) counts as rare.
    double frequency[256] = {};

    ByteView all() const { return ByteView(bytes.get(), size_t(byteCount)); }
    std::uint8_t marksAfter(qsizetype at) const
    {
        return std::uint8_t((marks[size_t(at) / 2] >> (at % 2 * 4)) & 15);
    }
    std::uint32_t start(int row) const { return row == 0 ? 0 : end[size_t(row) - 1]; }
    ByteView bytesOf(int row) const
    {
        return ByteView(bytes.get() + start(row), end[size_t(row)] - start(row));
    }
    // The checkpoint at or before byte at: its byte in *key, its text position returned.
    qsizetype checkpointBefore(qsizetype at, qsizetype *key) const
    {
        const bool second = secondCheckpoint && at >= secondBase;
        const qsizetype base = second ? secondBase : 0;
        const qsizetype i = (at - base) / kCheckpointEvery;
        *key = base + i * kCheckpointEvery;
        return qsizetype(second ? secondCheckpoint[size_t(i)] : checkpoint[size_t(i)]);
    }
    BytePattern::Frequency byteFrequency() const
    {
        return [this](char b) { return frequency[std::uint8_t(b)]; };
    }
    LikePattern::Frequency unitFrequency() const
    {
        return [this](char16_t u) { return frequency[fold::tables().rawByte[u]]; };
    }

    // One half of the rows, built into its own buffers.
    struct Half {
        char *bytes = nullptr; // where its bytes go
        std::uint8_t *marks = nullptr; // and their codes, from an even place
        std::unique_ptr<std::uint32_t[]> checkpoint;
        qsizetype count = 0;
        std::vector<std::uint32_t> end; // from the half's start
        std::vector<bool> apart, cased;
        std::vector<int> apartRows, casedRows;
        std::vector<QString> apartText, casedText;
        void build(const HadithTable &table, int from, int to);
    };
    void build(const HadithTable &table);
};

// One pass over the text: the byte of each letter, and the code of the marks that follow
// it once the next letter comes. Marks before a row's first letter belong to no letter.
void TableSearch::Kept::Half::build(const HadithTable &table, int from, int to)
{
    const fold::Tables &ft = fold::tables();
    const BuildTables &bt = buildTables();
    const auto *t = table.textUnits16();
    const qsizetype units = from < to ? table.textEnd(to - 1) - table.textStart(from) : 0;
    checkpoint.reset(new std::uint32_t[size_t(units / kCheckpointEvery) + 1]);
    end.resize(size_t(to - from));
    apart.assign(size_t(to - from), false);
    cased.assign(size_t(to - from), false);
    char *out = bytes;
    std::uint8_t *codes = marks;
    qsizetype n = 0;
    const auto close = [codes](qsizetype letter, std::uint8_t code) {
        std::uint8_t &pair = codes[size_t(letter) / 2];
        const auto shift = int(letter % 2 * 4);
        pair = std::uint8_t((pair & ~(15 << shift)) | code << shift);
    };
    for (int r = from; r < to; ++r) {
        const qsizetype rowStart = n;
        bool lacking = false; // a character without a byte
        std::uint8_t caseChanges = 0;
        std::uint8_t code = 0;
        for (qsizetype o = table.textStart(r), stop = table.textEnd(r); o < stop; ++o) {
            const char16_t u = t[o];
            const std::uint8_t cls = bt.unitClass[u];
            caseChanges |= cls;
            if ((cls & 0x7F) == 0) {
                if (n > rowStart)
                    close(n - 1, code);
                code = 0;
                if (n % kCheckpointEvery == 0)
                    checkpoint[n / kCheckpointEvery] = std::uint32_t(o);
                const std::uint8_t b = ft.rawByte[u];
                lacking |= b == 0;
                out[n++] = char(b);
            } else if ((cls & 0x7F) != kIgnoredClass) {
                code = bt.next[code][cls & 0x7F];
            }
        }
        if (n > rowStart)
            close(n - 1, code);
        const auto i = size_t(r - from);
        if (lacking) {
            n = rowStart;
            apart[i] = true;
            apartRows.push_back(r);
            apartText.push_back(fold::apply(table.view(r, Column::Text), fold::Form::NoMarks));
        }
        end[i] = std::uint32_t(n);
        // A surrogate pair has no byte: its row is apart, and its case looked at here.
        if (lacking ? !isFoldInvariant(table.view(r, Column::Text)) : (caseChanges & 0x80) != 0) {
            cased[i] = true;
            casedRows.push_back(r);
            casedText.push_back(foldCase(table.view(r, Column::Text)));
        }
    }
    count = n;
}

// The two halves of the rows are built at once, in one pair of buffers with room for the
// whole copy (memory never written is never taken).
void TableSearch::Kept::build(const HadithTable &table)
{
    const int rows = table.rowCount();
    const int mid = rows / 2;
    // The second half is built into the same buffers after the first half's text, then
    // moved down to follow its bytes.
    const qsizetype units = table.allText().size();
    const qsizetype offset = (table.textStart(mid) + 1) / 2 * 2; // even: codes stay aligned
    bytes.reset(new char[size_t(units) + 2]);
    marks.reset(new std::uint8_t[size_t(units) / 2 + 2]);
    Half first, second;
    first.bytes = bytes.get();
    first.marks = marks.get();
    second.bytes = bytes.get() + offset;
    second.marks = marks.get() + offset / 2;
    auto later = std::async(std::launch::async,
                            [&second, &table, mid, rows] { second.build(table, mid, rows); });
    first.build(table, 0, mid);
    later.get();

    const qsizetype n = first.count + second.count;
    std::memmove(bytes.get() + first.count, bytes.get() + offset, size_t(second.count));
    if (first.count % 2 == 0) {
        std::memmove(marks.get() + first.count / 2, marks.get() + offset / 2,
                     size_t(second.count + 1) / 2);
    } else {
        // one code down: each is read before the one it shares a byte with is written
        for (qsizetype i = 0; i < second.count; ++i) {
            const qsizetype from = offset + i;
            const qsizetype at = first.count + i;
            const auto code = std::uint8_t((marks[size_t(from) / 2] >> (from % 2 * 4)) & 15);
            std::uint8_t &pair = marks[size_t(at) / 2];
            pair = std::uint8_t((pair & ~(15 << (at % 2 * 4))) | code << (at % 2 * 4));
        }
    }
#ifdef __linux__
    // What lay beyond the bytes now is memory the copy will never read again.
    const auto release = [](void *from, void *to) {
        const auto page = std::uintptr_t(::sysconf(_SC_PAGESIZE));
        const auto a = (std::uintptr_t(from) + page - 1) / page * page;
        const auto b = std::uintptr_t(to) / page * page;
        if (a < b)
            ::madvise(reinterpret_cast<void *>(a), b - a, MADV_DONTNEED);
    };
    release(bytes.get() + n, bytes.get() + offset + second.count);
    release(marks.get() + n / 2 + 1, marks.get() + (offset + second.count) / 2);
#endif
    checkpoint = std::move(first.checkpoint);
    secondCheckpoint = std::move(second.checkpoint);
    secondBase = first.count;
    end = std::move(first.end);
    for (const std::uint32_t e : second.end)
        end.push_back(std::uint32_t(first.count) + e);
    const auto join = [](auto *to, auto &from) { to->insert(to->end(), from.begin(), from.end()); };
    apart = std::move(first.apart);
    join(&apart, second.apart);
    apartRows = std::move(first.apartRows);
    join(&apartRows, second.apartRows);
    apartText = std::move(first.apartText);
    join(&apartText, second.apartText);
    cased = std::move(first.cased);
    join(&cased, second.cased);
    casedRows = std::move(first.casedRows);
    join(&casedRows, second.casedRows);
    casedText = std::move(first.casedText);
    join(&casedText, second.casedText);
    byteCount = n;

    // A sample is enough to tell a rare letter from a common one.
    constexpr qsizetype kEvery = 7;
    std::uint32_t counts[256] = {};
    for (qsizetype i = 0; i < n; i += kEvery)
        ++counts[std::uint8_t(bytes[size_t(i)])];
    const double sampled = double(n / kEvery + 1);
    for (int b = 0; b < 256; ++b)
        frequency[b] = (counts[b] + 0.5) / sampled;
    frequency[0] = 1e-6;
}

TableSearch::TableSearch(const HadithTable &table) : m_table(table), m_kept(new Kept)
{
    // The table does not change from here on; the thread only reads it.
    m_ready = std::async(std::launch::async, [this] { m_kept->build(m_table); }).share();
}

TableSearch::~TableSearch()
{
    if (m_ready.valid())
        m_ready.wait();
}

void TableSearch::waitUntilReady() const
{
    m_ready.get(); // rethrows what the thread threw (a lack of memory)
}

qsizetype TableSearch::keptBytes() const
{
    waitUntilReady();
    const Kept &k = *m_kept;
    auto bytes = qsizetype(k.byteCount + 4 * (k.byteCount / kCheckpointEvery + 1)
                           + (k.byteCount + 1) / 2 + 4 * qsizetype(k.end.size()));
    for (const QString &s : k.apartText)
        bytes += s.size() * 2;
    for (const QString &s : k.casedText)
        bytes += s.size() * 2;
    return bytes;
}

QStringView TableSearch::text(int row) const
{
    return m_table.view(row, Column::Text);
}

std::vector<int> TableSearch::run(QStringView pattern, Comparison comparison, Column column) const
{
    const fold::Form form = fold::formFor(pattern, comparison);
    if (column != Column::Text)
        return otherColumn(pattern, form, column);
    waitUntilReady();
    switch (form) {
    case fold::Form::CaseOnly: return scanExact(pattern);
    case fold::Form::NoMarks: return scanWithoutMarks(pattern);
    case fold::Form::WithMarks: return scanWithMarks(pattern);
    }
    return {};
}

// The short columns are searched row by row: nothing is kept for them.
std::vector<int> TableSearch::otherColumn(QStringView pattern, fold::Form form, Column column) const
{
    const BasicLikePattern<char16_t> like(units(fold::apply(pattern, form)));
    std::vector<int> rows;
    for (int r = 0; r < m_table.rowCount(); ++r) {
        if (!m_table.isNull(r, column)
            && like.matchesUnits(units(fold::apply(m_table.view(r, column), form))))
            rows.push_back(r);
    }
    return rows;
}

// A plain text under the exact rule occurs only where its folded form occurs in the
// folded copy, a quarter of the text's bytes: where that form is rare, its places there
// are checked in the text, and the text itself is not scanned.
bool TableSearch::scanExactLiteral(std::u16string_view literal, std::vector<int> *rows) const
{
    const Kept &k = *m_kept;
    const fold::Tables &ft = fold::tables();
    size_t first = 0; // the literal's first letter, on the byte where a place starts
    while (first < literal.size() && ft.kind[literal[first]] != fold::Keep)
        ++first;
    Bytes bytes;
    if (first == literal.size()
        || !toBytes(fold::apply(QStringView(literal.data(), qsizetype(literal.size())),
                                fold::Form::NoMarks),
                    &bytes))
        return false;
    double places = double(k.byteCount);
    for (const char b : bytes)
        places *= k.frequency[std::uint8_t(b)];
    if (places > 20000)
        return false; // common: scanning the text is quicker than looking up each place
    const auto *t = m_table.textUnits16();
    const auto length = qsizetype(literal.size());
    rows->clear();
    UnitFinder<char> finder(k.all(), bytes);
    int r = 0;
    for (qsizetype at = finder.next(0); at >= 0;) {
        if (qsizetype(k.end[size_t(r)]) <= at)
            r = int(std::upper_bound(k.end.begin() + r, k.end.end(), std::uint32_t(at))
                    - k.end.begin());
        const qsizetype o = k.cased[size_t(r)] ? -1 : letterAt(r, at) - qsizetype(first);
        if (o >= m_table.textStart(r) && o + length <= m_table.textEnd(r)
            && std::equal(literal.begin(), literal.end(), t + o)) {
            rows->push_back(r);
            at = finder.next(k.end[size_t(r)]);
        } else {
            at = finder.next(at + 1);
        }
    }
    // the rows kept apart have no bytes; those that case changes are matched below
    std::vector<int> apart;
    for (const int a : k.apartRows) {
        if (!k.cased[size_t(a)] && findUnits(units(text(a)), literal, 0) >= 0)
            apart.push_back(a);
    }
    *rows = mergeRows(std::move(*rows), apart);
    return true;
}

std::vector<int> TableSearch::scanExact(QStringView pattern) const
{
    const Kept &k = *m_kept;
    const LikePattern like(pattern, k.unitFrequency());
    const bool plain = like.isPlainSubstring();
    std::vector<int> rows;
    if (!plain || !scanExactLiteral(like.keyLiteral(), &rows))
        rows = scanHits(
            units(m_table.allText()), m_table.rowCount(),
            [this](int r) { return m_table.textEnd(r); }, like.keyLiteral(),
            [&](int r, qsizetype) {
                // rows that letter case changes are matched on their folded copy below
                if (k.cased[size_t(r)] || m_table.isNull(r, Column::Text))
                    return Verdict::Reject;
                return plain || like.matchesFolded(text(r)) ? Verdict::Match : Verdict::Reject;
            });
    std::vector<int> cased;
    for (size_t i = 0; i < k.casedRows.size(); ++i) {
        if (like.matchesFolded(k.casedText[i]))
            cased.push_back(k.casedRows[i]);
    }
    return mergeRows(std::move(rows), cased);
}

std::vector<int> TableSearch::scanWithoutMarks(QStringView pattern) const
{
    const Kept &k = *m_kept;
    const QString folded = fold::apply(pattern, fold::Form::NoMarks);
    std::vector<int> rows;
    Bytes bytes;
    if (toBytes(folded, &bytes)) {
        const BytePattern like(ByteView(bytes), k.byteFrequency());
        const bool plain = like.isPlainSubstring();
        rows = scanHits(
            k.all(), m_table.rowCount(), [&k](int r) { return k.end[size_t(r)]; },
            like.keyLiteral(),
            [&](int r, qsizetype) {
                if (k.apart[size_t(r)] || m_table.isNull(r, Column::Text))
                    return Verdict::Reject;
                return plain || like.matchesUnits(k.bytesOf(r)) ? Verdict::Match : Verdict::Reject;
            });
    }
    const BasicLikePattern<char16_t> like(units(folded), k.unitFrequency());
    std::vector<int> apart;
    for (size_t i = 0; i < k.apartRows.size(); ++i) {
        if (like.matchesUnits(units(k.apartText[i])))
            apart.push_back(k.apartRows[i]);
    }
    return mergeRows(std::move(rows), apart);
}

// A match with its marks is a match without them, so the places where the pattern occurs
// without its marks are the only places to look. A plain "%text%" is checked at each
// such place in the text itself; any other pattern on the row's text folded anew.
std::vector<int> TableSearch::scanWithMarks(QStringView pattern) const
{
    const Kept &k = *m_kept;
    const QString withMarks = fold::apply(pattern, fold::Form::WithMarks);
    const BasicLikePattern<char16_t> like(units(withMarks), k.unitFrequency());
    // Without its marks, and with "_" (which may stand for a mark) as "%".
    QString weaker = fold::apply(pattern, fold::Form::NoMarks);
    weaker.replace(u'_', u'%');

    std::vector<int> rows;
    Bytes bytes;
    if (toBytes(weaker, &bytes)) {
        const BytePattern filter(ByteView(bytes), k.byteFrequency());
        const auto end = [&k](int r) { return k.end[size_t(r)]; };
        const ByteView literal = filter.keyLiteral();
        if (like.isPlainSubstring() && !literal.empty()) {
            const std::u16string_view text = like.keyLiteral();
            qsizetype firstLetter = 0;
            while (fold::kind(text[size_t(firstLetter)]) == fold::Mark)
                ++firstLetter;
            rows = scanMarkedLiteral(literal, text, firstLetter);
        } else if (like.isPlainSubstring()) {
            rows = scanMarksAlone(like.keyLiteral(), like);
        } else if (placesFew(literal) && like.isOnePart()) {
            // One part between "%" at either end spans a known number of units: where its
            // rare letters occur, the letters within that reach are all there is to check.
            const qsizetype reach = like.minimumUnits();
            std::u16string window;
            rows = scanHits(k.all(), m_table.rowCount(), end, literal, [&](int r, qsizetype at) {
                if (k.apart[size_t(r)] || m_table.isNull(r, Column::Text)
                    || m_table.textEnd(r) - m_table.textStart(r) < reach)
                    return Verdict::Reject;
                const qsizetype from = std::max<qsizetype>(k.start(r), at - reach - 1);
                const qsizetype to
                    = std::min<qsizetype>(k.end[size_t(r)], at + qsizetype(literal.size()) + reach);
                if ((from == k.start(r) && marksFirst(r)) || !lettersWithMarks(from, to, &window))
                    return like.matchesUnits(units(fold::apply(text(r), fold::Form::WithMarks)))
                        ? Verdict::Match
                        : Verdict::Reject;
                return like.matchesUnits(window) ? Verdict::Match : Verdict::NextHit;
            });
        } else {
            // The text never has fewer units than its folded form: a row too short for
            // the pattern is passed over before anything is folded.
            const qsizetype shortest = like.minimumUnits();
            const std::vector<int> candidates
                = scanHits(k.all(), m_table.rowCount(), end, literal, [&](int r, qsizetype) {
                      return k.apart[size_t(r)] || m_table.isNull(r, Column::Text)
                              || m_table.textEnd(r) - m_table.textStart(r) < shortest
                              || !filter.matchesUnits(k.bytesOf(r))
                          ? Verdict::Reject
                          : Verdict::Match;
                  });
            // Each candidate is checked in its WithMarks form, half of them on a thread of
            // their own: with every row a candidate this is the slowest search there is.
            const auto check = [&](size_t from, size_t to, std::vector<int> *found) {
                std::u16string row;
                for (size_t i = from; i < to; ++i) {
                    const int r = candidates[i];
                    if (!rowWithMarks(r, &row))
                        row = units(fold::apply(text(r), fold::Form::WithMarks));
                    if (like.matchesUnits(row))
                        found->push_back(r);
                }
            };
            const size_t half = candidates.size() > 2000 ? candidates.size() / 2 : 0;
            std::vector<int> later;
            auto second = std::async(half ? std::launch::async : std::launch::deferred,
                                     [&] { check(half, candidates.size(), &later); });
            check(0, half, &rows);
            second.get();
            rows.insert(rows.end(), later.begin(), later.end());
        }
    }
    std::vector<int> apart;
    for (int r : k.apartRows) {
        if (like.matchesUnits(units(fold::apply(text(r), fold::Form::WithMarks))))
            apart.push_back(r);
    }
    return mergeRows(std::move(rows), apart);
}

// A text of marks alone lies inside one run of marks: the rows with a run whose code
// holds it, and those whose codes cannot tell (a run without a code of its own, marks
// before the first letter), looked at in the text.
std::vector<int> TableSearch::scanMarksAlone(std::u16string_view marks,
                                             const BasicLikePattern<char16_t> &like) const
{
    const Kept &k = *m_kept;
    std::uint32_t holds = 0;
    for (std::uint8_t code = 0; code < kOtherMarks; ++code) {
        if (markRun(code).find(marks) != std::u16string_view::npos)
            holds |= 1u << code;
    }
    holds |= 1u << kOtherMarks; // to be looked at
    std::vector<int> rows;
    for (int r = 0; r < m_table.rowCount(); ++r) {
        if (k.apart[size_t(r)] || m_table.isNull(r, Column::Text))
            continue;
        std::uint8_t found = 0;
        for (qsizetype at = k.start(r), stop = k.end[size_t(r)]; at < stop && !found; ++at) {
            const std::uint8_t code = k.marksAfter(at);
            if ((holds >> code) & 1)
                found = code == kOtherMarks ? 2 : 1;
        }
        if (found == 2 || (found == 0 && marksFirst(r))) {
            const QString folded = fold::apply(text(r), fold::Form::WithMarks);
            found = like.matchesUnits(units(folded)) ? 1 : 0;
        }
        if (found == 1)
            rows.push_back(r);
    }
    return rows;
}

// Whether a run of bytes is rare enough in the copy to check each of its places.
bool TableSearch::placesFew(ByteView literal) const
{
    const Kept &k = *m_kept;
    double places = double(k.byteCount);
    for (const char b : literal)
        places *= k.frequency[std::uint8_t(b)];
    return !literal.empty() && places < 200000;
}

// Whether the row's text has marks before its first letter: they belong to no letter's code.
bool TableSearch::marksFirst(int row) const
{
    const auto *t = m_table.textUnits16();
    for (qsizetype o = m_table.textStart(row); o < m_table.textEnd(row); ++o) {
        const auto kind = fold::kind(t[o]);
        if (kind != fold::Ignore)
            return kind == fold::Mark;
    }
    return false;
}

// The row in the WithMarks form, made from the folded copy: each letter's byte back to its
// unit, then its run of marks from the code. False where the copy cannot tell (a run
// without a code of its own, marks before the first letter): the text must be folded.
bool TableSearch::rowWithMarks(int row, std::u16string *out) const
{
    const Kept &k = *m_kept;
    return !marksFirst(row) && lettersWithMarks(k.start(row), k.end[size_t(row)], out);
}

// The letters of bytes [from, stop) of the copy, each with the marks that follow it.
bool TableSearch::lettersWithMarks(qsizetype from, qsizetype stop, std::u16string *out) const
{
    static const auto unitOf = [] {
        std::array<char16_t, 256> units{};
        const fold::Tables &ft = fold::tables();
        for (char32_t c = 0; c < 0x10000; ++c) {
            const auto u = char16_t(c);
            if (ft.byte[u] != 0 && ft.folded[u] == u && ft.kind[u] == fold::Keep)
                units[ft.byte[u]] = u;
        }
        return units;
    }();
    const Kept &k = *m_kept;
    // Written through a pointer into room for the longest it can be: this runs for every
    // row a pattern with marks and wildcards does not rule out at once.
    out->resize(size_t(stop - from) * 3);
    char16_t *w = out->data();
    for (qsizetype at = from; at < stop; ++at) {
        *w++ = unitOf[std::uint8_t(k.bytes[size_t(at)])];
        const std::uint8_t code = k.marksAfter(at);
        if (code == kOtherMarks)
            return false;
        w[0] = kMarkRuns[code][0];
        w[1] = kMarkRuns[code][1];
        w += (kMarkRuns[code][0] != 0) + (kMarkRuns[code][1] != 0);
    }
    out->resize(size_t(w - out->data()));
    return true;
}

// The rows where literal occurs with its marks, looked for where it occurs without them
// (withoutMarks, in the folded copy). Each such place is checked in the text itself, at
// a place of the text that no earlier search has brought near: the places are taken a
// batch at a time and their text fetched ahead, so that the waits for memory overlap.
std::vector<int> TableSearch::scanMarkedLiteral(ByteView withoutMarks, std::u16string_view literal,
                                                qsizetype firstLetter) const
{
    constexpr int kBatch = 16;
    struct Place {
        qsizetype at;
        int row;
        bool decided; // by the codes alone
    };
    const Kept &k = *m_kept;
    const ByteView all = k.all();
    const auto *t = m_table.textUnits16();
    const auto length = qsizetype(withoutMarks.size());
    // The literal's marks: those before its first letter, and the run after each letter.
    const std::u16string_view lead = literal.substr(0, size_t(firstLetter));
    std::vector<std::u16string_view> after;
    for (size_t j = size_t(firstLetter); j < literal.size(); ++j) {
        if (fold::kind(literal[j]) != fold::Mark)
            after.emplace_back(literal.data() + j + 1, 0);
        else
            after.back() = std::u16string_view(after.back().data(), after.back().size() + 1);
    }
    std::vector<std::uint8_t> wanted;
    for (const std::u16string_view run : after)
        wanted.push_back(markCode(run.data(), qsizetype(run.size())));
    enum Answer { No, Yes, LookInTheText };
    // What the codes say of the place at, in row r.
    const auto byCodes = [&](qsizetype at, int r) {
        Answer answer = Yes;
        if (!lead.empty()) {
            if (at == k.start(r))
                return LookInTheText; // marks before the row's first letter have no code
            // the previous letter's run ends with them
            const std::uint8_t before = k.marksAfter(at - 1);
            const std::u16string_view run = markRun(before);
            if (before == kOtherMarks)
                answer = LookInTheText;
            else if (run.size() < lead.size() || run.substr(run.size() - lead.size()) != lead)
                return No;
        }
        for (qsizetype j = 0; j + 1 < length; ++j) {
            const std::uint8_t code = k.marksAfter(at + j);
            if (code == wanted[size_t(j)] && code != kOtherMarks)
                continue;
            if (code == kOtherMarks && wanted[size_t(j)] == kOtherMarks)
                answer = LookInTheText;
            else
                return No; // one run is a known one and the other is not, or another
        }
        const std::u16string_view last = after.back();
        if (!last.empty()) { // the text's run after the last letter begins with it
            const std::uint8_t code = k.marksAfter(at + length - 1);
            if (code == kOtherMarks)
                answer = LookInTheText;
            else if (markRun(code).substr(0, last.size()) != last)
                return No;
        }
        return answer;
    };
    std::vector<int> rows;
    Place batch[kBatch];
    UnitFinder<char> places(all, withoutMarks);
    int r = 0;
    qsizetype at = places.next(0);
    while (at >= 0) {
        int count = 0;
        for (; at >= 0 && count < kBatch; at = places.next(at + 1)) {
            if (qsizetype(k.end[size_t(r)]) <= at)
                r = int(std::upper_bound(k.end.begin() + r, k.end.end(), std::uint32_t(at))
                        - k.end.begin());
            if (at + length > qsizetype(k.end[size_t(r)]))
                continue; // straddles two rows
            const Answer answer = byCodes(at, r);
            if (answer == No)
                continue;
            batch[count++] = {at, r, answer == Yes};
            if (answer == Yes)
                continue;
            qsizetype key = 0;
            qsizetype from = k.checkpointBefore(at, &key);
            if (key < k.start(r))
                from = m_table.textStart(r);
            __builtin_prefetch(t + from);
            __builtin_prefetch(t + from + 32);
        }
        for (int i = 0; i < count; ++i) {
            if ((rows.empty() || rows.back() != batch[i].row)
                && (batch[i].decided
                    || marksMatchAt(batch[i].row, batch[i].at, literal, firstLetter)))
                rows.push_back(batch[i].row);
        }
    }
    return rows;
}

// Where in the text the letter of byte at (in row) stands: walked from the nearest
// checkpoint in the row.
qsizetype TableSearch::letterAt(int row, qsizetype at) const
{
    const Kept &k = *m_kept;
    const fold::Tables &ft = fold::tables();
    const auto *t = m_table.textUnits16();
    qsizetype key = 0;
    qsizetype o = k.checkpointBefore(at, &key);
    if (key < qsizetype(k.start(row))) {
        key = k.start(row);
        o = m_table.textStart(row);
    }
    for (; key < at; ++o)
        key += ft.kind[t[o]] == fold::Keep; // no branch: letters and marks alternate
    while (ft.kind[t[o]] != fold::Keep)
        ++o;
    return o;
}

// Whether literal (folded, marks kept) occurs in row's text where the byte at (a place of
// the literal without its marks) stands, its letter firstLetter on that byte's character.
bool TableSearch::marksMatchAt(int row, qsizetype at, std::u16string_view literal,
                               qsizetype firstLetter) const
{
    const fold::Tables &ft = fold::tables();
    const auto *t = m_table.textUnits16();
    const qsizetype rowStart = m_table.textStart(row);
    const qsizetype rowEnd = m_table.textEnd(row);

    const qsizetype o = letterAt(row, at);

    // The run of marks before the first letter (ignored characters skipped), in canonical
    // order, must end with the literal's leading marks.
    QVarLengthArray<char16_t, 8> run;
    if (firstLetter > 0) {
        for (qsizetype p = o - 1; p >= rowStart && ft.kind[t[p]] != fold::Keep; --p) {
            if (ft.kind[t[p]] == fold::Mark)
                run.insert(run.cbegin(), ft.folded[t[p]]);
        }
        fold::canonicalOrder(run.data(), run.size());
        if (run.size() < firstLetter
            || !std::equal(literal.begin(), literal.begin() + firstLetter, run.end() - firstLetter))
            return false;
    }
    // Then letter by letter, each with the run that follows it: the same run, or for the
    // last letter a run that begins with the literal's.
    size_t j = size_t(firstLetter);
    qsizetype p = o;
    while (j < literal.size()) {
        if (p >= rowEnd || ft.folded[t[p]] != literal[j])
            return false;
        ++j;
        ++p;
        run.clear();
        for (; p < rowEnd && ft.kind[t[p]] != fold::Keep; ++p) {
            if (ft.kind[t[p]] == fold::Mark)
                run.append(ft.folded[t[p]]);
        }
        fold::canonicalOrder(run.data(), run.size());
        size_t next = j;
        while (next < literal.size() && fold::kind(literal[next]) == fold::Mark)
            ++next;
        const auto wanted = qsizetype(next - j);
        const bool last = next == literal.size();
        if (last ? run.size() < wanted : run.size() != wanted)
            return false;
        if (!std::equal(literal.begin() + qsizetype(j), literal.begin() + qsizetype(next),
                        run.begin()))
            return false;
        j = next;
    }
    return true;
}

} // namespace tembra
