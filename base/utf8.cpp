#include "base/utf8.h"

namespace tembra::utf8 {

namespace {

QString byteName(unsigned char b)
{
    return QLatin1String("0x")
        + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

qsizetype decode(const char *begin, const char *end, QChar *out, QString *why)
{
    const auto bad = [&](const QString &what) {
        if (why)
            *why = QStringLiteral("invalid UTF-8 (%1)").arg(what);
        return qsizetype(-1);
    };
    const auto *p = reinterpret_cast<const unsigned char *>(begin);
    const auto *const e = reinterpret_cast<const unsigned char *>(end);
    qsizetype n = 0;
    const auto put = [&](char16_t unit) {
        if (out)
            out[n] = QChar(unit);
        ++n;
    };
    while (p < e) {
        const unsigned char b = *p;
        if (b < 0x80) {
            put(b);
            ++p;
            continue;
        }
        char32_t cp = 0;
        int extra = 0;
        unsigned char lo = 0x80, hi = 0xBF; // the allowed range of the second byte
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
            return bad(QStringLiteral("byte %1").arg(byteName(b)));
        }
        if (e - p <= extra)
            return bad(QStringLiteral("sequence cut short"));
        for (int i = 1; i <= extra; ++i) {
            const bool fits = i == 1 ? p[1] >= lo && p[1] <= hi : (p[i] & 0xC0) == 0x80;
            if (!fits)
                return bad(QStringLiteral("byte %1 after %2").arg(byteName(p[i]), byteName(b)));
            cp = (cp << 6) | (p[i] & 0x3Fu);
        }
        p += extra + 1;
        if (cp >= 0x10000) {
            put(QChar::highSurrogate(cp));
            put(QChar::lowSurrogate(cp));
        } else {
            put(char16_t(cp));
        }
    }
    return n;
}

} // namespace tembra::utf8
