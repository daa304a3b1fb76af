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

// The marks on a letter, as a code of four bits: 0 for none, 1 .. 14 for the commonest
// sets of Arabic vowel marks (together nearly every letter's in a collection of fifty
// thousand vowelled hadiths), 15 for any other. With them a text typed with marks is
// checked at most of its places without the text itself.
constexpr std::uint8_t kOtherMarks = 15;
using fold::MarkSet;

// The set each code stands for; none for kOtherMarks, which stands for many.
const MarkSet *codeMarks()
{
    static const auto sets = [] {
        std::array<MarkSet, 16> s{};
        const char16_t runs[kOtherMarks][2] = {
            {0, 0},           {0x064E, 0},      {0x0650, 0},      {0x0652, 0},
            {0x064F, 0},      {0x064D, 0},      {0x064C, 0},      {0x064B, 0},
            {0x064E, 0x0651}, {0x0650, 0x0651}, {0x064F, 0x0651}, {0x064D, 0x0651},
            {0x064C, 0x0651}, {0x064B, 0x0651}, {0x0651, 0},
        };
        for (int code = 0; code < kOtherMarks; ++code)
            s[size_t(code)] = fold::markBit(runs[code][0]) | fold::markBit(runs[code][1]);
        return s;
    }();
    return sets.data();
}

std::uint8_t markCode(MarkSet set)
{
    const MarkSet *sets = codeMarks();
    for (std::uint8_t code = 0; code < kOtherMarks; ++code) {
        if (sets[code] == set)
            return code;
    }
    return kOtherMarks;
}

// Which codes agree with the marks typed on a letter, one bit a code; bit 15 (a set of
// marks without a code of its own) only where every set agrees, and otherwise the text is
// to be looked at.
std::uint16_t agreeingCodes(MarkSet typed, bool atStart = false)
{
    if (typed == 0)
        return 0xFFFF;
    std::uint16_t codes = 0;
    for (std::uint8_t code = 0; code < kOtherMarks; ++code) {
        const MarkSet set = codeMarks()[code];
        if (atStart ? fold::marksAgreeAtStart(typed, set) : fold::marksAgree(typed, set))
            codes = std::uint16_t(codes | 1u << code);
    }
    return codes;
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
// ignored; bit 7 set where letter case folding changes it), and how the code of a
// letter's marks grows by one more mark.
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
            next[code][m] = code == kOtherMarks || m == 9
                ? kOtherMarks
                : markCode(codeMarks()[code] | fold::markBit(kClassMark[m]));
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
    const BasicLikePattern<char16_t> like = comparedPattern(pattern, form);
    std::vector<int> rows;
    for (int r = 0; r < m_table.rowCount(); ++r) {
        if (!m_table.isNull(r, column) && matchesText(like, form, m_table.view(r, column)))
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

// A match with its marks is a match of its letters, so the places where the letters occur
// in the copy are the only places to look, and the codes of the marks there tell whether
// the marks agree, or else the text does. A plain "%text%" is checked at each place by the
// codes; a pattern of one part within the reach of its rarest letters; any other on the
// whole row.
std::vector<int> TableSearch::scanWithMarks(QStringView pattern) const
{
    const Kept &k = *m_kept;
    const fold::Marked folded = fold::marked(pattern);
    const std::vector<MarkSet> typed = patternMarks(folded);
    const BasicLikePattern<char16_t> like(units(folded.letters), k.unitFrequency(), typed);

    std::vector<int> rows;
    Bytes bytes;
    if (toBytes(folded.letters, &bytes)) {
        const BytePattern filter(ByteView(bytes), k.byteFrequency(), typed);
        const auto end = [&k](int r) { return k.end[size_t(r)]; };
        const ByteView literal = filter.keyLiteral();
        if (filter.isLiteral()) {
            const std::vector<MarkSet> &after = filter.unitMarks();
            rows = scanMarkedLiteral(literal, filter.leadMarks(), after);
        } else if (filter.isOnePart() && literal.empty() && filter.minimumUnits() == 0) {
            rows = scanMarksAlone(filter.leadMarks());
        } else if (filter.isOnePart() && placesFew(literal)) {
            // One part between "%" at either end spans a known number of units: where its
            // rare letters occur, the letters within that reach are all there is to check.
            const qsizetype reach = filter.minimumUnits();
            std::vector<MarkSet> window;
            rows = scanHits(k.all(), m_table.rowCount(), end, literal, [&](int r, qsizetype at) {
                if (k.apart[size_t(r)] || m_table.isNull(r, Column::Text))
                    return Verdict::Reject;
                const qsizetype from = std::max<qsizetype>(k.start(r), at - reach);
                const qsizetype to
                    = std::min<qsizetype>(k.end[size_t(r)], at + qsizetype(literal.size()) + reach);
                window.resize(size_t(to - from));
                MarkSet before = 0;
                marksOf(r, from, to, window.data(), &before, false);
                const BytePattern::Subject subject(k.all().substr(size_t(from), size_t(to - from)),
                                                   window.data(), before, from > k.start(r));
                return filter.matches(subject) ? Verdict::Match : Verdict::NextHit;
            });
        } else {
            // The letters first, without their marks; then each row that has them, with
            // them, half of the rows on a thread of their own: with every row a candidate
            // this is the slowest search there is.
            const std::vector<int> candidates
                = scanHits(k.all(), m_table.rowCount(), end, literal, [&](int r, qsizetype) {
                      return k.apart[size_t(r)] || m_table.isNull(r, Column::Text)
                              || !filter.matches(BytePattern::Subject(k.bytesOf(r)))
                          ? Verdict::Reject
                          : Verdict::Match;
                  });
            const auto check = [&](size_t from, size_t to, std::vector<int> *found) {
                std::vector<MarkSet> marks;
                for (size_t i = from; i < to; ++i) {
                    const int r = candidates[i];
                    marks.resize(k.end[size_t(r)] - k.start(r));
                    MarkSet before = 0;
                    marksOf(r, k.start(r), k.end[size_t(r)], marks.data(), &before, false);
                    if (filter.matches(BytePattern::Subject(k.bytesOf(r), marks.data(), before)))
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
        if (matchesText(like, fold::Form::WithMarks, text(r)))
            apart.push_back(r);
    }
    return mergeRows(std::move(rows), apart);
}

// Whether a text, folded here, matches a pattern in the form given.
bool TableSearch::matchesText(const BasicLikePattern<char16_t> &like, fold::Form form,
                              QStringView text)
{
    using Subject = BasicLikePattern<char16_t>::Subject;
    if (form != fold::Form::WithMarks)
        return like.matches(Subject(units(fold::apply(text, form))));
    const fold::Marked folded = fold::marked(text);
    return like.matches(Subject(units(folded.letters), folded.marks.data(), folded.lead));
}

// A text of marks alone, typed before no letter, belongs to a letter whose marks agree:
// the rows with a letter whose code agrees (a bare letter agrees with any), and those
// whose codes cannot tell, looked at in the text; the marks before a row's first letter
// are looked at in the text too.
std::vector<int> TableSearch::scanMarksAlone(MarkSet typed) const
{
    const Kept &k = *m_kept;
    const std::uint16_t agree = std::uint16_t(agreeingCodes(typed) & 0x7FFF);
    std::vector<int> rows;
    std::vector<MarkSet> marks;
    for (int r = 0; r < m_table.rowCount(); ++r) {
        if (k.apart[size_t(r)] || m_table.isNull(r, Column::Text))
            continue;
        bool found = false;
        bool look = false;
        for (qsizetype at = k.start(r), stop = k.end[size_t(r)]; at < stop && !found; ++at) {
            const std::uint8_t code = k.marksAfter(at);
            found = (agree >> code) & 1;
            look = look || code == kOtherMarks;
        }
        if (!found && (look || marksFirst(r))) {
            marks.resize(k.end[size_t(r)] - k.start(r));
            MarkSet lead = 0;
            marksOf(r, k.start(r), k.end[size_t(r)], marks.data(), &lead, true);
            found = fold::marksAgreeAtStart(typed, lead);
            for (const MarkSet m : marks)
                found = found || fold::marksAgree(typed, m);
        }
        if (found)
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

// The marks on each letter of bytes [from, to) of the copy, all in row, into
// out, and those before from into *before: the letter before's, or at the row's start
// those before its first letter. From the codes where they tell, else (or where fromText)
// from the text itself.
void TableSearch::marksOf(int row, qsizetype from, qsizetype to, MarkSet *out, MarkSet *before,
                          bool fromText) const
{
    const Kept &k = *m_kept;
    const qsizetype rowStart = k.start(row);
    if (!fromText) {
        const MarkSet *sets = codeMarks();
        bool known = true;
        for (qsizetype at = from; at < to; ++at) {
            const std::uint8_t code = k.marksAfter(at);
            known &= code != kOtherMarks;
            out[at - from] = sets[code];
        }
        if (from > rowStart) {
            const std::uint8_t code = k.marksAfter(from - 1);
            known &= code != kOtherMarks;
            *before = sets[code];
        } else {
            known &= !marksFirst(row);
            *before = 0;
        }
        if (known)
            return;
    }
    const fold::Tables &ft = fold::tables();
    const auto *t = m_table.textUnits16();
    const qsizetype textEnd = m_table.textEnd(row);
    // Each letter's marks run from the unit after it to the next letter.
    const auto marksAfter = [&](qsizetype *o) {
        MarkSet marks = 0;
        for (; *o < textEnd && ft.kind[t[*o]] != fold::Keep; ++*o)
            marks |= fold::markBit(t[*o]);
        return marks;
    };
    qsizetype o = m_table.textStart(row); // the text of byte at, as at goes from from to to
    if (from > rowStart) {
        o = letterAt(row, from - 1) + 1;
        *before = marksAfter(&o);
    } else {
        *before = marksAfter(&o);
    }
    for (qsizetype at = from; at < to; ++at) {
        ++o;
        out[at - from] = marksAfter(&o);
    }
}

// The rows where a plain text with marks occurs: where its letters occur in the copy
// (literal), and the marks there agree with those typed before the first letter (lead)
// and after each (typed). The codes decide most places; the rest are checked in the text
// itself, at a place that no earlier search has brought near: the places are taken a batch
// at a time and their text fetched ahead, so that the waits for memory overlap.
std::vector<int> TableSearch::scanMarkedLiteral(ByteView literal, MarkSet lead,
                                                const std::vector<MarkSet> &typed) const
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
    const auto length = qsizetype(literal.size());
    std::vector<std::uint16_t> agree;
    for (const MarkSet m : typed)
        agree.push_back(agreeingCodes(m));
    const std::uint16_t agreeBefore = agreeingCodes(lead);
    enum Answer { No, Yes, LookInTheText };
    // What the codes say of the place at, in row r.
    const auto byCodes = [&](qsizetype at, int r) {
        Answer answer = Yes;
        if (lead != 0) {
            if (at == k.start(r)) {
                if (!marksFirst(r))
                    return No; // no letter before, and no marks to stand for one
                answer = LookInTheText;
            } else {
                const std::uint8_t code = k.marksAfter(at - 1);
                if (!((agreeBefore >> code) & 1)) {
                    if (code != kOtherMarks)
                        return No;
                    answer = LookInTheText;
                }
            }
        }
        for (qsizetype j = 0; j < length; ++j) {
            const std::uint8_t code = k.marksAfter(at + j);
            if ((agree[size_t(j)] >> code) & 1)
                continue;
            if (code != kOtherMarks)
                return No;
            answer = LookInTheText;
        }
        return answer;
    };
    std::vector<MarkSet> marks(static_cast<size_t>(length));
    const auto byText = [&](qsizetype at, int r) {
        MarkSet before = 0;
        marksOf(r, at, at + length, marks.data(), &before, true);
        if (lead != 0
            && !(at > k.start(r) ? fold::marksAgree(lead, before)
                                 : fold::marksAgreeAtStart(lead, before)))
            return false;
        for (qsizetype j = 0; j < length; ++j) {
            if (!fold::marksAgree(typed[size_t(j)], marks[size_t(j)]))
                return false;
        }
        return true;
    };
    std::vector<int> rows;
    Place batch[kBatch];
    UnitFinder<char> places(all, literal);
    int r = 0;
    qsizetype at = places.next(0);
    while (at >= 0) {
        int count = 0;
        while (at >= 0 && count < kBatch) {
            if (qsizetype(k.end[size_t(r)]) <= at)
                r = int(std::upper_bound(k.end.begin() + r, k.end.end(), std::uint32_t(at))
                        - k.end.begin());
            const qsizetype rowEnd = k.end[size_t(r)];
            if (k.apart[size_t(r)] || m_table.isNull(r, Column::Text)) {
                at = places.next(rowEnd);
                continue;
            }
            if (at + length > rowEnd) {
                at = places.next(at + 1); // straddles two rows
                continue;
            }
            const Answer answer = byCodes(at, r);
            if (answer == Yes) { // the row is found: on to the next
                batch[count++] = {at, r, true};
                at = places.next(rowEnd);
                continue;
            }
            if (answer == LookInTheText) {
                batch[count++] = {at, r, false};
                qsizetype key = 0;
                qsizetype from = k.checkpointBefore(at, &key);
                if (key < k.start(r))
                    from = m_table.textStart(r);
                __builtin_prefetch(t + from);
                __builtin_prefetch(t + from + 32);
            }
            at = places.next(at + 1);
        }
        for (int i = 0; i < count; ++i) {
            if ((rows.empty() || rows.back() != batch[i].row)
                && (batch[i].decided || byText(batch[i].at, batch[i].row)))
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

} // namespace tembra
