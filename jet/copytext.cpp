#include "jet/copytext.h"

#include "base/utf8.h"

#include <algorithm>
#include <cstring>

namespace tembra::copytext {

namespace {

// Unescapes and decodes one field. The bytes between escapes are checked as strict UTF-8
// (see utf8::decode): a replacement character slipped in here would be written into the
// collection for good. A backslash never occurs inside a UTF-8 sequence, so the pieces
// between escapes are whole sequences or bad ones.
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

    for (const char *p = begin;;) {
        const auto *found = static_cast<const char *>(std::memchr(p, '\\', size_t(end - p)));
        const char *const stop = found ? found : end;
        if (std::memchr(p, '\r', size_t(stop - p)))
            return fail(QStringLiteral("raw carriage return (write it as \\r)"));
        if (std::memchr(p, '\0', size_t(stop - p)))
            return fail(QStringLiteral("NUL byte"));
        QString why;
        const qsizetype units = utf8::decode(p, stop, dst + n, &why);
        if (units < 0)
            return fail(why);
        n += units;
        if (stop == end)
            break;
        if (stop + 1 == end)
            return fail(QStringLiteral("lone backslash with nothing after it"));
        const auto next = static_cast<unsigned char>(stop[1]);
        char16_t c = 0;
        switch (next) {
        case 't': c = u'\t'; break;
        case 'n': c = u'\n'; break;
        case 'r': c = u'\r'; break;
        case '\\': c = u'\\'; break;
        case 'N': return fail(QStringLiteral("bad escape \"\\N\" (NULL must be the whole field)"));
        default:
            if (next < 0x20 || next >= 0x7F)
                return fail(QStringLiteral("bad escape (backslash before byte 0x%1)")
                                .arg(QString::number(next, 16).toUpper().rightJustified(
                                    2, QLatin1Char('0'))));
            return fail(QStringLiteral("bad escape \"\\%1\"").arg(QLatin1Char(char(next))));
        }
        dst[n++] = QChar(c);
        p = stop + 2;
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
