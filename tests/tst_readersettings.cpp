// The settings kept between runs, through real files in a temporary folder. QSettings,
// which wrote the files of earlier versions, is the second reader every file is read
// through; files that are not the program's own, or not files, are neither read nor
// written over.

#include "base/filereplace.h"
#include "base/messages.h"
#include "base/processsetup.h"
#include "settings/readersettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tembra;

Q_DECLARE_METATYPE(Error::Kind)

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// What QSettings reads from the file. From a copy under a name of its own: QSettings keeps
// what it read of a file by name and reads it again only when the size or the time of
// change differs, which two quick writes of the same size do not.
QVariant qsettingsValue(const QString &path, const QString &key)
{
    QTemporaryFile copy;
    if (!copy.open() || copy.write(bytesOf(path)) < 0 || !copy.flush())
        qFatal("cannot copy %s", qPrintable(path));
    return QSettings(copy.fileName(), QSettings::IniFormat).value(key);
}

QString qsettingsText(const QString &path)
{
    return qsettingsValue(path, QStringLiteral("Settings/Text0")).toString();
}

// The search text as the program reads it from the file, and why the file is not used.
QString ourText(const QString &path, Error *why = nullptr)
{
    ReaderSettings settings(path);
    settings.load(why);
    return settings.value(Setting::SearchText).toString();
}

bool saveText(const QString &path, const QString &text, Error *error = nullptr)
{
    return ReaderSettings(path).setValue(Setting::SearchText, text, error);
}

void qsettingsWrite(const QString &path, const QString &key, const QVariant &value)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qFatal("QSettings cannot write %s", qPrintable(path));
}

// Texts made of the pieces that INI escaping has to get right, in a fixed random order.
QString generatedText(QRandomGenerator *random, int length)
{
    static const QStringList pieces = {
        QStringLiteral(u"ف"),
        QStringLiteral(u"ە"),
        QStringLiteral(u"\u200C"),
        QStringLiteral(u"\u0651"),
        QStringLiteral(u"\u0640"),
        QStringLiteral("\n"),
        QStringLiteral("\r\n"),
        QStringLiteral("\t"),
        QStringLiteral("\""),
        QStringLiteral("\\"),
        QStringLiteral(";"),
        QStringLiteral("#"),
        QStringLiteral("="),
        QStringLiteral(","),
        QStringLiteral(" "),
        QStringLiteral("@"),
        QStringLiteral("["),
        QStringLiteral("]"),
        QStringLiteral("%"),
        QStringLiteral("a"),
        QStringLiteral("7"),
        QString(QChar(0)),
        QString(QChar(1)),
        QString(QChar(0x7F)),
        QStringLiteral(u"\U0001F54C"),
        QStringLiteral(u"\uFEFF"),
        QStringLiteral(u"\u2028"),
        QString(QChar(0xD800)), // a high surrogate alone
        QString(QChar(0xDFFF)), // a low surrogate alone
        QStringLiteral("'"),
        QStringLiteral("?"),
        QStringLiteral("x"),
    };
    QString text;
    while (text.size() < length)
        text += pieces[random->bounded(int(pieces.size()))];
    return text;
}

// Whether QSettings' own writer keeps the text: it writes U+FEFF as it is, which its reader
// then drops, and a lone surrogate as a replacement character.
bool qsettingsWritesWhole(const QString &text)
{
    if (text.contains(QChar(0xFEFF)))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

// Every text of a place, NULL fields aside.
QStringList placeTexts(const SavedPlace &place)
{
    QStringList texts{place.list, place.text, place.hadithDigest};
    for (const std::optional<QString> &field :
         {place.book, place.chapter, place.hadithBook, place.hadithNumber}) {
        if (field)
            texts << *field;
    }
    return texts;
}

// Every setting at once, to compare the program's reading of a file with QSettings'.
struct AllSettings {
    QString text;
    bool exact = false;
    bool anyOrder = false;
    double points = 0;
    QString font;
    bool showMarks = true;
    bool night = false;
    SearchHistory history;
    SavedPlace place;
};

// The program's reading against QSettings', setting by setting (the caller returns when a
// comparison failed: CHECK_SAME).
void compareAll(const AllSettings &actual, const AllSettings &expected)
{
    QCOMPARE(actual.text, expected.text);
    QCOMPARE(actual.exact, expected.exact);
    QCOMPARE(actual.anyOrder, expected.anyOrder);
    QCOMPARE(actual.points, expected.points);
    QCOMPARE(actual.font, expected.font);
    QCOMPARE(actual.showMarks, expected.showMarks);
    QCOMPARE(actual.night, expected.night);
    QCOMPARE(actual.history.size(), expected.history.size());
    for (qsizetype i = 0; i < expected.history.size(); ++i) {
        QCOMPARE(actual.history[i].text, expected.history[i].text);
        QCOMPARE(actual.history[i].exact, expected.history[i].exact);
        QCOMPARE(actual.history[i].anyOrder, expected.history[i].anyOrder);
    }
    QCOMPARE(QStringList(placeTexts(actual.place)), placeTexts(expected.place));
    QVERIFY(actual.place == expected.place); // NULL fields and options too
}
#define CHECK_SAME(actual, expected)                                                               \
    do {                                                                                           \
        compareAll(actual, expected);                                                              \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

// Every setting as QSettings reads the file, with the program's defaults where the file has
// none (from a copy, as qsettingsValue reads).
AllSettings qsettingsRead(const QString &path)
{
    QTemporaryFile copy;
    if (!copy.open() || copy.write(bytesOf(path)) < 0 || !copy.flush())
        qFatal("cannot copy %s", qPrintable(path));
    QSettings settings(copy.fileName(), QSettings::IniFormat);
    AllSettings all;
    settings.beginGroup(QStringLiteral("Settings"));
    all.text = settings.value(QStringLiteral("Text0")).toString();
    all.exact = settings.value(QStringLiteral("ExactMatch")).toBool();
    all.anyOrder = settings.value(QStringLiteral("AnyOrder")).toBool();
    all.points = std::max(0.0, settings.value(QStringLiteral("PaneFontSize")).toDouble());
    all.font = settings.value(QStringLiteral("PaneFont")).toString();
    all.showMarks = settings.value(QStringLiteral("ShowMarks"), true).toBool();
    all.night = settings.value(QStringLiteral("NightAppearance")).toBool();
    settings.endGroup();
    const int searches = settings.beginReadArray(QStringLiteral("History"));
    for (int i = 0; i < searches; ++i) {
        settings.setArrayIndex(i);
        all.history.push_back({settings.value(QStringLiteral("Text")).toString(),
                               settings.value(QStringLiteral("ExactMatch")).toBool(),
                               settings.value(QStringLiteral("AnyOrder")).toBool()});
    }
    settings.endArray();
    settings.beginGroup(QStringLiteral("Place"));
    const auto text
        = [&](const char *key) { return settings.value(QLatin1String(key)).toString(); };
    const auto nullable = [&](const char *key) -> std::optional<QString> {
        if (!settings.contains(QLatin1String(key)))
            return std::nullopt;
        return text(key);
    };
    all.place = {text("List"),
                 text("Text"),
                 settings.value(QStringLiteral("ExactMatch")).toBool(),
                 settings.value(QStringLiteral("AnyOrder")).toBool(),
                 nullable("Book"),
                 nullable("Chapter"),
                 nullable("HadithBook"),
                 nullable("HadithNumber"),
                 text("HadithDigest")};
    return all;
}

// Every setting as the program reads the file.
AllSettings ourRead(const QString &path, Error *why = nullptr)
{
    ReaderSettings settings(path);
    settings.load(why);
    return {settings.value(Setting::SearchText).toString(),
            settings.value(Setting::ExactMatch).toBool(),
            settings.value(Setting::AnyOrder).toBool(),
            settings.value(Setting::PaneFontSize).toDouble(),
            settings.value(Setting::PaneFont).toString(),
            settings.value(Setting::ShowMarks).toBool(),
            settings.value(Setting::NightAppearance).toBool(),
            settings.value(Setting::History).value<SearchHistory>(),
            settings.value(Setting::Place).value<SavedPlace>()};
}

// The history and the place written by QSettings' own writer.
void qsettingsWriteAll(const QString &path, const SearchHistory &history, const SavedPlace &place)
{
    QSettings settings(path, QSettings::IniFormat);
    if (!history.isEmpty()) {
        settings.beginWriteArray(QStringLiteral("History"), int(history.size()));
        for (int i = 0; i < history.size(); ++i) {
            settings.setArrayIndex(i);
            settings.setValue(QStringLiteral("Text"), history[i].text);
            settings.setValue(QStringLiteral("ExactMatch"), history[i].exact);
            settings.setValue(QStringLiteral("AnyOrder"), history[i].anyOrder);
        }
        settings.endArray();
    }
    if (place != SavedPlace()) {
        settings.beginGroup(QStringLiteral("Place"));
        settings.setValue(QStringLiteral("List"), place.list);
        settings.setValue(QStringLiteral("Text"), place.text);
        settings.setValue(QStringLiteral("ExactMatch"), place.exact);
        settings.setValue(QStringLiteral("AnyOrder"), place.anyOrder);
        const auto nullable = [&](const char *key, const std::optional<QString> &field) {
            if (field)
                settings.setValue(QLatin1String(key), *field);
        };
        nullable("Book", place.book);
        nullable("Chapter", place.chapter);
        nullable("HadithBook", place.hadithBook);
        nullable("HadithNumber", place.hadithNumber);
        settings.setValue(QStringLiteral("HadithDigest"), place.hadithDigest);
        settings.endGroup();
    }
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qFatal("QSettings cannot write %s", qPrintable(path));
}

} // namespace

class TestReaderSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void missingFileIsEmpty();
    void configFolderOfAnyBytes();
    void roundTrip_data();
    void roundTrip();
    void readsWhatQSettingsReads_data();
    void readsWhatQSettingsReads();
    void textsReadAsOtherThings_data();
    void textsReadAsOtherThings();
    void historyAndPlace_data();
    void historyAndPlace();
    void remembered_data();
    void remembered();
    void refusedFiles_data();
    void refusedFiles();
    void refusedWrites_data();
    void refusedWrites();
    void linkToOwnFileIsWrittenThrough();
    void keepsPermissionBits();
    void fileSwappedInIsLeftAlone();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }

    QTemporaryDir m_config;
    QTemporaryDir m_dir;
};

// The user's file lives under XDG_CONFIG_HOME; it must point here before the first
// settings object exists.
void TestReaderSettings::initTestCase()
{
    setUpProcess(); // as every program does: a size limit is then an error
    QVERIFY(m_config.isValid() && m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QCOMPARE(ReaderSettings().fileName(), m_config.path() + QStringLiteral("/Tembra/Tembra.ini"));
    QCOMPARE(ReaderSettings().fileName(),
             QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tembra"),
                       QStringLiteral("Tembra"))
                 .fileName());
}

void TestReaderSettings::init()
{
    QDir dir(m_dir.path());
    for (const QString &name : entries()) {
        const QFileInfo info(dir.filePath(name));
        if (info.isDir() && !info.isSymLink())
            QDir(info.filePath()).removeRecursively();
        else
            dir.remove(name);
    }
}

void TestReaderSettings::missingFileIsEmpty()
{
    QVERIFY(!QFile::exists(ReaderSettings().fileName()));
    ReaderSettings settings;
    Error why;
    QVERIFY(settings.load(&why)); // nothing wrong with a first start
    QCOMPARE(why.kind, Error::None);
    // every default, as the next features are to find them
    QCOMPARE(settings.value(Setting::SearchText).toString(), QString());
    QCOMPARE(settings.value(Setting::ExactMatch).toBool(), false);
    QCOMPARE(settings.value(Setting::AnyOrder).toBool(), false);
    QCOMPARE(settings.value(Setting::PaneFontSize).toDouble(), 0.0);
    QCOMPARE(settings.value(Setting::PaneFont).toString(), QString());
    QCOMPARE(settings.value(Setting::ShowMarks).toBool(), true);
    QCOMPARE(settings.value(Setting::NightAppearance).toBool(), false);
    QVERIFY(settings.value(Setting::History).value<SearchHistory>().isEmpty());
    const SavedPlace none = settings.value(Setting::Place).value<SavedPlace>();
    QVERIFY(none.list.isEmpty() && !none.book && !none.chapter && !none.hadithBook
            && !none.hadithNumber && none.hadithDigest.isEmpty());

    // The first write makes the folder too, as QSettings did.
    QVERIFY(settings.setValue(Setting::SearchText, QStringLiteral("x")));
    QCOMPARE(qsettingsText(ReaderSettings().fileName()), QStringLiteral("x"));
}

// The file at a path of any bytes, read and written by the system's calls alone.
QByteArray nativeBytes(const QByteArray &path)
{
    QByteArray bytes;
    if (FILE *f = std::fopen(path.constData(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            bytes.append(buffer, qsizetype(n));
        std::fclose(f);
    }
    return bytes;
}

QList<QByteArray> namesIn(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, ".."))
                names << QByteArray(entry->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

// A configuration folder whose name is not UTF-8 (XDG_CONFIG_HOME holds a byte that no
// text decodes to) is the folder the settings are read from and written to, byte for
// byte, and no other.
void TestReaderSettings::configFolderOfAnyBytes()
{
    const QByteArray kept = qgetenv("XDG_CONFIG_HOME");
    const QByteArray top = QFile::encodeName(m_dir.path());
    const QByteArray folder = top + "/conf\xff\xfe\xc3";
    const QByteArray file = folder + "/Tembra/Tembra.ini";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    qputenv("XDG_CONFIG_HOME", folder);

    // The first write makes the folder within it.
    Error error;
    QVERIFY2(ReaderSettings().setValue(Setting::SearchText, QStringLiteral("first"), &error),
             qPrintable(error.detail));
    QCOMPARE(nativeBytes(file), QByteArray("[Settings]\nText0=first\n"));

    std::FILE *f = std::fopen(file.constData(), "wb");
    QVERIFY(f);
    QCOMPARE(std::fputs("[Settings]\nText0=saved\n", f) >= 0, true);
    QCOMPARE(std::fclose(f), 0);
    ReaderSettings settings;
    Error why;
    QVERIFY2(settings.load(&why), qPrintable(why.detail));
    QCOMPARE(settings.value(Setting::SearchText).toString(), QStringLiteral("saved"));
    QVERIFY2(settings.setValue(Setting::ExactMatch, true, &error), qPrintable(error.detail));
    qputenv("XDG_CONFIG_HOME", kept);

    QCOMPARE(nativeBytes(file), QByteArray("[Settings]\nExactMatch=true\nText0=saved\n"));
    QCOMPARE(namesIn(top), QList<QByteArray>{"conf\xff\xfe\xc3"});
    QCOMPARE(namesIn(folder), QList<QByteArray>{"Tembra"});
    QCOMPARE(namesIn(folder + "/Tembra"), QList<QByteArray>{"Tembra.ini"});
    QCOMPARE(::unlink(file.constData()), 0);
    QCOMPARE(::rmdir((folder + "/Tembra").constData()), 0);
    QCOMPARE(::rmdir(folder.constData()), 0);
}

void TestReaderSettings::roundTrip_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("Kurdish") << QStringLiteral(u"فه\u200Cرمووده\u200Cكه \u0640\u0651");
    QTest::newRow("ini syntax") << QStringLiteral("[Settings]\nText0=x; # comment = y");
    QTest::newRow("quotes and backslashes") << QStringLiteral("\"a\" 'b' \\\" C:\\x\\");
    QTest::newRow("leading and trailing spaces") << QStringLiteral("  word \t ");
    QTest::newRow("reads as a list") << QStringLiteral("a, b,c");
    QTest::newRow("reads as a typed value") << QStringLiteral("@Invalid()");
    QTest::newRow("at signs") << QStringLiteral("@@x@");
    QTest::newRow("control character before hex digits") << QStringLiteral("\x01"
                                                                           "ab7\x1f"
                                                                           "F");
    QTest::newRow("NUL before digits") << QString(QChar(0)) + QStringLiteral("12");
    QTest::newRow("U+FEFF first") << QString(QChar(0xFEFF)) + QStringLiteral("a");
    QTest::newRow("lone surrogates") << QString(QChar(0xD83D)) + QStringLiteral("a") + QChar(0xDE00)
            + QChar(0xDE00) + QChar(0xD83D) + QStringLiteral("f");

    QRandomGenerator random(1515);
    for (int i = 0; i < 40; ++i)
        QTest::newRow(qPrintable(QStringLiteral("generated %1").arg(i)))
            << generatedText(&random, random.bounded(1, 120));

    // A million characters of any script are kept whole: Arabic letters (two bytes of
    // UTF-8 each), letters outside the first plane, and what takes the most room, lone
    // surrogates and control characters written as escapes.
    QTest::newRow("1,000,000 Arabic letters") << QString(1000000, QChar(0x0641));
    QString emoji;
    for (int i = 0; i < 500000; ++i)
        emoji += QStringLiteral(u"\U0001F54C");
    QTest::newRow("1,000,000 units outside the first plane") << emoji;
    QTest::newRow("1,000,000 lone surrogates") << QString(1000000, QChar(0xDC00));
    QString mixed;
    while (mixed.size() < 1000000)
        mixed += generatedText(&random, 1000);
    mixed.truncate(1000000);
    QTest::newRow("1,000,000 generated characters") << mixed;
}

// Written by the program, read back by the program and by QSettings; written by QSettings
// (where its writer keeps the text), read by the program, to the same bytes.
void TestReaderSettings::roundTrip()
{
    QFETCH(QString, text);
    const QString ours = path(QStringLiteral("ours.ini"));

    Error error;
    QVERIFY2(saveText(ours, text, &error), qPrintable(error.detail));
    QVERIFY(QFileInfo(ours).size() <= ReaderSettings::kMaxFileBytes);
    QCOMPARE(ourText(ours), text);
    QCOMPARE(qsettingsText(ours), text);

    // QSettings' writer grows its buffer a character at a time past its first guess, which
    // under AddressSanitizer takes minutes for a million: it writes the shorter texts.
    if (!qsettingsWritesWhole(text) || text.size() > 100000)
        return;
    const QString theirs = path(QStringLiteral("theirs.ini"));
    qsettingsWrite(theirs, QStringLiteral("Settings/Text0"), text);
    Error why;
    QCOMPARE(ourText(theirs, &why), text);
    QVERIFY2(!why.isError(), qPrintable(why.detail));
    QCOMPARE(bytesOf(ours), bytesOf(theirs));
}

void TestReaderSettings::readsWhatQSettingsReads_data()
{
    QTest::addColumn<QByteArray>("contents");

    QTest::newRow("Windows line ends")
        << QByteArray("[Settings]\r\nText0=a b\r\nExactMatch=true\r\nPaneFontSize=14\r\n");
    QTest::newRow("a byte order mark") << QByteArray("\xEF\xBB\xBF[Settings]\nText0=x\n");
    QTest::newRow("spaces around =")
        << QByteArray("[Settings]\nText0 = two words \nPaneFontSize\t=\t12.5\n");
    QTest::newRow("comment lines")
        << QByteArray("# my notes\n[Settings]\n; more notes\n  # and more\nText0=a\n");
    QTest::newRow("empty lines, line ends of CR alone")
        << QByteArray("\n\n[Settings]\r\rText0=x\r\n  \nExactMatch=1\n");
    QTest::newRow("a group name escaped") << QByteArray("[%53ettings]\nText0=x\n");
    QTest::newRow("a key twice") << QByteArray("[Settings]\nText0=a\nText0=b\n");
    QTest::newRow("the group twice")
        << QByteArray("[Settings]\nText0=a\n[Settings]\nExactMatch=yes\n");
    QTest::newRow("a value cut at a semicolon") << QByteArray("[Settings]\nText0=a;b\n");
    QTest::newRow("quoted") << QByteArray("[Settings]\nText0=\"a;b,c = d\"\n");
    for (const char *yesOrNo : {"true", "TRUE", "1", "yes", "false", "False", "0", ""})
        QTest::newRow(qPrintable(QStringLiteral("yes or no: %1").arg(QLatin1String(yesOrNo))))
            << "[Settings]\nExactMatch=" + QByteArray(yesOrNo) + "\nShowMarks=" + yesOrNo
                + "\nAnyOrder=" + yesOrNo + "\nNightAppearance=" + yesOrNo + '\n';
    QTest::newRow("every setting, by hand")
        << QByteArray("[Settings]\nText0=x\nAnyOrder=true\nPaneFont = Amiri \nShowMarks=false\n"
                      "[History]\nsize=2\n1\\Text=a\n2\\Text=b\n2\\ExactMatch=true\n"
                      "[Place]\nList=book\nBook=\nHadithNumber=7\n");
    QTest::newRow("a history of none") << QByteArray("[History]\nsize=0\n");
    QTest::newRow("searches with slashes")
        << QByteArray("[History]\n1/Text=a\n1/AnyOrder=1\nsize=1\n");
    QTest::newRow("an empty file") << QByteArray();
}

// Each value as QSettings reads it; then a write keeps the other values as QSettings read
// them.
void TestReaderSettings::readsWhatQSettingsReads()
{
    QFETCH(QByteArray, contents);
    const QString file = path(QStringLiteral("Tembra.ini"));
    put(file, contents);
    AllSettings truth = qsettingsRead(file);

    Error why;
    const AllSettings read = ourRead(file, &why);
    QVERIFY2(!why.isError(), qPrintable(why.detail));
    CHECK_SAME(read, truth);

    Error error;
    QVERIFY2(ReaderSettings(file).setValue(Setting::SearchText, QStringLiteral(u"نوێ"), &error),
             qPrintable(error.detail));
    truth.text = QStringLiteral(u"نوێ");
    const AllSettings after = qsettingsRead(file);
    CHECK_SAME(after, truth);
}

void TestReaderSettings::textsReadAsOtherThings_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text"); // what the line holds, as a reader typed it

    const auto searchText = [](const char *name, const QByteArray &value, const QString &text) {
        QTest::newRow(name) << "[Settings]\nText0=" + value + '\n'
                            << QStringLiteral("Settings/Text0") << text;
    };
    searchText("a list", "a,b", QStringLiteral("a,b"));
    searchText("a list with spaces", "a, b ,c  ", QStringLiteral("a, b ,c"));
    searchText("commas alone", ",,", QStringLiteral(",,"));
    searchText("a quoted part", "\"a;\",b", QStringLiteral("a;,b"));
    searchText("hex digits after a comma", "\\x41,bcd,9", QStringLiteral("A,bcd,9"));
    searchText("a list before a comment", "a,b ;c,d", QStringLiteral("a,b"));
    searchText("a size", "@Size(1 2)", QStringLiteral("@Size(1 2)"));
    searchText("a quoted rectangle", "\"@Rect(1 2 3 4)\"", QStringLiteral("@Rect(1 2 3 4)"));
    searchText("no value", "@Invalid()", QStringLiteral("@Invalid()"));
    searchText("bytes", "@ByteArray(xyz)", QStringLiteral("@ByteArray(xyz)"));
    searchText("a typed value in a list", "@Size(1 2),x", QStringLiteral("@Size(1 2),x"));
    QTest::newRow("a search of the history")
        << QByteArray("[History]\n1\\Text=a,b\nsize=1\n") << QStringLiteral("History/1/Text")
        << QStringLiteral("a,b");
    QTest::newRow("the place's book")
        << QByteArray("[Place]\nList=book\nBook=@Invalid()\n") << QStringLiteral("Place/Book")
        << QStringLiteral("@Invalid()");
    QTest::newRow("the font") << QByteArray("[Settings]\nPaneFont=Noto, Sans\n")
                              << QStringLiteral("Settings/PaneFont")
                              << QStringLiteral("Noto, Sans");
}

// A text that QSettings reads as a list or a typed value comes back as the text the line
// holds, and a write of another setting keeps it so: it never reads back empty, nor goes.
void TestReaderSettings::textsReadAsOtherThings()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, key);
    QFETCH(QString, text);
    const QString file = path(QStringLiteral("Tembra.ini"));
    put(file, contents);
    QVERIFY(qsettingsValue(file, key).metaType().id() != QMetaType::QString);

    Error why;
    AllSettings read = ourRead(file, &why);
    QVERIFY2(!why.isError(), qPrintable(why.detail));
    const auto found = [&key](const AllSettings &all) -> std::optional<QString> {
        if (key == QLatin1String("Settings/Text0"))
            return all.text;
        if (key == QLatin1String("Settings/PaneFont"))
            return all.font;
        if (key == QLatin1String("Place/Book"))
            return all.place.book;
        return all.history.value(0).text;
    };
    QCOMPARE(found(read), text);

    Error error;
    QVERIFY2(ReaderSettings(file).setValue(Setting::ExactMatch, true, &error),
             qPrintable(error.detail));
    const QVariant after = qsettingsValue(file, key);
    QCOMPARE(after.metaType().id(), QMetaType::QString);
    QCOMPARE(after.toString(), text);
    read.exact = true;
    const AllSettings theirs = qsettingsRead(file);
    CHECK_SAME(theirs, read);
}

void TestReaderSettings::historyAndPlace_data()
{
    QTest::addColumn<SearchHistory>("history"); // given
    QTest::addColumn<SearchHistory>("kept"); // what the file is to hold
    QTest::addColumn<SavedPlace>("place");

    const SavedPlace inSearch{QStringLiteral("search"),
                              QStringLiteral(u"رسول الله"),
                              false,
                              true,
                              std::nullopt,
                              std::nullopt,
                              QStringLiteral(u"صحيح البخاري"),
                              QStringLiteral("12"),
                              QStringLiteral("0123456789abcdef0123456789abcdef")};
    const SearchHistory one{{QStringLiteral(u"رسول الله"), false, true}};
    QTest::newRow("a search and its place") << one << one << inSearch;

    // Texts that QSettings would read as lists or typed values, or that need escapes.
    const QStringList awkward = {
        QStringLiteral("a,b"),
        QStringLiteral("@Size(1 2)"),
        QStringLiteral("@Invalid()"),
        QStringLiteral("\"quoted\", and ; not a comment"),
        QStringLiteral("line\nbreak\r\nand\ttab"),
        QString(QChar(0xD800)) + QStringLiteral("lone") + QChar(0xDC00),
        QString(QChar(0)) + QStringLiteral("12"),
        QStringLiteral("  spaces  "),
    };
    SearchHistory odd;
    for (int i = 0; i < awkward.size(); ++i)
        odd.push_back({awkward[i], i % 2 == 1, i % 3 == 1});
    const SavedPlace oddPlace{awkward[0], awkward[1], true,       true,      awkward[2],
                              awkward[3], awkward[4], awkward[5], awkward[6]};
    QTest::newRow("texts that need care") << odd << odd << oddPlace;

    // NULL is not empty.
    QTest::newRow("an empty book, a NULL chapter")
        << SearchHistory() << SearchHistory() << SavedPlace{QStringLiteral("book"),
                                                            QString(),
                                                            false,
                                                            false,
                                                            QString(),
                                                            std::nullopt,
                                                            QString(),
                                                            std::nullopt,
                                                            QStringLiteral("-")};
    QTest::newRow("every field NULL")
        << SearchHistory() << SearchHistory()
        << SavedPlace{QStringLiteral("whole"), {}, false, false, {}, {}, {}, {}, {}};

    QRandomGenerator random(3030);
    SearchHistory thirty;
    for (int i = 0; i < 30; ++i)
        thirty.push_back({generatedText(&random, random.bounded(1, 60)) + QString::number(i),
                          i % 2 == 0, i % 3 == 0});
    QTest::newRow("thirty searches") << thirty << thirty << SavedPlace();
    // Kept as the history keeps its searches: once each, thirty at most, none too long
    // for the file.
    SearchHistory more = thirty;
    more.insert(3, thirty[1]);
    more.insert(5, {QString(10001, QLatin1Char('x'))});
    more.push_back({QStringLiteral("the thirty-first")});
    QTest::newRow("a repeat, a text too long, a thirty-first") << more << thirty << SavedPlace();
}

// Written by the program, read back by the program and by QSettings; written by QSettings
// (where its writer keeps every text), read by the program, to the same bytes.
void TestReaderSettings::historyAndPlace()
{
    QFETCH(SearchHistory, history);
    QFETCH(SearchHistory, kept);
    QFETCH(SavedPlace, place);
    const QString ours = path(QStringLiteral("ours.ini"));

    QVERIFY(saveText(ours, QStringLiteral("before")));
    ReaderSettings settings(ours);
    Error error;
    QVERIFY2(settings.setValue(Setting::History, QVariant::fromValue(history), &error),
             qPrintable(error.detail));
    QVERIFY2(settings.setValue(Setting::Place, QVariant::fromValue(place), &error),
             qPrintable(error.detail));
    QCOMPARE(settings.value(Setting::History).value<SearchHistory>(), kept);
    AllSettings expected;
    expected.text = QStringLiteral("before");
    expected.history = kept;
    expected.place = place;
    const AllSettings read = ourRead(ours);
    CHECK_SAME(read, expected);
    const AllSettings theirReading = qsettingsRead(ours);
    CHECK_SAME(theirReading, expected);

    QStringList texts = placeTexts(place);
    for (const PastSearch &search : kept)
        texts << search.text;
    if (!std::all_of(texts.begin(), texts.end(), qsettingsWritesWhole))
        return;
    const QString theirs = path(QStringLiteral("theirs.ini"));
    qsettingsWrite(theirs, QStringLiteral("Settings/Text0"), QStringLiteral("before"));
    qsettingsWriteAll(theirs, kept, place);
    const AllSettings ourReading = ourRead(theirs);
    CHECK_SAME(ourReading, expected);
    QCOMPARE(bytesOf(ours), bytesOf(theirs));
}

void TestReaderSettings::remembered_data()
{
    QTest::addColumn<SearchHistory>("before");
    QTest::addColumn<PastSearch>("search");
    QTest::addColumn<SearchHistory>("after");

    const PastSearch a{QStringLiteral("aaa")};
    const PastSearch b{QStringLiteral("bbb")};
    const PastSearch aExact{QStringLiteral("aaa"), true};
    const PastSearch aAnyOrder{QStringLiteral("aaa"), false, true};
    QTest::newRow("the first") << SearchHistory() << a << SearchHistory{a};
    QTest::newRow("the newest first") << SearchHistory{a} << b << SearchHistory{b, a};
    QTest::newRow("the same again moves up") << SearchHistory{a, b} << b << SearchHistory{b, a};
    QTest::newRow("other options, another search")
        << SearchHistory{aExact, a} << aAnyOrder << SearchHistory{aAnyOrder, aExact, a};
    SearchHistory thirty;
    for (int i = 0; i < 30; ++i)
        thirty.push_back({QStringLiteral("search %1").arg(i)});
    QTest::newRow("the thirty-first goes") << thirty << a << SearchHistory{a} + thirty.mid(0, 29);
    QTest::newRow("a repeat of the oldest keeps thirty")
        << thirty << thirty.back() << SearchHistory{thirty.back()} + thirty.mid(0, 29);
    const PastSearch longest{QString(10000, QLatin1Char('x'))};
    QTest::newRow("10,000 characters are kept")
        << SearchHistory{a} << longest << SearchHistory{longest, a};
    QTest::newRow("10,001 are not")
        << SearchHistory{a} << PastSearch{QString(10001, QLatin1Char('x'))} << SearchHistory{a};
}

void TestReaderSettings::remembered()
{
    QFETCH(SearchHistory, before);
    QFETCH(PastSearch, search);
    QFETCH(SearchHistory, after);
    QCOMPARE(tembra::remembered(before, search), after);
}

void TestReaderSettings::refusedFiles_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("contents"); // of the file, or of the file the link leads to
    QTest::addColumn<Error::Kind>("kind");
    QTest::addColumn<QString>("reason"); // the message's Sorani words, as a reader reads them

    const QString notOurs = QStringLiteral(u"فایلی ڕێکخستنی ئەم بەرنامەیە نییە");
    const QString notAFile = QStringLiteral(u"فایل نییە");
    const QString tooLarge = QStringLiteral(u"نابێت لە 8 MiB گەورەتر بێت");

    QTest::newRow("someone's file behind a link")
        << "link" << QByteArray("mine=1\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("someone's shell file behind a link")
        << "link" << QByteArray("# my notes\nexport PATH=/opt/bin:$PATH\n")
        << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a git configuration behind a link")
        << "link" << QByteArray("[core]\n\tbare = false\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("notes alone") << "file" << QByteArray("# notes\n; more notes\n")
                                 << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a line of prose")
        << "file" << QByteArray("[Settings]\nText0=a\nremember the milk\n")
        << Error::SettingsNotOurs << notOurs;
    QTest::newRow("another program's key beside ours")
        << "file" << QByteArray("[Settings]\nText0=a\nOther=1\n") << Error::SettingsNotOurs
        << notOurs;
    QTest::newRow("our key outside our group")
        << "file" << QByteArray("[General]\nText0=a\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("our names in other letters")
        << "file" << QByteArray("[settings]\ntext0=a\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a typed value behind an escape")
        << "file" << QByteArray("[Settings]\nText0=\\x40Size(1 2)\n") << Error::SettingsNotOurs
        << notOurs;
    QTest::newRow("a search past the history's thirty")
        << "file" << QByteArray("[History]\n31\\Text=a\nsize=31\n") << Error::SettingsNotOurs
        << notOurs;
    QTest::newRow("a search past the history's size")
        << "file" << QByteArray("[History]\n1\\Text=a\n2\\Text=b\nsize=1\n")
        << Error::SettingsNotOurs << notOurs;
    QTest::newRow("searches without a size")
        << "file" << QByteArray("[History]\n1\\Text=a\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a search numbered 01") << "file" << QByteArray("[History]\n01\\Text=a\nsize=1\n")
                                          << Error::SettingsNotOurs << notOurs;
    QTest::newRow("another key in a search")
        << "file" << QByteArray("[History]\n1\\Colour=red\nsize=1\n") << Error::SettingsNotOurs
        << notOurs;
    QTest::newRow("another key in the place")
        << "file" << QByteArray("[Place]\nList=search\nOther=1\n") << Error::SettingsNotOurs
        << notOurs;
    QTest::newRow("not UTF-8") << "file" << QByteArray("[Settings]\nText0=\xff\xfe\n")
                               << Error::SettingsNotOurs << notOurs;
    QTest::newRow("FIFO") << "fifo" << QByteArray() << Error::NotAFile << notAFile;
    QTest::newRow("folder") << "folder" << QByteArray() << Error::NotAFile << notAFile;
    QTest::newRow("link to a device") << "device" << QByteArray() << Error::NotAFile << notAFile;
    QTest::newRow("link to nothing") << "dangling" << QByteArray() << Error::NotAFile << notAFile;
    QTest::newRow("500 MB, sparse")
        << "sparse" << QByteArray() << Error::SettingsTooLarge << tooLarge;
    QTest::newRow("a byte over 8 MiB")
        << "file"
        << "[Settings]\nText0=" + QByteArray((8 << 20) - 17, 'a') + '\n'
        << Error::SettingsTooLarge << tooLarge;
}

// Each is left exactly as it was, with the reason said in Sorani and nothing else
// written beside it; nothing waits on a pipe.
void TestReaderSettings::refusedFiles()
{
    QFETCH(QString, setup);
    QFETCH(QByteArray, contents);
    QFETCH(Error::Kind, kind);
    QFETCH(QString, reason);

    const QString file = path(QStringLiteral("Tembra.ini"));
    const QString target = path(QStringLiteral("elsewhere"));
    const QByteArray name = QFile::encodeName(file);
    if (setup == QLatin1String("file")) {
        put(file, contents);
    } else if (setup == QLatin1String("link")) {
        put(target, contents);
        QVERIFY(QFile::link(target, file));
    } else if (setup == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    } else if (setup == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("Tembra.ini")));
    } else if (setup == QLatin1String("device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), file));
    } else if (setup == QLatin1String("dangling")) {
        QVERIFY(QFile::link(target, file));
    } else if (setup == QLatin1String("sparse")) {
        put(file, {});
        QCOMPARE(::truncate(name.constData(), 500 << 20), 0);
    }
    struct stat before { };
    QCOMPARE(::stat(name.constData(), &before) == 0, setup != QLatin1String("dangling"));
    const QStringList present = entries();

    ReaderSettings settings(file);
    Error why;
    QVERIFY(!settings.load(&why));
    QCOMPARE(why.kind, kind);
    QCOMPARE(settings.value(Setting::SearchText).toString(), QString());
    QVERIFY(!settings.value(Setting::ExactMatch).toBool());

    Error error;
    QVERIFY(!settings.setValue(Setting::SearchText, QStringLiteral("new text"), &error));
    QCOMPARE(error.kind, kind);
    QVERIFY2(error.detail.contains(file) || error.detail.contains(target),
             qPrintable(error.detail));
    const QString message = saveErrorMessage(error);
    // "the text of the search box was not saved:", then why
    QVERIFY(message.startsWith(QStringLiteral(u"نووسینی ناو سندوقی گەڕان پاشەکەوت نەکرا:")));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY(!settings.setValue(Setting::ExactMatch, true));

    struct stat after { };
    QCOMPARE(::stat(name.constData(), &after) == 0, setup != QLatin1String("dangling"));
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_size, before.st_size);
    QCOMPARE(after.st_rdev, before.st_rdev);
    if (!contents.isNull())
        QCOMPARE(bytesOf(file), contents);
    QCOMPARE(QFileInfo(file).isSymLink(),
             setup == QLatin1String("link") || setup == QLatin1String("device")
                 || setup == QLatin1String("dangling"));
    QCOMPARE(entries(), present);
}

void TestReaderSettings::refusedWrites_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("length"); // of the text written
    QTest::addColumn<Error::Kind>("kind");
    QTest::addColumn<QString>("reason"); // the message's Sorani words

    // "the file is only for reading": the mode says so, whoever runs the test, root too
    QTest::newRow("a read-only file") << "0444" << 10 << Error::SettingsNotWritten
                                      << QStringLiteral(u"فایلەکە تەنها بۆ خوێندنەوەیە");
    // "the file would be larger than the size allowed", the system's reason (ulimit -f)
    QTest::newRow("a file-size limit")
        << "fsize" << 10000 << Error::SettingsNotWritten
        << QStringLiteral(u"فایلەکە لە سنووری قەبارەی ڕێگەپێدراو گەورەتر دەبێت");
    QTest::newRow("a text over the bound")
        << "" << int(ReaderSettings::kMaxFileBytes) << Error::SettingsTooLarge
        << QStringLiteral(u"نابێت لە 8 MiB گەورەتر بێت");
    // A regular file where the folder should be stops everyone, root too: "cannot be
    // written"
    QTest::newRow("a file where the folder should be")
        << "no folder" << 10 << Error::SettingsNotWritten << QStringLiteral(u"ناتوانرێت بنووسرێت");
    // Beside a search text of a million characters, every other text is bounded so that
    // the file holds them all.
    QTest::newRow("a place's text over its bound") << "place" << 10001 << Error::SettingsTooLarge
                                                   << QStringLiteral(u"نابێت لە 8 MiB گەورەتر بێت");
}

// The write fails with the reason in Sorani, naming the file; the saved text stays, and
// nothing is left beside it.
void TestReaderSettings::refusedWrites()
{
    QFETCH(QString, setup);
    QFETCH(int, length);
    QFETCH(Error::Kind, kind);
    QFETCH(QString, reason);

    QString file = path(QStringLiteral("Tembra.ini"));
    QString saved = QStringLiteral("before");
    if (setup == QLatin1String("no folder")) {
        put(path(QStringLiteral("plain")), {});
        file = path(QStringLiteral("plain/Tembra.ini"));
        saved.clear();
    } else {
        QVERIFY(saveText(file, saved));
    }
    if (setup == QLatin1String("0444"))
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    const QByteArray before = bytesOf(file);
    const QStringList present = entries();

    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    if (setup == QLatin1String("fsize")) {
        rlimit limited = old;
        limited.rlim_cur = 4096;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    Error error;
    const QString text(length, QLatin1Char('x'));
    SavedPlace place;
    place.list = QStringLiteral("search");
    place.text = text;
    const bool written = setup == QLatin1String("place")
        ? ReaderSettings(file).setValue(Setting::Place, QVariant::fromValue(place), &error)
        : saveText(file, text, &error);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &old), 0);

    QVERIFY(!written);
    QCOMPARE(error.kind, kind);
    QVERIFY2(error.detail.contains(file), qPrintable(error.detail));
    const QString message = saveErrorMessage(error);
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY2(message.contains(file), qPrintable(message));
    QCOMPARE(bytesOf(file), before);
    QCOMPARE(ourText(file), saved);
    QCOMPARE(entries(), present);
}

// A dotfile manager's link stays a link, and the file it leads to gets the text.
void TestReaderSettings::linkToOwnFileIsWrittenThrough()
{
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("dotfiles")));
    const QString target = path(QStringLiteral("dotfiles/Tembra.ini"));
    const QString link = path(QStringLiteral("Tembra.ini"));
    qsettingsWrite(target, QStringLiteral("Settings/Text0"), QStringLiteral("old"));
    QVERIFY(QFile::link(QStringLiteral("dotfiles/Tembra.ini"), link));

    ReaderSettings settings(link);
    QVERIFY(settings.load());
    QCOMPARE(settings.value(Setting::SearchText).toString(), QStringLiteral("old"));
    Error error;
    QVERIFY2(settings.setValue(Setting::SearchText, QStringLiteral(u"نوێ"), &error),
             qPrintable(error.detail));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(qsettingsText(target), QStringLiteral(u"نوێ"));
    QCOMPARE(QDir(path(QStringLiteral("dotfiles"))).entryList(QDir::Files),
             QStringList{QStringLiteral("Tembra.ini")}); // no temporary file left
    QCOMPARE(entries().size(), 2); // the link and the folder
}

void TestReaderSettings::keepsPermissionBits()
{
    const QString file = path(QStringLiteral("Tembra.ini"));
    for (const mode_t mode : {0600, 0640, 0664}) {
        QVERIFY(saveText(file, QStringLiteral("a")));
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode), 0);
        QVERIFY(saveText(file, QStringLiteral("b")));
        struct stat st { };
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode);
        QCOMPARE(qsettingsText(file), QStringLiteral("b"));
    }
}

// The program's file behind a link, swapped with someone else's file (RENAME_EXCHANGE)
// after it was checked and before it is replaced: the other file is left whole.
void TestReaderSettings::fileSwappedInIsLeftAlone()
{
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("dotfiles")));
    const QString ours = path(QStringLiteral("dotfiles/Tembra.ini"));
    const QString theirs = path(QStringLiteral("dotfiles/theirs"));
    const QString link = path(QStringLiteral("Tembra.ini"));
    QVERIFY(saveText(ours, QStringLiteral("old")));
    const QByteArray oursBefore = bytesOf(ours);
    put(theirs, "mine=1\n");
    QVERIFY(QFile::link(ours, link));

    FileReplacement file(link);
    Error error;
    QVERIFY(file.open(&error));
    if (::renameat2(AT_FDCWD, QFile::encodeName(ours).constData(), AT_FDCWD,
                    QFile::encodeName(theirs).constData(), RENAME_EXCHANGE)
        != 0)
        QSKIP("this file system cannot swap two files");
    const QByteArray text = "[Settings]\nText0=new\n";
    QVERIFY(!file.commit(text.constData(), text.size(), &error));
    QCOMPARE(error.kind, Error::WriteFailed);
    QVERIFY2(error.detail.contains(QLatin1String("changed")), qPrintable(error.detail));
    QCOMPARE(bytesOf(ours), QByteArray("mine=1\n"));
    QCOMPARE(bytesOf(theirs), oursBefore);
    QCOMPARE(QDir(path(QStringLiteral("dotfiles"))).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("Tembra.ini"), QStringLiteral("theirs")}));
}

QTEST_GUILESS_MAIN(TestReaderSettings)
#include "tst_readersettings.moc"
