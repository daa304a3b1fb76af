// The main window over a collection file: what it shows at load, the search from the
// keyboard and the button, the count and the grid, and a collection that cannot be
// opened.

#include "base/texts.h"
#include "forms/controls.h"
#include "forms/messagebox.h"
#include "jet/jetwriter.h"
#include "mainwindow/tembra1.h"
#include "testwindow.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace tembra;

namespace {

struct Box {
    QString prompt;
    QString title;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void firstRecordAtLoad();
    void enterSearchesAndIsSwallowed();
    void otherKeysReachTheBox();
    void emptyBoxDoesNothing();
    void tooShortShowsTheMessage_data();
    void tooShortShowsTheMessage();
    void searchShowsItsMatches_data();
    void searchShowsItsMatches();
    void gridShowsKindAndHadith();
    void gridPickMovesCurrentRecord();
    void resultListShowsEachStart();
    void emptyTable();
    void unopenableCollection_data();
    void unopenableCollection();
    void fileIsNeverWritten();
    void opensBookDataRelativeToWorkingDirectory();
    void textBoxSignalsRealChangesOnly();
    void hostileTextThroughTheWindow();

private:
    QString writeCollection(const std::vector<Record> &records, const QString &name);
    void type(Tembra1 &w, const QString &text);

    QTemporaryDir m_dir;
    QString m_path;
    std::vector<Box> m_boxes;
};

QString TestMainWindow::writeCollection(const std::vector<Record> &records, const QString &name)
{
    const QString path = m_dir.filePath(name);
    const QString why = testutil::writeCollection(path, records);
    if (!why.isEmpty())
        qFatal("cannot write fixture: %s", qPrintable(why));
    return path;
}

void TestMainWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = writeCollection(
        {
            testutil::utf8Record("إِنَّمَا الأَعْمَالُ بِالنِّيَّاتِ", "1", "صحيح", "عن عمر", "صحيح البخاري"),
            testutil::utf8Record("الدِّينُ النَّصِيحَةُ", "55", "صحيح", "عن تميم", "صحيح مسلم"),
            testutil::utf8Record("مَنْ كَانَ يُؤْمِنُ بِاللَّهِ وَالْيَوْمِ الآخِرِ فَلْيَقُلْ خَيْرًا أَوْ لِيَصْمُتْ", "6018",
                                 "صحيح", "عن أبي هريرة", "صحيح البخاري"),
            testutil::utf8Record("لا تَغْضَبْ، لا تَغْضَبْ", "6116", "حسن", "عن أبي هريرة", "صحيح البخاري"),
            testutil::utf8Record("It's a Latin row with 100% and a_b and THE WORD", "9", "x",
                                 nullptr, nullptr),
            testutil::utf8Record("the word inside", "10", nullptr, "line", "book"),
        },
        QStringLiteral("Data.mdb"));
    msgbox::setHook([this](const QString &prompt, const QString &title) {
        m_boxes.push_back({prompt, title});
    });
}

void TestMainWindow::init()
{
    m_boxes.clear();
}

void TestMainWindow::cleanupTestCase()
{
    msgbox::setHook({});
}

// Types text into the search box key by key, as a keyboard would (QTest::keyClicks
// knows only ASCII).
void TestMainWindow::type(Tembra1 &w, const QString &text)
{
    const testutil::Controls c(w);
    c.Text2->clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, n);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(c.Text2, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(c.Text2, &release);
        i += n - 1;
    }
    QCOMPARE(c.Text2->text(), text);
}

void TestMainWindow::firstRecordAtLoad()
{
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    QVERIFY(w.collectionOpen());
    QCOMPARE(c.Label1->caption(), QStringLiteral("1"));
    QCOMPARE(c.Label2->caption(), QStringLiteral("صحيح"));
    QCOMPARE(c.Label3->caption(), QStringLiteral("صحيح البخاري"));
    QVERIFY(c.DataGrid1->isHidden());
    QCOMPARE(c.Label12->caption(), QString());
    QCOMPARE(c.Text1->text(), QString());
    QCOMPARE(c.Label1->foreColor(), 0u);
}

void TestMainWindow::enterSearchesAndIsSwallowed()
{
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    w.show();
    type(w, QStringLiteral("لا تَغْضَبْ"));
    // A one-line box never inserts a Return, but it would say it saw one.
    QSignalSpy boxSawEnter(c.Text2, &QLineEdit::returnPressed);
    QTest::keyClick(c.Text2, Qt::Key_Return);
    QCOMPARE(boxSawEnter.count(), 0);
    QCOMPARE(c.Text2->text(), QStringLiteral("لا تَغْضَبْ"));
    QCOMPARE(c.Label12->caption(), QStringLiteral("1"));
    QVERIFY(!c.DataGrid1->isHidden());
    QCOMPARE(c.Label1->caption(), QStringLiteral("6116"));
    QCOMPARE(c.Label1->foreColor(), kSystemWindowText);
    QCOMPARE(c.Label3->foreColor(), kSystemWindowText);
    QCOMPARE(c.Text1->text(), QStringLiteral("عن أبي هريرة\r\nلا تَغْضَبْ، لا تَغْضَبْ"));
    QCOMPARE(w.searchTerm(), QStringLiteral("لا تَغْضَبْ"));

    int key = 13;
    w.Text2_KeyPress(key);
    QCOMPARE(key, 0);
}

void TestMainWindow::otherKeysReachTheBox()
{
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    int key = 'a';
    w.Text2_KeyPress(key);
    QCOMPARE(key, int('a'));
    QTest::keyClicks(c.Text2, QStringLiteral("ab"));
    QCOMPARE(c.Text2->text(), QStringLiteral("ab"));
    QVERIFY(c.DataGrid1->isHidden());
}

void TestMainWindow::emptyBoxDoesNothing()
{
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    QTest::keyClick(c.Text2, Qt::Key_Return);
    c.Command1->click();
    QVERIFY(m_boxes.empty());
    QVERIFY(c.DataGrid1->isHidden());
    QCOMPARE(c.Adodc1->recordSource(), QStringLiteral("Table1"));
}

void TestMainWindow::tooShortShowsTheMessage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("refused");
    QTest::newRow("one letter") << QStringLiteral("ل") << true;
    QTest::newRow("two letters") << QStringLiteral("لا") << true;
    QTest::newRow("letter and mark") << QStringLiteral(u"لَ") << true;
    QTest::newRow("three letters") << QStringLiteral("لات") << false;
    QTest::newRow("two spaces and a letter") << QStringLiteral("  ل") << false;
}

void TestMainWindow::tooShortShowsTheMessage()
{
    QFETCH(QString, text);
    QFETCH(bool, refused);
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    type(w, QStringLiteral("الدِّينُ"));
    QTest::keyClick(c.Text2, Qt::Key_Return);
    const QString before = c.Label12->caption();
    type(w, text);
    QTest::keyClick(c.Text2, Qt::Key_Return);
    if (!refused) {
        QVERIFY(m_boxes.empty());
        QCOMPARE(w.searchTerm(), text);
        return;
    }
    QCOMPARE(m_boxes.size(), size_t(1));
    // " sorry, it must not be fewer than 3 letters ", titled "error " (their code points
    // are checked with the windows' texts)
    QCOMPARE(m_boxes[0].prompt, texts::tooShortPrompt());
    QCOMPARE(m_boxes[0].title, texts::errorTitle());
    QCOMPARE(w.searchTerm(), QStringLiteral("الدِّينُ")); // the earlier term stays
    QCOMPARE(c.Label12->caption(), before);
}

// Each search runs after one that found two hadiths, by the button or by Enter, so that
// every row also checks that a search replaces the list before it. The truths are counted
// by hand from the fixture's six rows.
void TestMainWindow::searchShowsItsMatches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("number"); // Label1 after the search: the first match's Tab2

    QTest::newRow("by the button") << QStringLiteral(u"النَّصِيحَةُ") << false << 1 << "55";
    QTest::newRow("by Enter") << QStringLiteral(u"بِاللَّهِ") << true << 1 << "6018";
    QTest::newRow("an apostrophe, literally") << QStringLiteral("It's") << false << 1 << "9";
    QTest::newRow("nothing but apostrophes") << QStringLiteral("'''") << true << 0 << "";
    QTest::newRow("% is any run") << QStringLiteral("100%") << false << 1 << "9";
    QTest::newRow("_ is one letter, case aside") << QStringLiteral("t_e w") << true << 2 << "9";
    QTest::newRow("nothing but %") << QStringLiteral("%%%") << false << 6 << "1";
    QTest::newRow("a trailing space counts") << QStringLiteral("word ") << true << 1 << "10";
    QTest::newRow("nothing found") << QStringLiteral("nowhere at all") << false << 0 << "";
}

void TestMainWindow::searchShowsItsMatches()
{
    QFETCH(QString, text);
    QFETCH(bool, byEnter);
    QFETCH(int, count);
    QFETCH(QString, number);
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    type(w, QStringLiteral("word"));
    c.Command1->click();
    QCOMPARE(c.Label12->caption(), QStringLiteral("2"));
    QVERIFY(!c.Text1->text().isEmpty());

    type(w, text);
    if (byEnter)
        QTest::keyClick(c.Text2, Qt::Key_Enter);
    else
        c.Command1->click();
    QVERIFY(m_boxes.empty());
    QCOMPARE(w.searchTerm(), text);
    QCOMPARE(c.Label12->caption(), QString::number(count));
    QCOMPARE(c.DataGrid1->model()->rowCount(), count);
    QCOMPARE(c.Adodc1->absolutePosition(), count > 0 ? 1 : 0);
    QCOMPARE(c.Label1->caption(), number);
    if (count == 0) {
        // no earlier hadith stays in view
        QCOMPARE(c.Text1->text(), QString());
        QCOMPARE(c.Label2->caption(), QString());
        QCOMPARE(c.Label3->caption(), QString());
        return;
    }
    QCOMPARE(c.DataGrid1->currentIndex().row(), 0);
    QCOMPARE(c.Text1->text(),
             c.Adodc1->boundValue(Column::Heading) + QStringLiteral("\r\n")
                 + c.Adodc1->boundValue(Column::Text));
}

// The grid's columns: the book and number, the kind, then the hadith; a NULL kind is an
// empty cell.
void TestMainWindow::gridShowsKindAndHadith()
{
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    type(w, QStringLiteral("word"));
    c.Command1->click();
    const QAbstractItemModel *model = c.DataGrid1->model();
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral(u"کتێب"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("نوع الحديث"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("الأحاديث"));
    QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("the word inside"));
    QCOMPARE(model->index(1, 1).data().toString(), QString());
    // each row says which hadith it is, in view: the book and the number ("book، number"),
    // or the number alone where there is no book
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral(u"book\u060C 10"));
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("9"));
}

void TestMainWindow::gridPickMovesCurrentRecord()
{
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    w.show();
    type(w, QStringLiteral("word"));
    c.Command1->click();
    c.DataGrid1->setCurrentIndex(c.DataGrid1->model()->index(1, 2));
    QCOMPARE(c.Adodc1->absolutePosition(), 2);
    QCOMPARE(c.Label1->caption(), QStringLiteral("10"));
    QCOMPARE(c.Text1->text(), QStringLiteral("line\r\nthe word inside"));
    QVERIFY(c.Adodc1->moveFirst());
    QCOMPARE(c.DataGrid1->currentIndex().row(), 0);
}

// The list never scrolls sideways: the hadith column is the design's width where that fits
// and what is left where it does not, so that each hadith's start (its right end) is in
// view, and a text that goes on ends in "…".
void TestMainWindow::resultListShowsEachStart()
{
    QString longHadith;
    while (longHadith.size() < 2000)
        longHadith += QStringLiteral(u"حَدَّثَنَا عَبْدُ اللَّهِ بْنُ يُوسُفَ ");
    const QString path = writeCollection(
        {testutil::record(longHadith, QStringLiteral("1"), QStringLiteral(u"صحيح")),
         testutil::record(QStringLiteral(u"حَدَّثَنَا قُتَيْبَةُ"), QStringLiteral("2"))},
        QStringLiteral("long.mdb"));
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(path, c.Adodc1);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    c.Text2->setText(QStringLiteral(u"حدثنا"));
    w.Command1_Click();
    QCOMPARE(c.Label12->caption(), QStringLiteral("2"));
    Grid *grid = c.DataGrid1;
    const QAbstractItemModel *model = grid->model();
    QVERIFY(model->data(model->index(0, 2)).toString().endsWith(QChar(0x2026)));
    QVERIFY(!model->data(model->index(1, 2)).toString().endsWith(QChar(0x2026)));
    for (const int width : {983, 600, 200, 90}) {
        grid->resize(width, grid->height());
        QCoreApplication::processEvents();
        QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
        const int right = grid->columnViewportPosition(2) + grid->columnWidth(2);
        QVERIFY2(right <= grid->viewport()->width(), qPrintable(QString::number(width)));
        QVERIFY(grid->horizontalHeader()->sectionViewportPosition(1) >= 0);
        QCOMPARE(right, grid->viewport()->width()); // no empty strip beside the text
    }
    grid->resize(2000, grid->height()); // enlarged: the hadith column widens
    QCoreApplication::processEvents();
    QCOMPARE(grid->columnViewportPosition(2) + grid->columnWidth(2), grid->viewport()->width());
    QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
}

void TestMainWindow::emptyTable()
{
    const QString path = writeCollection({}, QStringLiteral("empty.mdb"));
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(path, c.Adodc1);
    QVERIFY(w.collectionOpen());
    QCOMPARE(c.Label1->caption(), QString());
    type(w, QStringLiteral("anything"));
    c.Command1->click();
    QCOMPARE(c.Label12->caption(), QStringLiteral("0"));
    QVERIFY(m_boxes.empty());
}

void TestMainWindow::unopenableCollection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no file") << QByteArray() << texts::reasonNoFile();
    QTest::newRow("not a database")
        << QByteArray("just some text\n").repeated(1000) << texts::reasonNotJet();
    QFile good(m_path);
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray bytes = good.readAll();
    QTest::newRow("truncated") << bytes.left(bytes.size() - 100) << texts::reasonDamaged();
    QByteArray jet3 = bytes;
    jet3[0x14] = 0;
    QTest::newRow("Jet 3") << jet3 << texts::reasonWrongVersion();
    auto utf16 = [](const char *latin) {
        QByteArray out;
        for (const char *p = latin; *p; ++p)
            out.append(*p).append('\0');
        return out;
    };
    QByteArray renamed = bytes;
    renamed.replace(utf16("Table1"), utf16("Tablex"));
    QTest::newRow("no Table1") << renamed << texts::reasonNoTable();
    QByteArray noColumn = bytes;
    noColumn.replace(utf16("Tab4"), utf16("Taby"));
    QTest::newRow("no Tab4") << noColumn << texts::reasonMissingColumn();
    QFile damaged(
        QStringLiteral(TEMBRA_SOURCE_DIR "/tests/fixtures/fuzz-value-offset-23545de6.mdb"));
    QVERIFY(damaged.open(QIODevice::ReadOnly));
    QTest::newRow("damaged page") << damaged.readAll() << texts::reasonDamaged();
    QTest::newRow("a folder") << QByteArray("folder") << texts::reasonNotAFile();
    QTest::newRow("no permission") << QByteArray("unreadable") << texts::reasonNotReadable();
}

void TestMainWindow::unopenableCollection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(QStringLiteral("bad.mdb"));
    QFile::remove(path);
    QDir(m_dir.path()).rmdir(QStringLiteral("bad.mdb"));
    if (bytes == "folder") {
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("bad.mdb")));
    } else if (bytes == "unreadable") {
        if (::geteuid() == 0)
            QSKIP("the superuser reads any file");
        QVERIFY(QFile::copy(m_path, path));
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    } else if (!bytes.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(path, c.Adodc1);
    QVERIFY(!w.collectionOpen());
    w.show();
    QTRY_COMPARE(m_boxes.size(), size_t(1));
    QVERIFY(m_boxes[0].prompt.startsWith(texts::cannotOpen()));
    QCOMPARE(m_boxes[0].prompt.count(QStringLiteral("Data.mdb")), 1); // named once
    QVERIFY(m_boxes[0].prompt.contains(QStringLiteral("Book/Data.mdb")));
    QVERIFY(!m_boxes[0].prompt.contains(QStringLiteral("bad.mdb")));
    QVERIFY(m_boxes[0].prompt.contains(reason));
    QVERIFY(m_boxes[0].prompt.contains(c.Adodc1->openError().shown));
    QVERIFY(!c.Adodc1->openError().detail.isEmpty()); // for the error stream
    // The path reads left to right inside the right-to-left line, and so does the command
    // that opens another collection.
    const QString where = QDir::current().absoluteFilePath(QStringLiteral("Book/Data.mdb"));
    QVERIFY(m_boxes[0].prompt.contains(QChar(0x2066) + where + QChar(0x2069)));
    QVERIFY(m_boxes[0].prompt.endsWith(
        QChar(0x2066) + QStringLiteral(u"tembra \u2039\u0641\u0627\u06cc\u0644\u203a.mdb")
        + QChar(0x2069)));
    QVERIFY2(testutil::onlySorani(m_boxes[0].prompt), qPrintable(m_boxes[0].prompt));
    // the window stays, empty, and a search ends without a word
    QCOMPARE(c.Label1->caption(), QString());
    type(w, QStringLiteral("anything"));
    c.Command1->click();
    QCOMPARE(m_boxes.size(), size_t(1));
    QVERIFY(c.DataGrid1->isHidden());
    QCOMPARE(c.Label12->caption(), QString());
    QCOMPARE(w.searchTerm(), QStringLiteral("anything"));
}

void TestMainWindow::fileIsNeverWritten()
{
    auto digest = [this] {
        QFile f(m_path);
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray();
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    };
    const QByteArray before = digest();
    const QDateTime modified = QFileInfo(m_path).lastModified();
    {
        Tembra1 w;
        const testutil::Controls c(w);
        testutil::loadCollection(m_path, c.Adodc1);
        w.show();
        for (const char *term : {"word", "بِاللَّهِ", "nothing here", "%%%"}) {
            type(w, QString::fromUtf8(term));
            QTest::keyClick(c.Text2, Qt::Key_Return);
            if (c.DataGrid1->model()->rowCount() > 1)
                c.DataGrid1->setCurrentIndex(c.DataGrid1->model()->index(1, 0));
        }
        w.close();
    }
    QCOMPARE(digest(), before);
    QCOMPARE(QFileInfo(m_path).lastModified(), modified);
}

void TestMainWindow::opensBookDataRelativeToWorkingDirectory()
{
    const QString before = QDir::currentPath();
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Book")));
    QVERIFY(QFile::copy(m_path, dir.filePath(QStringLiteral("Book/Data.mdb"))));
    QVERIFY(QDir::setCurrent(dir.path()));
    {
        Tembra1 w;
        const testutil::Controls c(w);
        testutil::loadCollection(collectionFile(), c.Adodc1);
        QVERIFY(w.collectionOpen());
        QCOMPARE(c.Label1->caption(), QStringLiteral("1"));
    }
    QVERIFY(QDir::setCurrent(QDir::tempPath()));
    {
        Tembra1 w; // nothing there: the message names the file, its folders apart with "/"
        const testutil::Controls c(w);
        testutil::loadCollection(collectionFile(), c.Adodc1);
        w.show();
        QTRY_COMPARE(m_boxes.size(), size_t(1));
        QVERIFY(m_boxes[0].prompt.contains(QStringLiteral("Book/Data.mdb")));
    }
    QDir::setCurrent(before);
}

void TestMainWindow::textBoxSignalsRealChangesOnly()
{
    TextBox box;
    QSignalSpy changed(&box, &TextBox::changed);
    const QString text = QStringLiteral("line\r\ntext");
    box.setText(text);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(box.text(), text); // the line break kept as it was given
    box.setText(text);
    QCOMPARE(changed.count(), 1);
    box.setText(QString());
    QCOMPARE(changed.count(), 2);
}

void TestMainWindow::hostileTextThroughTheWindow()
{
    Tembra1 w;
    const testutil::Controls c(w);
    testutil::loadCollection(m_path, c.Adodc1);
    for (const QString &text : {QString(100000, QChar(0x0644)), QStringLiteral("___"),
                                QString(3, QChar(0xD800)), QStringLiteral("   ")}) {
        c.Text2->setText(text);
        c.Command1->click();
        QVERIFY(m_boxes.empty());
        QCOMPARE(c.Label12->caption(), QString::number(c.DataGrid1->model()->rowCount()));
    }
    QCOMPARE(c.Label12->caption(), QStringLiteral("0")); // no row has three spaces
    c.Text2->setText(QStringLiteral("___"));
    c.Command1->click();
    QCOMPARE(c.Label12->caption(), QStringLiteral("6"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
