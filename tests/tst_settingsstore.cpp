// The search text kept between runs, through real settings files in a temporary folder.

#include "collection/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tembra;

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void missingEntryIsEmpty();
    void roundTrip_data();
    void roundTrip();
    void unwritableStore();

private:
    QTemporaryDir m_config;
};

// The user's store lives under XDG_CONFIG_HOME; it must point here before the first
// settings object exists.
void TestSettingsStore::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    QVERIFY(SearchTextStore().fileName().startsWith(m_config.path() + QLatin1Char('/')));
}

void TestSettingsStore::missingEntryIsEmpty()
{
    QVERIFY(!QFile::exists(SearchTextStore().fileName()));
    QCOMPARE(SearchTextStore().read(), QString());
}

void TestSettingsStore::roundTrip_data()
{
    QTest::addColumn<QString>("text");

    QString longText;
    while (longText.size() < 10000)
        longText += QString::fromUtf16(u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647 ");
    longText.truncate(10000);

    QTest::newRow("Kurdish") << QString::fromUtf16(u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648"
                                                   u"\u062F\u0647\u200C\u0643\u0647 \u0640\u0651");
    QTest::newRow("newlines") << QStringLiteral("one\ntwo\r\nthree\r");
    QTest::newRow("ini syntax") << QStringLiteral("[Settings]\nText0=x; # comment = y");
    QTest::newRow("quotes and backslashes") << QStringLiteral("\"a\" 'b' \\\" C:\\x\\");
    QTest::newRow("leading and trailing spaces") << QStringLiteral("  word \t ");
    QTest::newRow("reads as a list") << QStringLiteral("a, b,c");
    QTest::newRow("reads as a typed value") << QStringLiteral("@Invalid()");
    QTest::newRow("short") << QStringLiteral("ab");
    QTest::newRow("empty") << QString();
    QTest::newRow("10,000 characters") << longText;
}

void TestSettingsStore::roundTrip()
{
    QFETCH(QString, text);

    Error error;
    QVERIFY(SearchTextStore().write(text, &error));
    QVERIFY(!error.isError());
    QVERIFY(QFile::exists(SearchTextStore().fileName()));
    // A new store object reads the file afresh, as the next start does.
    QCOMPARE(SearchTextStore().read(), text);
}

void TestSettingsStore::unwritableStore()
{
    // Tests may run as root, for whom permissions do not stop a write; a regular file where
    // the folder should be stops everyone.
    const QString plain = m_config.filePath(QStringLiteral("plain"));
    QFile file(plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = plain + QStringLiteral("/Tembra.ini");

    SearchTextStore store(path);
    Error error;
    QVERIFY(!store.write(QStringLiteral("abc"), &error));
    QCOMPARE(error.kind, Error::SettingsNotWritten);
    QVERIFY2(error.detail.contains(path), qPrintable(error.detail));
    QVERIFY(!store.write(QStringLiteral("abc"))); // no error object wanted
    QCOMPARE(store.read(), QString());
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
