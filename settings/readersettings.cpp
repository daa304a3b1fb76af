#include "settings/readersettings.h"

#include "base/filereplace.h"
#include "base/texts.h"
#include "base/utf8.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>

#include <array>

namespace tembra {

namespace {

// The program's keys, in group "Settings", in the order QSettings writes them.
enum Key { ExactMatch, PaneFontSize, Text0, KeyCount };
const char *const kKeyNames[KeyCount] = {"ExactMatch", "PaneFontSize", "Text0"};
using Values = std::array<QVariant, KeyCount>; // invalid where the file has no value

QString settingsKey(int key)
{
    return QLatin1String("Settings/") + QLatin1String(kKeyNames[key]);
}

bool notOurs(Error *error, const QString &path, const QString &why)
{
    return fail(error, Error::SettingsNotOurs,
                QStringLiteral("%1 is not this program's settings file (%2); it is left as it is")
                    .arg(path, why));
}

// What QSettings does not look at, and so the program must: that the file is UTF-8 (else
// QSettings reads bad bytes as U+FFFD and a write would keep them so), and that every
// line it skips is a comment or empty. A line QSettings cannot read (not a group, no '=')
// belongs to some other kind of file.
bool looksLikeSettings(const QByteArray &bytes, QString *why)
{
    if (!utf8::isValid(bytes, why))
        return false;
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    int number = 0;
    for (const QByteArray &raw : text.split('\n')) {
        ++number;
        for (const QByteArray &piece : raw.split('\r')) { // QSettings ends a line at either
            const QByteArray line = piece.trimmed();
            const bool group = line.startsWith('[') && line.endsWith(']');
            if (!(line.isEmpty() || line.startsWith(';') || line.startsWith('#') || group
                  || line.contains('='))) {
                *why = QStringLiteral("line %1 is not a group, a key and its value, a comment "
                                      "or empty")
                           .arg(number);
                return false;
            }
        }
    }
    return true;
}

// The file's values, read by QSettings. QSettings reads only files by name, so the bytes
// checked here are handed to it in a temporary file of their own: the settings file is
// never opened twice, and a file put in its place meanwhile (a pipe that would keep a
// reader waiting) is never read.
bool parse(const QByteArray &bytes, const QString &path, Values *values, Error *error)
{
    QString why;
    if (!looksLikeSettings(bytes, &why))
        return notOurs(error, path, why);
    QTemporaryFile copy;
    if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush())
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot read %1: no temporary file to read it from (%2)")
                        .arg(path, copy.errorString()));
    const QSettings settings(copy.fileName(), QSettings::IniFormat);
    if (settings.status() == QSettings::AccessError)
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot read %1: its temporary copy cannot be read").arg(path));
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        bool known = false;
        for (int k = 0; k < KeyCount; ++k)
            known = known || key == settingsKey(k);
        if (!known)
            return notOurs(error, path, QStringLiteral("it holds \"%1\"").arg(key.left(80)));
    }
    // A file of comments alone is someone's notes, not a file the program wrote.
    if (keys.isEmpty() && !bytes.trimmed().isEmpty() && bytes != "\xEF\xBB\xBF")
        return notOurs(error, path, QStringLiteral("it holds none of this program's settings"));
    for (int k = 0; k < KeyCount; ++k)
        (*values)[k] = settings.value(settingsKey(k));
    return true;
}

// The file at path, read and taken apart, through file (open, so that a write replaces
// exactly the file that was read). A missing file has no values.
bool load(FileReplacement *file, const QString &path, Values *values, Error *error)
{
    QByteArray bytes;
    bool tooLarge = false;
    if (!file->open(error)
        || !file->read(ReaderSettings::kMaxFileBytes, &bytes, &tooLarge, error)) {
        if (tooLarge)
            return fail(error, Error::SettingsTooLarge,
                        QStringLiteral("%1 is larger than the %2 bytes a settings file may hold")
                            .arg(path)
                            .arg(ReaderSettings::kMaxFileBytes));
        return false;
    }
    return !file->exists() || parse(bytes, path, values, error);
}

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A text as QSettings' INI reading reads it back. Written here, not by QSettings: its
// writer turns a lone surrogate into a replacement character and writes U+FEFF as it is,
// which its reader then drops as a byte order mark. Both go as \x escapes, which QSettings
// reads as the code unit they name; everything else is escaped as QSettings escapes it.
QByteArray escaped(const QString &value)
{
    // A leading '@' would mark a typed value (@ByteArray(...)); QSettings doubles it, and
    // marks a text with NUL characters as one.
    const QString text = value.contains(QChar(0)) ? QStringLiteral("@String(%1)").arg(value)
        : value.startsWith(QLatin1Char('@'))      ? QLatin1Char('@') + value
                                                  : value;
    QByteArray out;
    out.reserve(text.size() * 2 + 2);
    bool needsQuotes = false;
    // After \x1f or \0 a hex digit would be read as part of the escape: it is escaped too.
    bool escapeNextIfDigit = false;
    qsizetype run = 0; // start of the characters not yet written, written as UTF-8 at once
    const auto escape = [&](qsizetype i, const QByteArray &how) {
        if (i > run)
            out += QStringView(text).sliced(run, i - run).toUtf8();
        out += how;
        run = i + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
        if (escapeNextIfDigit && isHexDigit(c)) {
            escape(i, "\\x" + QByteArray::number(c, 16));
            continue;
        }
        escapeNextIfDigit = false;
        const bool pair
            = QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        switch (c) {
        case '\0': escape(i, "\\0"), escapeNextIfDigit = true; break;
        case '\a': escape(i, "\\a"); break;
        case '\b': escape(i, "\\b"); break;
        case '\f': escape(i, "\\f"); break;
        case '\n': escape(i, "\\n"); break;
        case '\r': escape(i, "\\r"); break;
        case '\t': escape(i, "\\t"); break;
        case '\v': escape(i, "\\v"); break;
        case '"': escape(i, "\\\""); break;
        case '\\': escape(i, "\\\\"); break;
        default:
            if (pair) {
                ++i; // written with the run
            } else if (c <= 0x1F || c == 0xFEFF || QChar::isSurrogate(c)) {
                escape(i, "\\x" + QByteArray::number(c, 16));
                escapeNextIfDigit = true;
            }
        }
    }
    if (text.size() > run)
        out += QStringView(text).sliced(run).toUtf8();
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
    return out;
}

// The whole file, as QSettings writes one group.
QByteArray formatted(const Values &values)
{
    QByteArray out = "[Settings]\n";
    for (int k = 0; k < KeyCount; ++k) {
        if (!values[k].isValid())
            continue;
        const QString text = k == ExactMatch ? QLatin1String(values[k].toBool() ? "true" : "false")
            : k == PaneFontSize              ? QString::number(values[k].toDouble())
                                             : values[k].toString();
        out += kKeyNames[k] + ('=' + escaped(text)) + '\n';
    }
    return out;
}

} // namespace

ReaderSettings::ReaderSettings()
    : m_fileName(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + QStringLiteral("/Tembra/Tembra.ini"))
{ }

ReaderSettings::ReaderSettings(const QString &fileName) : m_fileName(fileName) { }

QString ReaderSettings::readValue(int key, Error *why) const
{
    FileReplacement file(m_fileName);
    Values values;
    return load(&file, m_fileName, &values, why) ? values[key].toString() : QString();
}

QString ReaderSettings::read(Error *why) const
{
    return readValue(Text0, why);
}

bool ReaderSettings::readExactMatch(Error *why) const
{
    // As QSettings turns a text into yes or no.
    return QVariant(readValue(ExactMatch, why)).toBool();
}

qreal ReaderSettings::readPanePoints(Error *why) const
{
    bool ok = false;
    const double points = readValue(PaneFontSize, why).toDouble(&ok);
    return ok && points > 0 ? points : 0;
}

bool ReaderSettings::write(const QString &text, Error *error)
{
    return writeValue(Text0, text, error);
}

bool ReaderSettings::writeExactMatch(bool on, Error *error)
{
    return writeValue(ExactMatch, on ? QStringLiteral("true") : QStringLiteral("false"), error);
}

bool ReaderSettings::writePanePoints(qreal points, Error *error)
{
    return writeValue(PaneFontSize, QString::number(points), error);
}

// Every failure names the file to the reader, whatever else it says.
bool ReaderSettings::writeValue(int key, const QString &value, Error *error)
{
    Error why;
    const auto failed = [&](Error::Kind kind) {
        if (why.shown.isEmpty())
            why.shown = texts::fileDetail(m_fileName);
        return fail(error, kind, why.detail, why.shown);
    };
    // The folder too, as QSettings made it; a failure shows in the write.
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    FileReplacement file(m_fileName);
    Values values;
    if (!load(&file, m_fileName, &values, &why))
        return failed(why.kind);
    if (!file.userMayWrite()) {
        why.detail = QStringLiteral("%1 is read-only (its permission bits do not let this user "
                                    "write it); it is left as it is")
                         .arg(file.target());
        why.shown
            = texts::fileDetail(file.target()) + QLatin1Char('\n') + texts::readOnlyFileDetail();
        return failed(Error::SettingsNotWritten);
    }
    values[key] = value;
    const QByteArray out = formatted(values);
    if (out.size() > kMaxFileBytes) {
        why.detail = QStringLiteral("the text would make %1 %2 bytes long, more than the %3 "
                                    "bytes a settings file may hold")
                         .arg(m_fileName)
                         .arg(out.size())
                         .arg(kMaxFileBytes);
        return failed(Error::SettingsTooLarge);
    }
    if (!file.commit(out.constData(), out.size(), &why))
        return failed(Error::SettingsNotWritten);
    return true;
}

} // namespace tembra
