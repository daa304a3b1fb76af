#include "base/cuttext.h"

namespace tembra {

namespace {

constexpr char16_t kEllipsis = u'\u2026';
constexpr char16_t kPopIsolate = u'\u2069';

bool opensIsolate(char16_t c)
{
    return c == u'\u2066' || c == u'\u2067' || c == u'\u2068'; // LRI, RLI, FSI
}

// The isolates still open at the end of text[0, size).
int openIsolates(QStringView text)
{
    int open = 0;
    for (const QChar c : text) {
        if (opensIsolate(c.unicode()))
            ++open;
        else if (c.unicode() == kPopIsolate && open > 0)
            --open;
    }
    return open;
}

} // namespace

QString cutText(const QString &text, qsizetype maxUnits)
{
    if (text.size() <= maxUnits)
        return text;
    if (maxUnits <= 0)
        return {};
    // Room for the "…" and a closing mark for each isolate left open; keeping less can
    // only leave fewer open, so this ends.
    qsizetype keep = maxUnits - 1;
    int open = 0;
    for (;;) {
        if (keep > 0 && QChar::isHighSurrogate(text.at(keep - 1).unicode()))
            --keep;
        open = openIsolates(QStringView(text).left(keep));
        if (keep + 1 + open <= maxUnits || keep == 0)
            break;
        keep = maxUnits - 1 - open;
        if (keep < 0)
            keep = 0;
    }
    QString cut = text.left(keep);
    cut.append(QChar(kEllipsis));
    cut.append(QString(open, QChar(kPopIsolate)));
    return cut;
}

QString cutForShowing(const QString &text)
{
    QString shown;
    qsizetype from = 0;
    for (int line = 0;; ++line) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        if (line == kShownLines - 1 && end >= 0) {
            shown += QChar(kEllipsis); // the lines after these
            break;
        }
        const QString whole = text.mid(from, end < 0 ? -1 : end - from);
        shown += cutText(whole, kShownLineUnits);
        if (end < 0)
            break;
        shown += QLatin1Char('\n');
        from = end + 1;
    }
    return shown;
}

} // namespace tembra
