// The windows as their definitions make them: the main window's catalogue (places,
// stacking, focus order, hidden controls, texts, fonts), the pictures, where
// right-to-left text lands, what assistive technology reads, the splash and About
// windows.

#include "app/about1.h"
#include "app/tembra2.h"
#include "base/texts.h"
#include "forms/form.h"
#include "forms/pictures.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStandardItemModel>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>

using namespace tembra;

namespace {

QString u(const char16_t *text)
{
    return QString::fromUtf16(text);
}

QStringList names(const char16_t *list)
{
    return u(list).split(QLatin1Char(' '));
}

// The columns of an image that hold dark ink, as [first, last]; {-1, -1} if none.
std::pair<int, int> inkColumns(const QImage &image, const QRect &area)
{
    int first = -1;
    int last = -1;
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (qGray(image.pixel(x, y)) < 90) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

} // namespace

class TestForms : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void geometry();
    void setTwipsKeepsTwips();
    void stackingAndTabOrder();
    void atCreation();
    void soraniTexts_data();
    void soraniTexts();
    void fonts();
    void pictureKeyPixels();
    void rightToLeftInkOnTheRight_data();
    void rightToLeftInkOnTheRight();
    void searchBoxBlinksOnlyWhileShort_data();
    void searchBoxBlinksOnlyWhileShort();
    void accessibility();
    void tooltipsReadInTheirDirection();
    void splashWindow();
    void aboutOpensClosesAndReopens();

private:
    QWidget *m_window = nullptr;
    Form *m_form = nullptr;
};

void TestForms::init()
{
    m_window = new QWidget;
    m_form = new Form(tembra1Definition(), m_window);
}

void TestForms::cleanup()
{
    delete m_form;
    delete m_window;
}

// The builder puts every control of the catalogue in its container at its place, in
// pixels of 15 twips; the places the layout pass never moves are also checked against
// the design itself.
void TestForms::geometry()
{
    for (const ControlDef &def : tembra1Definition().controls) {
        QWidget *control = m_form->widget(def.designName());
        if (!control)
            continue; // the data control and the timers
        const QString name = def.designName();
        QCOMPARE(control->parentWidget(),
                 def.container.isEmpty() ? m_window : m_form->widget(def.container));
        const QRectF twips(def.left, def.top, def.width, def.height);
        QCOMPARE(m_form->twips(name), twips);
        // in a panel, from the corner inside its border
        const QPoint inside = control->parentWidget() == m_window
            ? QPoint()
            : control->parentWidget()->contentsRect().topLeft();
        QCOMPARE(control->geometry(),
                 QRect(qRound(twips.left() / 15), qRound(twips.top() / 15),
                       qRound(twips.width() / 15), qRound(twips.height() / 15))
                     .translated(inside));
    }
    const std::pair<const char *, QRectF> unmoved[] = {
        {"RichTextBox1", {12360, 600, 2535, 375}}, {"Label15", {340, 30, 735, 300}},
        {"Label21", {1200, 30, 615, 255}},         {"Label6", {75, 150, 2910, 300}},
        {"Label1", {75, 1305, 2910, 405}},         {"Label12", {75, 90, 1275, 300}},
        {"Label13", {1365, 90, 1620, 300}},        {"Label14", {45, 60, 2970, 360}},
    };
    for (const auto &[name, twips] : unmoved)
        QCOMPARE(m_form->twips(QString::fromLatin1(name)), twips);
}

void TestForms::setTwipsKeepsTwips()
{
    QCOMPARE(m_window->size(), QSize(1003, 601)); // 15045 × 9015 twips
    QVERIFY(m_window->windowFlags() & Qt::FramelessWindowHint);
    QWidget *pane = m_form->widget(QStringLiteral("Text1"));
    m_form->setTwips(pane, 120, 810, 11445.4f, 3800.6f);
    QCOMPARE(m_form->twips(pane), QRectF(120, 810, 11445.4f, 3800.6f));
    QCOMPARE(pane->geometry(), QRect(8, 54, 763, 253));
}

void TestForms::stackingAndTabOrder()
{
    // Front to back, windowless controls and windowed ones alike; every windowed control
    // in front of every windowless one.
    const QStringList windowless[] = {
        names(u"Label21\u064A Label15 La1 La2 La3 Label19 Label20 Label18 Label16 Ima1(12) "
              u"Ima1(10) Ima1(11) Label5 Mini Ima1(4) Ima1(5) Ima1(6) Ima1(7) Ima1(2) Ima1(0) "
              u"Ima1(3) Ima1(1) Im2 Im1 Label21 Ima1(8) Ima1(9)"),
        names(u"Label13 Label12 Label14"),
        names(u"Label1 Label6 Label3 Label10 Label11 Label2 Label7 Label8 Label9"),
        names(u"Label17"),
    };
    // back to front: each one created later lies in front (the hint box over the search box)
    const QStringList windowed[] = {
        names(u"Label4 Text1 Pic3 Pic2 Command1 Text2 Pic1 RichTextBox1"),
        {},
        {},
        names(u"DataGrid1"),
    };
    for (int c = 0; c < 4; ++c) {
        int before = INT_MAX;
        QWidget *parent = m_form->widget(windowless[c].first())->parentWidget();
        // A sibling later in children() is drawn over the earlier ones.
        const QObjectList stack = parent->children();
        for (const QString &name : windowless[c]) {
            const int at = int(stack.indexOf(m_form->widget(name)));
            QVERIFY2(at >= 0 && at < before, qPrintable(name));
            before = at;
        }
        const int windowlessFront = int(stack.indexOf(m_form->widget(windowless[c].first())));
        before = windowlessFront;
        for (const QString &name : windowed[c]) {
            const int at = int(stack.indexOf(m_form->widget(name)));
            QVERIFY2(at > before, qPrintable(name));
            before = at;
        }
    }

    const QStringList tabs = names(u"RichTextBox1 Text2 Command1 Text1 DataGrid1 Label4");
    QWidget *at = m_form->widget(tabs.first());
    for (const QString &name : tabs.mid(1)) {
        do
            at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus || at->objectName().isEmpty());
        QCOMPARE(at->objectName(), name);
    }
}

void TestForms::atCreation()
{
    // The flat search button has a plain dark line for an edge, around its picture.
    QWidget *button = m_form->widget(QStringLiteral("Command1"));
    const QImage face = button->grab().toImage();
    for (const QPoint at : {QPoint(0, face.height() / 2), QPoint(face.width() / 2, 0),
                            QPoint(face.width() - 1, face.height() / 2)})
        QVERIFY2(qGray(face.pixel(at)) < 60, qPrintable(QString::number(qGray(face.pixel(at)))));

    for (const char *name : {"DataGrid1", "Label4", "Label5", "Mini"})
        QVERIFY2(m_form->widget(QString::fromLatin1(name))->isHidden(), name);
    QVERIFY(!m_form->widget(QStringLiteral("RichTextBox1"))->isHidden());
    QCOMPARE(m_window->focusWidget(), m_form->widget(QStringLiteral("RichTextBox1")));
    QVERIFY(!m_form->object(QStringLiteral("Adodc1"))); // a data control, not a widget
    QCOMPARE(m_form->definition().find(QStringLiteral("Adodc1"))->recordSource,
             QStringLiteral("Table1"));
    auto *timer1 = m_form->get<QTimer>(QStringLiteral("Timer1"));
    auto *timer2 = m_form->get<QTimer>(QStringLiteral("Timer2"));
    QVERIFY(timer1 && !timer1->isActive());
    QVERIFY(timer2 && timer2->isActive());
    QCOMPARE(timer2->interval(), 500);
    QCOMPARE(m_form->image(10), m_form->get<Image>(QStringLiteral("Ima1(10)")));
    QVERIFY(m_form->widget(QStringLiteral("La1"))->cursor().pixmap().size() == QSize(32, 32));
}

namespace {

// A text's units written out, so that a failure shows which character differs (a missing
// zero-width non-joiner is invisible in the text itself).
QString codePoints(const QString &text)
{
    QStringList units;
    for (const QChar c : text)
        units << QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return units.join(QLatin1Char(' '));
}

} // namespace

// Every Sorani text keeps its zero-width non-joiners, tatweels and spaces: the text itself
// against the list of the windows' texts.
void TestForms::soraniTexts_data()
{
    // what the window shows ("Label19", "tip Text2"), or the text itself; the truth is each
    // text's code points as the list of the windows' texts escapes them
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("want");
    const auto row
        = [](const char *tag, const char *control, const QString &text, const QString &want) {
              QTest::newRow(tag) << QString::fromLatin1(control) << text << want;
          };
    row("Label19", "Label19", QString(),
        QStringLiteral(
            u"\u0628\u0647\u200C\u0631\u0646\u0627\u0645\u0647\u200C\u0649 "
            u"\u0641\u0647\u200C\u0631\u0645\u0648\u062F\u0647\u200C\u0643\u0627\u0646\u0649 "
            u"\u067E\u064A\u063A\u0647\u200C\u0645\u0628\u0647\u200C\u0631 - \u0635\u0644\u0649 "
            u"\u0627\u0644\u0644\u0647 \u0639\u0644\u064A\u0647 \u0648\u0633\u0644\u0645"));
    row("Label15", "Label15", QString(),
        QStringLiteral(u"\u062F\u0647\u200C\u0631\u0628\u0627\u0631\u0647"));
    row("La1 tip", "", texts::closeTip(), QStringLiteral(u"\u062F\u0627\u062E\u0633\u062A\u0646"));
    row("La2 tip", "", texts::enlargeTip(),
        QStringLiteral(
            u"\u06AF\u0647\u200C\u0648\u0631\u0647\u200C\u0643\u0631\u062F\u0646 \u0648 "
            u"\u0643\u0686\u0643\u0647 \u0643\u0631\u062F\u0646\u0647\u200C\u0648\u0647"));
    row("La3 tip", "", texts::minimiseTip(),
        QStringLiteral(u"\u0647\u0627\u062A\u0646\u0647\u200C\u062E\u0648\u0627\u0631\u0647\u200C"
                       u"\u0648\u0647"));
    row("Label20", "Label20", QString(),
        QStringLiteral(u"\u0648\u0648\u0634\u0647\u200C\u0643\u0640\u0647\u200C\u062A "
                       u"\u0628\u0646\u0640\u0648\u0648\u0633\u0647 \u067E\u0627\u0634\u0627\u0646 "
                       u"\u0626\u0647\u200C\u0646\u062A\u0647\u200C\u0631 "
                       u"\u062F\u0627\u0628\u06AF\u0631\u0647"));
    row("Text2 tip", "tip Text2", QString(),
        QStringLiteral(
            u"\u0648\u0648\u0634\u0647\u200C\u064A\u0647\u200C\u0643 "
            u"\u0628\u0646\u0648\u0648\u0633\u0647 \u0643\u0647 \u0644\u0647 3 \u067E\u064A\u062A "
            u"\u0643\u0647\u200C\u0645\u062A\u0631 \u0646\u0647\u200C\u0628\u0649\u0651"));
    row("RichTextBox1", "RichTextBox1", QString(),
        QStringLiteral(
            u"\u0648\u0648\u0634\u0647\u200C\u064A\u0647\u200C\u0643 "
            u"\u0628\u0646\u0648\u0648\u0633\u0647 \u0643\u0647 \u0644\u0647 3 \u067E\u064A\u062A "
            u"\u0643\u0647\u200C\u0645\u062A\u0631 \u0646\u0647\u200C\u0628\u0649\u0651"));
    row("RichTextBox1 tip", "tip RichTextBox1", QString(),
        QStringLiteral(
            u"\u0648\u0648\u0634\u0647\u200C\u064A\u0647\u200C\u0643 "
            u"\u0628\u0646\u0648\u0648\u0633\u0647 \u0643\u0647 \u0644\u0647 3 \u067E\u064A\u062A "
            u"\u0643\u0647\u200C\u0645\u062A\u0631 \u0646\u0647\u200C\u0628\u0649\u0651"));
    row("too short", "", texts::tooShortPrompt(),
        QStringLiteral(
            u" \u0628\u0628\u0648\u0648\u0631\u0647 \u0646\u0627\u0628\u064A\u062A \u0644\u0647 3 "
            u"\u067E\u064A\u062A \u0643\u0647\u200C\u0645\u062A\u0631 \u0628\u0649\u0651 "));
    row("error title", "", texts::errorTitle(),
        QStringLiteral(u"\u0647\u0647\u200C\u0644\u0647\u200C\u064A\u0647 "));
    row("Label10", "Label10", QString(),
        QStringLiteral(
            u"\u0698\u0645\u0627\u0631\u0647\u200C\u0649 "
            u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0647"));
    row("Label6", "Label6", QString(),
        QStringLiteral(
            u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0647"));
    row("Label11", "Label11", QString(),
        QStringLiteral(
            u"\u0646\u0627\u0648\u0649 \u0643\u062A\u0627\u0628\u0647\u200C\u0643\u0647"));
    row("Label13", "Label13", QString(),
        QStringLiteral(u"\u0698\u0645\u0627\u0631\u0647\u200C\u0649 "
                       u"\u062F\u064A\u062A\u0646\u0647\u200C\u0648\u0647\u200C\u0643\u0647"));
    row("Label18", "Label18", QString(),
        QStringLiteral(u"\u0642\u0627\u0626\u064A\u0645\u0647\u200C\u0649 "
                       u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0627"
                       u"\u0646\u0649 \u0628\u0647\u200C\u062F\u0648\u0627 "
                       u"\u06AF\u0647\u200C\u0631\u0627\u0648\u0647\u200C\u0643\u0627\u0646"));
    row("Label16", "Label16", QString(),
        QStringLiteral(u"\u0642\u0640\u0640\u0640\u0640\u0640\u0627\u0626\u064A\u0645\u0640\u0640"
                       u"\u0640\u0640\u0640\u0640\u0640\u0647\u200C\u0649 "
                       u"\u0641\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640"
                       u"\u0640\u0640\u0640\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647 "));
    row("banner heading", "", texts::bannerHeading(),
        QStringLiteral(u" \u0642\u0640\u0640\u0640\u0640\u0640\u0627\u0626\u064A\u0645\u0640\u0640"
                       u"\u0640\u0640\u0640\u0640\u0640\u0647\u200C\u0649 "
                       u"\u0641\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640\u0640"
                       u"\u0640\u0640\u0640\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647        "
                       u"                                                                  "));
    row("Label1 tip head", "", texts::numberTooltipHead(),
        QStringLiteral(
            u" \u0698\u0645\u0627\u0631\u0647\u200C\u0649 "
            u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0647 : "));
    row("Label2 tip head", "", texts::kindTooltipHead(),
        QStringLiteral(
            u" \u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u0643\u0647 {"));
    row("tip tail", "", texts::braceTooltipTail(), QStringLiteral(u"} \u0647 "));
    row("Label3 tip head", "", texts::bookTooltipHead(),
        QStringLiteral(
            u" \u0646\u0627\u0648\u0649 \u0643\u062A\u0627\u0628\u0647\u200C\u0643\u0647 {"));
    row("page-key hint", "", texts::pageKeyHint(),
        QStringLiteral(
            u" PgUp \u062F\u0627\u0628\u06AF\u0631\u0647 \u064A\u0627 \u062E\u0648\u062F PgDn "
            u"\u0641\u0647\u200C\u0631\u0645\u0648\u0648\u062F\u0647\u200C\u064A\u0647\u200C\u0643"
            u"\u0649 \u062A\u0631 \u0643\u0644\u064A\u0644\u0649 "));
    row("Hijri label", "", texts::hijriLabel(),
        QStringLiteral(u"\u0647\u064A\u062C\u0631\u0649 : "));
}

void TestForms::soraniTexts()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    if (control.startsWith(QLatin1String("tip "))) {
        text = m_form->widget(control.mid(4))->toolTip();
    } else if (auto *label = qobject_cast<Label *>(m_form->object(control))) {
        QCOMPARE(label->text(), label->caption());
        text = label->caption();
    } else if (auto *box = qobject_cast<QTextEdit *>(m_form->object(control))) {
        text = box->toPlainText();
    }
    QFETCH(QString, want);
    QVERIFY2(
        text == want,
        qPrintable(QStringLiteral("got  %1\nwant %2").arg(codePoints(text), codePoints(want))));
}

// The Windows fonts the design names are drawn with stand-ins that have the Arabic
// letters, at the design's size and weight.
void TestForms::fonts()
{
    const QFont pane = m_form->widget(QStringLiteral("Text1"))->font();
    QCOMPARE(QFontInfo(pane).family(), QStringLiteral("Amiri"));
    QCOMPARE(pane.pointSizeF(), 18.0);
    QVERIFY(pane.bold());
    for (const char *name : {"Text1", "Text2", "Label19", "Label6", "DataGrid1"})
        QVERIFY2(
            QFontMetrics(m_form->widget(QString::fromLatin1(name))->font()).inFont(QChar(0x0647)),
            name);
    const auto *grid = m_form->get<Grid>(QStringLiteral("DataGrid1"));
    QVERIFY(QFontMetrics(grid->horizontalHeader()->font()).inFont(QChar(0x0647)));
}

void TestForms::pictureKeyPixels()
{
    const auto rgb = [](const QImage &image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    const QRgb band[] = {0x000000, 0x608031, 0xBDD797, 0x608031, 0x000000};
    const QImage across = picture(Picture::FrameBandHorizontal);
    const QImage down = picture(Picture::FrameBandVertical);
    for (int k = 0; k < 5; ++k) {
        QCOMPARE(rgb(across, 20, k), band[k]);
        QCOMPARE(rgb(down, k, 7), band[k]);
    }
    // Corners: black on their two outer edges, the ridge on their diagonal.
    const QImage topLeft = picture(Picture::CornerTopLeft);
    const QImage bottomRight = picture(Picture::CornerBottomRight);
    QCOMPARE(rgb(topLeft, 0, 3), 0x000000u);
    QCOMPARE(rgb(topLeft, 2, 2), 0xBDD797u);
    QCOMPARE(rgb(topLeft, 4, 4), 0x000000u);
    QCOMPARE(rgb(bottomRight, 4, 1), 0x000000u);
    QCOMPARE(rgb(bottomRight, 3, 3), 0x608031u);
    QVERIFY(picture(Picture::CornerTopRight) != picture(Picture::CornerBottomLeft));

    const QImage bar = picture(Picture::CaptionBar);
    const std::pair<int, QRgb> rows[]
        = {{0, 0x1D8EC0},  {3, 0x1877A2},  {7, 0x11526F},  {16, 0x000000},
           {17, 0x111111}, {18, 0x191919}, {19, 0x424242}, {20, 0x616161}};
    for (const auto &[row, colour] : rows) {
        QCOMPARE(rgb(bar, 0, row), colour);
        QCOMPARE(rgb(bar, 19, row), colour);
    }
    QVERIFY(qBlue(bar.pixel(0, 5)) < 0xA2 && qBlue(bar.pixel(0, 5)) > 0x6F);
    QCOMPARE(rgb(picture(Picture::Backdrop), 0, 19), 0x000000u);

    const QImage buttons = picture(Picture::CaptionButtons);
    QCOMPARE(rgb(buttons, 0, 0), 0x1D8EC0u);
    QCOMPARE(rgb(buttons, 8, 8), 0xE6EBB8u); // the downward triangle
    QCOMPARE(rgb(buttons, 8, 12), rgb(bar, 0, 12)); // below its point
    QCOMPARE(rgb(buttons, 24, 10), 0xE6EBB8u); // the upward triangle
    QCOMPARE(rgb(buttons, 24, 6), rgb(bar, 0, 6)); // above its point
    QCOMPARE(rgb(buttons, 40, 9), 0xE6EBB8u); // the cross's middle

    const QImage search = picture(Picture::SearchButton);
    QCOMPARE(rgb(search, 0, 0), 0xB8D3C6u);
    QVERIFY(qBlue(search.pixel(16, 16)) > qRed(search.pixel(16, 16))); // the lens
    QVERIFY(qRed(search.pixel(28, 28)) > qBlue(search.pixel(28, 28)) + 100); // the handle
}

void TestForms::rightToLeftInkOnTheRight_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("search box") << QStringLiteral("Text2");
    QTest::newRow("reading pane") << QStringLiteral("Text1");
    QTest::newRow("grid cell") << QStringLiteral("DataGrid1");
    QTest::newRow("hint box") << QStringLiteral("RichTextBox1");
}

void TestForms::rightToLeftInkOnTheRight()
{
    QFETCH(QString, control);
    const QString word = u(u"\u0633\u0644\u0627\u0645"); // a short Arabic word
    m_window->show(); // boxes lay out their viewports once shown
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QWidget *widget = m_form->widget(control);
    QWidget *surface = widget;
    QRect area;
    if (auto *line = qobject_cast<QLineEdit *>(widget)) {
        line->setText(word);
        area = widget->rect().adjusted(3, 3, -3, -3);
    } else if (auto *box = qobject_cast<TextBox *>(widget)) {
        box->setText(word);
        surface = box->viewport();
        area = surface->rect();
    } else if (auto *grid = qobject_cast<Grid *>(widget)) {
        QStandardItemModel model(1, 2);
        model.setItem(0, 1, new QStandardItem(word));
        grid->setModel(&model);
        grid->show();
        surface = grid->viewport();
        area = grid->visualRect(model.index(0, 1)).adjusted(1, 1, -2, -2);
        QCOMPARE(grid->columnViewportPosition(0), 0); // the kind column on the left
        QCOMPARE(grid->columnWidth(0), 120);
        QCOMPARE(grid->columnWidth(1), grid->viewport()->width() - 120); // the rest
        const auto [first, last] = inkColumns(surface->grab().toImage(), area);
        grid->setModel(nullptr);
        QVERIFY2(first > area.center().x() && last > area.right() - 12,
                 qPrintable(QStringLiteral("ink %1..%2 in %3..%4")
                                .arg(first)
                                .arg(last)
                                .arg(area.left())
                                .arg(area.right())));
        return;
    } else {
        // The word replaces the hint inside its right-to-left paragraph.
        auto *hint = static_cast<QTextEdit *>(widget);
        QTextCursor cursor(hint->document());
        cursor.select(QTextCursor::Document);
        cursor.insertText(word);
        area = hint->viewport()->geometry();
    }
    const auto [first, last] = inkColumns(surface->grab().toImage(), area);
    QVERIFY2(first > area.center().x() && last > area.right() - 12,
             qPrintable(QStringLiteral("ink %1..%2 in %3..%4")
                            .arg(first)
                            .arg(last)
                            .arg(area.left())
                            .arg(area.right())));
}

// A Sorani tooltip is shown right to left, with its words as they are; a Latin one as the
// toolkit shows it.
void TestForms::tooltipsReadInTheirDirection()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QWidget *close = m_form->widget(QStringLiteral("La1"));
    close->setToolTip(texts::closeTip());
    const auto shownFor = [](QWidget *widget) {
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(widget, &help);
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *tip = qobject_cast<QLabel *>(top);
                tip && tip->objectName() == QLatin1String("qtooltip_label") && tip->isVisible())
                return tip->text();
        }
        return QString();
    };
    const QString sorani = shownFor(close);
    QVERIFY2(sorani.contains(QLatin1String("dir=\"rtl\"")), qPrintable(sorani));
    QVERIFY(sorani.contains(texts::closeTip()));
    QCOMPARE(close->toolTip(), texts::closeTip()); // the widget's own stays the text
    QToolTip::hideText();
    close->setToolTip(QStringLiteral("close"));
    QCOMPARE(shownFor(close), QStringLiteral("close"));
    QToolTip::hideText();
}

void TestForms::accessibility()
{
    for (const ControlDef &def : tembra1Definition().controls) {
        QWidget *widget = m_form->widget(def.designName());
        if (!widget || widget->isHidden())
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(a);
        const QString shown = a->text(QAccessible::Name) + a->text(QAccessible::Value);
        if (def.kind == ControlKind::Label && !def.text.isEmpty())
            QCOMPARE(a->text(QAccessible::Name), def.text);
        else if (def.kind != ControlKind::TextBox && def.kind != ControlKind::Grid
                 && def.text.isEmpty() && def.dataField.isEmpty() && def.dataSource.isEmpty())
            QVERIFY2(!shown.trimmed().isEmpty(), qPrintable(def.designName()));
    }
    // A text box's text and selection, its tooltip as the description.
    auto *pane = m_form->get<TextBox>(QStringLiteral("Text1"));
    pane->setText(QStringLiteral("abc def"));
    QTextCursor cursor = pane->textCursor();
    cursor.setPosition(4);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(pane);
    QCOMPARE(a->text(QAccessible::Value), QStringLiteral("abc def"));
    int start = -1;
    int end = -1;
    a->textInterface()->selection(0, &start, &end);
    QCOMPARE(std::make_pair(start, end), std::make_pair(4, 7));
    QWidget *search = m_form->widget(QStringLiteral("Text2"));
    QCOMPARE(QAccessible::queryAccessibleInterface(search)->text(QAccessible::Description),
             search->toolTip());
    // The grid's cells.
    auto *grid = m_form->get<Grid>(QStringLiteral("DataGrid1"));
    QStandardItemModel model(1, 2);
    model.setItem(0, 1, new QStandardItem(QStringLiteral("cell")));
    grid->setModel(&model);
    grid->show();
    QAccessibleTableInterface *table
        = QAccessible::queryAccessibleInterface(grid)->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->cellAt(0, 1)->text(QAccessible::Name), QStringLiteral("cell"));
    grid->setModel(nullptr);
}

void TestForms::splashWindow()
{
    Tembra2 splash;
    QCOMPARE(splash.size(), QSize(335, 87));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    const QPointF offCentre = QRectF(splash.geometry()).center()
        - QRectF(QGuiApplication::primaryScreen()->geometry()).center();
    QVERIFY(offCentre.manhattanLength() <= 1);
    QVERIFY(!splash.windowIcon().isNull());
    QCOMPARE(splash.windowTitle(), texts::windowTitle()); // seen in task lists, not "Form1"
    QCOMPARE(splash.Image1->geometry(), splash.rect());
    QCOMPARE(splash.Timer1->interval(), 10);
    QVERIFY(splash.Timer1->isActive());
    splash.setOpacity(17);
    QCOMPARE(splash.windowOpacity(), 17 / 255.0);
}

void TestForms::aboutOpensClosesAndReopens()
{
    QLineEdit main;
    main.setText(QStringLiteral("before"));
    main.show();
    main.activateWindow();
    main.setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&main));

    About1 about;
    QCOMPARE(about.size(), QSize(688, 295));
    QVERIFY(about.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(about.windowIcon().isNull());
    QCOMPARE(about.windowTitle(), texts::windowTitle());
    QCOMPARE(about.Image1->cursor().pixmap().size(), QSize(32, 32));

    for (const QSize size : {QSize(688, 295), QSize(400, 120)}) {
        about.resize(size);
        QRect picture;
        bool modal = false;
        // Clicked near the far corner: the picture covers the whole window.
        QTimer::singleShot(0, &about, [&] {
            picture = about.Image1->geometry();
            modal = QApplication::activeModalWidget() == &about;
            QTest::mouseClick(about.windowHandle(), Qt::LeftButton, {},
                              QPoint(size.width() - 2, size.height() - 2));
        });
        QTimer::singleShot(5000, &about, &QWidget::close); // never hang on a failure
        about.showModal();
        QVERIFY(!about.isVisible());
        QVERIFY(modal);
        QCOMPARE(picture, QRect(QPoint(0, 0), size));
        QTRY_COMPARE(QApplication::focusWidget(), &main);
        QCOMPARE(main.text(), QStringLiteral("before"));
    }

    // and from the keyboard, with the keys a dialog closes with
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        QTimer::singleShot(0, &about, [&about, key] {
            QTest::keyClick(about.focusWidget() ? about.focusWidget() : &about, key);
        });
        QTimer::singleShot(5000, &about, &QWidget::close);
        QElapsedTimer took;
        took.start();
        about.showModal();
        QVERIFY2(took.elapsed() < 4000, qPrintable(QString::number(key, 16)));
        QVERIFY(!about.isVisible());
    }
}

// The search box's cursor blinks, each blink a repaint, except while its text is long:
// Qt lays a long line out again for every blink, which kept an idle window busy.
void TestForms::searchBoxBlinksOnlyWhileShort_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("blinks");
    QTest::newRow("a word") << 5 << true;
    QTest::newRow("100,000 characters") << 100000 << false;
}

void TestForms::searchBoxBlinksOnlyWhileShort()
{
    QFETCH(int, length);
    QFETCH(bool, blinks);
    auto *box = qobject_cast<QLineEdit *>(m_form->widget(QStringLiteral("Text2")));
    QVERIFY(box);
    box->setText(QString(length, QChar(0x0641)));
    m_window->show();
    QApplication::setActiveWindow(m_window);
    box->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QTRY_VERIFY(box->hasFocus());

    struct Paints : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } paints;
    QTest::qWait(1200); // the first paints, and the blink's first two ticks
    box->installEventFilter(&paints);
    QTest::qWait(3 * QApplication::cursorFlashTime() / 2); // three ticks
    QCOMPARE(paints.count >= 2, blinks);
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
