#include "search/tablesearch.h"

#include "search/likepattern.h"

#include <QVarLengthArray>

// The C library's allocator is asked to give freed pages back. Not under a sanitizer: its
// own allocator holds the memory, and glibc's malloc_trim, called from a thread before
// glibc's allocator was ever used, sets that thread up with the main arena without counting
// it, so that its end aborts the program ("a->attached_threads > 0").
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define TEMBRA_GIVE_BACK_MEMORY 1
#include <malloc.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <numeric>

namespace tembra {

namespace {

void giveMemoryBack()
{
#ifdef TEMBRA_GIVE_BACK_MEMORY
    ::malloc_trim(0);
#endif
}

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
    // The halves' arrays, joined, are free again: their pages go back to the system rather
    // than stay with the program.
    giveMemoryBack();
}

TableSearch::TableSearch(const HadithTable &table) : m_table(table)
{
    auto kept = std::make_shared<Kept>();
    m_kept = kept;
    // The table does not change from here on; the thread only reads it.
    m_ready = std::async(std::launch::async, [kept, this] { kept->build(m_table); }).share();
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

namespace {

// A pattern of thousands of parts ("%_" again and again) leaves its parts' memory behind,
// freed but in pieces the system does not get back by itself: it is given back once the
// search is done.
struct GiveBackAfter final {
    explicit GiveBackAfter(qsizetype units) : m_long(units > 4096) { }
    ~GiveBackAfter()
    {
        if (m_long)
            giveMemoryBack();
    }
    Q_DISABLE_COPY_MOVE(GiveBackAfter)

private:
    bool m_long;
};

} // namespace

std::vector<int> TableSearch::run(QStringView pattern, Comparison comparison, Column column) const
{
    const GiveBackAfter giveBack(pattern.size());
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

// A plain text with marks, as it is looked for in the copy: where its letters occur there
// (literal), the marks typed before the first letter (lead) and after each (typed) must
// agree with the text's. The codes decide most places; the rest are looked at in the text.
class TableSearch::MarkedLiteral final {
public:
    MarkedLiteral(const TableSearch &search, ByteView literal, MarkSet lead,
                  const std::vector<MarkSet> &typed)
        : m_search(search),
          m_literal(literal),
          m_lead(lead),
          m_typed(typed),
          m_agreeBefore(agreeingCodes(lead))
    {
        for (const MarkSet m : typed)
            m_agree.push_back(agreeingCodes(m));
    }
    enum Answer { No, Yes, LookInTheText };

    ByteView literal() const { return m_literal; }

    // What the codes say of the place at, in row r.
    Answer byCodes(qsizetype at, int r) const
    {
        const Kept &k = *m_search.m_kept;
        Answer answer = Yes;
        if (m_lead != 0) {
            if (at == k.start(r)) {
                if (!m_search.marksFirst(r))
                    return No; // no letter before, and no marks to stand for one
                answer = LookInTheText;
            } else {
                const std::uint8_t code = k.marksAfter(at - 1);
                if (!((m_agreeBefore >> code) & 1)) {
                    if (code != kOtherMarks)
                        return No;
                    answer = LookInTheText;
                }
            }
        }
        for (size_t j = 0; j < m_literal.size(); ++j) {
            const std::uint8_t code = k.marksAfter(at + qsizetype(j));
            if ((m_agree[j] >> code) & 1)
                continue;
            if (code != kOtherMarks)
                return No;
            answer = LookInTheText;
        }
        return answer;
    }

    // What the text says of it; marks has room for a set a letter.
    bool byText(qsizetype at, int r, std::vector<MarkSet> *marks) const
    {
        const Kept &k = *m_search.m_kept;
        MarkSet before = 0;
        marks->resize(m_literal.size());
        m_search.marksOf(r, at, at + qsizetype(m_literal.size()), marks->data(), &before, true);
        if (m_lead != 0
            && !(at > k.start(r) ? fold::marksAgree(m_lead, before)
                                 : fold::marksAgreeAtStart(m_lead, before)))
            return false;
        for (size_t j = 0; j < m_literal.size(); ++j) {
            if (!fold::marksAgree(m_typed[j], (*marks)[j]))
                return false;
        }
        return true;
    }

    // Whether it occurs in row r of the copy.
    bool inRow(int r, std::vector<MarkSet> *marks) const
    {
        const Kept &k = *m_search.m_kept;
        const qsizetype end = k.end[size_t(r)];
        for (qsizetype at = findUnitsWithin(k.all(), m_literal, k.start(r), end); at >= 0;
             at = findUnitsWithin(k.all(), m_literal, at + 1, end)) {
            const Answer answer = byCodes(at, r);
            if (answer == Yes || (answer == LookInTheText && byText(at, r, marks)))
                return true;
        }
        return false;
    }

private:
    const TableSearch &m_search;
    ByteView m_literal;
    MarkSet m_lead;
    std::vector<MarkSet> m_typed;
    std::vector<std::uint16_t> m_agree;
    std::uint16_t m_agreeBefore;
};

// One condition of a where clause, ready to be run over the table or checked on one row.
class TableSearch::Query final {
public:
    Query(const TableSearch &search, const Condition &condition, Comparison comparison)
        : m_search(search),
          m_condition(condition),
          m_comparison(comparison),
          m_form(fold::formFor(condition.pattern, comparison))
    {
        if (condition.column != Column::Text) { // nothing is kept for the other columns
            m_units = comparedPattern(condition.pattern, m_form);
            return;
        }
        const Kept &k = *search.m_kept;
        if (m_form == fold::Form::CaseOnly) {
            m_units = comparedPattern(condition.pattern, m_form, k.unitFrequency());
            const std::u16string_view key = m_units.keyLiteral();
            m_hasBytes = toBytes(
                fold::apply(QStringView(key.data(), qsizetype(key.size())), fold::Form::NoMarks),
                &m_key);
            m_caseFolded = LikePattern(condition.pattern, k.unitFrequency());
            return;
        }
        const fold::Marked folded = fold::marked(condition.pattern);
        m_typed = patternMarks(folded);
        m_units = m_form == fold::Form::WithMarks
            ? BasicLikePattern<char16_t>(units(folded.letters), k.unitFrequency(), m_typed)
            : BasicLikePattern<char16_t>(units(folded.letters), k.unitFrequency());
        m_hasBytes = toBytes(folded.letters, &m_bytes);
        if (!m_hasBytes)
            return;
        m_bytePattern = m_form == fold::Form::WithMarks
            ? BytePattern(ByteView(m_bytes), k.byteFrequency(), m_typed)
            : BytePattern(ByteView(m_bytes), k.byteFrequency());
        m_key = Bytes(m_bytePattern.keyLiteral());
        if (m_bytePattern.isLiteral() && m_bytePattern.hasMarks())
            m_literal = std::make_unique<MarkedLiteral>(
                search, ByteView(m_key), m_bytePattern.leadMarks(), m_bytePattern.unitMarks());
    }

    const Condition &condition() const { return m_condition; }

    // About how many places of the copy hold the pattern's rarest letters: counted in a
    // sample of the copy, and estimated from the letters' frequencies beside (a rare text
    // is in no sample). A pattern that only the rows kept apart can match has none.
    double places() const
    {
        if (m_condition.column != Column::Text)
            return 1e12; // no copy: each row is looked at
        const Kept &k = *m_search.m_kept;
        if (!m_hasBytes)
            return 0;
        if (m_key.empty())
            return double(k.byteCount);
        constexpr qsizetype kSlices = 16;
        constexpr qsizetype kSlice = 16384;
        double estimate = double(k.byteCount);
        for (const char b : m_key)
            estimate *= k.frequency[std::uint8_t(b)];
        if (k.byteCount <= kSlices * kSlice) // a small copy: counted whole
            return estimate + double(count(k.all()));
        qsizetype hits = 0;
        for (qsizetype i = 0; i < kSlices; ++i) {
            const qsizetype from = (k.byteCount - kSlice) / (kSlices - 1) * i;
            hits += count(k.all().substr(size_t(from), size_t(kSlice)));
        }
        return estimate + double(hits) * double(k.byteCount) / double(kSlices * kSlice);
    }

    std::vector<int> scan() const
    {
        return m_search.run(m_condition.pattern, m_comparison, m_condition.column);
    }

    // Whether row's value matches the pattern (NULL never does); marks is room to work in.
    bool holds(int row, std::vector<MarkSet> *marks) const
    {
        const TableSearch &s = m_search;
        const Kept &k = *s.m_kept;
        const Column column = m_condition.column;
        if (s.m_table.isNull(row, column))
            return false;
        if (column != Column::Text)
            return matchesText(m_units, m_form, s.m_table.view(row, column));
        const QStringView text = s.text(row);
        if (m_form == fold::Form::CaseOnly) {
            if (k.cased[size_t(row)])
                return m_caseFolded.matchesFolded(foldCase(text));
            if (m_caseFolded.isPlainSubstring())
                return findUnits(units(text), m_caseFolded.keyLiteral(), 0) >= 0;
            return m_caseFolded.matchesFolded(text);
        }
        if (k.apart[size_t(row)])
            return matchesText(m_units, m_form, text);
        if (!m_hasBytes)
            return false;
        const ByteView bytes = k.bytesOf(row);
        if (m_literal)
            return m_literal->inRow(row, marks);
        if (!m_bytePattern.hasMarks()) {
            if (m_bytePattern.isPlainSubstring())
                return findUnitsWithin(k.all(), m_bytePattern.keyLiteral(), k.start(row),
                                       k.end[size_t(row)])
                    >= 0;
            return m_bytePattern.matchesUnits(bytes);
        }
        if (!m_bytePattern.matches(BytePattern::Subject(bytes)))
            return false; // not even the letters
        marks->resize(bytes.size());
        MarkSet before = 0;
        s.marksOf(row, k.start(row), k.end[size_t(row)], marks->data(), &before, false);
        return m_bytePattern.matches(BytePattern::Subject(bytes, marks->data(), before));
    }

private:
    qsizetype count(ByteView slice) const
    {
        qsizetype hits = 0;
        UnitFinder<char> finder(slice, m_key);
        for (qsizetype at = finder.next(0); at >= 0; at = finder.next(at + 1))
            ++hits;
        return hits;
    }

    const TableSearch &m_search;
    Condition m_condition;
    Comparison m_comparison;
    fold::Form m_form;
    std::vector<MarkSet> m_typed;
    BasicLikePattern<char16_t> m_units; // over folded UTF-16
    LikePattern m_caseFolded; // the exact rule's
    Bytes m_bytes; // the folded pattern in bytes, when it has them
    bool m_hasBytes = false;
    BytePattern m_bytePattern;
    Bytes m_key; // the rarest run of letters, in bytes
    std::unique_ptr<MarkedLiteral> m_literal;
};

std::vector<int> TableSearch::run(const std::vector<Condition> &conditions,
                                  Comparison comparison) const
{
    // One condition is the search itself; none, every row (the whole table is listed at
    // once, without waiting for the copy).
    if (conditions.size() == 1 && !conditions.front().negated)
        return run(conditions.front().pattern, comparison, conditions.front().column);
    const bool text = std::any_of(conditions.begin(), conditions.end(),
                                  [](const Condition &c) { return c.column == Column::Text; });
    if (text)
        waitUntilReady();
    std::vector<std::unique_ptr<Query>> queries;
    for (const Condition &c : conditions)
        queries.push_back(std::make_unique<Query>(*this, c, comparison));
    // The rarest that must hold is run over the table.
    const Query *first = nullptr;
    double fewest = 0;
    for (const auto &q : queries) {
        if (q->condition().negated)
            continue;
        const double places = q->places();
        if (!first || places < fewest) {
            first = q.get();
            fewest = places;
        }
    }
    std::vector<int> rows;

    if (first) {
        rows = first->scan();
    } else {
        rows.resize(size_t(m_table.rowCount()));
        std::iota(rows.begin(), rows.end(), 0);
    }
    // The others on the rows it found, the rarest first, so that fewer are left for the
    // commoner ones.
    std::vector<std::pair<double, const Query *>> rest;
    for (const auto &q : queries) {
        if (q.get() != first)
            rest.emplace_back(q->condition().negated ? -q->places() : q->places(), q.get());
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    // Each row is checked against every other condition while its text is at hand. (On
    // two threads it was slower here: the checks take a few milliseconds, and a second
    // thread on a busy machine waits longer than that for its turn.)
    std::vector<MarkSet> marks;
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&](int r) {
                                  for (const auto &next : rest) {
                                      const Query &q = *next.second;
                                      // a NULL value meets neither a condition nor its
                                      // negation
                                      if (m_table.isNull(r, q.condition().column)
                                          || q.holds(r, &marks) == q.condition().negated)
                                          return true;
                                  }
                                  return false;
                              }),
               rows.end());
    return rows;
}

// A plain text under the exact rule occurs only where its folded form occurs in the
// folded copy, a quarter of the text's bytes: its places there, the codes of their marks
// agreeing, are checked in the text, and the text itself is not scanned.
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
    // Where it occurs as typed, the marks between its letters are the text's, all of them,
    // and those after its last letter begin the text's: the codes rule out most places
    // before the text is looked at.
    std::vector<std::uint16_t> codes; // per letter, the codes its place may have
    {
        const fold::Marked typed
            = fold::marked(QStringView(literal.data(), qsizetype(literal.size())));
        for (size_t j = 0; j < typed.marks.size(); ++j) {
            const MarkSet set = typed.marks[j];
            std::uint16_t allowed = 0;
            for (std::uint8_t code = 0; code <= kOtherMarks; ++code) {
                const bool known = code != kOtherMarks;
                const MarkSet stored = codeMarks()[code];
                if (j + 1 < typed.marks.size() ? (known ? stored == set : markCode(set) == code)
                                               : (!known || (set & ~stored) == 0))
                    allowed = std::uint16_t(allowed | 1u << code);
            }
            codes.push_back(allowed);
        }
    }
    const auto *t = m_table.textUnits16();
    const auto letters = qsizetype(bytes.size());
    const auto length = qsizetype(literal.size());
    rows->clear();
    UnitFinder<char> finder(k.all(), bytes);
    int r = 0;
    int scannedRow = -1; // the row looked at in the text so far, up to scannedTo
    qsizetype scannedTo = 0;
    for (qsizetype at = finder.next(0); at >= 0;) {
        if (qsizetype(k.end[size_t(r)]) <= at)
            r = int(std::upper_bound(k.end.begin() + r, k.end.end(), std::uint32_t(at))
                    - k.end.begin());
        bool maybe = !k.cased[size_t(r)] && at + letters <= qsizetype(k.end[size_t(r)]);
        for (qsizetype j = 0; maybe && j < letters; ++j)
            maybe = (codes[size_t(j)] >> k.marksAfter(at + j)) & 1;
        if (!maybe) {
            at = finder.next(at + 1);
            continue;
        }
        // Where it occurs as typed at this place, it lies between the checkpoints around the
        // place: that stretch of the text is looked at, and no more than once for a row.
        const qsizetype rowEnd = k.end[size_t(r)];
        qsizetype key = 0;
        qsizetype from = k.checkpointBefore(at, &key);
        if (key < k.start(r))
            from = m_table.textStart(r);
        from = std::max(m_table.textStart(r), from - qsizetype(first));
        if (r == scannedRow)
            from = std::max(from, scannedTo - length + 1);
        qsizetype to = m_table.textEnd(r);
        if (at + letters - 1 + kCheckpointEvery < rowEnd) {
            const qsizetype next = k.checkpointBefore(at + letters - 1 + kCheckpointEvery, &key);
            to = std::min(to, next);
        }
        if (from < to
            && findUnits(std::u16string_view(t + from, size_t(to - from)), literal, 0) >= 0) {
            rows->push_back(r);
            at = finder.next(rowEnd);
            continue;
        }
        scannedRow = r;
        scannedTo = std::max(to, scannedTo);
        at = finder.next(at + 1);
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
            rows = scanMarkedLiteral(literal, filter.leadMarks(), filter.unitMarks());
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

// The rows where a plain text with marks occurs. Each place that the codes cannot decide is
// checked in the text, at a place that no earlier search has brought near: the places are
// taken a batch at a time and their text fetched ahead, so that the waits for memory
// overlap.
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
    const auto *t = m_table.textUnits16();
    const auto length = qsizetype(literal.size());
    const MarkedLiteral marked(*this, literal, lead, typed);
    std::vector<MarkSet> marks;
    std::vector<int> rows;
    Place batch[kBatch];
    UnitFinder<char> places(k.all(), literal);
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
            const MarkedLiteral::Answer answer = marked.byCodes(at, r);
            if (answer == MarkedLiteral::Yes) { // the row is found: on to the next
                batch[count++] = {at, r, true};
                at = places.next(rowEnd);
                continue;
            }
            if (answer == MarkedLiteral::LookInTheText) {
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
                && (batch[i].decided || marked.byText(batch[i].at, batch[i].row, &marks)))
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
