#include "settings/settingsstore.h"

#include "base/texts.h"

#include "base/filereplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tembra {

namespace {

const QString kSection = QStringLiteral("Settings");
const QString kTextKey = QStringLiteral("Text0");
const QString kExactKey = QStringLiteral("ExactMatch");
const QString kPanePointsKey = QStringLiteral("PaneFontSize");

bool isHexDigit(uint c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// --- The INI form, as QSettings writes it ---------------------------------------------

// A key or section name as QSettings writes it: letters, digits, '_', '-' and '.' as
// they are, '/' as '\', any other character as %XX or %UXXXX.
bool unescapeName(QByteArrayView raw, QString *out)
{
    out->clear();
    if (raw.isEmpty())
        return false;
    for (qsizetype i = 0; i < raw.size();) {
        const char c = raw[i];
        if (c == '\\') {
            *out += QLatin1Char('/');
            ++i;
        } else if (c == '%') {
            const bool wide = i + 1 < raw.size() && raw[i + 1] == 'U';
            const qsizetype first = i + (wide ? 2 : 1);
            const qsizetype digits = wide ? 4 : 2;
            if (first + digits > raw.size())
                return false;
            uint code = 0;
            for (qsizetype d = first; d < first + digits; ++d) {
                if (!isHexDigit(uchar(raw[d])))
                    return false;
                code = code * 16 + uint(hexValue(raw[d]));
            }
            *out += QChar(char16_t(code));
            i = first + digits;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                   || c == '_' || c == '-' || c == '.') {
            *out += QLatin1Char(c);
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

// A value as QSettings writes a string: in quotes when it holds ';', ',' or '=' or begins
// or ends with a space, else bare; control characters, quotes and backslashes escaped
// (\n, \x1f, \0 ...); everything else as UTF-8. Then, as QSettings marks a text that would
// read as another type: a leading '@' doubled, and a text with NUL characters as
// @String(...). Anything QSettings would read another way (a list, a comment after ';',
// spaces it would trim, an escape it would drop, a value of another type) is refused.
bool unescapeValue(QByteArrayView raw, QString *out)
{
    out->clear();
    // One decoder for the whole value, fed the same pieces QSettings feeds its own, so
    // that a byte order mark is dropped where QSettings drops it (which is why the
    // writer escapes U+FEFF).
    QStringDecoder utf8(QStringDecoder::Utf8);
    qsizetype i = 0;
    const bool quoted = !raw.isEmpty() && raw[0] == '"';
    if (quoted)
        i = 1;
    else if (!raw.isEmpty() && (raw.front() == ' ' || raw.back() == ' '))
        return false;
    bool closed = false;
    while (i < raw.size()) {
        const char c = raw[i];
        if (c == '"') {
            if (!quoted || i != raw.size() - 1)
                return false;
            closed = true;
            break;
        }
        if (c != '\\') {
            qsizetype j = i + 1;
            while (j < raw.size() && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',')
                ++j;
            const QByteArrayView piece = raw.sliced(i, j - i);
            if (!quoted && (piece.contains(';') || piece.contains(',')))
                return false;
            *out += QString(utf8.decode(piece));
            i = j;
            continue;
        }
        if (++i == raw.size())
            return false;
        const char e = raw[i++];
        uint code = 0;
        switch (e) {
        case 'a': *out += QLatin1Char('\a'); break;
        case 'b': *out += QLatin1Char('\b'); break;
        case 'f': *out += QLatin1Char('\f'); break;
        case 'n': *out += QLatin1Char('\n'); break;
        case 'r': *out += QLatin1Char('\r'); break;
        case 't': *out += QLatin1Char('\t'); break;
        case 'v': *out += QLatin1Char('\v'); break;
        case '"':
        case '\\':
        case '\'':
        case '?': *out += QLatin1Char(e); break;
        case 'x':
            // As many hex digits as follow, as QSettings reads them.
            if (i == raw.size() || !isHexDigit(uchar(raw[i])))
                return false;
            while (i < raw.size() && isHexDigit(uchar(raw[i]))) {
                code = code * 16 + uint(hexValue(raw[i++]));
                if (code > 0xFFFF)
                    return false;
            }
            *out += QChar(char16_t(code));
            break;
        default:
            if (e < '0' || e > '7')
                return false;
            code = uint(e - '0');
            while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7') {
                code = code * 8 + uint(raw[i++] - '0');
                if (code > 0xFFFF)
                    return false;
            }
            *out += QChar(char16_t(code));
        }
    }
    if (quoted && !closed)
        return false;
    if (!out->startsWith(QLatin1Char('@')))
        return true;
    if (out->startsWith(QLatin1String("@String(")) && out->endsWith(QLatin1Char(')'))) {
        *out = out->sliced(8).chopped(1);
        return true;
    }
    if (out->startsWith(QLatin1String("@@"))) {
        out->remove(0, 1);
        return true;
    }
    return false;
}

// The other way: what QSettings writes for a string value.
QByteArray escapeValue(const QString &value)
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
    const auto takeRun = [&](qsizetype end) {
        if (end > run)
            out += QStringView(text).sliced(run, end - run).toUtf8();
        run = end + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == ';' || c == ',' || c == '=')
            needsQuotes = true;
        if (escapeNextIfDigit && isHexDigit(c)) {
            takeRun(i);
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeNextIfDigit = false;
        const char *escape = nullptr;
        switch (c) {
        case '\0': escape = "\\0"; break;
        case '\a': escape = "\\a"; break;
        case '\b': escape = "\\b"; break;
        case '\f': escape = "\\f"; break;
        case '\n': escape = "\\n"; break;
        case '\r': escape = "\\r"; break;
        case '\t': escape = "\\t"; break;
        case '\v': escape = "\\v"; break;
        case '"': escape = "\\\""; break;
        case '\\': escape = "\\\\"; break;
        default: break;
        }
        if (escape) {
            takeRun(i);
            out += escape;
            escapeNextIfDigit = c == '\0';
        } else if (c <= 0x1F || c == 0xFEFF) {
            // U+FEFF too, which QSettings reads as a byte order mark and drops where it
            // begins a piece of the value.
            takeRun(i);
            out += "\\x" + QByteArray::number(c, 16);
            escapeNextIfDigit = true;
        }
    }
    takeRun(text.size());
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' ')) {
        out.prepend('"');
        out.append('"');
    }
    return out;
}

// A settings file taken apart into its lines, each kept as it is.
class IniFile {
public:
    struct Line {
        qsizetype begin = 0;
        qsizetype end = 0; // without the line feed
        int section = -1; // index into sections; -1 before the first
        QString key; // empty for a section line or an empty line
        QString value;
    };

    // False, with *why, for a file that is not in the form QSettings writes.
    bool parse(const QByteArray &bytes, QString *why);

    // The value of key in section; false when it is not there.
    bool find(const QString &section, const QString &key, QString *value) const;

    // The whole file with key in section set to the escaped value: its line replaced
    // where it is, else added at the end of the section, else in a new section at the end.
    QByteArray with(const QString &section, const QString &key, const QByteArray &value) const;

private:
    const Line *entry(const QString &section, const QString &key) const;

    QByteArray m_bytes;
    QStringList m_sections;
    std::vector<Line> m_lines;
};

bool IniFile::parse(const QByteArray &bytes, QString *why)
{
    m_bytes = bytes;
    m_sections.clear();
    m_lines.clear();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes); // only to learn whether it is UTF-8
    if (utf8.hasError())
        return *why = QStringLiteral("it is not UTF-8 text"), false;

    // Sets, not searches: a file of a megabyte can hold a quarter of a million lines.
    QSet<QString> sectionNames;
    QSet<std::pair<int, QString>> keys;
    int section = -1;
    int number = 0;
    for (qsizetype begin = 0; begin < bytes.size();) {
        ++number;
        qsizetype end = bytes.indexOf('\n', begin);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line = QByteArrayView(bytes).sliced(begin, end - begin);
        const auto refuse = [&](const char *what) {
            *why = QStringLiteral("line %1 is %2").arg(number).arg(QLatin1String(what));
            return false;
        };
        for (const char c : line) {
            if (uchar(c) < 0x20)
                return refuse("not a line of settings (it holds a control character)");
        }
        Line entry;
        entry.begin = begin;
        entry.end = end;
        if (line.isEmpty()) {
            entry.section = section;
        } else if (line.front() == '[') {
            // QSettings' names: [General] holds the keys of no section, [%General] a
            // section named General.
            QString name;
            const QByteArrayView inner = line.sliced(1, std::max<qsizetype>(line.size() - 2, 0));
            const bool named = line.size() >= 2 && line.back() == ']'
                && (inner.compare("general", Qt::CaseInsensitive) == 0
                    || (inner.compare("%general", Qt::CaseInsensitive) == 0
                        && (name = QString::fromLatin1(inner.sliced(1)), true))
                    || unescapeName(inner, &name));
            if (!named)
                return refuse("not a section name as this program writes one");
            if (sectionNames.contains(name))
                return refuse("a second section of the same name");
            sectionNames.insert(name);
            m_sections << name;
            section = entry.section = int(m_sections.size()) - 1;
        } else {
            const qsizetype equals = line.indexOf('=');
            if (equals < 0 || !unescapeName(line.first(equals), &entry.key))
                return refuse("neither a section, nor a key and its value, nor empty");
            if (!unescapeValue(line.sliced(equals + 1), &entry.value))
                return refuse("a value that is not a text as this program writes one");
            entry.section = section;
            const std::pair<int, QString> name(section, entry.key);
            if (keys.contains(name))
                return refuse("a second value for the same key");
            keys.insert(name);
        }
        m_lines.push_back(std::move(entry));
        begin = end + 1;
    }
    return true;
}

const IniFile::Line *IniFile::entry(const QString &section, const QString &key) const
{
    const int index = int(m_sections.indexOf(section));
    for (const Line &line : m_lines) {
        if (index >= 0 && line.section == index && line.key == key)
            return &line;
    }
    return nullptr;
}

bool IniFile::find(const QString &section, const QString &key, QString *value) const
{
    const Line *line = entry(section, key);
    if (line)
        *value = line->value;
    return line;
}

QByteArray IniFile::with(const QString &section, const QString &key, const QByteArray &value) const
{
    // Our own names are plain letters and digits, which QSettings writes as they are.
    const QByteArray newLine = key.toLatin1() + '=' + value;
    QByteArray out = m_bytes;
    if (const Line *line = entry(section, key)) {
        out.replace(line->begin, line->end - line->begin, newLine);
        return out;
    }
    const int index = int(m_sections.indexOf(section));
    if (index >= 0) {
        // After the section's last line that is not empty, so that the empty line
        // QSettings puts between sections stays between them.
        qsizetype after = -1;
        for (const Line &line : m_lines) {
            if (line.section == index && line.end > line.begin)
                after = line.end;
        }
        if (after == out.size())
            return out + '\n' + newLine + '\n';
        return out.insert(after + 1, newLine + '\n');
    }
    if (!out.isEmpty() && !out.endsWith('\n'))
        out += '\n';
    if (!out.isEmpty() && !out.endsWith("\n\n"))
        out += '\n';
    return out + '[' + section.toLatin1() + "]\n" + newLine + '\n';
}

// --- Reading the file -----------------------------------------------------------------

bool readFailure(Error *error, int err, const QString &what)
{
    return fail(error,
                err == EACCES || err == EPERM ? Error::NotReadable : Error::SettingsNotWritten,
                QStringLiteral("%1: %2").arg(what, systemReason(err)));
}

// The file's bytes: *missing when there is no file at all. Only a regular file of at most
// kMaxFileBytes is read, opened so that nothing can make the open or the read wait.
bool loadFile(const QString &path, QByteArray *bytes, bool *missing, Error *error,
              quint64 *device = nullptr, quint64 *inode = nullptr)
{
    *missing = false;
    bytes->clear();
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened: opening a device can do something.
    struct stat st { };
    if (::stat(name.constData(), &st) != 0) {
        const int err = errno;
        struct stat link { };
        if (err == ENOENT && ::lstat(name.constData(), &link) == 0)
            return fail(error, Error::NotAFile,
                        QStringLiteral("%1 is a symbolic link that leads to no file").arg(path));
        if (err == ENOENT || err == ENOTDIR)
            return *missing = true, false;
        return readFailure(error, err, QStringLiteral("cannot read %1").arg(path));
    }
    const auto notAFile = [&](unsigned mode) {
        return fail(error, Error::NotAFile,
                    QStringLiteral("%1 is not a regular file but %2").arg(path, fileKind(mode)));
    };
    const auto tooLarge = [&] {
        return fail(error, Error::SettingsTooLarge,
                    QStringLiteral("%1 is larger than the %2 bytes a settings file may hold")
                        .arg(path)
                        .arg(SearchTextStore::kMaxFileBytes));
    };
    if (!S_ISREG(st.st_mode))
        return notAFile(st.st_mode);
    if (st.st_size > SearchTextStore::kMaxFileBytes)
        return tooLarge();
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return readFailure(error, errno, QStringLiteral("cannot read %1").arg(path));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat opened { };
    if (::fstat(fd, &opened) != 0)
        return readFailure(error, errno, QStringLiteral("cannot read %1").arg(path));
    if (!S_ISREG(opened.st_mode))
        return notAFile(opened.st_mode);
    if (opened.st_dev != st.st_dev || opened.st_ino != st.st_ino)
        return fail(error, Error::SettingsNotWritten,
                    QStringLiteral("%1 was replaced while it was being read").arg(path));
    // One byte more than may be there tells a file that grew since.
    bytes->resize(SearchTextStore::kMaxFileBytes + 1);
    qsizetype used = 0;
    while (used < bytes->size()) {
        const ssize_t n = ::read(fd, bytes->data() + used, size_t(bytes->size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return readFailure(error, errno, QStringLiteral("cannot read %1").arg(path));
        if (n == 0)
            break;
        used += n;
    }
    if (used > SearchTextStore::kMaxFileBytes) {
        bytes->clear();
        return tooLarge();
    }
    bytes->truncate(used);
    bytes->squeeze();
    if (device)
        *device = opened.st_dev;
    if (inode)
        *inode = opened.st_ino;
    return true;
}

bool notOurs(Error *error, const QString &path, const QString &why)
{
    return fail(error, Error::SettingsNotOurs,
                QStringLiteral("%1 is not a settings file this program wrote: %2").arg(path, why));
}

} // namespace

SearchTextStore::SearchTextStore()
    : m_fileName(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                 + QStringLiteral("/Tembra/Tembra.ini"))
{ }

SearchTextStore::SearchTextStore(const QString &fileName) : m_fileName(fileName) { }

bool SearchTextStore::readEntry(const QString &key, QString *value, Error *why) const
{
    value->clear();
    QByteArray bytes;
    bool missing = false;
    if (!loadFile(m_fileName, &bytes, &missing, why))
        return false;
    IniFile ini;
    QString problem;
    if (!ini.parse(bytes, &problem))
        return notOurs(why, m_fileName, problem);
    return ini.find(kSection, key, value);
}

QString SearchTextStore::read(Error *why) const
{
    QString text;
    readEntry(kTextKey, &text, why);
    return text;
}

bool SearchTextStore::readExactMatch(Error *why) const
{
    QString value;
    if (!readEntry(kExactKey, &value, why))
        return false;
    // As QSettings turns text into a yes or no.
    return !(value.isEmpty() || value == QLatin1String("0")
             || value.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0);
}

qreal SearchTextStore::readPanePoints(Error *why) const
{
    QString value;
    if (!readEntry(kPanePointsKey, &value, why))
        return 0;
    bool ok = false;
    const double points = value.toDouble(&ok);
    return ok && points > 0 ? points : 0;
}

bool SearchTextStore::writePanePoints(qreal points, Error *error)
{
    return writeEntry(kPanePointsKey, QString::number(points), error);
}

bool SearchTextStore::write(const QString &text, Error *error)
{
    return writeEntry(kTextKey, text, error);
}

bool SearchTextStore::writeExactMatch(bool on, Error *error)
{
    return writeEntry(kExactKey, on ? QStringLiteral("true") : QStringLiteral("false"), error);
}

// Every failure names the file to the reader, whatever else it says.
bool SearchTextStore::writeEntry(const QString &key, const QString &value, Error *error)
{
    Error why;
    if (writeEntryTo(key, value, &why))
        return true;
    if (why.shown.isEmpty())
        why.shown = texts::fileDetail(m_fileName);
    if (error)
        *error = why;
    return false;
}

bool SearchTextStore::writeEntryTo(const QString &key, const QString &value, Error *error)
{
    FileReplacement file(m_fileName);
    Error why;
    const auto failed = [&](Error::Kind kind) { return fail(error, kind, why.detail, why.shown); };
    if (!file.resolve(&why))
        return failed(why.kind == Error::NotAFile ? Error::NotAFile : Error::SettingsNotWritten);
    IniFile ini;
    if (file.exists()) {
        QByteArray bytes;
        bool missing = false;
        quint64 device = 0;
        quint64 inode = 0;
        if (!loadFile(file.target(), &bytes, &missing, &why, &device, &inode)) {
            if (missing)
                why.detail
                    = QStringLiteral("%1 was removed while it was being read").arg(m_fileName);
            return failed(missing ? Error::SettingsNotWritten : why.kind);
        }
        if (!file.isTarget(device, inode))
            return fail(error, Error::SettingsNotWritten,
                        QStringLiteral("%1 was replaced while it was being read").arg(m_fileName));
        QString problem;
        if (!ini.parse(bytes, &problem))
            return notOurs(error, file.target(), problem);
    }
    const QByteArray out = ini.with(kSection, key, escapeValue(value));
    if (out.size() > kMaxFileBytes)
        return fail(error, Error::SettingsTooLarge,
                    QStringLiteral("the text would make %1 %2 bytes long, more than the %3 "
                                   "bytes a settings file may hold")
                        .arg(m_fileName)
                        .arg(out.size())
                        .arg(kMaxFileBytes));
    if (!file.exists())
        QDir().mkpath(QFileInfo(m_fileName).absolutePath()); // a failure shows in the write
    if (!file.commit(out.constData(), out.size(), &why))
        return failed(Error::SettingsNotWritten);
    return true;
}

} // namespace tembra
