#include "search/likepattern.h"

#include <algorithm>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TEMBRA_X86 1
#endif

namespace tembra {

namespace {

bool isHigh(char16_t u)
{
    return u >= 0xD800 && u < 0xDC00;
}
bool isLow(char16_t u)
{
    return u >= 0xDC00 && u < 0xE000;
}

// Letters below 'A', the Arabic blocks and general punctuation (the marks U+200C and
// U+200F among them) have no case: most hadith text never needs a table lookup.
bool caselessUnit(char16_t u)
{
    return u < 0x41 || (u >= 0x0600 && u < 0x0700) || (u >= 0x2000 && u < 0x2070)
        || (u >= 0xFB50 && u < 0xFF00);
}

// Written without an early exit so that the compiler can check many units at once.
bool allCaseless(const char16_t *d, qsizetype n)
{
    bool all = true;
    for (qsizetype i = 0; i < n; ++i)
        all &= caselessUnit(d[i]);
    return all;
}

} // namespace

QString foldCase(QStringView text)
{
    QString out = text.toString();
    auto *d = reinterpret_cast<char16_t *>(out.data());
    const qsizetype n = out.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = d[i];
        if (caselessUnit(u))
            continue;
        if (isHigh(u) && i + 1 < n && isLow(d[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(u, d[i + 1]));
            if (QChar::requiresSurrogates(folded)) {
                d[i] = QChar::highSurrogate(folded);
                d[i + 1] = QChar::lowSurrogate(folded);
            }
            ++i;
            continue;
        }
        const char32_t folded = QChar::toCaseFolded(char32_t(u));
        if (!QChar::requiresSurrogates(folded))
            d[i] = char16_t(folded);
    }
    return out;
}

bool isFoldInvariant(QStringView text)
{
    const char16_t *d = text.utf16();
    const qsizetype n = text.size();
    if (allCaseless(d, n))
        return true;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = d[i];
        if (caselessUnit(u))
            continue;
        if (isHigh(u) && i + 1 < n && isLow(d[i + 1])) {
            const char32_t c = QChar::surrogateToUcs4(u, d[i + 1]);
            if (QChar::toCaseFolded(c) != c)
                return false;
            ++i;
        } else if (QChar::toCaseFolded(char32_t(u)) != u) {
            return false;
        }
    }
    return true;
}

namespace {

template <typename Unit> bool equalUnits(const Unit *a, const Unit *b, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

template <typename Unit>
qsizetype findScalar(const Unit *h, qsizetype hn, const Unit *nd, qsizetype nn, qsizetype from)
{
    for (qsizetype p = from; p + nn <= hn; ++p) {
        if (h[p] == nd[0] && h[p + nn - 1] == nd[nn - 1] && equalUnits(h + p, nd, nn))
            return p;
    }
    return -1;
}

#ifdef TEMBRA_X86
// Compares the needle's first and last units against 32 bytes of the text at once and
// checks the whole needle only where both agree: for Arabic text that is rare enough
// that the scan runs at memory speed.
template <typename Unit>
__attribute__((target("avx2"))) qsizetype findAvx2(const Unit *h, qsizetype hn, const Unit *nd,
                                                   qsizetype nn, qsizetype from)
{
    constexpr qsizetype lanes = 32 / sizeof(Unit);
    __m256i first, last;
    if constexpr (sizeof(Unit) == 1) {
        first = _mm256_set1_epi8(static_cast<char>(nd[0]));
        last = _mm256_set1_epi8(static_cast<char>(nd[nn - 1]));
    } else {
        first = _mm256_set1_epi16(static_cast<short>(nd[0]));
        last = _mm256_set1_epi16(static_cast<short>(nd[nn - 1]));
    }
    qsizetype p = from;
    for (; p + nn - 1 + lanes <= hn; p += lanes) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h + p));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h + p + nn - 1));
        __m256i eq;
        if constexpr (sizeof(Unit) == 1)
            eq = _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last));
        else
            eq = _mm256_and_si256(_mm256_cmpeq_epi16(a, first), _mm256_cmpeq_epi16(b, last));
        auto mask = static_cast<unsigned>(_mm256_movemask_epi8(eq));
        while (mask) {
            const int bit = __builtin_ctz(mask);
            const qsizetype at = p + bit / qsizetype(sizeof(Unit));
            if (equalUnits(h + at + 1, nd + 1, nn - 2 > 0 ? nn - 2 : 0))
                return at;
            mask &= sizeof(Unit) == 1 ? ~(1u << bit) : ~(3u << bit);
        }
    }
    return findScalar(h, hn, nd, nn, p);
}

// The block of 32 bytes at h: a bit (per byte) set where a unit equals the needle's first
// unit and the unit nn - 1 further on its last.
template <typename Unit>
__attribute__((target("avx2"))) std::uint32_t blockMask(const Unit *h, Unit first, Unit last,
                                                        qsizetype nn)
{
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h + nn - 1));
    __m256i eq;
    if constexpr (sizeof(Unit) == 1)
        eq = _mm256_and_si256(_mm256_cmpeq_epi8(a, _mm256_set1_epi8(static_cast<char>(first))),
                              _mm256_cmpeq_epi8(b, _mm256_set1_epi8(static_cast<char>(last))));
    else
        eq = _mm256_and_si256(_mm256_cmpeq_epi16(a, _mm256_set1_epi16(static_cast<short>(first))),
                              _mm256_cmpeq_epi16(b, _mm256_set1_epi16(static_cast<short>(last))));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(eq));
}

bool haveAvx2()
{
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}
#endif

template <typename Unit>
qsizetype findIn(std::basic_string_view<Unit> haystack, std::basic_string_view<Unit> needle,
                 qsizetype from)
{
    const auto nn = qsizetype(needle.size());
    const auto hn = qsizetype(haystack.size());
    if (from < 0)
        from = 0;
    if (nn == 0)
        return from <= hn ? from : -1;
    qsizetype at = -1;
#ifdef TEMBRA_X86
    if (haveAvx2())
        at = findAvx2(haystack.data(), hn, needle.data(), nn, from);
    else
#endif
        at = findScalar(haystack.data(), hn, needle.data(), nn, from);
    meter::count((at < 0 ? hn : at) - from + 1);
    return at;
}

// How many units the character at pos takes: two for a surrogate pair in UTF-16.
template <typename Unit> qsizetype charAt(const Unit *t, qsizetype pos, qsizetype n)
{
    if constexpr (sizeof(Unit) == 2)
        return (isHigh(t[pos]) && pos + 1 < n && isLow(t[pos + 1])) ? 2 : 1;
    else
        return 1;
}

} // namespace

qsizetype findUnits(std::u16string_view haystack, std::u16string_view needle, qsizetype from)
{
    return findIn(haystack, needle, from);
}

qsizetype findUnits(std::string_view haystack, std::string_view needle, qsizetype from)
{
    return findIn(haystack, needle, from);
}

#ifdef TEMBRA_X86
namespace {

// findAvx2's loop for places up to last, in a text that may be read up to hn: -1 if none is
// there, and -2 where the last few places are left to look at from *stop.
__attribute__((target("avx2"))) qsizetype findAvx2Within(const char *h, qsizetype hn,
                                                         const char *nd, qsizetype nn,
                                                         qsizetype from, qsizetype last,
                                                         qsizetype *stop)
{
    constexpr qsizetype lanes = 32;
    const __m256i first = _mm256_set1_epi8(nd[0]);
    const __m256i lastUnit = _mm256_set1_epi8(nd[nn - 1]);
    qsizetype p = from;
    for (; p <= last && p + nn - 1 + lanes <= hn; p += lanes) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h + p));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(h + p + nn - 1));
        auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, lastUnit))));
        if (last - p < lanes - 1)
            mask &= (std::uint32_t(2) << (last - p)) - 1; // none past the last place
        while (mask) {
            const int bit = __builtin_ctz(mask);
            mask &= mask - 1;
            if (equalUnits(h + p + bit + 1, nd + 1, nn - 2 > 0 ? nn - 2 : 0))
                return p + bit;
        }
    }
    *stop = p;
    return p > last ? -1 : -2;
}

} // namespace
#endif

qsizetype findUnitsWithin(std::string_view haystack, std::string_view needle, qsizetype from,
                          qsizetype to)
{
    const auto nn = qsizetype(needle.size());
    const auto hn = qsizetype(haystack.size());
    to = std::min(to, hn);
    if (nn == 0 || from < 0 || to - from < nn)
        return nn == 0 && from >= 0 && from <= to ? from : -1;
    meter::count(to - from);
#ifdef TEMBRA_X86
    if (haveAvx2()) {
        qsizetype stop = from;
        const qsizetype at
            = findAvx2Within(haystack.data(), hn, needle.data(), nn, from, to - nn, &stop);
        if (at != -2)
            return at;
        from = stop;
    }
#endif
    return findScalar(haystack.data(), to, needle.data(), nn, from);
}

template <typename Unit>
UnitFinder<Unit>::UnitFinder(View haystack, View needle) : m_haystack(haystack), m_needle(needle)
{
#ifdef TEMBRA_X86
    m_vector = haveAvx2() && !needle.empty();
#endif
}

template <typename Unit> qsizetype UnitFinder<Unit>::next(qsizetype from)
{
    constexpr qsizetype lanes = 32 / sizeof(Unit);
    const Unit *h = m_haystack.data();
    const Unit *nd = m_needle.data();
    const auto hn = qsizetype(m_haystack.size());
    const auto nn = qsizetype(m_needle.size());
    if (from < 0)
        from = 0;
    for (;;) {
        if (m_block >= 0 && from < m_block + lanes) {
            if (from > m_block) // the places before from are not wanted
                m_mask &= ~std::uint32_t(0) << ((from - m_block) * qsizetype(sizeof(Unit)));
            while (m_mask) {
                const int bit = __builtin_ctz(m_mask);
                m_mask &= sizeof(Unit) == 1 ? ~(1u << bit) : ~(3u << bit);
                const qsizetype at = m_block + bit / qsizetype(sizeof(Unit));
                if (equalUnits(h + at + 1, nd + 1, nn - 2 > 0 ? nn - 2 : 0))
                    return at;
            }
            from = m_block + lanes;
        }
        m_block = -1;
        if (!m_vector || from + nn - 1 + lanes > hn)
            return findIn(m_haystack, m_needle, from); // the last few units
#ifdef TEMBRA_X86
        m_block = from;
        m_mask = blockMask(h + from, nd[0], nd[nn - 1], nn);
#endif
    }
}

template class UnitFinder<char16_t>;
template class UnitFinder<char>;

template <typename Unit>
BasicLikePattern<Unit>::BasicLikePattern(View pattern, const Frequency &frequency)
{
    build(pattern, frequency, nullptr);
}

template <typename Unit>
BasicLikePattern<Unit>::BasicLikePattern(View pattern, const Frequency &frequency,
                                         const std::vector<MarkSet> &marks)
{
    build(pattern, frequency, &marks);
}

template <typename Unit>
void BasicLikePattern<Unit>::build(View pattern, const Frequency &frequency,
                                   const std::vector<MarkSet> *marks)
{
    const auto marksAfter = [marks](size_t i) { // i + 1 for those after unit i
        return marks && i < marks->size() ? (*marks)[i] : MarkSet(0);
    };
    // Marks typed before a "%" at the start, or after one at the end, ask for a letter
    // there: such a pattern is anchored.
    m_anchoredStart = pattern.empty() || pattern.front() != Unit('%') || marksAfter(0) != 0;
    m_anchoredEnd
        = pattern.empty() || pattern.back() != Unit('%') || marksAfter(pattern.size()) != 0;
    std::vector<Segment> parts;
    Segment seg;
    seg.lead = marksAfter(0);
    const auto close = [&parts, &seg] {
        seg.marked = seg.lead != 0
            || std::find_if(seg.marks.begin(), seg.marks.end(), [](MarkSet m) { return m != 0; })
                != seg.marks.end();
        // Marks alone asked for again right after the same marks alone ("%َ%َ") are met
        // where the first are: the letter that carries them carries them for both.
        const bool again = seg.units.empty() && !parts.empty() && parts.back().units.empty()
            && parts.back().lead == seg.lead;
        if ((!seg.units.empty() || seg.lead != 0) && !again)
            parts.push_back(std::move(seg));
        seg = Segment();
    };
    for (size_t i = 0; i < pattern.size(); ++i) {
        const Unit u = pattern[i];
        if (u == Unit('%')) {
            close();
            seg.lead = marksAfter(i + 1);
            continue;
        }
        seg.units.push_back(u);
        // Kept only for a part with marks: a long pattern has many parts.
        if (const MarkSet typed = marksAfter(i + 1); typed != 0) {
            seg.marks.resize(seg.units.size());
            seg.marks.back() = typed;
        } else if (!seg.marks.empty()) {
            seg.marks.push_back(0);
        }
        if (u == Unit('_')) {
            seg.any.push_back(true);
            ++seg.characters;
        } else {
            seg.any.push_back(false);
            bool second = false; // the low half of a surrogate pair
            if constexpr (sizeof(Unit) == 2)
                second = isLow(u) && i > 0 && isHigh(pattern[i - 1]);
            if (!second)
                ++seg.characters;
        }
    }
    close();
    for (const Segment &part : parts)
        m_marked = m_marked || part.marked;

    // A part of "_" alone between two "%" only asks for so many characters somewhere: it
    // joins the part before it (or the one after), so that "%_%_%_%" is one part of three.
    // Not with marks: those ask for letters that carry them, wherever they are.
    const auto join = [](Segment *to, const Segment &from, bool before) {
        if (before) {
            to->units.insert(0, from.units);
            to->any.insert(to->any.begin(), from.any.begin(), from.any.end());
            to->marks.insert(to->marks.begin(), from.marks.begin(), from.marks.end());
        } else {
            to->units += from.units;
            to->any.insert(to->any.end(), from.any.begin(), from.any.end());
            to->marks.insert(to->marks.end(), from.marks.begin(), from.marks.end());
        }
        to->characters += from.characters;
    };
    Segment pending;
    for (size_t k = 0; k < parts.size(); ++k) {
        Segment &part = parts[k];
        const bool onlyAny
            = !part.marked && std::find(part.any.begin(), part.any.end(), false) == part.any.end();
        const bool startsText = k == 0 && m_anchoredStart;
        const bool endsText = k + 1 == parts.size() && m_anchoredEnd;
        if (onlyAny && !startsText && !endsText
            && (m_segments.empty() || !m_segments.back().marked)) {
            join(m_segments.empty() ? &pending : &m_segments.back(), part, false);
            continue;
        }
        if (!pending.units.empty()) {
            if (endsText || part.marked)
                m_segments.push_back(std::move(pending));
            else
                join(&part, pending, true);
            pending = Segment();
        }
        m_segments.push_back(std::move(part));
    }
    if (!pending.units.empty())
        m_segments.push_back(std::move(pending));

    const Piece *key = nullptr;
    for (Segment &part : m_segments) {
        for (size_t i = 0; i < part.units.size();) {
            if (part.any[i]) {
                ++i;
                continue;
            }
            Piece piece;
            piece.offset = qsizetype(i);
            for (; i < part.units.size() && !part.any[i]; ++i) {
                piece.units.push_back(part.units[i]);
                piece.rarity *= frequency ? std::clamp(frequency(part.units[i]), 1e-9, 1.0) : 0.05;
            }
            part.pieces.push_back(std::move(piece));
        }
        std::stable_sort(part.pieces.begin(), part.pieces.end(),
                         [](const Piece &a, const Piece &b) { return a.rarity < b.rarity; });
    }
    for (const Segment &part : m_segments) {
        if (!part.pieces.empty() && (!key || part.pieces.front().rarity < key->rarity))
            key = &part.pieces.front();
    }
    if (key)
        m_key = key->units;
    qsizetype tail = 0;
    for (auto part = m_segments.rbegin(); part != m_segments.rend(); ++part) {
        tail += qsizetype(part->units.size());
        part->tail = tail;
    }
}

template <typename Unit>
BasicLikePattern<Unit>::Subject::Subject(View text) : units(text), fixed(fixedWidth(text))
{ }

template <typename Unit>
BasicLikePattern<Unit>::Subject::Subject(View text, const MarkSet *textMarks, MarkSet marksBefore,
                                         bool letterBefore)
    : units(text),
      marks(textMarks),
      before(marksBefore),
      beforeIsLetter(letterBefore),
      withMarks(true),
      fixed(fixedWidth(text))
{ }

template <typename Unit> bool BasicLikePattern<Unit>::fixedWidth(View text)
{
    meter::count(qsizetype(text.size()));
    if constexpr (sizeof(Unit) == 1) {
        Q_UNUSED(text);
        return true;
    } else {
        // Written without an early exit so that the compiler can check many units at once.
        bool none = true;
        for (const Unit u : text)
            none &= u < 0xD800 || u >= 0xE000;
        return none;
    }
}

// The marks of a part placed at [start, end) of the text: those typed before it with the
// letter before start, those typed after each unit with the text's after that unit.
template <typename Unit>
bool BasicLikePattern<Unit>::marksAgree(const Segment &seg, const Subject &text,
                                        qsizetype start) const
{
    if (seg.lead != 0) {
        if (start > 0                 ? !fold::marksAgree(seg.lead, text.marks[start - 1])
                : text.beforeIsLetter ? !fold::marksAgree(seg.lead, text.before)
                                      : !fold::marksAgreeAtStart(seg.lead, text.before))
            return false;
    }
    if (seg.marks.empty())
        return true; // marks only before it
    const MarkSet *typed = seg.marks.data();
    const qsizetype count = qsizetype(seg.units.size());
    if (text.fixed) {
        const MarkSet *stored = text.marks + start;
        for (qsizetype j = 0; j < count; ++j) {
            if (!fold::marksAgree(typed[j], stored[j]))
                return false;
        }
        return true;
    }
    // "_" may have taken a pair: the marks of a character are on its last unit
    const Unit *t = text.units.data();
    const auto n = qsizetype(text.units.size());
    qsizetype pos = start;
    for (qsizetype j = 0; j < count; ++j) {
        const qsizetype width = seg.any[size_t(j)] ? charAt(t, pos, n) : 1;
        if (!fold::marksAgree(typed[j], text.marks[pos + width - 1]))
            return false;
        pos += width;
    }
    return true;
}

template <typename Unit>
bool BasicLikePattern<Unit>::matchAt(const Segment &seg, const Subject &subject, qsizetype pos,
                                     qsizetype *end) const
{
    const View text = subject.units;
    const auto n = qsizetype(text.size());
    const Unit *t = text.data();
    const auto width = qsizetype(seg.units.size());
    meter::count(width + 1);
    qsizetype stop = pos;
    if (subject.fixed) {
        if (pos < 0 || n - pos < width)
            return false;
        for (const Piece &piece : seg.pieces) {
            if (!equalUnits(t + pos + piece.offset, piece.units.data(),
                            qsizetype(piece.units.size())))
                return false;
        }
        stop = pos + width;
    } else {
        const Unit *u = seg.units.data();
        for (size_t i = 0; i < seg.units.size(); ++i) {
            if (stop >= n)
                return false;
            if (seg.any[i]) {
                stop += charAt(t, stop, n);
            } else {
                if (t[stop] != u[i])
                    return false;
                ++stop;
            }
        }
    }
    if (seg.marked && subject.withMarks && !marksAgree(seg, subject, pos))
        return false;
    *end = stop;
    return true;
}

template <typename Unit>
qsizetype BasicLikePattern<Unit>::find(const Segment &seg, const Subject &subject, qsizetype from,
                                       qsizetype *end) const
{
    const View text = subject.units;
    const auto n = qsizetype(text.size());
    const bool marks = seg.marked && subject.withMarks;
    if (seg.pieces.empty()) {
        // Only "_", or only marks: without marks to compare, the first place is as good as
        // any; with them, each place in turn.
        if (!marks && subject.fixed)
            return n - from >= seg.tail && matchAt(seg, subject, from, end) ? from : -1;
        for (qsizetype p = from; n - p >= seg.tail; p += p < n ? charAt(text.data(), p, n) : 1) {
            if (matchAt(seg, subject, p, end))
                return p;
        }
        return -1;
    }
    if (subject.fixed) {
        // Where the rarest run occurs, the part starts a fixed distance before it.
        const Piece &key = seg.pieces.front();
        const View literal(key.units);
        for (qsizetype p = findIn(text, literal, from + key.offset); p >= 0;
             p = findIn(text, literal, p + 1)) {
            const qsizetype start = p - key.offset;
            if (n - start < seg.tail)
                return -1; // too little text left for this part and the ones after it
            if (matchAt(seg, subject, start, end))
                return start;
        }
        return -1;
    }
    size_t lead = 0;
    while (lead < seg.units.size() && !seg.any[lead])
        ++lead;
    if (lead > 0) {
        const View literal(seg.units.data(), lead);
        for (qsizetype p = findIn(text, literal, from); p >= 0; p = findIn(text, literal, p + 1)) {
            if (n - p < seg.tail)
                return -1;
            if (matchAt(seg, subject, p, end))
                return p;
        }
        return -1;
    }
    for (qsizetype p = from; p < n && n - p >= seg.tail; p += charAt(text.data(), p, n)) {
        if (matchAt(seg, subject, p, end))
            return p;
    }
    return -1;
}

template <typename Unit> bool BasicLikePattern<Unit>::matches(const Subject &subject) const
{
    const View text = subject.units;
    if (m_segments.empty())
        return !(m_anchoredStart && m_anchoredEnd) || text.empty();
    const auto n = qsizetype(text.size());
    if (n < m_segments.front().tail)
        return false; // every literal unit and "_" needs at least one unit of text
    const Unit *t = text.data();
    qsizetype pos = 0;
    qsizetype end = 0;
    for (size_t k = 0; k < m_segments.size(); ++k) {
        const Segment &seg = m_segments[k];
        const bool first = k == 0;
        const bool last = k + 1 == m_segments.size();
        if (first && m_anchoredStart) {
            if (!matchAt(seg, subject, 0, &end))
                return false;
            if (last && m_anchoredEnd)
                return end == n;
        } else if (last && m_anchoredEnd) {
            // The last part must end the text; it spans a fixed number of characters,
            // so there is one place to try.
            qsizetype start = n;
            if (subject.fixed) {
                start = n - qsizetype(seg.units.size());
            } else {
                for (qsizetype c = 0; c < seg.characters && start > 0; ++c) {
                    bool pair = false;
                    if constexpr (sizeof(Unit) == 2)
                        pair = start >= 2 && isLow(t[start - 1]) && isHigh(t[start - 2]);
                    start -= pair ? 2 : 1;
                }
            }
            return start >= pos && matchAt(seg, subject, start, &end) && end == n;
        } else if (find(seg, subject, pos, &end) < 0) {
            return false;
        }
        pos = end;
    }
    return true;
}

// Each part is taken where it first occurs after the one before it: if the parts after
// the first cannot follow its first occurrence, they cannot follow a later one either.
// (Marks change nothing here: a part's marks are those of the text where it stands.)
template <typename Unit>
qsizetype BasicLikePattern<Unit>::findFirst(const Subject &subject, qsizetype from,
                                            qsizetype *end) const
{
    if (m_segments.empty())
        return -1;
    qsizetype pos = from;
    qsizetype start = -1;
    for (const Segment &seg : m_segments) {
        const qsizetype at = find(seg, subject, pos, &pos);
        if (at < 0)
            return -1;
        if (start < 0)
            start = at;
    }
    *end = pos;
    return start;
}

template class BasicLikePattern<char16_t>;
template class BasicLikePattern<char>;

std::vector<fold::MarkSet> patternMarks(const fold::Marked &marked)
{
    std::vector<fold::MarkSet> marks;
    marks.reserve(marked.marks.size() + 1);
    marks.push_back(marked.lead);
    marks.insert(marks.end(), marked.marks.begin(), marked.marks.end());
    return marks;
}

BasicLikePattern<char16_t> comparedPattern(QStringView typed, fold::Form form,
                                           const BasicLikePattern<char16_t>::Frequency &frequency)
{
    if (form != fold::Form::WithMarks)
        return BasicLikePattern<char16_t>(LikePattern::units(fold::apply(typed, form)), frequency);
    const fold::Marked folded = fold::marked(typed);
    return BasicLikePattern<char16_t>(LikePattern::units(folded.letters), frequency,
                                      patternMarks(folded));
}

LikePattern::LikePattern(QStringView pattern, const Frequency &frequency)
    : BasicLikePattern(units(foldCase(pattern)), frequency)
{ }

bool LikePattern::matches(QStringView text) const
{
    if (isFoldInvariant(text))
        return matchesFolded(text);
    return matchesFolded(foldCase(text));
}

} // namespace tembra
