#include "bookmarks/markdown.h"

#include "base/texts.h"
#include "base/utf8.h"
#include "search/citation.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>

namespace tembra::markdown {

namespace {

const QByteArray kFirstLine = "<!-- tembra-bookmarks 1 -->";
const QByteArray kRecordStart = "<!-- tembra-bookmark ";
const QByteArray kEndStart = "<!-- tembra-bookmarks-end ";
const QByteArray kCommentEnd = " -->";

const char *const kKeys[]
    = {"book", "number", "digest", "heading", "text", "note", "created", "updated"};

// A line of text as Markdown shows it as it is: every ASCII punctuation character
// escaped (CommonMark lets any of them be), and the spaces it opens with kept as spaces
// that do not make it a block of code.
QString escaped(QStringView line)
{
    QString out;
    out.reserve(line.size() + 8);
    qsizetype i = 0;
    for (; i < line.size() && (line[i] == u' ' || line[i] == u'\t'); ++i)
        out += QChar(0x00A0);
    for (; i < line.size(); ++i) {
        const char16_t c = line[i].unicode();
        const bool punctuation = (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40)
            || (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
        if (punctuation)
            out += QLatin1Char('\\');
        out += QChar(c);
    }
    return out;
}

// Lines, each escaped, that Markdown shows as they are broken: a backslash at the end of a
// line breaks it there, an empty line starts a new paragraph.
QString shownLines(const QString &text, const QString &prefix)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QList<QStringView> lines = QStringView(plain).split(u'\n');
    QString out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const bool breakAfter
            = !lines[i].isEmpty() && i + 1 < lines.size() && !lines[i + 1].isEmpty();
        out += (lines[i].isEmpty() ? prefix.trimmed() : prefix + escaped(lines[i]))
            + (breakAfter ? QLatin1String("\\\n") : QLatin1String("\n"));
    }
    return out;
}

QJsonValue json(const Field &field)
{
    return field ? QJsonValue(*field) : QJsonValue(QJsonValue::Null);
}

// One line of JSON that an HTML comment can hold: "<", ">" and "&" (which compact JSON has
// only inside its strings) are written as the escapes that stand for them, so that no
// "-->" ends the comment early.
QByteArray recordLine(const Bookmark &b)
{
    QJsonObject o;
    o.insert(QLatin1String("book"), json(b.key.book));
    o.insert(QLatin1String("number"), json(b.key.number));
    o.insert(QLatin1String("digest"), QString::fromLatin1(b.key.digest));
    o.insert(QLatin1String("heading"), json(b.heading));
    o.insert(QLatin1String("text"), json(b.text));
    o.insert(QLatin1String("note"), b.note);
    o.insert(QLatin1String("created"), isoDate(b.created));
    o.insert(QLatin1String("updated"),
             b.updated.isValid() ? QJsonValue(isoDate(b.updated)) : QJsonValue());
    QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact);
    line.replace('<', "\\u003c");
    line.replace('>', "\\u003e");
    line.replace('&', "\\u0026");
    return kRecordStart + line + kCommentEnd;
}

bool isDigest(const QString &digest)
{
    if (digest == QLatin1String("-"))
        return true;
    if (digest.size() != 32)
        return false;
    for (const QChar c : digest) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

bool textOrNull(const QJsonObject &o, const char *key, Field *out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isNull()) {
        out->reset();
        return true;
    }
    if (!v.isString())
        return false;
    *out = v.toString();
    return true;
}

// The bookmark a record's JSON holds; false, with *why, for JSON that export did not write.
bool parseRecord(const QByteArray &jsonText, Bookmark *b, QString *why)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(jsonText, &parseError);
    if (!doc.isObject()) {
        *why = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                            : QStringLiteral("not an object");
        return false;
    }
    const QJsonObject o = doc.object();
    if (o.size() != int(std::size(kKeys))) {
        *why = QStringLiteral("it does not have the fields of a bookmark");
        return false;
    }
    for (const char *key : kKeys) {
        if (!o.contains(QLatin1String(key))) {
            *why = QStringLiteral("it has no \"%1\"").arg(QLatin1String(key));
            return false;
        }
    }
    Field digest, note, created, updated;
    if (!textOrNull(o, "book", &b->key.book) || !textOrNull(o, "number", &b->key.number)
        || !textOrNull(o, "heading", &b->heading) || !textOrNull(o, "text", &b->text)
        || !textOrNull(o, "digest", &digest) || !textOrNull(o, "note", &note)
        || !textOrNull(o, "created", &created) || !textOrNull(o, "updated", &updated) || !digest
        || !note || !created) {
        *why = QStringLiteral("a field is not a text");
        return false;
    }
    if (!isDigest(*digest)) {
        *why = QStringLiteral("\"%1\" is not the digest of a hadith").arg(digest->left(40));
        return false;
    }
    b->key.digest = digest->toLatin1();
    if (textDigest(b->text) != b->key.digest) {
        *why = QStringLiteral("its text is not the one its digest was made from");
        return false;
    }
    b->note = *note;
    b->created = fromIsoDate(*created);
    b->updated = updated ? fromIsoDate(*updated) : QDateTime();
    if (!b->created.isValid() || (updated && !b->updated.isValid())) {
        *why = QStringLiteral("a date is not a date and time in UTC");
        return false;
    }
    b->id = 0;
    return true;
}

} // namespace

QByteArray write(const std::vector<Bookmark> &bookmarks)
{
    QByteArray out = kFirstLine + "\n# " + texts::markedHadiths().toUtf8() + "\n\n";
    const QString noteLabel = QLatin1String("**") + texts::noteWord() + QLatin1String(":** ");
    const QString dateLabel = QLatin1String("**") + texts::dateWord() + QLatin1String(":** ");
    for (const Bookmark &b : bookmarks) {
        out += recordLine(b) + "\n\n";
        out += shownLines(citation(b.record()), QStringLiteral("> ")).toUtf8() + "\n";
        if (!b.note.isEmpty())
            out += (noteLabel + shownLines(b.note, QString())).toUtf8() + "\n";
        out += (dateLabel + isoDate(b.created)).toUtf8() + "\n\n---\n\n";
    }
    out += kEndStart + QByteArray::number(qsizetype(bookmarks.size())) + kCommentEnd + "\n";
    return out;
}

bool read(const QByteArray &bytes, std::vector<Bookmark> *out, QString *why)
{
    out->clear();
    QString bad;
    if (!utf8::isValid(bytes, &bad)) {
        *why = QStringLiteral("it is not UTF-8 (%1)").arg(bad);
        return false;
    }
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    std::vector<Bookmark> read;
    bool started = false;
    bool ended = false;
    int number = 0;
    for (QByteArray &line : text.split('\n')) {
        ++number;
        if (line.endsWith('\r')) // an editor's line ends
            line.chop(1);
        if (!started) {
            if (line.trimmed().isEmpty())
                continue;
            if (line != kFirstLine) {
                *why = QStringLiteral("it does not begin as an export of bookmarks does");
                return false;
            }
            started = true;
            continue;
        }
        if (ended) {
            if (!line.trimmed().isEmpty()) {
                *why = QStringLiteral("line %1 comes after its end").arg(number);
                return false;
            }
            continue;
        }
        if (!line.startsWith("<!-- tembra-"))
            continue; // what a person reads; the comments hold the bookmarks exactly
        if (!line.endsWith(kCommentEnd)) {
            *why = QStringLiteral("line %1 is not one of an export").arg(number);
            return false;
        }
        if (line.startsWith(kRecordStart)) {
            Bookmark b;
            QString wrong;
            const QByteArray json = line.sliced(
                kRecordStart.size(), line.size() - kRecordStart.size() - kCommentEnd.size());
            if (!parseRecord(json, &b, &wrong)) {
                *why = QStringLiteral("the bookmark on line %1 cannot be read: %2")
                           .arg(number)
                           .arg(wrong);
                return false;
            }
            read.push_back(std::move(b));
        } else if (line.startsWith(kEndStart)) {
            bool ok = false;
            const qlonglong count
                = line.sliced(kEndStart.size(), line.size() - kEndStart.size() - kCommentEnd.size())
                      .toLongLong(&ok);
            if (!ok || count != qlonglong(read.size())) {
                *why = QStringLiteral("it ends on line %1 saying it holds other bookmarks than "
                                      "those it holds")
                           .arg(number);
                return false;
            }
            ended = true;
        } else {
            *why = QStringLiteral("line %1 is not one of an export").arg(number);
            return false;
        }
    }
    if (!ended) {
        *why = started ? QStringLiteral("it is cut short: its last line is missing")
                       : QStringLiteral("it is empty");
        return false;
    }
    *out = std::move(read);
    return true;
}

} // namespace tembra::markdown
