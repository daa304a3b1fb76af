// The whole program, started as a launcher starts it: this test program runs itself as
// the reader (with --as-program) in a folder that holds a collection, under conditions a
// user's machine may give it, and the reader reports what its main window came up with.

#include "app/program.h"
#include "mainwindow/tembra1.h"
#include "search/datacontrol.h"
#include "settings/readersettings.h"
#include "testwindow.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace tembra;

namespace {

constexpr char kAsProgram[] = "--as-program";

// The reader's side: once the main window is on screen, what it holds goes to the file
// named by TEMBRA_TEST_REPORT, a line each, and the program ends.
int runAsProgram(int argc, char **argv)
{
    return runProgram(argc, argv, [](Tembra1 *window) {
        QTimer::singleShot(0, window, [window] {
            QFile report(qEnvironmentVariable("TEMBRA_TEST_REPORT"));
            if (report.open(QIODevice::WriteOnly)) {
                const testutil::Controls c(*window);
                QStringList lines{
                    QString::number(c.Adodc1->recordCount()),
                    QString::number(c.Adodc1->openError().kind),
                    QString::number(c.Text2->text().size()),
                };
                for (int fd = 0; fd <= 2; ++fd)
                    lines << QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
                report.write(lines.join(QLatin1Char('\n')).toUtf8());
            }
            QApplication::quit();
        });
    });
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void startsAsLaunched_data();
    void startsAsLaunched();
    void saysWhenFilesRunOut();

private:
    QTemporaryDir m_dir;
};

void TestProgram::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("Book")));
    QCOMPARE(testutil::writeCollection(m_dir.filePath(QStringLiteral("Book/Data.mdb")),
                                       {testutil::utf8Record("one", "1"),
                                        testutil::utf8Record("two", "2"),
                                        testutil::utf8Record("three", "3")}),
             QString());
}

void TestProgram::startsAsLaunched_data()
{
    QTest::addColumn<QString>("settings"); // what Tembra.ini is
    QTest::addColumn<bool>("closedStreams"); // started with 0, 1 and 2 closed
    QTest::addColumn<int>("textSize"); // of the search box
    QTest::addColumn<QString>("said"); // on standard error

    QTest::newRow("standard streams closed") << "none" << true << 0 << QString();
    QTest::newRow("settings file a FIFO") << "fifo" << false << 0 << "named pipe";
    QTest::newRow("settings file of 500 MB")
        << "sparse" << false << 0 << "larger than the 8388608 bytes";
    QTest::newRow("a saved text of a million characters")
        << "million" << false << 1000000 << QString();
}

// Each comes up with the whole collection and says on standard error why the search
// box is empty; none waits on the settings file.
void TestProgram::startsAsLaunched()
{
    QFETCH(QString, settings);
    QFETCH(bool, closedStreams);
    QFETCH(int, textSize);
    QFETCH(QString, said);

    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkpath(QStringLiteral("Tembra")));
    const QString ini = config.filePath(QStringLiteral("Tembra/Tembra.ini"));
    if (settings == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    } else if (settings == QLatin1String("sparse")) {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(500) << 20));
    } else if (settings == QLatin1String("million")) {
        QVERIFY(
            ReaderSettings(ini).setValue(Setting::SearchText, QString(1000000, QLatin1Char('z'))));
    }

    const QString report = m_dir.filePath(QStringLiteral("report"));
    QFile::remove(report);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.insert(QStringLiteral("TEMBRA_TEST_REPORT"), report);
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(m_dir.path());
    const QString self = QCoreApplication::applicationFilePath();
    if (closedStreams)
        program.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"),
                       QStringLiteral("exec \"$0\" %1 <&- >&- 2>&-").arg(QLatin1String(kAsProgram)),
                       self});
    else
        program.start(self, {QLatin1String(kAsProgram)});
    const bool finished = program.waitForFinished(60000);
    if (!finished)
        program.kill();
    QVERIFY2(finished, "the program did not come up");
    const QByteArray err = program.readAllStandardError();
    QVERIFY2(program.exitCode() == 0, err.constData()); // a sanitizer's report, say

    const QStringList lines
        = QString::fromUtf8(testutil::fileBytes(report)).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines[0], QStringLiteral("3")); // every row
    QCOMPARE(lines[1], QString::number(Error::None));
    QCOMPARE(lines[2], QString::number(textSize));
    if (closedStreams) {
        for (int fd = 0; fd <= 2; ++fd)
            QCOMPARE(lines[3 + fd], QStringLiteral("/dev/null"));
    }
    if (!said.isEmpty())
        QVERIFY2(err.contains(said.toUtf8()), err.constData());
}

// Allowed fewer open files than its windows need (ulimit -n 12, hard and soft), the
// program says so in the system's words and ends, rather than dying inside the toolkit.
void TestProgram::saysWhenFilesRunOut()
{
    QProcess program;
    program.setWorkingDirectory(m_dir.path());
    program.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("ulimit -n 12 && exec \"$0\" %1").arg(QLatin1String(kAsProgram)),
                   QCoreApplication::applicationFilePath()});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QByteArray err = program.readAllStandardError();
    QVERIFY2(err.contains(std::strerror(EMFILE)) && err.contains("ulimit -n"), err.constData());
}

int main(int argc, char *argv[])
{
    if (argc == 2 && qstrcmp(argv[1], kAsProgram) == 0)
        return runAsProgram(argc, argv);
    QCoreApplication app(argc, argv);
    TestProgram test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_program.moc"
