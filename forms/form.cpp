#include "forms/form.h"

#include "forms/fonts.h"
#include "forms/pictures.h"
#include "forms/tooltips.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <limits>

namespace tembra {

namespace {

QFont makeFont(const FontDef &def)
{
    QFont font(def.family);
    font.setPointSizeF(def.points);
    font.setBold(def.bold);
    return font;
}

Qt::Alignment horizontal(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Left: return Qt::AlignLeft | Qt::AlignAbsolute;
    case TextAlignment::Right: return kRightAligned;
    case TextAlignment::Centre: return Qt::AlignHCenter;
    }
    return Qt::AlignLeft;
}

// The background of a box that holds text (its Base), and of anything else (Window).
void setBackground(QWidget *widget, quint32 colour)
{
    QPalette p = widget->palette();
    const QColor resolved = resolveColour(colour);
    p.setColor(QPalette::Base, resolved);
    p.setColor(QPalette::Window, resolved);
    p.setColor(QPalette::Button, resolved);
    widget->setPalette(p);
}

// The selection keeps its colours when the box loses the focus.
void keepSelectionVisible(QWidget *widget)
{
    QPalette p = widget->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
    widget->setPalette(p);
}

// A line edit holding a long text keeps its cursor still. Each blink asks Qt for the
// cursor's place and repaints, and Qt lays the whole line out again for both: with a
// 1,000,000-character search text the idle window kept a core busy. While such a box has
// the keys, the application's cursor flash time is 0, which Qt takes as no blinking, the
// cursor shown; it is given back when the box loses the keys or its text is short again.
// No other box blinks meanwhile, and none has the keys to blink with.
class SteadyCursor final : public QObject {
public:
    explicit SteadyCursor(QLineEdit *edit) : QObject(edit), m_edit(edit)
    {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &SteadyCursor::apply);
    }
    ~SteadyCursor() override
    {
        if (m_stilled)
            QApplication::setCursorFlashTime(m_flashTime);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            QMetaObject::invokeMethod(this, &SteadyCursor::apply, Qt::QueuedConnection);
        return false;
    }

private:
    void apply()
    {
        const bool still = m_edit->hasFocus() && m_edit->text().size() >= kLongText;
        if (still == m_stilled)
            return;
        m_stilled = still;
        if (still)
            m_flashTime = QApplication::cursorFlashTime();
        QApplication::setCursorFlashTime(still ? 0 : m_flashTime);
    }

    static constexpr int kLongText = 10000;
    QLineEdit *m_edit;
    bool m_stilled = false;
    int m_flashTime = 0;
};

QWidget *makeLabel(const ControlDef &def, QWidget *parent)
{
    auto *label = new Label(parent);
    label->setCaption(def.text);
    label->setAlignment(horizontal(def.alignment)
                        | (def.alignment == TextAlignment::Left ? Qt::AlignTop : Qt::AlignVCenter));
    label->setForeColor(def.foreColor.value_or(kSystemWindowText));
    if (def.transparent)
        label->setTransparent(true);
    else
        label->setBackColor(def.backColor.value_or(kSystemButtonFace));
    label->setBorderStyle(def.border);
    return label;
}

// A box bound to a column keeps the value exactly as read, line breaks and all, and so
// does a multi-line box; the search box is a one-line box that the user types into.
QWidget *makeTextBox(const ControlDef &def, QWidget *parent)
{
    const Qt::LayoutDirection direction = def.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    QWidget *box;
    if (def.multiLine || !def.dataField.isEmpty()) {
        auto *text = new TextBox(parent);
        text->setText(def.text);
        text->setLineWrapMode(def.multiLine ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        text->setVerticalScrollBarPolicy(def.verticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                               : Qt::ScrollBarAlwaysOff);
        text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        text->setReadingOrder(direction, horizontal(def.alignment));
        box = text;
    } else {
        auto *line = new QLineEdit(parent);
        // The design's text boxes have no length limit (MaxLength 0); Qt's line edit
        // would cut at 32,767 characters, silently, a saved search text among them.
        line->setMaxLength(std::numeric_limits<int>::max());
        new SteadyCursor(line);
        line->setText(def.text);
        line->setLayoutDirection(direction);
        line->setAlignment(horizontal(def.alignment) | Qt::AlignVCenter);
        box = line;
    }
    if (def.backColor)
        setBackground(box, *def.backColor);
    if (!def.hideSelection)
        keepSelectionVisible(box);
    return box;
}

QWidget *makeRichTextBox(const ControlDef &def, QWidget *parent, const QFont &defaultFont)
{
    auto *box = new QTextEdit(parent);
    box->setReadOnly(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QTextDocument *document = box->document();
    document->setDefaultFont(defaultFont);
    document->setDocumentMargin(1);

    // One paragraph of right-to-left text in its own font, as rich text keeps it. The
    // sans that stands in for the design's font is wider than it, so the letters are
    // narrowed, never made smaller, until the hint fits its one visible line.
    QFont font = def.font ? makeFont(*def.font) : defaultFont;
    const qreal room = qreal(def.width / kTwipsPerPixel) - 2.0 * box->frameWidth() - 4;
    const qreal wide = QFontMetricsF(font).horizontalAdvance(def.text);
    if (wide > room)
        font.setStretch(qMax(70, int(100 * room / wide)));
    QTextCharFormat characters;
    characters.setFont(font);
    QTextBlockFormat paragraph;
    paragraph.setLayoutDirection(def.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    QTextCursor cursor(document);
    cursor.setBlockFormat(paragraph);
    cursor.insertText(def.text, characters);
    if (def.backColor)
        setBackground(box, *def.backColor);
    return box;
}

QWidget *makeGrid(const ControlDef &def, QWidget *parent)
{
    auto *grid = new Grid(parent);
    QList<int> widths;
    for (const GridColumn &column : def.columns)
        widths << qRound(column.width / kTwipsPerPixel);
    grid->setColumnWidths(widths);
    if (def.headingFont)
        grid->horizontalHeader()->setFont(makeFont(*def.headingFont));
    if (def.backColor)
        setBackground(grid, *def.backColor);
    return grid;
}

} // namespace

QRect twipsToPixels(const QRectF &twips)
{
    const auto px = [](qreal value) { return qRound(value / kTwipsPerPixel); };
    return QRect(px(twips.left()), px(twips.top()), qMax(0, px(twips.width())),
                 qMax(0, px(twips.height())));
}

QRectF windowTwips(const QWidget *window)
{
    const QRect g = window->geometry();
    const qreal t = kTwipsPerPixel;
    return QRectF(g.x() * t, g.y() * t, g.width() * t, g.height() * t);
}

// Without a screen (there is always one, even offscreen) a common size stands in.
QRectF screenTwips()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect g = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const qreal t = kTwipsPerPixel;
    return QRectF(g.x() * t, g.y() * t, g.width() * t, g.height() * t);
}

TwipsArea availableTwips()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect g = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const float t = kTwipsPerPixel;
    return {float(g.x()) * t, float(g.y()) * t, float(g.width()) * t, float(g.height()) * t};
}

Form::Form(const FormDef &definition, QWidget *window) : m_definition(definition), m_window(window)
{
    substituteFonts();
    showTooltipsInTheirDirection();
    buildWindow();
    for (const ControlDef &control : m_definition.controls) {
        QWidget *container = m_window;
        if (!control.container.isEmpty()) {
            container = widget(control.container);
            Q_ASSERT_X(container, "Form", "a container comes before its controls");
        }
        if (QObject *made = build(control, container)) {
            made->setObjectName(control.designName());
            m_objects.insert(control.designName(), made);
        }
    }
    stack();
    orderTabs();
}

void Form::buildWindow()
{
    const FormDef &def = m_definition;
    m_window->setObjectName(def.name);
    m_window->setWindowTitle(def.caption);
    if (def.borderless)
        m_window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    QPalette p = m_window->palette(); // the window's colour only: boxes keep their own
    p.setColor(QPalette::Window, resolveColour(def.backColor));
    m_window->setPalette(p);
    m_window->setAutoFillBackground(true);
    m_window->setFont(makeFont(def.font));
    if (def.icon != Picture::None)
        m_window->setWindowIcon(QIcon(QPixmap::fromImage(picture(def.icon))));

    QRectF place(def.left, def.top, def.width, def.height);
    if (def.centred) {
        const QRectF screen(QGuiApplication::primaryScreen()->geometry());
        const qreal twips = kTwipsPerPixel;
        place.moveCenter(QPointF(screen.center().x() * twips, screen.center().y() * twips));
    }
    setTwips(m_window, float(place.left()), float(place.top()), def.width, def.height);
}

QObject *Form::build(const ControlDef &def, QWidget *container)
{
    QWidget *widget = nullptr;
    switch (def.kind) {
    case ControlKind::DataControl: return nullptr;
    case ControlKind::Timer: {
        auto *timer = new QTimer(m_window);
        timer->setInterval(def.interval);
        if (def.interval > 0)
            timer->start();
        return timer;
    }
    case ControlKind::Label: widget = makeLabel(def, container); break;
    case ControlKind::Image: {
        auto *image = new Image(container);
        image->setPicture(picture(def.picture));
        image->setStretch(def.stretch);
        widget = image;
        break;
    }
    case ControlKind::TextBox: widget = makeTextBox(def, container); break;
    case ControlKind::Panel: {
        auto *panel = new Panel(container);
        panel->setBackColor(def.backColor.value_or(kSystemButtonFace));
        panel->setBorderStyle(def.border);
        widget = panel;
        break;
    }
    case ControlKind::Button: {
        auto *button = new Button(container);
        button->setFlat(def.flat);
        button->setText(def.text);
        if (def.picture != Picture::None) {
            const QImage image = picture(def.picture);
            button->setIcon(QIcon(QPixmap::fromImage(image)));
            button->setIconSize(image.size());
        }
        if (def.backColor) {
            setBackground(button, *def.backColor);
            button->setAutoFillBackground(true);
        }
        widget = button;
        break;
    }
    case ControlKind::Grid: widget = makeGrid(def, container); break;
    case ControlKind::RichTextBox:
        widget = makeRichTextBox(def, container, container->font());
        break;
    }

    if (def.font)
        widget->setFont(makeFont(*def.font));
    if (def.kind == ControlKind::Grid) {
        // Rows as tall as the cells' font needs, so that no Arabic mark is cut.
        static_cast<Grid *>(widget)->verticalHeader()->setDefaultSectionSize(
            widget->fontMetrics().height() + 2);
    }
    if (def.foreColor && def.kind != ControlKind::Label) {
        QPalette p = widget->palette();
        p.setColor(QPalette::WindowText, resolveColour(*def.foreColor));
        p.setColor(QPalette::Text, resolveColour(*def.foreColor));
        widget->setPalette(p);
    }
    if (def.rightToLeft && def.kind == ControlKind::Label)
        widget->setLayoutDirection(Qt::RightToLeft);
    if (!def.toolTip.isEmpty())
        widget->setToolTip(def.toolTip);
    if (!def.accessibleName.isEmpty())
        widget->setAccessibleName(def.accessibleName);
    if (def.handPointer)
        widget->setCursor(handCursor());
    setTwips(widget, def.left, def.top, def.width, def.height);
    widget->setVisible(def.visible);
    return widget;
}

// Windowless controls listed earlier lie in front of those listed later; windowed
// controls lie in front of all windowless ones of their container, and among them the
// one created later is in front (the hint box over the search box).
void Form::stack()
{
    const auto &controls = m_definition.controls;
    for (auto it = controls.rbegin(); it != controls.rend(); ++it)
        if (isWindowless(it->kind))
            widget(it->designName())->raise();
    for (const ControlDef &control : controls)
        if (!isWindowless(control.kind))
            if (QWidget *w = widget(control.designName()))
                w->raise();
}

void Form::orderTabs()
{
    std::vector<const ControlDef *> focusable;
    for (const ControlDef &control : m_definition.controls)
        if (control.tabIndex >= 0 && widget(control.designName()))
            focusable.push_back(&control);
    std::sort(focusable.begin(), focusable.end(),
              [](const ControlDef *a, const ControlDef *b) { return a->tabIndex < b->tabIndex; });
    for (std::size_t k = 1; k < focusable.size(); ++k)
        QWidget::setTabOrder(widget(focusable[k - 1]->designName()),
                             widget(focusable[k]->designName()));
    // The window opens with the focus on the first control that can take it.
    for (const ControlDef *control : focusable) {
        QWidget *w = widget(control->designName());
        if (!w->isHidden() && w->isEnabled()) {
            w->setFocus();
            break;
        }
    }
}

Image *Form::image(int index) const
{
    return get<Image>(QStringLiteral("Ima1(%1)").arg(index));
}

// A control in a panel is placed inside the panel's border, from its inner corner.
void Form::add(const QString &name, QWidget *control)
{
    control->setObjectName(name);
    m_objects.insert(name, control);
}

TwipsGeometry Form::allTwips() const
{
    TwipsGeometry current;
    for (const ControlDef &control : m_definition.controls) {
        if (!widget(control.designName()))
            continue;
        const QRectF t = twips(control.designName());
        current[control.designName()]
            = {float(t.left()), float(t.top()), float(t.width()), float(t.height())};
    }
    return current;
}

void Form::setTwips(const TwipsGeometry &places)
{
    for (const auto &[name, r] : places) {
        if (QWidget *control = widget(name))
            setTwips(control, r.left, r.top, r.width, r.height);
    }
}

void Form::applyPlacement(const WindowPlacement &place)
{
    const QRectF now = windowTwips(m_window);
    setTwips(m_window, place.left, place.top, float(now.width()), float(now.height()));
    setTwips(m_window, place.left, place.top, float(now.width()), place.height);
    setTwips(m_window, place.left, place.top, place.width, place.height);
}

void Form::setTwips(QWidget *control, float left, float top, float width, float height)
{
    const QRectF twips(left, top, width, height);
    m_twips.insert(control, twips);
    QRect pixels = twipsToPixels(twips);
    if (const auto *panel = qobject_cast<const Panel *>(control->parentWidget())) {
        const int border = borderWidth(panel->borderStyle());
        pixels.translate(border, border);
    }
    control->setGeometry(pixels);
}

} // namespace tembra
