#include "jet/copytext.h"

#include <algorithm>
#include <cstring>

namespace tembra::copytext {

namespace {

bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

QString byteName(unsigned char b)
{
    return QLatin1String("0x")
        + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

// Unescapes and decodes one field in a single pass. The bytes are checked as strict
// UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) because a
// replacement character slipped in here would be written into the collection for good.
bool decodeField(const char *begin, const char *end, int fieldNumber, Field *out,
                 std::vector<QChar> *scratch, Error *error)
{
    const auto fail = [&](const QString &why) {
        return tembra::fail(error, Error::BadInput,
                            QStringLiteral("%1 in field %2").arg(why).arg(fieldNumber));
    };

    if (end - begin == 2 && begin[0] == '\\' && begin[1] == 'N') {
        out->reset();
        return true;
    }

    // Every byte yields at most one UTF-16 unit (a four-byte sequence yields two). The
    // units go to a scratch buffer first: sizing each string by its bytes would take
    // twice the memory Arabic text needs.
    if (scratch->size() < std::size_t(end - begin))
        scratch->resize(std::size_t(end - begin));
    QChar *dst = scratch->data();
    qsizetype n = 0;

    const auto *p = reinterpret_cast<const unsigned char *>(begin);
    const auto *const e = reinterpret_cast<const unsigned char *>(end);
    while (p < e) {
        const unsigned char b = *p;
        if (b < 0x80) {
            if (b == '\\') {
                if (p + 1 == e)
                    return fail(QStringLiteral("lone backslash with nothing after it"));
                char16_t c = 0;
                switch (p[1]) {
                case 't': c = u'\t'; break;
                case 'n': c = u'\n'; break;
                case 'r': c = u'\r'; break;
                case '\\': c = u'\\'; break;
                case 'N':
                    return fail(
                        QStringLiteral("bad escape \"\\N\" (NULL must be the whole field)"));
                default:
                    if (p[1] < 0x20 || p[1] >= 0x7F)
                        return fail(QStringLiteral("bad escape (backslash before byte %1)")
                                        .arg(byteName(p[1])));
                    return fail(QStringLiteral("bad escape \"\\%1\"").arg(QLatin1Char(char(p[1]))));
                }
                dst[n++] = QChar(c);
                p += 2;
                continue;
            }
            if (b == '\r')
                return fail(QStringLiteral("raw carriage return (write it as \\r)"));
            if (b == 0)
                return fail(QStringLiteral("NUL byte"));
            dst[n++] = QChar(char16_t(b));
            ++p;
            continue;
        }

        char32_t cp = 0;
        int extra = 0;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            cp = b & 0x1Fu;
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            cp = b & 0x0Fu;
            extra = 2;
            if (b == 0xE0)
                lo = 0xA0; // overlong
            else if (b == 0xED)
                hi = 0x9F; // UTF-16 surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            cp = b & 0x07u;
            extra = 3;
            if (b == 0xF0)
                lo = 0x90; // overlong
            else if (b == 0xF4)
                hi = 0x8F; // above U+10FFFF
        } else {
            return fail(QStringLiteral("invalid UTF-8 (byte %1)").arg(byteName(b)));
        }
        if (e - p <= extra)
            return fail(QStringLiteral("invalid UTF-8 (sequence cut short)"));
        if (p[1] < lo || p[1] > hi)
            return fail(QStringLiteral("invalid UTF-8 (byte %1 after %2)")
                            .arg(byteName(p[1]), byteName(b)));
        for (int i = 1; i <= extra; ++i) {
            if (!isContinuation(p[i]))
                return fail(QStringLiteral("invalid UTF-8 (byte %1 after %2)")
                                .arg(byteName(p[i]), byteName(b)));
            cp = (cp << 6) | (p[i] & 0x3Fu);
        }
        p += extra + 1;
        if (cp >= 0x10000) {
            dst[n++] = QChar(QChar::highSurrogate(cp));
            dst[n++] = QChar(QChar::lowSurrogate(cp));
        } else {
            dst[n++] = QChar(char16_t(cp));
        }
    }
    *out = QString(dst, n);
    return true;
}

// Appends value to line with the four escapes; the bytes are UTF-8 already.
void appendEscaped(QByteArray *line, const QByteArray &utf8)
{
    const char *p = utf8.constData();
    const char *const e = p + utf8.size();
    const char *run = p;
    for (; p < e; ++p) {
        char esc = 0;
        switch (*p) {
        case '\\': esc = '\\'; break;
        case '\t': esc = 't'; break;
        case '\n': esc = 'n'; break;
        case '\r': esc = 'r'; break;
        default: continue;
        }
        line->append(run, p - run);
        line->append('\\');
        line->append(esc);
        run = p + 1;
    }
    line->append(run, e - run);
}

bool parseLineWith(const QByteArray &line, Record *out, std::vector<QChar> *scratch, Error *error)
{
    const char *const begin = line.constData();
    const char *const end = begin + line.size();

    const auto tabs = std::count(begin, end, '\t');
    if (tabs != kColumnCount - 1)
        return fail(error, Error::BadInput,
                    QStringLiteral("expected %1 fields, found %2").arg(kColumnCount).arg(tabs + 1));

    Record record;
    const char *field = begin;
    for (int column = 0; column < kColumnCount; ++column) {
        const char *stop = column + 1 < kColumnCount
            ? static_cast<const char *>(std::memchr(field, '\t', size_t(end - field)))
            : end;
        if (!decodeField(field, stop, column + 1, &record.tab[column], scratch, error))
            return false;
        field = stop + 1;
    }
    *out = std::move(record);
    return true;
}

} // namespace

bool parseLine(const QByteArray &line, Record *out, Error *error)
{
    std::vector<QChar> scratch;
    return parseLineWith(line, out, &scratch, error);
}

bool parse(const QByteArray &data, std::vector<Record> *out, Error *error)
{
    const char *p = data.constData();
    const char *const end = p + data.size();

    std::vector<Record> records;
    records.reserve(size_t(std::count(p, end, '\n')) + 1);

    qsizetype lineNumber = 0;
    Error why;
    std::vector<QChar> scratch;
    while (p < end) {
        ++lineNumber;
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *stop = nl ? nl : end;
        // fromRawData: the line is only looked at, not kept, so it need not be copied.
        const QByteArray line = QByteArray::fromRawData(p, stop - p);
        Record record;
        if (!parseLineWith(line, &record, &scratch, &why))
            return fail(error, Error::BadInput,
                        QStringLiteral("line %1: %2").arg(lineNumber).arg(why.detail));
        records.push_back(std::move(record));
        p = nl ? nl + 1 : end;
    }

    if (out->empty()) {
        *out = std::move(records);
    } else {
        out->insert(out->end(), std::make_move_iterator(records.begin()),
                    std::make_move_iterator(records.end()));
    }
    return true;
}

QByteArray formatRecord(const Record &record)
{
    QByteArray line;
    qsizetype guess = 1;
    for (const Field &f : record.tab)
        guess += f ? f->size() * 2 + 1 : 3;
    line.reserve(guess);

    for (int column = 0; column < kColumnCount; ++column) {
        if (column > 0)
            line.append('\t');
        const Field &f = record.tab[column];
        if (!f)
            line.append("\\N", 2);
        else
            appendEscaped(&line, f->toUtf8());
    }
    line.append('\n');
    return line;
}

} // namespace tembra::copytext
