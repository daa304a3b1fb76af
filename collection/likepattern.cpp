#include "collection/likepattern.h"

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

LikePattern::LikePattern(QStringView pattern)
{
    m_anchoredStart = !pattern.startsWith(u'%');
    m_anchoredEnd = !pattern.endsWith(u'%');
    const QString folded = foldCase(pattern);
    Segment seg;
    QString run;
    auto closeRun = [&] {
        if (run.size() > m_longestStore.size())
            m_longestStore = run;
        run.clear();
    };
    auto closeSegment = [&] {
        closeRun();
        if (!seg.units.isEmpty())
            m_segments.push_back(std::move(seg));
        seg = Segment();
    };
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const char16_t u = folded[i].unicode();
        if (u == u'%') {
            closeSegment();
        } else if (u == u'_') {
            closeRun();
            seg.units.append(QChar(u'_'));
            seg.any.push_back(true);
            ++seg.codePoints;
        } else {
            run.append(QChar(u));
            seg.units.append(QChar(u));
            seg.any.push_back(false);
            if (!(isLow(u) && i > 0 && isHigh(folded[i - 1].unicode())))
                ++seg.codePoints;
        }
    }
    closeSegment();
    m_longest = m_longestStore;
    qsizetype tail = 0;
    for (auto part = m_segments.rbegin(); part != m_segments.rend(); ++part) {
        tail += part->units.size();
        part->tail = tail;
    }
}

bool LikePattern::matchAt(const Segment &seg, QStringView text, qsizetype pos, qsizetype *end) const
{
    const qsizetype n = text.size();
    const char16_t *t = text.utf16();
    const char16_t *u = reinterpret_cast<const char16_t *>(seg.units.utf16());
    for (qsizetype i = 0; i < seg.units.size(); ++i) {
        if (pos >= n)
            return false;
        if (seg.any[i]) {
            pos += (isHigh(t[pos]) && pos + 1 < n && isLow(t[pos + 1])) ? 2 : 1;
        } else {
            if (t[pos] != u[i])
                return false;
            ++pos;
        }
    }
    *end = pos;
    return true;
}

qsizetype LikePattern::find(const Segment &seg, QStringView text, qsizetype from,
                            qsizetype *end) const
{
    qsizetype lead = 0;
    while (lead < seg.units.size() && !seg.any[lead])
        ++lead;
    if (lead > 0) {
        const QStringView literal = QStringView(seg.units).first(lead);
        for (qsizetype p = text.indexOf(literal, from); p >= 0; p = text.indexOf(literal, p + 1)) {
            if (text.size() - p < seg.tail)
                return -1; // too little text left for this part and the ones after it
            if (matchAt(seg, text, p, end))
                return p;
        }
        return -1;
    }
    const char16_t *t = text.utf16();
    for (qsizetype p = from; p < text.size() && text.size() - p >= seg.tail;
         p += (isHigh(t[p]) && p + 1 < text.size() && isLow(t[p + 1])) ? 2 : 1) {
        if (matchAt(seg, text, p, end))
            return p;
    }
    return -1;
}

bool LikePattern::matchesFolded(QStringView text) const
{
    if (m_segments.empty())
        return !(m_anchoredStart && m_anchoredEnd) || text.isEmpty();
    const qsizetype n = text.size();
    if (n < m_segments.front().tail)
        return false; // every literal unit and "_" needs at least one unit of text
    const char16_t *t = text.utf16();
    qsizetype pos = 0;
    qsizetype end = 0;
    for (size_t k = 0; k < m_segments.size(); ++k) {
        const Segment &seg = m_segments[k];
        const bool first = k == 0;
        const bool last = k + 1 == m_segments.size();
        if (first && m_anchoredStart) {
            if (!matchAt(seg, text, 0, &end))
                return false;
            if (last && m_anchoredEnd)
                return end == n;
        } else if (last && m_anchoredEnd) {
            // The last part must end the text; it spans a fixed number of characters,
            // so there is one place to try.
            qsizetype start = n;
            for (qsizetype c = 0; c < seg.codePoints && start > 0; ++c)
                start -= (start >= 2 && isLow(t[start - 1]) && isHigh(t[start - 2])) ? 2 : 1;
            return start >= pos && matchAt(seg, text, start, &end) && end == n;
        } else if (find(seg, text, pos, &end) < 0) {
            return false;
        }
        pos = end;
    }
    return true;
}

bool LikePattern::matches(QStringView text) const
{
    if (isFoldInvariant(text))
        return matchesFolded(text);
    return matchesFolded(foldCase(text));
}

} // namespace tembra
