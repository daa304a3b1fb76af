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

#include <algorithm>
#include <array>
#include <cstring>

namespace tembra {

namespace {

enum class Kind { Flag, Number, Text };

// The table of settings: where each lies in the file and what it holds. The names in the
// file are those earlier versions wrote; files of theirs rely on them.
struct Entry {
    Setting setting;
    const char *key; // as QSettings names it, group and key
    Kind kind;
};
const Entry kEntries[kSettingCount] = {
    {Setting::SearchText, "Settings/Text0", Kind::Text},
    {Setting::ExactMatch, "Settings/ExactMatch", Kind::Flag},
    {Setting::PaneFontSize, "Settings/PaneFontSize", Kind::Number},
};

constexpr int indexOf(Setting setting)
{
    return static_cast<int>(setting);
}

QVariant defaultValue(Setting setting)
{
    switch (setting) {
    case Setting::SearchText: return QString();
    case Setting::ExactMatch: return false;
    case Setting::PaneFontSize: return 0.0;
    }
    return {};
}

using Values = std::array<QVariant, kSettingCount>; // invalid where the file has no value

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
        const bool known = std::any_of(std::begin(kEntries), std::end(kEntries),
                                       [&](const Entry &e) { return key == QLatin1String(e.key); });
        if (!known)
            return notOurs(error, path, QStringLiteral("it holds \"%1\"").arg(key.left(80)));
    }
    // A file of comments alone is someone's notes, not a file the program wrote.
    if (keys.isEmpty() && !bytes.trimmed().isEmpty() && bytes != "\xEF\xBB\xBF")
        return notOurs(error, path, QStringLiteral("it holds none of this program's settings"));
    for (const Entry &entry : kEntries) {
        const QString key = QLatin1String(entry.key);
        if (!settings.contains(key))
            continue;
        const QString text = settings.value(key).toString();
        QVariant &value = (*values)[indexOf(entry.setting)];
        switch (entry.kind) {
        case Kind::Flag: value = QVariant(text).toBool(); break; // as QSettings reads yes or no
        case Kind::Number: {
            bool ok = false;
            const double number = text.toDouble(&ok);
            if (ok && number > 0)
                value = number;
            break;
        }
        case Kind::Text: value = text; break;
        }
    }
    return true;
}

// The file at path, read and taken apart, through file (open, so that a write replaces
// exactly the file that was read). A missing file has no values.
bool readValues(FileReplacement *file, const QString &path, Values *values, Error *error)
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

// A value as the file holds it.
QString valueText(Kind kind, const QVariant &value)
{
    switch (kind) {
    case Kind::Flag: return QLatin1String(value.toBool() ? "true" : "false");
    case Kind::Number: return QString::number(value.toDouble());
    case Kind::Text: return value.toString();
    }
    return {};
}

// The whole file, as QSettings writes one group: its keys by name.
QByteArray formatted(const Values &values)
{
    std::array<const Entry *, kSettingCount> order;
    std::transform(std::begin(kEntries), std::end(kEntries), order.begin(),
                   [](const Entry &e) { return &e; });
    std::sort(order.begin(), order.end(),
              [](const Entry *a, const Entry *b) { return std::strcmp(a->key, b->key) < 0; });
    QByteArray out = "[Settings]\n";
    for (const Entry *entry : order) {
        const QVariant &value = values[indexOf(entry->setting)];
        if (!value.isValid())
            continue;
        const char *name = std::strchr(entry->key, '/') + 1;
        out += name + ('=' + escaped(valueText(entry->kind, value))) + '\n';
    }
    return out;
}

} // namespace

ReaderSettings::ReaderSettings()
    : m_fileName(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + QStringLiteral("/Tembra/Tembra.ini"))
{ }

ReaderSettings::ReaderSettings(const QString &fileName) : m_fileName(fileName) { }

bool ReaderSettings::load(Error *why)
{
    FileReplacement file(m_fileName);
    Values values;
    const bool loaded = readValues(&file, m_fileName, &values, why);
    m_values = loaded ? values : Values();
    return loaded;
}

QVariant ReaderSettings::value(Setting setting) const
{
    const QVariant &kept = m_values[indexOf(setting)];
    return kept.isValid() ? kept : defaultValue(setting);
}

// Every failure names the file to the reader, whatever else it says.
bool ReaderSettings::setValue(Setting setting, const QVariant &value, Error *error)
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
    if (!readValues(&file, m_fileName, &values, &why))
        return failed(why.kind);
    if (!file.userMayWrite()) {
        why.detail = QStringLiteral("%1 is read-only (its permission bits do not let this user "
                                    "write it); it is left as it is")
                         .arg(file.target());
        why.shown
            = texts::fileDetail(file.target()) + QLatin1Char('\n') + texts::readOnlyFileDetail();
        return failed(Error::SettingsNotWritten);
    }
    const Entry &entry = kEntries[indexOf(setting)];
    switch (entry.kind) {
    case Kind::Flag: values[indexOf(setting)] = value.toBool(); break;
    case Kind::Number: values[indexOf(setting)] = value.toDouble(); break;
    case Kind::Text: values[indexOf(setting)] = value.toString(); break;
    }
    const QByteArray out = formatted(values);
    if (out.size() > kMaxFileBytes) {
        why.detail = QStringLiteral("the value would make %1 %2 bytes long, more than the %3 "
                                    "bytes a settings file may hold")
                         .arg(m_fileName)
                         .arg(out.size())
                         .arg(kMaxFileBytes);
        return failed(Error::SettingsTooLarge);
    }
    if (!file.commit(out.constData(), out.size(), &why))
        return failed(Error::SettingsNotWritten);
    m_values = values;
    return true;
}

} // namespace tembra
