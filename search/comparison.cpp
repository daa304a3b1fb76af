#include "search/comparison.h"

#include "search/likepattern.h"

#include <QChar>

#include <array>
#include <memory>

namespace tembra::fold {

namespace {

bool isMarkCode(char16_t u)
{
    return (u >= 0x0610 && u <= 0x061A) || (u >= 0x064B && u <= 0x065F) || u == 0x0670
        || (u >= 0x06D6 && u <= 0x06DC) || (u >= 0x06DF && u <= 0x06E4) || u == 0x06E7
        || u == 0x06E8 || (u >= 0x06EA && u <= 0x06ED);
}

// Tatweel stretches a letter and format characters (joiners, direction marks and
// isolates, soft hyphens, the byte-order mark) steer how text is drawn: neither is
// anything a reader would type to find a word. The category comes from Unicode's data so
// that no format character is left out.
bool isIgnoredCode(char32_t c)
{
    return c == 0x0640 || QChar::category(c) == QChar::Other_Format;
}

// Every space separator is a plain space, and a decimal digit of any script the ASCII
// digit of its value; anything else is left as it is.
char32_t spaceOrDigit(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Separator_Space: return U' ';
    case QChar::Number_DecimalDigit: return char32_t(U'0' + QChar::digitValue(c));
    default: return c;
    }
}

// The letters that one keyboard or another types for the same letter.
char16_t letterForm(char16_t u)
{
    switch (u) {
    case 0x06A9: return 0x0643; // Kurdish kaf -> Arabic kaf
    case 0x06CC: // Farsi yeh
    case 0x0649: return 0x064A; // alef maksura -> yeh
    case 0x06D5: // ae
    case 0x06BE: // heh doachashmee
    case 0x0629: return 0x0647; // teh marbuta -> heh
    case 0x0623: // alef with hamza above
    case 0x0625: // alef with hamza below
    case 0x0622: // alef with madda
    case 0x0671: return 0x0627; // alef wasla -> alef
    default: return u;
    }
}

// The folded units that get a byte of their own beyond ASCII, the commonest first:
// Arabic and Kurdish letters, digits, punctuation. Whatever is left over, down the
// Arabic block, takes the bytes that remain.
constexpr char16_t kByteUnits[] = {
    // Arabic letters (their folded forms only)
    0x0621, 0x0624, 0x0626, 0x0627, 0x0628, 0x062A, 0x062B, 0x062C, 0x062D, 0x062E, 0x062F, 0x0630,
    0x0631, 0x0632, 0x0633, 0x0634, 0x0635, 0x0636, 0x0637, 0x0638, 0x0639, 0x063A, 0x0641, 0x0642,
    0x0643, 0x0644, 0x0645, 0x0646, 0x0647, 0x0648, 0x064A,
    // Kurdish and Persian letters
    0x067E, 0x0686, 0x0698, 0x0695, 0x06A4, 0x06AF, 0x06B5, 0x06C6, 0x06CE, 0x06C7, 0x06C8, 0x06CB,
    0x06C9, 0x06CA, 0x06BA, 0x06C1, 0x06D2, 0x06D3, 0x0679, 0x0688, 0x0691,
    // digits and punctuation
    // punctuation (digits and spaces fold to ASCII)
    0x060C, 0x061B, 0x061F, 0x066A, 0x066B, 0x066C, 0x066D, 0x06D4, 0x06DD, 0x06DE, 0x00AB, 0x00BB,
    0x2013, 0x2014, 0x2018, 0x2019, 0x201C, 0x201D, 0x2026, 0x00B7, 0x2022, 0xFDFA, 0xFD3E, 0xFD3F};

} // namespace

Tables::Tables() : folded{}, kind{}, byte{}, rawByte{}, markIndex{}
{
    std::uint8_t bit = 0;
    for (char16_t u = 0x0600; u < 0x0700; ++u) {
        if (isMarkCode(u))
            markIndex[u - 0x0600] = ++bit; // 52 marks: they fit a MarkSet
    }
    for (char32_t c = 0; c < 0x10000; ++c) {
        const auto u = char16_t(c);
        if (isIgnoredCode(c))
            kind[c] = Ignore;
        else if (isMarkCode(u))
            kind[c] = Mark;
        char16_t f = letterForm(u);
        if (!QChar::isSurrogate(c)) {
            f = char16_t(spaceOrDigit(f));
            const char32_t caseFolded = QChar::toCaseFolded(char32_t(f));
            if (!QChar::requiresSurrogates(caseFolded))
                f = char16_t(caseFolded);
        }
        folded[c] = f;
    }

    // ASCII stands for itself; the capitals never occur folded, so their bytes and
    // those above 0x7F go to the units listed, then down the rest of the Arabic block.
    // Byte 0 is kept for "none" (so U+0000 has none).
    std::vector<std::uint8_t> free;
    for (int b = 'A'; b <= 'Z'; ++b)
        free.push_back(std::uint8_t(b));
    for (int b = 0x80; b <= 0xFF; ++b)
        free.push_back(std::uint8_t(b));
    for (int a = 1; a < 0x80; ++a) {
        if (a < 'A' || a > 'Z')
            byte[size_t(a)] = std::uint8_t(a);
    }
    size_t next = 0;
    const auto give = [&](char16_t u) {
        if (next < free.size() && byte[u] == 0 && kind[u] == Keep && folded[u] == u)
            byte[u] = free[next++];
    };
    for (const char16_t u : kByteUnits)
        give(u);
    for (char16_t u = 0x0600; u < 0x0700; ++u)
        give(u);

    for (char32_t c = 0; c < 0x10000; ++c)
        rawByte[c] = byte[folded[c]];
}

const Tables &tables()
{
    static const auto t = std::make_unique<const Tables>();
    return *t;
}

bool hasMarks(QStringView text)
{
    for (const QChar c : text) {
        if (isMarkCode(c.unicode()))
            return true;
    }
    return false;
}

MarkSet markBit(char16_t u)
{
    if ((u >> 8) != 0x06)
        return 0;
    const std::uint8_t index = tables().markIndex[u & 0xFF];
    return index ? MarkSet(1) << (index - 1) : 0;
}

namespace {

// One pass: each character folded, or set aside (ignored), or, for a mark, added to the
// marks of the letter before it when they are wanted (marks given).
QString foldLetters(QStringView text, std::vector<qsizetype> *positions, Marked *marks)
{
    meter::count(text.size());
    if (positions)
        positions->clear();
    const Tables &t = tables();
    const char16_t *d = text.utf16();
    const qsizetype n = text.size();
    QString out(n, Qt::Uninitialized); // never longer than the text
    auto *w = reinterpret_cast<char16_t *>(out.data());
    qsizetype used = 0;
    MarkSet run = 0; // the marks after the last letter
    const auto endRun = [&] {
        if (!marks)
            return;
        if (used == 0)
            marks->lead = run;
        else
            marks->marks[size_t(used - 1)] = run;
        run = 0;
    };
    if (marks)
        marks->marks.assign(size_t(n), 0);
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = d[i];
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(d[i + 1])) {
            const char32_t c = QChar::surrogateToUcs4(u, d[i + 1]);
            ++i;
            if (isIgnoredCode(c))
                continue;
            endRun();
            // Its case folded as a whole: a pair folds to a pair (Unicode folds no
            // character out of its plane; if one ever did, it would stay as it is). A
            // digit becomes its ASCII digit.
            char32_t folded = spaceOrDigit(c);
            if (folded == c) {
                folded = QChar::toCaseFolded(c);
                if (!QChar::requiresSurrogates(folded))
                    folded = c;
            }
            if (QChar::requiresSurrogates(folded)) {
                w[used++] = QChar::highSurrogate(folded);
                w[used++] = QChar::lowSurrogate(folded);
                if (positions)
                    positions->insert(positions->end(), 2, i - 1);
            } else {
                w[used++] = char16_t(folded);
                if (positions)
                    positions->push_back(i - 1);
            }
            continue;
        }
        const std::uint8_t kind = t.kind[u];
        if (kind == Ignore)
            continue;
        if (kind == Mark) {
            if (marks)
                run |= markBit(u);
            continue;
        }
        endRun();
        w[used++] = t.folded[u];
        if (positions)
            positions->push_back(i);
    }
    endRun();
    out.truncate(used);
    if (marks)
        marks->marks.resize(size_t(used));
    return out;
}

} // namespace

QString apply(QStringView text, Form form, std::vector<qsizetype> *positions)
{
    if (form != Form::CaseOnly)
        return foldLetters(text, positions, nullptr);
    meter::count(text.size());
    if (positions) {
        positions->clear();
        for (qsizetype i = 0; i < text.size(); ++i)
            positions->push_back(i);
    }
    return foldCase(text);
}

Marked marked(QStringView text, std::vector<qsizetype> *positions)
{
    Marked out;
    out.letters = foldLetters(text, positions, &out);
    return out;
}

Form formFor(QStringView pattern, Comparison comparison)
{
    if (comparison == Comparison::Exact)
        return Form::CaseOnly;
    if (hasMarks(pattern))
        return Form::WithMarks; // a mark is something to compare
    const auto onlyPercent = [](QStringView s) {
        for (const QChar c : s) {
            if (c != u'%')
                return false;
        }
        return true;
    };
    if (onlyPercent(apply(pattern, Form::NoMarks)) && !onlyPercent(pattern))
        return Form::CaseOnly;
    return Form::NoMarks;
}

} // namespace tembra::fold
