// The main window as a whole: its load step, the layout at its sizes, the caption bar
// (move, enlarge and restore, minimise, close with the search text kept, or with the
// reason it was not), the banner's first tick, the splash window's fade and hand-over,
// the messages for a reading helper that failed, and a mark that outlives a kill.

#include "app/tembra2.h"
#include "base/processsetup.h"
#include "base/texts.h"
#include "forms/controls.h"
#include "forms/messagebox.h"
#include "handover/childreader.h"
#include "mainwindow/tembra1.h"
#include "settings/readersettings.h"
#include "testwindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <sqlite3.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace tembra;

namespace {

// A control's place in twips, as the layout tables give it, seen in pixels.
QRect pixels(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0),
                 qRound(height / 15.0));
}

void mouse(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
           Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// The processes whose working folder is folder and whose program is name.
int processesIn(const QString &folder, const QString &name)
{
    int found = 0;
    QDirIterator proc(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (proc.hasNext()) {
        const QString dir = proc.next();
        if (QFileInfo(dir + QStringLiteral("/cwd")).symLinkTarget() == folder
            && QFileInfo(QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget()).fileName()
                == name)
            ++found;
    }
    return found;
}

// The search text the settings file holds now.
QString savedText(ReaderSettings settings)
{
    settings.load();
    return settings.value(Setting::SearchText).toString();
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void loadStep();
    void layoutAtDesignSize();
    void enlargeRestoreAndMinimise();
    void windowFitsTheScreen();
    void titleMovesTheWindow();
    void restoreReturnsExactly_data();
    void restoreReturnsExactly();
    void opensTheFileNamed_data();
    void opensTheFileNamed();
    void pressedFrame();
    void closeKeepsTheSearchText_data();
    void closeKeepsTheSearchText();
    void closeSaysWhyTheTextWasNotSaved_data();
    void closeSaysWhyTheTextWasNotSaved();
    void longSearchTextIsKeptWhole();
    void helperFailureIsSaidAsItHappened_data();
    void helperFailureIsSaidAsItHappened();
    void otherClosingKeepsNothing();
    void optionAndTextSizeAreKept();
    void firstTickHidesTheHint();
    void splashFadesInAndHandsOverOnce();
    void programEndsOnSignal_data();
    void programEndsOnSignal();
    void markOutlivesAKill();

private:
    ReaderSettings store(const QString &name) const { return ReaderSettings(m_dir.filePath(name)); }

    QTemporaryDir m_dir;
    QString m_path;
    std::vector<QString> m_boxes;
};

void TestWindow::initTestCase()
{
    setUpProcess(); // as the program does: a file-size limit is then an error
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("Data.mdb"));
    QCOMPARE(testutil::writeCollection(m_path, {testutil::utf8Record("first text", "1", "kind")}),
             QString());
    msgbox::setHook([this](const QString &prompt, const QString &) { m_boxes.push_back(prompt); });
}

void TestWindow::init()
{
    m_boxes.clear();
}

void TestWindow::cleanupTestCase()
{
    msgbox::setHook({});
}

void TestWindow::loadStep()
{
    ReaderSettings saved = store(QStringLiteral("load.ini"));
    QVERIFY(saved.setValue(Setting::SearchText, QStringLiteral("  x")));
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    w.setSettingsStore(saved);
    w.show();
    // the title label's caption as the window's own (the texts themselves are checked by
    // their code points with the windows' texts)
    QCOMPARE(w.windowTitle(), c.Label19->caption());
    QCOMPARE(w.windowTitle(), texts::windowTitle());
    QCOMPARE(c.La1->toolTip(), texts::closeTip());
    QCOMPARE(c.La2->toolTip(), texts::enlargeTip());
    QCOMPARE(c.La3->toolTip(), texts::minimiseTip());
    for (Label *button : {c.La1, c.La2, c.La3})
        QVERIFY(button->isTransparent());

    // Centred 300 twips above the middle of the screen, its top kept at 45 or below.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int dx = (screen.width() * 15 - 15045) / 2;
    const int dy = std::max((screen.height() * 15 - 9015) / 2 - 300, 45);
    QCOMPARE(w.pos(), QPoint(qRound(dx / 15.0), qRound(dy / 15.0)));
    QCOMPARE(w.enlargeState()->SavedHeight(), 9015.0f);
    QCOMPARE(w.enlargeState()->SavedWidth(), 15045.0f);
    QCOMPARE(c.Text2->text(), QStringLiteral("  x")); // put back as it was, and not searched
    QVERIFY(c.DataGrid1->isHidden());
    QCOMPARE(c.Label12->caption(), QString());
}

// A few places of the design-size table, through the real window (the whole table is
// the layout function's own test).
void TestWindow::layoutAtDesignSize()
{
    Tembra1 w;
    const testutil::Controls c(w);
    w.setSettingsStore(store(QStringLiteral("layout.ini")));
    w.show();
    QCOMPARE(w.size(), QSize(1003, 601));
    QCOMPARE(c.Text1->geometry(), pixels(120, 810, 11445, 3800));
    QCOMPARE(c.Text2->pos(), pixels(12360, 810, 0, 0).topLeft());
    QCOMPARE(w.form().widget(QStringLiteral("Pic3"))->pos(), pixels(11790, 4070, 0, 0).topLeft());
    // the yellow margin between the panel's border and the grid: one pixel all round
    const QRect inside = c.Pic1->contentsRect();
    const QRect grid = c.DataGrid1->geometry();
    QCOMPARE(inside.size(), pixels(0, 0, 14805, 3735).size() - QSize(2, 2));
    QCOMPARE(grid.left() - inside.left(), 1);
    QCOMPARE(grid.top() - inside.top(), 1);
    QCOMPARE(inside.right() - grid.right(), 1);
    QCOMPARE(inside.bottom() - grid.bottom(), 1);
    // the count panel in front of the details panel that the pass moves over it, and the
    // hint box in front of the search box
    const QObjectList stack = w.children();
    QVERIFY(stack.indexOf(w.form().widget(QStringLiteral("Pic3")))
            > stack.indexOf(w.form().widget(QStringLiteral("Pic2"))));
    QVERIFY(stack.indexOf(c.RichTextBox1) > stack.indexOf(c.Text2));
    QCOMPARE(c.La1->pos(), pixels(14750, 30, 0, 0).topLeft());
    QCOMPARE(w.form().image(10)->geometry().height(), qRound(4340 / 15.0));
    QCOMPARE(c.Pic1->palette().color(QPalette::Window), QColor(255, 255, 0));
}

void TestWindow::enlargeRestoreAndMinimise()
{
    Tembra1 w;
    const testutil::Controls c(w);
    w.setSettingsStore(store(QStringLiteral("toggle.ini")));
    w.show();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect normal = w.geometry();
    const QRect pane = c.Text1->geometry();

    w.La2_Click();
    QCOMPARE(c.Mini->caption(), QStringLiteral("2"));
    QCOMPARE(w.enlargeState()->SavedLeft(), std::optional<float>(float(normal.x() * 15)));
    QCOMPARE(w.enlargeState()->SavedTop(), std::optional<float>(float(normal.y() * 15)));
    QCOMPARE(w.geometry(), QRect(0, 0, screen.width(), screen.height() - 32));
    QCOMPARE(c.Text1->width(), screen.width() - 240); // W - 3600 twips
    QCOMPARE(c.Text2->geometry().right() + 1, screen.width() - 10); // right edge at W - 150

    w.La3_Click(); // minimised: the state is kept and nothing is laid out
    QVERIFY(w.isMinimized());
    const QRect paneMinimised = c.Text1->geometry();
    w.Form_Resize();
    QCOMPARE(c.Text1->geometry(), paneMinimised);
    QCOMPARE(c.Mini->caption(), QStringLiteral("2"));
    w.showNormal();

    w.Label19_DblClick(); // the same toggle as La2: back to where it was, at the start size
    QCOMPARE(c.Mini->caption(), QStringLiteral("1"));
    QCOMPARE(w.geometry(), normal);
    QCOMPARE(c.Text1->geometry(), pane);
}

// On a screen (less its panels) smaller than the design the window is reduced to fit and
// lies wholly on it, its close button and search box in reach; enlarged, it never goes
// beyond it; restored, it is back at its start-up size. On a larger screen it keeps its
// design size. (Run on screens of several sizes, and with everything twice as large.)
void TestWindow::windowFitsTheScreen()
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    Tembra1 w;
    const testutil::Controls c(w);
    w.setSettingsStore(store(QStringLiteral("fit.ini")));
    w.show();
    const QSize design(1003, 601); // 15045 × 9015 twips
    QCOMPARE(w.size(), design.boundedTo(area.size()));
    const auto reachable = [&](const QWidget *control) {
        const QRect at(control->mapToGlobal(QPoint(0, 0)), control->size());
        return area.contains(at) && w.geometry().contains(at);
    };
    for (int round = 0; round < 2; ++round) {
        QVERIFY2(area.contains(w.geometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(w.x())
                                .arg(w.y())
                                .arg(w.width())
                                .arg(w.height())));
        QVERIFY(reachable(c.La1));
        QVERIFY(reachable(c.Text2));
        QVERIFY(reachable(c.Command1));
        w.La2_Click(); // enlarged, then restored
    }
    QCOMPARE(w.size(), design.boundedTo(area.size()));
}

void TestWindow::titleMovesTheWindow()
{
    Tembra1 w;
    const testutil::Controls c(w);
    w.setSettingsStore(store(QStringLiteral("move.ini")));
    w.show();
    const QPoint before = w.pos();
    const QPoint at(200, 8);
    mouse(c.Label19, QEvent::MouseButtonPress, at, Qt::LeftButton);
    mouse(c.Label19, QEvent::MouseMove, at + QPoint(30, 20), Qt::LeftButton);
    mouse(c.Label19, QEvent::MouseButtonRelease, at + QPoint(30, 20), Qt::NoButton);
    QCOMPARE(w.pos(), before + QPoint(30, 20));
    mouse(c.Label19, QEvent::MouseMove, at + QPoint(60, 60), Qt::NoButton);
    QCOMPARE(w.pos(), before + QPoint(30, 20)); // released: the window stays

    // a press elsewhere in the caption bar moves nothing
    mouse(c.Label15, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    mouse(c.Label15, QEvent::MouseMove, QPoint(40, 40), Qt::LeftButton);
    QCOMPARE(w.pos(), before + QPoint(30, 20));

    w.La2_Click();
    w.La2_Click(); // restored to the place it was moved to
    QCOMPARE(w.pos(), before + QPoint(30, 20));
}

// Restore goes back exactly where the reader had the window, also partly off the screen;
// only the enlarged window is kept on the part of the screen a window may take.
void TestWindow::restoreReturnsExactly_data()
{
    QTest::addColumn<QPoint>("movedTo");
    QTest::newRow("on the screen") << QPoint(120, 80);
    QTest::newRow("over the right edge") << QPoint(980, 100);
    QTest::newRow("over the left edge") << QPoint(-150, 60);
    QTest::newRow("over the bottom edge") << QPoint(40, 900);
}

void TestWindow::restoreReturnsExactly()
{
    QFETCH(QPoint, movedTo);
    Tembra1 w;
    w.setSettingsStore(store(QStringLiteral("restore.ini")));
    w.show();
    const QSize size = w.size();
    w.move(movedTo);
    QCOMPARE(w.pos(), movedTo);
    w.La2_Click();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(area.contains(w.geometry()));
    w.La2_Click();
    QCOMPARE(w.pos(), movedTo);
    QCOMPARE(w.size(), size);
    w.Label19_DblClick(); // twice more, by the title
    w.Label19_DblClick();
    QCOMPARE(w.geometry(), QRect(movedTo, size));
}

void TestWindow::pressedFrame()
{
    Tembra1 w;
    const testutil::Controls c(w);
    w.setSettingsStore(store(QStringLiteral("frame.ini")));
    w.show();
    for (Label *button : {c.La1, c.La2, c.La3}) {
        mouse(button, QEvent::MouseButtonPress, QPoint(3, 3), Qt::RightButton, Qt::RightButton);
        QCOMPARE(button->borderStyle(), BorderStyle::Line);
        mouse(button, QEvent::MouseButtonRelease, QPoint(30, 30), Qt::NoButton, Qt::RightButton);
        QCOMPARE(button->borderStyle(), BorderStyle::None);
    }
    QVERIFY(w.isVisible()); // released outside: no click, nothing closed

    // Any button frames a button, but only the left one clicks it: a right or a middle
    // click on the close button closes nothing.
    for (const Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        mouse(c.La1, QEvent::MouseButtonPress, QPoint(3, 3), other, other);
        mouse(c.La1, QEvent::MouseButtonRelease, QPoint(3, 3), Qt::NoButton, other);
        QCOMPARE(c.La1->borderStyle(), BorderStyle::None);
        QVERIFY(w.isVisible());
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("frame.ini"))));
    }
    mouse(c.La1, QEvent::MouseButtonPress, QPoint(3, 3), Qt::LeftButton);
    mouse(c.La1, QEvent::MouseButtonRelease, QPoint(3, 3), Qt::NoButton);
    QVERIFY(!w.isVisible());
    QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("frame.ini"))));
}

void TestWindow::closeKeepsTheSearchText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("a word") << QStringLiteral(u"قَالَ");
    QTest::newRow("empty") << QString();
}

void TestWindow::closeKeepsTheSearchText()
{
    QFETCH(QString, text);
    ReaderSettings saved = store(QStringLiteral("close.ini"));
    QVERIFY(saved.setValue(Setting::SearchText, QStringLiteral("before")));
    {
        Tembra1 w;
        const testutil::Controls c(w);
        w.setSettingsStore(saved);
        w.show();
        c.Text2->setText(text);
        w.La1_Click();
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(savedText(saved), text);
    Tembra1 next;
    const testutil::Controls n(next);
    next.setSettingsStore(saved);
    next.show();
    QCOMPARE(n.Text2->text(), text);

    // A store that cannot be written: said in a message, and the window closes anyway.
    QFile blocker(m_dir.filePath(QStringLiteral("not-a-folder")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    next.setSettingsStore(store(QStringLiteral("not-a-folder/close.ini")));
    next.La1_Click();
    QCOMPARE(m_boxes.size(), size_t(1));
    QVERIFY(!next.isVisible());
}

// The close button over a settings file that is not the program's, or not a file, or
// under a file-size limit: the window closes, the program goes on, the message says in
// Sorani that the text was not saved and why, and what was there is left as it was.
void TestWindow::closeSaysWhyTheTextWasNotSaved_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("why"); // the Sorani words a reader is shown
    QTest::newRow("someone's file behind a link")
        << "link" << QStringLiteral(u"فایلی ڕێکخستنی ئەم بەرنامەیە نییە");
    QTest::newRow("a FIFO") << "fifo" << QStringLiteral(u"فایل نییە");
    QTest::newRow("a link to a device") << "device" << QStringLiteral(u"فایل نییە");
    QTest::newRow("a file-size limit") << "limit" << QStringLiteral(u"ناتوانرێت بنووسرێت");
}

void TestWindow::closeSaysWhyTheTextWasNotSaved()
{
    QFETCH(QString, setup);
    QFETCH(QString, why);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Tembra.ini"));
    const QString notes = dir.filePath(QStringLiteral("notes"));
    const QByteArray own = "# my notes\nexport PATH=/opt/bin:$PATH\n";
    if (setup == QLatin1String("link")) {
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(own) == own.size());
        file.close();
        QVERIFY(QFile::link(notes, ini));
    } else if (setup == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    } else if (setup == QLatin1String("device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), ini));
    } else {
        QVERIFY(ReaderSettings(ini).setValue(Setting::SearchText, QStringLiteral("before")));
    }
    const QStringList present
        = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

    Tembra1 w;

    const testutil::Controls c(w);
    w.setSettingsStore(ReaderSettings(ini));
    w.show();
    c.Text2->setText(QString(10000, QLatin1Char('t')));
    rlimit old{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    if (setup == QLatin1String("limit")) {
        rlimit limited = old;
        limited.rlim_cur = 4096;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    w.La1_Click();
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &old), 0);

    QVERIFY(!w.isVisible());
    QCOMPARE(m_boxes.size(), size_t(1));
    // "the text of the search box was not saved:"
    QVERIFY(m_boxes[0].startsWith(QStringLiteral(u"نووسینی ناو سندوقی گەڕان پاشەکەوت نەکرا:")));
    QVERIFY2(m_boxes[0].contains(why), qPrintable(m_boxes[0]));
    QVERIFY2(testutil::onlySorani(m_boxes[0], {ini}), qPrintable(m_boxes[0]));
    QVERIFY(m_boxes[0].contains(ini)); // which file it is
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             present);
    if (setup == QLatin1String("link"))
        QCOMPARE(testutil::fileBytes(notes), own);
    else if (setup == QLatin1String("device"))
        QVERIFY(QFileInfo(QStringLiteral("/dev/null")).exists()
                && !QFileInfo(QStringLiteral("/dev/null")).isFile());
    else if (setup == QLatin1String("limit"))
        QCOMPARE(savedText(ReaderSettings(ini)), QStringLiteral("before"));
}

// A saved text longer than a line edit takes by default (32,767 characters) comes back
// whole, is searched whole (its first 32,767 characters alone would match), and is saved
// whole.
void TestWindow::longSearchTextIsKeptWhole()
{
    const QString term = QString(1000000, QLatin1Char('q'));
    const QString db = m_dir.filePath(QStringLiteral("long.mdb"));
    QCOMPARE(
        testutil::writeCollection(db, {testutil::record(term.left(32767), QStringLiteral("1"))}),
        QString());
    ReaderSettings saved = store(QStringLiteral("long.ini"));
    QVERIFY(saved.setValue(Setting::SearchText, term));
    {
        Tembra1 w;
        const testutil::Controls c(w);
        testutil::loadCollection(db, c.Adodc1);
        w.setSettingsStore(saved);
        w.show();
        QCOMPARE(c.Text2->text(), term);
        w.Command1_Click();
        QCOMPARE(c.Label12->caption(), QStringLiteral("0"));
        c.Text2->setText(term.left(32767));
        w.Command1_Click();
        QCOMPARE(c.Label12->caption(), QStringLiteral("1"));
        c.Text2->setText(term + QStringLiteral("r"));
        w.La1_Click();
    }
    QCOMPARE(savedText(saved), term + QStringLiteral("r"));
    QVERIFY(m_boxes.empty());
}

// A reading helper that fails is said to have failed as it did, in Sorani, and the file
// is not called damaged.
void TestWindow::helperFailureIsSaidAsItHappened_data()
{
    QTest::addColumn<QString>("script"); // the stand-in helper; empty: none to start
    QTest::addColumn<QStringList>("said"); // the Sorani words a reader is shown
    const QString byForce = QStringLiteral(u"بە زۆر کۆتایی پێهێنرا");
    QTest::newRow("missing") << QString()
                             << QStringList{QStringLiteral(u"دامەزراندنی بەرنامەکە تەواو نییە")};
    QTest::newRow("stopped") << QStringLiteral("kill -STOP $$")
                             << QStringList{QStringLiteral(u"وەستا")};
    QTest::newRow("killed") << QStringLiteral("kill -KILL $$")
                            << QStringList{byForce, QStringLiteral(u"لەوانەیە بیرگە تەواو بووبێت")};
    QTest::newRow("crashed") << QStringLiteral("kill -SEGV $$") << QStringList{byForce};
}

void TestWindow::helperFailureIsSaidAsItHappened()
{
    QFETCH(QString, script);
    QFETCH(QStringList, said);
    ChildRead reading = script.isEmpty()
        ? ChildRead::startProgram(m_dir.filePath(QStringLiteral("no-helper")), {})
        : ChildRead::startProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
    HadithTable table;
    Error error;
    QVERIFY(!reading.collect(&table, &error, {500})); // half a second without progress
    Tembra1 w;
    const testutil::Controls c(w);
    w.setSettingsStore(store(QStringLiteral("helper.ini")));
    c.Adodc1->setOpenError(error);
    w.show();
    QTRY_COMPARE(m_boxes.size(), size_t(1));
    for (const QString &words : said)
        QVERIFY2(m_boxes[0].contains(words), qPrintable(m_boxes[0]));
    // "the file is damaged", the words for what the reader's own checks find
    QVERIFY(!m_boxes[0].contains(QStringLiteral(u"تێکچووە")));
    QVERIFY2(testutil::onlySorani(m_boxes[0], {m_dir.filePath(QStringLiteral("no-helper"))}),
             qPrintable(m_boxes[0]));
}

// The comparison option is kept as soon as it changes, the pane's text size once the reader
// has settled on it, and both come back at the next start.
void TestWindow::optionAndTextSizeAreKept()
{
    const QString ini = m_dir.filePath(QStringLiteral("kept.ini"));
    {
        Tembra1 w;
        const testutil::Controls c(w);
        w.setSettingsStore(ReaderSettings(ini));
        w.show();
        auto *exact = testutil::control<QAction>(w, "ExactMatch");
        QVERIFY(!exact->isChecked());
        exact->setChecked(true);
        // QSettings, a second reader of the file, sees it at once
        QCOMPARE(QSettings(ini, QSettings::IniFormat)
                     .value(QStringLiteral("Settings/ExactMatch"))
                     .toBool(),
                 true);
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(c.Text2, Qt::Key_Equal, Qt::ControlModifier);
        QTest::keyClick(c.Text2, Qt::Key_Equal, Qt::ControlModifier);
        QTRY_VERIFY(
            QSettings(ini, QSettings::IniFormat).contains(QStringLiteral("Settings/PaneFontSize")));
        QTest::keyClick(c.Text2, Qt::Key_Minus, Qt::ControlModifier);
        w.La1_Click(); // keeps the size not yet kept
    }
    QCOMPARE(QSettings(ini, QSettings::IniFormat)
                 .value(QStringLiteral("Settings/PaneFontSize"))
                 .toDouble(),
             20.0);
    Tembra1 next;
    const testutil::Controls n(next);
    next.setSettingsStore(ReaderSettings(ini));
    next.show();
    QVERIFY(testutil::control<QAction>(next, "ExactMatch")->isChecked());
    QCOMPARE(n.Adodc1->comparison(), Comparison::Exact);
    QCOMPARE(n.Text1->font().pointSizeF(), 20.0);
    QVERIFY(m_boxes.empty());
}

void TestWindow::otherClosingKeepsNothing()
{
    ReaderSettings saved = store(QStringLiteral("other.ini"));
    QVERIFY(saved.setValue(Setting::SearchText, QStringLiteral("kept")));
    Tembra1 w;
    const testutil::Controls c(w);
    w.setSettingsStore(saved);
    w.show();
    c.Text2->setText(QStringLiteral("typed"));
    w.close(); // the window manager's close
    QCOMPARE(savedText(saved), QStringLiteral("kept"));
}

void TestWindow::firstTickHidesTheHint()
{
    Tembra1 w;
    const testutil::Controls c(w);
    w.setSettingsStore(store(QStringLiteral("tick.ini")));
    const QDateTime noon(QDate(2024, 7, 8), QTime(12, 0, 5));
    w.setClock([noon] { return noon; });
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(c.RichTextBox1->isVisible());
    QCOMPARE(QApplication::focusWidget(), c.RichTextBox1);
    QCOMPARE(c.Timer2->interval(), 500);
    w.Timer2_Timer();
    QVERIFY(!c.RichTextBox1->isVisible());
    QCOMPARE(QApplication::focusWidget(), c.Text2);
    const QString banner = c.Label16->caption();
    QCOMPARE(banner.left(2), QStringLiteral(u" ق"));
    QCOMPARE(banner.mid(45, 74), QString(74, QLatin1Char(' ')));
    // 1 Muharram 1446, at five past noon, as Central Kurdish writes them (the tests run in
    // the C locale)
    QVERIFY2(banner.contains(QStringLiteral(u"١٤٤٦-٠١-٠١")), qPrintable(banner));
    QVERIFY2(banner.contains(QStringLiteral(u"١٢:٠٠:٠٥")), qPrintable(banner));

    c.Command1->setFocus(); // later ticks leave the focus where the user put it
    w.Timer2_Timer();
    QCOMPARE(QApplication::focusWidget(), c.Command1);
}

void TestWindow::splashFadesInAndHandsOverOnce()
{
    Tembra2 splash;
    splash.Timer1->stop(); // ticked by hand here
    QCOMPARE(splash.Timer1->interval(), 10);
    splash.Form_Load();
    QCOMPARE(splash.FadeAlpha(), 0);
    QSignalSpy handOver(&splash, &Tembra2::handOver);
    splash.Timer1->start();
    QList<int> seen;
    for (int tick = 0; tick < 20; ++tick) {
        splash.Timer1_Timer();
        seen << splash.FadeAlpha();
    }
    QCOMPARE(seen.mid(0, 15),
             (QList<int>{17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 255}));
    QCOMPARE(seen.last(), 255);
    QCOMPARE(handOver.count(), 1);
    QVERIFY(!splash.Timer1->isActive());
}

void TestWindow::programEndsOnSignal_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("afterMs");
    QTest::addColumn<int>("signal");
    // While the collection is still read: the read is cancelled and its helper ended.
    QTest::newRow("while reading, TERM") << 40000 << 0 << int(SIGTERM);
    // With the main window on screen and the first record in it.
    QTest::newRow("window shown, TERM") << 1 << 1500 << int(SIGTERM);
    QTest::newRow("window shown, INT") << 1 << 1500 << int(SIGINT);
}

// The whole program as it starts, the reading on its thread and the splash, ended by a
// termination signal: it ends at once and of itself, saves nothing, and leaves no helper.
void TestWindow::programEndsOnSignal()
{
    QFETCH(int, rows);
    QFETCH(int, afterMs);
    QFETCH(int, signal);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Book")));
    std::vector<Record> records;
    for (int r = 0; r < rows; ++r)
        records.push_back(
            testutil::record(QString(200, QChar(0x0628 + r % 20)), QString::number(r)));
    QCOMPARE(testutil::writeCollection(folder.filePath(QStringLiteral("Book/Data.mdb")), records),
             QString());

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder.path());
    program.start(QStringLiteral(TEMBRA_PROGRAM), {});
    QVERIFY(program.waitForStarted());
    if (afterMs > 0) {
        QTest::qWait(afterMs);
    } else { // while its helper reads the collection (and so after main() began)
        const QString canonical = QDir(folder.path()).canonicalPath();
        QElapsedTimer waiting;
        waiting.start();
        while (processesIn(canonical, QStringLiteral("tembra-readfile")) == 0
               && waiting.elapsed() < 10000)
            QTest::qSleep(1);
    }
    QCOMPARE(program.state(), QProcess::Running);
    ::kill(pid_t(program.processId()), signal);
    QElapsedTimer ending;
    ending.start();
    QVERIFY2(program.waitForFinished(10000), "the program did not end");
    QVERIFY2(ending.elapsed() < 3000, qPrintable(QString::number(ending.elapsed())));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("config/Tembra/Tembra.ini"))));
    QTRY_COMPARE(
        processesIn(QDir(folder.path()).canonicalPath(), QStringLiteral("tembra-readfile")), 0);
}

// A mark the window shows is on the disk: the program killed (SIGKILL, so that nothing of its
// own runs) the moment it shows the mark keeps it, as SQLite reads the file back.
void TestWindow::markOutlivesAKill()
{
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Book")));
    QCOMPARE(
        testutil::writeCollection(folder.filePath(QStringLiteral("Book/Data.mdb")),
                                  {testutil::utf8Record("beta", "1", nullptr, nullptr, "A"),
                                   testutil::utf8Record("an alpha", "7", nullptr, nullptr, "B")}),
        QString());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder.path());
    program.start(QStringLiteral(TEMBRA_MARK_DRIVER), {});
    QVERIFY(program.waitForStarted());
    QByteArray said;
    QElapsedTimer waiting;
    waiting.start();
    while (!said.contains("marked\n") && program.state() == QProcess::Running
           && waiting.elapsed() < 30000) {
        program.waitForReadyRead(200);
        said += program.readAllStandardOutput();
    }
    QVERIFY2(said.contains("marked\n"), program.readAllStandardError().constData());
    ::kill(pid_t(program.processId()), SIGKILL);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);

    const QByteArray file
        = QFile::encodeName(folder.filePath(QStringLiteral("data/Tembra/bookmarks.sqlite")));
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *select = nullptr;
    QCOMPARE(
        sqlite3_prepare_v2(db, "SELECT book, number, note FROM bookmark", -1, &select, nullptr),
        SQLITE_OK);
    QStringList rows;
    while (sqlite3_step(select) == SQLITE_ROW) {
        QStringList fields;
        for (int column = 0; column < 3; ++column)
            fields << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(select, column)));
        rows << fields.join(QLatin1Char('|'));
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    QCOMPARE(rows, QStringList{QStringLiteral("B|7|kept through a kill")});
}

// "tembra FILE.mdb" opens that file, wherever the program is started, after the toolkit's
// own options too; a file that is not there is said so.
void TestWindow::opensTheFileNamed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::newRow("a collection") << QStringLiteral("other.mdb") << true;
    QTest::newRow("no such file") << QStringLiteral("none.mdb") << false;
}

void TestWindow::opensTheFileNamed()
{
    QFETCH(QString, name);
    QFETCH(bool, found);
    QTemporaryDir folder;
    QCOMPARE(testutil::writeCollection(folder.filePath(QStringLiteral("other.mdb")),
                                       {testutil::utf8Record("one", "1")}),
             QString());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder.path()); // no Book/Data.mdb here
    program.start(QStringLiteral(TEMBRA_PROGRAM),
                  {QStringLiteral("-style"), QStringLiteral("fusion"), folder.filePath(name)});
    QVERIFY(program.waitForStarted());
    QTest::qWait(3000);
    ::kill(pid_t(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    const QByteArray said = program.readAllStandardError();
    QVERIFY2(said.contains("no such file") == !found, said.constData());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
