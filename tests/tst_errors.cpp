// The program-wide path for an error no handler traps: a message box in plain words, then
// the program ends.

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

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    TestErrors test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errors.moc"
