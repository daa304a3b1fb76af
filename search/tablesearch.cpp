#include "search/tablesearch.h"

#include "search/likepattern.h"

#include <algorithm>

namespace tembra {

namespace {

// Every this many bytes of the folded copy, where its character lies in the text itself:
// few places are looked up in the text now that the marks have codes.
constexpr qsizetype kCheckpointEvery = 64;

using Bytes = std::basic_string<std::uint8_t>;
using ByteView = std::basic_string_view<std::uint8_t>;

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

// The marks that follow a letter, as a code of four bits: 0 for none, 1 .. 14 for the
// commonest runs of Arabic vowel marks (together 99.96 % of the runs in a collection of
// fifty thousand vowelled hadiths), 15 for any other run. With them a literal typed with
// marks is checked at most of its places without the text itself.
constexpr std::uint8_t kOtherMarks = 15;
constexpr char16_t kMarkRuns[kOtherMarks][2] = {
    {0, 0},           {0x064E, 0},      {0x0650, 0},      {0x0652, 0},      {0x064F, 0},
    {0x064D, 0},      {0x064C, 0},      {0x064B, 0},      {0x0651, 0x064E}, {0x0651, 0x0650},
    {0x0651, 0x064F}, {0x064E, 0x0651}, {0x0651, 0x064D}, {0x0651, 0x064C}, {0x0650, 0x0651},
};

// Asked for every letter of the collection: the commonest answers come first.
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
        default: return kOtherMarks;
        }
    }
    if (count == 2) {
        for (std::uint8_t code = 8; code < kOtherMarks; ++code) {
            if (kMarkRuns[code][0] == run[0] && kMarkRuns[code][1] == run[1])
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
        out->push_back(b);
    }
    return true;
}

} // namespace

struct TableSearch::Kept {
    // The hadith texts in the NoMarks form, one byte a character, back to back; a row
    // that holds a character without a byte has none here and is kept apart, in UTF-16.
    // The buffers are allocated for the longest the copy can be and filled as far as it
    // is: memory never written is never taken.
    std::unique_ptr<std::uint8_t[]> bytes;
    qsizetype byteCount = 0;
    std::vector<std::uint32_t> end; // per row, where its bytes end
    std::unique_ptr<std::uint32_t[]> checkpoint; // text position of byte kCheckpointEvery * i
    std::unique_ptr<std::uint8_t[]> marks; // the mark code after each byte's letter, two a byte
    std::vector<bool> apart;
    std::vector<int> apartRows;
    std::vector<QString> apartText;
    // For the exact comparison: the rows that letter case folding changes, folded.
    std::vector<bool> cased;
    std::vector<int> casedRows;
    std::vector<QString> casedText;

    ByteView all() const { return ByteView(bytes.get(), size_t(byteCount)); }
    std::uint8_t marksAfter(qsizetype at) const
    {
        return std::uint8_t((marks[size_t(at) / 2] >> (at % 2 * 4)) & 15);
    }
    void noteMarks(const fold::Tables &ft, const char16_t *t, qsizetype from, qsizetype to,
                   qsizetype key);
    std::uint32_t start(int row) const { return row == 0 ? 0 : end[size_t(row) - 1]; }
    ByteView bytesOf(int row) const
    {
        return ByteView(bytes.get() + start(row), end[size_t(row)] - start(row));
    }

    void build(const HadithTable &table);
};

void TableSearch::Kept::build(const HadithTable &table)
{
    const fold::Tables &ft = fold::tables();
    const int rows = table.rowCount();
    const auto *t = table.textUnits16();
    const qsizetype units = table.allText().size();
    bytes.reset(new std::uint8_t[size_t(units) + 1]);
    checkpoint.reset(new std::uint32_t[size_t(units / kCheckpointEvery) + 1]);
    marks.reset(new std::uint8_t[size_t(units) / 2 + 1]);
    end.resize(size_t(rows));
    apart.assign(size_t(rows), false);
    cased.assign(size_t(rows), false);
    std::uint8_t *out = bytes.get();
    qsizetype n = 0;
    for (int r = 0; r < rows; ++r) {
        const qsizetype rowStart = n;
        bool lacking = false; // a character without a byte
        // Written without a branch on the kind: letters and marks alternate, and a
        // mispredicted branch on every unit would cost more than the work.
        for (qsizetype o = table.textStart(r), stop = table.textEnd(r); o < stop; ++o) {
            const char16_t u = t[o];
            const bool keep = ft.kind[u] == fold::Keep;
            const std::uint8_t b = ft.rawByte[u];
            if (n % kCheckpointEvery == 0)
                checkpoint[n / kCheckpointEvery] = std::uint32_t(o); // the kept unit's, last
            out[n] = b;
            lacking |= keep && b == 0;
            n += keep;
        }
        if (lacking) {
            n = rowStart;
            apart[size_t(r)] = true;
            apartRows.push_back(r);
            apartText.push_back(fold::apply(table.view(r, 0), fold::Form::NoMarks));
        } else
            noteMarks(ft, t, table.textStart(r), table.textEnd(r), rowStart);
        end[size_t(r)] = std::uint32_t(n);
        if (!isFoldInvariant(table.view(r, 0))) {
            cased[size_t(r)] = true;
            casedRows.push_back(r);
            casedText.push_back(foldCase(table.view(r, 0)));
        }
    }
    byteCount = n;
}

// The code of the marks after each letter of one row's text [from, to), whose first letter
// is byte key. Ignored characters are passed over; marks before the first letter belong
// to no letter.
void TableSearch::Kept::noteMarks(const fold::Tables &ft, const char16_t *t, qsizetype from,
                                  qsizetype to, qsizetype key)
{
    qsizetype letter = -1;
    char16_t run[3];
    qsizetype count = 0;
    const auto close = [&] {
        if (letter < 0)
            return;
        std::uint8_t &pair = marks[size_t(letter) / 2];
        const auto shift = int(letter % 2 * 4);
        pair = std::uint8_t((pair & ~(15 << shift)) | markCode(run, count) << shift);
    };
    for (qsizetype o = from; o < to; ++o) {
        const auto kind = fold::Kind(ft.kind[t[o]]);
        if (kind == fold::Keep) {
            close();
            letter = letter < 0 ? key : letter + 1;
            count = 0;
        } else if (kind == fold::Mark) {
            if (count < 3)
                run[count] = t[o];
            ++count;
        }
    }
    close();
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
    return m_table.view(row, 0);
}

std::vector<int> TableSearch::run(QStringView pattern, Comparison comparison, int column) const
{
    const fold::Form form = fold::formFor(pattern, comparison);
    if (column != 0)
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
std::vector<int> TableSearch::otherColumn(QStringView pattern, fold::Form form, int column) const
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

std::vector<int> TableSearch::scanExact(QStringView pattern) const
{
    const Kept &k = *m_kept;
    const LikePattern like(pattern);
    const bool plain = like.isPlainSubstring();
    std::vector<int> rows = scanHits(
        units(m_table.allText()), m_table.rowCount(), [this](int r) { return m_table.textEnd(r); },
        like.longestLiteral(),
        [&](int r, qsizetype) {
            // rows that letter case changes are matched on their folded copy below
            if (k.cased[size_t(r)] || m_table.isNull(r, 0))
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
        const BytePattern like{ByteView(bytes)};
        const bool plain = like.isPlainSubstring();
        rows = scanHits(
            k.all(), m_table.rowCount(), [&k](int r) { return k.end[size_t(r)]; },
            like.longestLiteral(),
            [&](int r, qsizetype) {
                if (k.apart[size_t(r)] || m_table.isNull(r, 0))
                    return Verdict::Reject;
                return plain || like.matchesUnits(k.bytesOf(r)) ? Verdict::Match : Verdict::Reject;
            });
    }
    const BasicLikePattern<char16_t> like(units(folded));
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
    const BasicLikePattern<char16_t> like(units(withMarks));
    // Without its marks, and with "_" (which may stand for a mark) as "%".
    QString weaker = fold::apply(pattern, fold::Form::NoMarks);
    weaker.replace(u'_', u'%');

    std::vector<int> rows;
    Bytes bytes;
    if (toBytes(weaker, &bytes)) {
        const BytePattern filter{ByteView(bytes)};
        const auto end = [&k](int r) { return k.end[size_t(r)]; };
        const ByteView literal = filter.longestLiteral();
        if (like.isPlainSubstring() && !literal.empty()) {
            const std::u16string_view text = like.longestLiteral();
            qsizetype firstLetter = 0;
            while (fold::kind(text[size_t(firstLetter)]) == fold::Mark)
                ++firstLetter;
            rows = scanMarkedLiteral(literal, text, firstLetter);
        } else {
            rows = scanHits(k.all(), m_table.rowCount(), end, literal, [&](int r, qsizetype) {
                if (k.apart[size_t(r)] || m_table.isNull(r, 0)
                    || !filter.matchesUnits(k.bytesOf(r)))
                    return Verdict::Reject;
                const QString row = fold::apply(text(r), fold::Form::WithMarks);
                return like.matchesUnits(units(row)) ? Verdict::Match : Verdict::Reject;
            });
        }
    }
    std::vector<int> apart;
    for (int r : k.apartRows) {
        if (like.matchesUnits(units(fold::apply(text(r), fold::Form::WithMarks))))
            apart.push_back(r);
    }
    return mergeRows(std::move(rows), apart);
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
    UnitFinder<std::uint8_t> places(all, withoutMarks);
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
            const qsizetype cp = at / kCheckpointEvery;
            const qsizetype from = cp * kCheckpointEvery >= k.start(r)
                ? qsizetype(k.checkpoint[size_t(cp)])
                : m_table.textStart(r);
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

// Whether literal (folded, marks kept) occurs in row's text where the byte at (a place of
// the literal without its marks) stands, its letter firstLetter on that byte's character.
bool TableSearch::marksMatchAt(int row, qsizetype at, std::u16string_view literal,
                               qsizetype firstLetter) const
{
    const Kept &k = *m_kept;
    const fold::Tables &ft = fold::tables();
    const auto *t = m_table.textUnits16();
    const qsizetype rowStart = m_table.textStart(row);
    const qsizetype rowEnd = m_table.textEnd(row);

    // Walk from the nearest checkpoint in the row to the character of byte at.
    qsizetype key = at / kCheckpointEvery * kCheckpointEvery;
    qsizetype o = 0;
    const qsizetype rowBytes = k.start(row);
    if (key >= rowBytes) {
        o = qsizetype(k.checkpoint[size_t(key / kCheckpointEvery)]);
    } else {
        key = rowBytes;
        o = rowStart;
    }
    for (; key < at; ++o)
        key += ft.kind[t[o]] == fold::Keep; // no branch: letters and marks alternate
    while (ft.kind[t[o]] != fold::Keep)
        ++o;

    // The marks before the first letter, back from it; ignored characters are skipped.
    qsizetype p = o;
    for (qsizetype j = firstLetter - 1; j >= 0; --j) {
        do {
            --p;
        } while (p >= rowStart && ft.kind[t[p]] == fold::Ignore);
        if (p < rowStart || ft.folded[t[p]] != literal[size_t(j)])
            return false;
    }
    p = o;
    for (size_t j = size_t(firstLetter); j < literal.size(); ++j) {
        while (p < rowEnd && ft.kind[t[p]] == fold::Ignore)
            ++p;
        if (p >= rowEnd || ft.folded[t[p]] != literal[j])
            return false;
        ++p;
    }
    return true;
}

} // namespace tembra
