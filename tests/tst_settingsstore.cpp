// The settings kept between runs, through real files in a temporary folder: QSettings,
// which wrote the files of earlier versions, serves as the second implementation that
// every file must read the same through; files that are not the program's own, or not
// files, are neither read nor written over.

#include "base/messages.h"
#include "base/processsetup.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
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

QString qsettingsText(const QString &path)
{
    return QSettings(path, QSettings::IniFormat).value(QStringLiteral("Settings/Text0")).toString();
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
        QStringLiteral("'"),
        QStringLiteral("?"),
        QStringLiteral("x"),
    };
    QString text;
    while (text.size() < length)
        text += pieces[random->bounded(int(pieces.size()))];
    return text;
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void missingFileIsEmpty();
    void agreesWithQSettings_data();
    void agreesWithQSettings();
    void exactMatchAgreesWithQSettings();
    void oneEntryKeepsTheOthers();
    void refusedFiles_data();
    void refusedFiles();
    void linkToOwnFileIsWrittenThrough();
    void keepsPermissionBits();
    void largestFile();
    void fileSizeLimit();
    void unwritableFolder();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }

    QTemporaryDir m_config;
    QTemporaryDir m_dir;
};

// The user's store lives under XDG_CONFIG_HOME; it must point here before the first
// store exists.
void TestSettingsStore::initTestCase()
{
    setUpProcess(); // as every program does: a size limit is then an error
    QVERIFY(m_config.isValid() && m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QCOMPARE(SearchTextStore().fileName(), m_config.path() + QStringLiteral("/Tembra/Tembra.ini"));
    QCOMPARE(SearchTextStore().fileName(),
             QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tembra"),
                       QStringLiteral("Tembra"))
                 .fileName());
}

void TestSettingsStore::init()
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

void TestSettingsStore::missingFileIsEmpty()
{
    QVERIFY(!QFile::exists(SearchTextStore().fileName()));
    Error why;
    QCOMPARE(SearchTextStore().read(&why), QString());
    QCOMPARE(why.kind, Error::None); // nothing wrong with a first start
    QVERIFY(!SearchTextStore().readExactMatch(&why));
    QCOMPARE(why.kind, Error::None);

    // The first write makes the folder too, as QSettings did.
    QVERIFY(SearchTextStore().write(QStringLiteral("x")));
    QCOMPARE(qsettingsText(SearchTextStore().fileName()), QStringLiteral("x"));
}

void TestSettingsStore::agreesWithQSettings_data()
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

    QRandomGenerator random(1515);
    for (int i = 0; i < 40; ++i)
        QTest::newRow(qPrintable(QStringLiteral("generated %1").arg(i)))
            << generatedText(&random, random.bounded(1, 120));

    // A million characters in less than the file's MiB: mostly one byte of UTF-8 each.
    QString million;
    million.reserve(1000000);
    while (million.size() < 1000000)
        million += generatedText(&random, 10) + QString(490, QLatin1Char('x'));
    million.truncate(1000000);
    QTest::newRow("1,000,000 characters") << million;
}

void TestSettingsStore::agreesWithQSettings()
{
    QFETCH(QString, text);
    const QString ours = path(QStringLiteral("ours.ini"));
    const QString theirs = path(QStringLiteral("theirs.ini"));

    Error error;
    QVERIFY2(SearchTextStore(ours).write(text, &error), qPrintable(error.detail));
    QCOMPARE(qsettingsText(ours), text);

    qsettingsWrite(theirs, QStringLiteral("Settings/Text0"), text);
    Error why;
    const QString read = SearchTextStore(theirs).read(&why);
    QVERIFY2(!why.isError(), qPrintable(why.detail));
    QCOMPARE(read, text);

    // Written anew, the two files are one, but for U+FEFF, which QSettings writes as it is
    // and then reads as a byte order mark where it begins a piece of the value.
    if (!text.contains(QChar(0xFEFF)))
        QCOMPARE(bytesOf(ours), bytesOf(theirs));

    // A second write over either replaces the value and nothing else.
    QVERIFY(SearchTextStore(theirs).write(text + QStringLiteral(" 2")));
    QCOMPARE(qsettingsText(theirs), text + QStringLiteral(" 2"));
}

void TestSettingsStore::exactMatchAgreesWithQSettings()
{
    const QString ours = path(QStringLiteral("ours.ini"));
    for (const bool on : {true, false}) {
        QVERIFY(SearchTextStore(ours).writeExactMatch(on));
        QCOMPARE(QSettings(ours, QSettings::IniFormat)
                     .value(QStringLiteral("Settings/ExactMatch"))
                     .toBool(),
                 on);
        const QString theirs = path(QStringLiteral("theirs.ini"));
        qsettingsWrite(theirs, QStringLiteral("Settings/ExactMatch"), on);
        QCOMPARE(SearchTextStore(theirs).readExactMatch(), on);
    }
    // Text that QSettings reads as yes or no, read the same way.
    for (const char *text : {"true", "TRUE", "1", "yes", "false", "False", "0", ""}) {
        const QString theirs = path(QStringLiteral("text.ini"));
        qsettingsWrite(theirs, QStringLiteral("Settings/ExactMatch"), QString::fromLatin1(text));
        QCOMPARE(SearchTextStore(theirs).readExactMatch(),
                 QSettings(theirs, QSettings::IniFormat)
                     .value(QStringLiteral("Settings/ExactMatch"))
                     .toBool());
    }
}

void TestSettingsStore::oneEntryKeepsTheOthers()
{
    const QString file = path(QStringLiteral("both.ini"));
    // Earlier versions' files, with what QSettings puts around the entries.
    qsettingsWrite(file, QStringLiteral("General/other"), QStringLiteral("kept, as it was"));
    qsettingsWrite(file, QStringLiteral("Settings/Text0"), QStringLiteral("first"));
    qsettingsWrite(file, QStringLiteral("Zeta/k%ey"), 7);
    SearchTextStore store(file);

    QVERIFY(store.writeExactMatch(true));
    QCOMPARE(store.read(), QStringLiteral("first"));
    QVERIFY(store.write(QStringLiteral("second")));
    QVERIFY(store.readExactMatch());
    QVERIFY(store.writeExactMatch(false));
    QCOMPARE(store.read(), QStringLiteral("second"));

    QSettings settings(file, QSettings::IniFormat);
    QCOMPARE(settings.status(), QSettings::NoError);
    QCOMPARE(settings.value(QStringLiteral("Settings/Text0")).toString(), QStringLiteral("second"));
    QCOMPARE(settings.value(QStringLiteral("Settings/ExactMatch")).toBool(), false);
    QCOMPARE(settings.value(QStringLiteral("General/other")).toString(),
             QStringLiteral("kept, as it was"));
    QCOMPARE(settings.value(QStringLiteral("Zeta/k%ey")).toInt(), 7);
    QCOMPARE(settings.allKeys().size(), 4);
}

void TestSettingsStore::refusedFiles_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QByteArray>("contents"); // of the file, or of the file the link leads to
    QTest::addColumn<Error::Kind>("kind");
    QTest::addColumn<QString>("reason"); // the message's Sorani words, as a reader reads them

    const QString notOurs = QStringLiteral(u"فایلی ڕێکخستنی ئەم بەرنامەیە نییە");
    const QString notAFile = QStringLiteral(u"فایل نییە");
    const QString tooLarge = QStringLiteral("1 MiB");

    QTest::newRow("a comment on the first line")
        << "file" << QByteArray("# my notes\n[Settings]\nText0=a\n") << Error::SettingsNotOurs
        << notOurs;
    QTest::newRow("someone's shell file behind a link")
        << "link" << QByteArray("# my notes\nexport PATH=/opt/bin:$PATH\n")
        << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a git configuration behind a link")
        << "link" << QByteArray("[core]\n\tbare = false\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("not UTF-8") << "file" << QByteArray("[Settings]\nText0=\xff\xfe\n")
                               << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a value QSettings reads as a list")
        << "file" << QByteArray("[Settings]\nText0=a,b\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a value QSettings cuts at a semicolon")
        << "file" << QByteArray("[Settings]\nText0=a;b\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a typed value") << "file" << QByteArray("[Settings]\nText0=@Invalid()\n")
                                   << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a key twice") << "file" << QByteArray("[Settings]\nText0=a\nText0=b\n")
                                 << Error::SettingsNotOurs << notOurs;
    QTest::newRow("Windows line ends")
        << "file" << QByteArray("[Settings]\r\nText0=a\r\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("a lone bracket")
        << "file" << QByteArray("[\nText0=a\n") << Error::SettingsNotOurs << notOurs;
    QTest::newRow("FIFO") << "fifo" << QByteArray() << Error::NotAFile << notAFile;
    QTest::newRow("folder") << "folder" << QByteArray() << Error::NotAFile << notAFile;
    QTest::newRow("link to a device") << "device" << QByteArray() << Error::NotAFile << notAFile;
    QTest::newRow("link to nothing") << "dangling" << QByteArray() << Error::NotAFile << notAFile;
    QTest::newRow("500 MB, sparse")
        << "sparse" << QByteArray() << Error::SettingsTooLarge << tooLarge;
    QTest::newRow("a byte over 1 MiB")
        << "file"
        << "[Settings]\nText0=" + QByteArray((1 << 20) - 17, 'a') + '\n'
        << Error::SettingsTooLarge << tooLarge;
}

// Each is left exactly as it was, with the reason said in Sorani and nothing else
// written beside it; nothing waits on a pipe.
void TestSettingsStore::refusedFiles()
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

    SearchTextStore store(file);
    Error why;
    QCOMPARE(store.read(&why), QString());
    QCOMPARE(why.kind, kind);
    QVERIFY(!store.readExactMatch());

    Error error;
    QVERIFY(!store.write(QStringLiteral("new text"), &error));
    QCOMPARE(error.kind, kind);
    QVERIFY2(error.detail.contains(file) || error.detail.contains(target),
             qPrintable(error.detail));
    const QString message = saveErrorMessage(error);
    // "the text of the search box was not saved:", then why
    QVERIFY(message.startsWith(QStringLiteral(u"نووسینی ناو سندوقی گەڕان پاشەکەوت نەکرا:")));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY(!store.writeExactMatch(true));

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

// A dotfile manager's link stays a link, and the file it leads to gets the text.
void TestSettingsStore::linkToOwnFileIsWrittenThrough()
{
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("dotfiles")));
    const QString target = path(QStringLiteral("dotfiles/Tembra.ini"));
    const QString link = path(QStringLiteral("Tembra.ini"));
    qsettingsWrite(target, QStringLiteral("Settings/Text0"), QStringLiteral("old"));
    QVERIFY(QFile::link(QStringLiteral("dotfiles/Tembra.ini"), link));

    SearchTextStore store(link);
    QCOMPARE(store.read(), QStringLiteral("old"));
    Error error;
    QVERIFY2(store.write(QStringLiteral(u"نوێ"), &error), qPrintable(error.detail));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(qsettingsText(target), QStringLiteral(u"نوێ"));
    QCOMPARE(QDir(path(QStringLiteral("dotfiles"))).entryList(QDir::Files),
             QStringList{QStringLiteral("Tembra.ini")}); // no temporary file left
    QCOMPARE(entries().size(), 2); // the link and the folder
}

void TestSettingsStore::keepsPermissionBits()
{
    const QString file = path(QStringLiteral("Tembra.ini"));
    for (const mode_t mode : {0600, 0640, 0444}) {
        QVERIFY(SearchTextStore(file).write(QStringLiteral("a")));
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode), 0);
        // Even 0444: the file is replaced in its folder, not written into.
        QVERIFY(SearchTextStore(file).write(QStringLiteral("b")));
        struct stat st { };
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode);
        QCOMPARE(qsettingsText(file), QStringLiteral("b"));
    }
}

// The file holds at most 1 MiB: the largest text that fits is saved and read back; one
// that does not fit is refused, and the saved one stays.
void TestSettingsStore::largestFile()
{
    const QString file = path(QStringLiteral("Tembra.ini"));
    const QByteArray frame = "[Settings]\nText0=\n";
    const QString fits((1 << 20) - frame.size(), QLatin1Char('a'));
    SearchTextStore store(file);
    Error error;
    QVERIFY2(store.write(fits, &error), qPrintable(error.detail));
    QCOMPARE(QFileInfo(file).size(), 1 << 20);
    QCOMPARE(store.read(), fits);

    const QString arabic(1000000, QChar(0x0641)); // two bytes of UTF-8 each
    QVERIFY(!store.write(arabic, &error));
    QCOMPARE(error.kind, Error::SettingsTooLarge);
    QCOMPARE(store.read(), fits);
    QCOMPARE(entries(), QStringList{QStringLiteral("Tembra.ini")});

    // As many lines as a MiB holds, each its own key: read and written as any file is.
    QByteArray lines = "[Settings]\nText0=many\n";
    for (int i = 0; lines.size() < (1 << 20) - 100; ++i)
        lines += 'k' + QByteArray::number(i) + "=\n";
    put(file, lines);
    QCOMPARE(store.read(), QStringLiteral("many"));
    QVERIFY(store.writeExactMatch(true));
    const QSettings settings(file, QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Settings/ExactMatch")).toBool(), true);
    QCOMPARE(settings.value(QStringLiteral("Settings/Text0")).toString(), QStringLiteral("many"));
    QVERIFY(settings.contains(QStringLiteral("Settings/k100000")));
}

// Under a file-size limit (ulimit -f) a write fails with the system's reason, the old
// file stays, and no temporary file or lock is left behind.
void TestSettingsStore::fileSizeLimit()
{
    const QString file = path(QStringLiteral("Tembra.ini"));
    SearchTextStore store(file);
    QVERIFY(store.write(QStringLiteral("before")));
    const QByteArray before = bytesOf(file);

    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limited = old;
    limited.rlim_cur = 4096;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    Error error;
    const bool written = store.write(QString(10000, QLatin1Char('x')), &error);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &old), 0);

    QVERIFY(!written);
    QCOMPARE(error.kind, Error::SettingsNotWritten);
    QVERIFY2(error.detail.contains(QString::fromLocal8Bit(std::strerror(EFBIG))),
             qPrintable(error.detail));
    // "the settings file cannot be written"
    QVERIFY(saveErrorMessage(error).contains(QStringLiteral(u"ناتوانرێت بنووسرێت")));
    QCOMPARE(bytesOf(file), before);
    QCOMPARE(entries(), QStringList{QStringLiteral("Tembra.ini")});
}

void TestSettingsStore::unwritableFolder()
{
    // Tests may run as root, for whom permissions do not stop a write; a regular file where
    // the folder should be stops everyone.
    const QString plain = path(QStringLiteral("plain"));
    put(plain, {});
    const QString file = plain + QStringLiteral("/Tembra.ini");

    SearchTextStore store(file);
    Error error;
    QVERIFY(!store.write(QStringLiteral("abc"), &error));
    QCOMPARE(error.kind, Error::SettingsNotWritten);
    QVERIFY2(error.detail.contains(file), qPrintable(error.detail));
    QVERIFY(!store.write(QStringLiteral("abc"))); // no error object wanted
    QCOMPARE(store.read(), QString());
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
