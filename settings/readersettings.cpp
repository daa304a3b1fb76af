#include "settings/readersettings.h"

#include "base/filereplace.h"
#include "base/texts.h"
#include "base/utf8.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryFile>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace tembra {

namespace {

enum class Kind { Flag, Number, Text, History, Place };

// The table of settings: where each lies in the file and what it holds. The names in
// [Settings] are those earlier versions wrote; files of theirs rely on them. A history and
// a place have a group each.
struct Entry {
    Setting setting;
    const char *key; // as QSettings names it: group and key, or the group alone
    Kind kind;
};
const Entry kEntries[kSettingCount] = {
    {Setting::SearchText, "Settings/Text0", Kind::Text},
    {Setting::ExactMatch, "Settings/ExactMatch", Kind::Flag},
    {Setting::AnyOrder, "Settings/AnyOrder", Kind::Flag},
    {Setting::PaneFontSize, "Settings/PaneFontSize", Kind::Number},
    {Setting::PaneFont, "Settings/PaneFont", Kind::Text},
    {Setting::ShowMarks, "Settings/ShowMarks", Kind::Flag},
    {Setting::NightAppearance, "Settings/NightAppearance", Kind::Flag},
    {Setting::History, "History", Kind::History},
    {Setting::Place, "Place", Kind::Place},
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
    case Setting::AnyOrder: return false;
    case Setting::PaneFontSize: return 0.0;
    case Setting::PaneFont: return QString();
    case Setting::ShowMarks: return true;
    case Setting::NightAppearance: return false;
    case Setting::History: return QVariant::fromValue(SearchHistory());
    case Setting::Place: return QVariant::fromValue(SavedPlace());
    }
    return {};
}

// The keys of a search in [History], after its number, and of [Place], each in the order
// QSettings writes them (by name).
const char *const kSearchKeys[] = {"AnyOrder", "ExactMatch", "Text"};
enum PlaceKey {
    PlaceAnyOrder,
    PlaceBook,
    PlaceChapter,
    PlaceExactMatch,
    PlaceHadithBook,
    PlaceHadithDigest,
    PlaceHadithNumber,
    PlaceList,
    PlaceText,
    PlaceKeyCount
};
const char *const kPlaceKeys[PlaceKeyCount] = {
    "AnyOrder",     "Book",         "Chapter", "ExactMatch", "HadithBook",
    "HadithDigest", "HadithNumber", "List",    "Text",
};

// What the file may hold at most: a search text of 1,000,000 characters, and every other
// text at its bound, each at 6 bytes a unit; the keys' names fit in what is left.
static_assert(ReaderSettings::kMaxFileBytes
                  - 6
                      * (1000000
                         + qint64(ReaderSettings::kMaxKeptText)
                             * (ReaderSettings::kHistoryLength + PlaceKeyCount - 2 + 1))
              > 64 * 1024);

using Values = std::array<QVariant, kSettingCount>; // invalid where the file has no value

bool notOurs(Error *error, const QString &path, const QString &why)
{
    return fail(error, Error::SettingsNotOurs,
                QStringLiteral("%1 is not this program's settings file (%2); it is left as it is")
                    .arg(path, why));
}

// The number of the search a key of [History] belongs to, from 1 to kHistoryLength as
// QSettings numbers an array's entries; 0 for any other key.
int searchNumber(const QString &key)
{
    if (!key.startsWith(QLatin1String("History/")))
        return 0;
    const QStringView rest = QStringView(key).sliced(8);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash < 1 || slash > 2 || rest[0] == QLatin1Char('0'))
        return 0;
    int number = 0;
    for (const QChar c : rest.first(slash)) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        number = number * 10 + (c.unicode() - '0');
    }
    const QStringView field = rest.sliced(slash + 1);
    const bool known = std::any_of(std::begin(kSearchKeys), std::end(kSearchKeys),
                                   [&](const char *k) { return field == QLatin1String(k); });
    return known && number <= ReaderSettings::kHistoryLength ? number : 0;
}

// Whether a key, as QSettings names it, is one the program writes.
bool isOurKey(const QString &key)
{
    for (const Entry &entry : kEntries) {
        if (entry.kind != Kind::History && entry.kind != Kind::Place
            && key == QLatin1String(entry.key))
            return true;
    }
    if (key == QLatin1String("History/size") || searchNumber(key) > 0)
        return true;
    if (!key.startsWith(QLatin1String("Place/")))
        return false;
    const QStringView name = QStringView(key).sliced(6);
    return std::any_of(std::begin(kPlaceKeys), std::end(kPlaceKeys),
                       [&](const char *k) { return name == QLatin1String(k); });
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

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The file, changed so that QSettings reads every value as the text its line holds: a
// comma outside quotes, which would make a list, becomes the escape \x2c (and the hex
// digits after it escapes too, else they would be read as part of it), and a value that
// starts with '@', which would make a typed value (@Size(1 2)), gets a second one, which
// QSettings takes off. Quotes and escapes are read as ever.
QByteArray asTexts(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 8);
    qsizetype i = 0;
    while (i < bytes.size()) {
        // One line, to its end (QSettings ends a line at CR or LF).
        qsizetype end = i;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArray line = bytes.sliced(i, end - i);
        const QByteArray trimmed = line.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (trimmed.startsWith('[') || trimmed.startsWith(';') || equals < 0) {
            out += line;
        } else {
            out += line.first(equals + 1);
            qsizetype j = equals + 1;
            while (j < line.size() && (line[j] == ' ' || line[j] == '\t'))
                out += line[j++];
            if (line.sliced(j).startsWith('@') || line.sliced(j).startsWith("\"@"))
                out += '@';
            bool quoted = false;
            bool hexAfter = false; // the last byte written was an escape that digits would extend
            for (; j < line.size(); ++j) {
                const char c = line[j];
                if (hexAfter && isHexDigit(uchar(c))) {
                    out += "\\x" + QByteArray::number(uchar(c), 16);
                    continue;
                }
                hexAfter = false;
                if (c == '\\' && j + 1 < line.size()) {
                    out += line.sliced(j, 2);
                    ++j;
                } else if (c == '"') {
                    quoted = !quoted;
                    out += c;
                } else if (c == ';' && !quoted) {
                    out += line.sliced(j); // a comment, to the end of the line
                    break;
                } else if (c == ',' && !quoted) {
                    out += "\\x2c";
                    hexAfter = true;
                } else {
                    out += c;
                }
            }
        }
        out += bytes.sliced(end, std::min<qsizetype>(1, bytes.size() - end));
        i = end + 1;
    }
    return out;
}

// The bytes in a temporary file of their own, for QSettings, which reads only files by
// name.
bool copied(const QByteArray &bytes, QTemporaryFile *copy, const QString &path, Error *error)
{
    if (!copy->open() || copy->write(bytes) != bytes.size() || !copy->flush())
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot read %1: no temporary file to read it from (%2)")
                        .arg(path, copy->errorString()));
    return true;
}

// The file's values, read by QSettings, from a copy of the bytes checked here: the
// settings file is never opened twice, and a file put in its place meanwhile (a pipe that
// would keep a reader waiting) is never read.
// The values of a file that QSettings has read, as the program's settings take them.
class FileValues final {
public:
    FileValues(const QByteArray &bytes, const QString &path, const QSettings &settings)
        : m_bytes(bytes), m_path(path), m_settings(settings)
    { }

    bool contains(const QString &key) const { return m_settings.contains(key); }
    // As QSettings reads yes or no, and numbers.
    bool flag(const QString &key) const { return m_settings.value(key).toBool(); }
    QString raw(const QString &key) const { return m_settings.value(key).toString(); }

    // A text as the file holds it. QSettings reads some texts as other things (a,b as a
    // list, @Size(1 2) as a size), which would read back empty and be written so: those
    // are read again from a copy that keeps them texts. A value that is still no text (an
    // '@' behind an escape) makes the file someone else's: notText() names it.
    QString text(const QString &key)
    {
        const QVariant value = m_settings.value(key);
        if (isText(value) || !m_settings.contains(key))
            return value.toString();
        if (!m_asText && copied(asTexts(m_bytes), &m_textCopy, m_path, nullptr))
            m_asText.emplace(m_textCopy.fileName(), QSettings::IniFormat);
        const QVariant restored = m_asText ? m_asText->value(key) : QVariant();
        if (isText(restored))
            return restored.toString();
        if (m_notText.isEmpty())
            m_notText = key;
        return QString();
    }
    const QString &notText() const { return m_notText; }

    // [History]: as QSettings keeps an array, searches 1 to size, none past it.
    bool history(const QStringList &keys, QVariant *value, Error *error)
    {
        int last = 0; // the highest number a search has among the keys
        for (const QString &k : keys)
            last = std::max(last, searchNumber(k));
        const QString sizeKey = QStringLiteral("History/size");
        if (!contains(sizeKey))
            return last == 0 || notOurs(error, m_path, QStringLiteral("its [History] has no size"));
        bool ok = false;
        const int size = raw(sizeKey).toInt(&ok);
        if (!ok || size < 0 || size > ReaderSettings::kHistoryLength)
            return notOurs(error, m_path,
                           QStringLiteral("its History/size is not a number from 0 to %1")
                               .arg(ReaderSettings::kHistoryLength));
        if (last > size)
            return notOurs(error, m_path,
                           QStringLiteral("its [History] holds search %1 past its size, %2")
                               .arg(last)
                               .arg(size));
        SearchHistory history;
        for (int n = 1; n <= size; ++n) {
            const QString search = QStringLiteral("History/%1/").arg(n);
            history.push_back({text(search + QLatin1String("Text")),
                               flag(search + QLatin1String("ExactMatch")),
                               flag(search + QLatin1String("AnyOrder"))});
        }
        *value = QVariant::fromValue(history);
        return true;
    }

    // [Place], where a NULL field is a key that is not there; none without the group.
    QVariant place(const QStringList &keys)
    {
        const bool any = std::any_of(keys.begin(), keys.end(), [](const QString &k) {
            return k.startsWith(QLatin1String("Place/"));
        });
        if (!any)
            return {};
        const auto name
            = [](PlaceKey k) { return QLatin1String("Place/") + QLatin1String(kPlaceKeys[k]); };
        const auto nullable = [&](PlaceKey k) -> std::optional<QString> {
            if (!contains(name(k)))
                return std::nullopt;
            return text(name(k));
        };
        SavedPlace place;
        place.list = text(name(PlaceList));
        place.text = text(name(PlaceText));
        place.exact = flag(name(PlaceExactMatch));
        place.anyOrder = flag(name(PlaceAnyOrder));
        place.book = nullable(PlaceBook);
        place.chapter = nullable(PlaceChapter);
        place.hadithBook = nullable(PlaceHadithBook);
        place.hadithNumber = nullable(PlaceHadithNumber);
        place.hadithDigest = text(name(PlaceHadithDigest));
        return QVariant::fromValue(place);
    }

private:
    static bool isText(const QVariant &v) { return v.metaType().id() == QMetaType::QString; }

    const QByteArray &m_bytes;
    const QString &m_path;
    const QSettings &m_settings;
    QTemporaryFile m_textCopy;
    std::optional<QSettings> m_asText; // made the first time a value needs it
    QString m_notText; // the first key whose value is still no text
};

bool parse(const QByteArray &bytes, const QString &path, Values *values, Error *error)
{
    QString why;
    if (!looksLikeSettings(bytes, &why))
        return notOurs(error, path, why);
    QTemporaryFile copy;
    if (!copied(bytes, &copy, path, error))
        return false;
    const QSettings settings(copy.fileName(), QSettings::IniFormat);
    if (settings.status() == QSettings::AccessError)
        return fail(error, Error::NotReadable,
                    QStringLiteral("cannot read %1: its temporary copy cannot be read").arg(path));
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        if (!isOurKey(key))
            return notOurs(error, path, QStringLiteral("it holds \"%1\"").arg(key.left(80)));
    }
    // A file of comments alone is someone's notes, not a file the program wrote.
    if (keys.isEmpty() && !bytes.trimmed().isEmpty() && bytes != "\xEF\xBB\xBF")
        return notOurs(error, path, QStringLiteral("it holds none of this program's settings"));
    FileValues file(bytes, path, settings);
    for (const Entry &entry : kEntries) {
        const QString key = QLatin1String(entry.key);
        QVariant &value = (*values)[indexOf(entry.setting)];
        switch (entry.kind) {
        case Kind::Flag:
            if (file.contains(key))
                value = file.flag(key);
            break;
        case Kind::Number: {
            bool ok = false;
            const double number = file.raw(key).toDouble(&ok);
            if (ok && number > 0)
                value = number;
            break;
        }
        case Kind::Text:
            if (file.contains(key))
                value = file.text(key);
            break;
        case Kind::History:
            if (!file.history(keys, &value, error))
                return false;
            break;
        case Kind::Place: value = file.place(keys); break;
        }
    }
    if (!file.notText().isEmpty())
        return notOurs(error, path, QStringLiteral("its %1 is not a text").arg(file.notText()));
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

QString flagText(bool on)
{
    return QLatin1String(on ? "true" : "false");
}

// A group as QSettings writes it: its keys by name, as it orders them ("1/Text" before
// "10/Text" before "2/Text"), with '\\' for '/'.
QByteArray group(const char *name, std::vector<std::pair<QString, QString>> keys)
{
    std::sort(keys.begin(), keys.end());
    QByteArray out = QByteArray("[") + name + "]\n";
    for (const auto &[key, value] : keys)
        out += QString(key).replace(QLatin1Char('/'), QLatin1Char('\\')).toUtf8() + '='
            + escaped(value) + '\n';
    return out;
}

// The whole file, as QSettings writes a new one: its groups by name, a line between them.
QByteArray formatted(const Values &values)
{
    QList<QByteArray> groups;
    const SearchHistory history = values[indexOf(Setting::History)].value<SearchHistory>();
    if (!history.isEmpty()) {
        std::vector<std::pair<QString, QString>> keys;
        for (int n = 1; n <= history.size(); ++n) {
            const PastSearch &search = history[n - 1];
            const QString number = QString::number(n) + QLatin1Char('/');
            keys.emplace_back(number + QLatin1String("AnyOrder"), flagText(search.anyOrder));
            keys.emplace_back(number + QLatin1String("ExactMatch"), flagText(search.exact));
            keys.emplace_back(number + QLatin1String("Text"), search.text);
        }
        keys.emplace_back(QStringLiteral("size"), QString::number(history.size()));
        groups.push_back(group("History", std::move(keys)));
    }
    const SavedPlace place = values[indexOf(Setting::Place)].value<SavedPlace>();
    if (place != SavedPlace()) {
        std::vector<std::pair<QString, QString>> keys;
        const auto add = [&](PlaceKey k, const QString &value) {
            keys.emplace_back(QLatin1String(kPlaceKeys[k]), value);
        };
        const auto addNullable = [&](PlaceKey k, const std::optional<QString> &value) {
            if (value)
                add(k, *value);
        };
        add(PlaceList, place.list);
        add(PlaceText, place.text);
        add(PlaceExactMatch, flagText(place.exact));
        add(PlaceAnyOrder, flagText(place.anyOrder));
        addNullable(PlaceBook, place.book);
        addNullable(PlaceChapter, place.chapter);
        addNullable(PlaceHadithBook, place.hadithBook);
        addNullable(PlaceHadithNumber, place.hadithNumber);
        add(PlaceHadithDigest, place.hadithDigest);
        groups.push_back(group("Place", std::move(keys)));
    }
    std::vector<std::pair<QString, QString>> keys;
    for (const Entry &entry : kEntries) {
        const QVariant &value = values[indexOf(entry.setting)];
        if (!value.isValid() || entry.kind == Kind::History || entry.kind == Kind::Place)
            continue;
        const QString name = QLatin1String(std::strchr(entry.key, '/') + 1);
        switch (entry.kind) {
        case Kind::Flag: keys.emplace_back(name, flagText(value.toBool())); break;
        case Kind::Number: keys.emplace_back(name, QString::number(value.toDouble())); break;
        case Kind::Text: keys.emplace_back(name, value.toString()); break;
        case Kind::History:
        case Kind::Place: break;
        }
    }
    if (!keys.empty())
        groups.push_back(group("Settings", std::move(keys)));
    return groups.join('\n');
}

// The history as it is kept: see SearchHistory.
SearchHistory normalized(const SearchHistory &history)
{
    SearchHistory kept;
    for (const PastSearch &search : history) {
        if (kept.size() == ReaderSettings::kHistoryLength)
            break;
        if (!search.text.isEmpty() && search.text.size() <= ReaderSettings::kMaxKeptText
            && !kept.contains(search))
            kept.push_back(search);
    }
    return kept;
}

// The longest of a place's texts.
qsizetype longestText(const SavedPlace &place)
{
    qsizetype longest = 0;
    for (const QString *text : {&place.list, &place.text, &place.hadithDigest})
        longest = std::max(longest, text->size());
    for (const std::optional<QString> *text :
         {&place.book, &place.chapter, &place.hadithBook, &place.hadithNumber})
        longest = std::max(longest, *text ? (*text)->size() : 0);
    return longest;
}

// The user's configuration folder as the system's calls take it: $XDG_CONFIG_HOME read
// as bytes, else ~/.config, as QSettings finds it. Not through QStandardPaths, which
// decodes the name: one that is not UTF-8 would come back as another name, so that the
// saved settings would not be found and a new file would go into another folder.
QByteArray configFolder()
{
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    if (!configHome.isEmpty())
        return configHome;
    const QByteArray home = qgetenv("HOME");
    return (home.isEmpty() ? QByteArray("/") : home) + "/.config";
}

// The folders the file lies in, made where they are not there, as QSettings made them; a
// failure shows in the write.
void makeFolders(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0777);
}

} // namespace

ReaderSettings::ReaderSettings() : m_path(configFolder() + "/Tembra/Tembra.ini") { }

ReaderSettings::ReaderSettings(const QString &fileName) : m_path(QFile::encodeName(fileName)) { }

QString ReaderSettings::fileName() const
{
    return QFile::decodeName(m_path);
}

bool ReaderSettings::load(Error *why)
{
    FileReplacement file(m_path);
    Values values;
    const bool loaded = readValues(&file, fileName(), &values, why);
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
            why.shown = texts::fileDetail(fileName());
        return fail(error, kind, why.detail, why.shown);
    };
    // The folder too, as QSettings made it; a failure shows in the write.
    makeFolders(m_path);
    FileReplacement file(m_path);
    Values values;
    if (!readValues(&file, fileName(), &values, &why))
        return failed(why.kind);
    if (!file.userMayWrite()) {
        why.detail = QStringLiteral("%1 is read-only (its permission bits do not let this user "
                                    "write it); it is left as it is")
                         .arg(file.target());
        why.shown
            = texts::fileDetail(file.target()) + QLatin1Char('\n') + texts::readOnlyFileDetail();
        return failed(Error::SettingsNotWritten);
    }
    QVariant &kept = values[indexOf(setting)];
    switch (kEntries[indexOf(setting)].kind) {
    case Kind::Flag: kept = value.toBool(); break;
    case Kind::Number: kept = value.toDouble(); break;
    case Kind::Text: kept = value.toString(); break;
    case Kind::History: kept = QVariant::fromValue(normalized(value.value<SearchHistory>())); break;
    case Kind::Place: kept = QVariant::fromValue(value.value<SavedPlace>()); break;
    }
    const qsizetype longest = setting == Setting::PaneFont ? kept.toString().size()
        : setting == Setting::Place                        ? longestText(kept.value<SavedPlace>())
                                                           : 0;
    if (longest > kMaxKeptText) {
        why.detail = QStringLiteral("a text of %1 characters is not kept in %2: at most %3 are")
                         .arg(longest)
                         .arg(fileName())
                         .arg(kMaxKeptText);
        return failed(Error::SettingsTooLarge);
    }
    const QByteArray out = formatted(values);
    if (out.size() > kMaxFileBytes) {
        why.detail = QStringLiteral("the value would make %1 %2 bytes long, more than the %3 "
                                    "bytes a settings file may hold")
                         .arg(fileName())
                         .arg(out.size())
                         .arg(kMaxFileBytes);
        return failed(Error::SettingsTooLarge);
    }
    if (!file.commit(out.constData(), out.size(), &why))
        return failed(Error::SettingsNotWritten);
    m_values = values;
    return true;
}

SearchHistory remembered(SearchHistory history, const PastSearch &search)
{
    history.prepend(search);
    return normalized(history);
}

} // namespace tembra
