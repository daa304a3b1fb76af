// What the reader is told when something fails: every shown text cut to what a message box
// can show, and the program-wide path for an error no handler traps (a message box in plain
// words, then the program ends).

#include "base/cuttext.h"
#include "base/messages.h"
#include "base/texts.h"
#include "forms/application.h"
#include "forms/messagebox.h"

#include <QTest>

#include <stdexcept>

using namespace tembra;

namespace {

// A handler that traps nothing.
class Throwing final : public QObject {
public:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("the handler broke");
        return QObject::event(event);
    }
};

} // namespace

class TestErrors : public QObject {
    Q_OBJECT

private slots:
    void init() { m_boxes.clear(); }
    void unhandledErrorIsReportedAndEnds();
    void shownTextIsCut_data();
    void shownTextIsCut();
    void messageIsCut();

private:
    QStringList m_boxes;
};

void TestErrors::unhandledErrorIsReportedAndEnds()
{
    msgbox::setHook([this](const QString &prompt, const QString &) { m_boxes << prompt; });
    auto *app = qobject_cast<Application *>(QCoreApplication::instance());
    QVERIFY(app);
    QVERIFY(!app->failed());

    Throwing handler;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&handler, &event); // must not throw through
    QVERIFY(app->failed());
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY(m_boxes[0].startsWith(texts::unhandledError()));
    QVERIFY(m_boxes[0].contains(QStringLiteral("the handler broke")));

    // the program is ending: a second error says nothing more
    QCoreApplication::sendEvent(&handler, &event);
    QCOMPARE(m_boxes.size(), 1);
    msgbox::setHook({});
}

// A text shown in a message box is cut to what a reader can take in: a line to 300
// units, the text to 16 lines, "…" where it was cut; never inside a character, and a
// path cut short closes its isolate.
void TestErrors::shownTextIsCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("most");
    QTest::addColumn<QString>("cut");
    QTest::newRow("within") << QStringLiteral("abcdef") << 6 << QStringLiteral("abcdef");
    QTest::newRow("one over") << QStringLiteral("abcdefg") << 6 << QStringLiteral(u"abcde\u2026");
    QTest::newRow("a pair at the cut")
        << QStringLiteral(u"abcd\U0001F54Cxyz") << 6 << QStringLiteral(u"abcd\u2026");
    QTest::newRow("a pair before the cut")
        << QStringLiteral(u"abc\U0001F54Cxyz") << 6 << QStringLiteral(u"abc\U0001F54C\u2026");
    QTest::newRow("inside a path") << QStringLiteral(u"x\u2066/a/b/c/d\u2069 y") << 7
                                   << QStringLiteral(u"x\u2066/a/\u2026\u2069");
    QTest::newRow("after a path") << QStringLiteral(u"\u2066/a\u2069 xyzw") << 7
                                  << QStringLiteral(u"\u2066/a\u2069 x\u2026");
}

void TestErrors::shownTextIsCut()
{
    QFETCH(QString, text);
    QFETCH(int, most);
    QFETCH(QString, cut);
    QCOMPARE(cutText(text, most), cut);
}

// The whole message: the 2,000,000 characters that held the window up come to 300, and
// a thousand lines to 16, the last of them "…".
void TestErrors::messageIsCut()
{
    const QString path = QStringLiteral("/tmp/Data.mdb");
    Error error;
    error.kind = Error::NoTable;
    error.shown = QString(2000000, QChar(0x0628));
    const QStringList lines = openErrorMessage(path, error).split(QLatin1Char('\n'));
    QVERIFY(lines.contains(QChar(0x2066) + path + QChar(0x2069))); // read left to right
    QVERIFY(lines.contains(QString(299, QChar(0x0628)) + QChar(0x2026)));
    error.shown = QStringLiteral("x\n").repeated(1000);
    QString shown;
    msgbox::setHook([&](const QString &prompt, const QString &) { shown = prompt; });
    msgbox::show(nullptr, openErrorMessage(path, error), QStringLiteral("title"));
    msgbox::setHook({});
    const QStringList cut = shown.split(QLatin1Char('\n'));
    QCOMPARE(cut.size(), 16);
    QCOMPARE(cut.last(), QStringLiteral(u"\u2026"));
    QCOMPARE(cut[cut.size() - 2], QStringLiteral("x"));
}

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestErrors test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errors.moc"
