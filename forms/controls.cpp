#include "forms/controls.h"

#include "search/resultmodel.h"

#include <QApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextLayout>

#include <algorithm>

namespace tembra {

QColor resolveColour(quint32 colour)
{
    const QPalette palette = QApplication::palette();
    switch (colour) {
    case kSystemWindowText: return palette.color(QPalette::WindowText);
    case kSystemWindowBackground: return palette.color(QPalette::Base);
    case kSystemButtonFace: return palette.color(QPalette::Button);
    default: break;
    }
    return QColor::fromRgb(QRgb(colour));
}

namespace {

// A control that paints its own background in a design colour.
void fillBackground(QWidget *control, quint32 colour)
{
    QPalette p = control->palette();
    p.setColor(QPalette::Window, resolveColour(colour));
    control->setPalette(p);
    control->setAutoFillBackground(true);
}

} // namespace

int borderWidth(BorderStyle style)
{
    switch (style) {
    case BorderStyle::None: return 0;
    case BorderStyle::Line: return 1;
    case BorderStyle::Sunken: return 2;
    }
    return 0;
}

void drawBorder(QPainter &painter, const QRect &rect, BorderStyle style)
{
    const auto frame = [&painter](QRect r, const QColor &topLeft, const QColor &bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    switch (style) {
    case BorderStyle::None: break;
    case BorderStyle::Line: frame(rect, Qt::black, Qt::black); break;
    case BorderStyle::Sunken:
        // The classic sunken edge: shadow outside, dark shadow inside at the top and
        // left; highlight outside, light inside at the bottom and right.
        frame(rect, QColor(0xA0, 0xA0, 0xA0), Qt::white);
        frame(rect.adjusted(1, 1, -1, -1), QColor(0x69, 0x69, 0x69), QColor(0xE3, 0xE3, 0xE3));
        break;
    }
}

Label::Label(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setForeColor(0);
}

void Label::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    setText(caption);
    emit changed();
}

void Label::setForeColor(quint32 colour)
{
    m_foreColor = colour;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, resolveColour(colour));
    setPalette(p);
}

void Label::setBackColor(quint32 colour)
{
    fillBackground(this, colour);
}

void Label::setTransparent(bool transparent)
{
    setAutoFillBackground(!transparent);
    update();
}

void Label::setBorderStyle(BorderStyle style)
{
    m_border = style;
    const int width = borderWidth(style);
    setContentsMargins(width, width, width, width);
    update();
}

void Label::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (m_border == BorderStyle::None)
        return;
    QPainter painter(this);
    drawBorder(painter, rect(), m_border);
}

// A label takes its own clicks (its text is never selectable), so that the press, the
// release and the click all reach it rather than its container.
void Label::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseDown();
}

namespace {

// A click is the left button's, released where it went down; the other buttons press and
// release a control without clicking it (a right click on the close button closes
// nothing).
bool isClick(const QWidget *control, const QMouseEvent *event)
{
    return event->button() == Qt::LeftButton
        && control->rect().contains(event->position().toPoint());
}

} // namespace

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseUp();
    if (isClick(this, event))
        emit clicked();
}

void Label::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true); // Tab goes on along the window's focus order
    connect(this, &QPlainTextEdit::textChanged, this, &TextBox::userEdited);
}

TextBox::Hold::Hold(TextBox *box) : m_box(box)
{
    ++m_box->m_holds;
}

TextBox::Hold::~Hold()
{
    if (--m_box->m_holds == 0 && !m_box->m_laidOut && !m_box->isHidden())
        m_box->layOut();
}

void TextBox::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    m_laidOut = false;
    m_occurrences.clear();
    if (m_holds == 0 && !isHidden())
        layOut();
    emit changed();
}

void TextBox::layOut()
{
    // The document knows one kind of line break; the text itself keeps "\r\n".
    m_shown = pane::ShownText(m_text, m_marks);
    m_settingText = true;
    setPlainText(m_shown.shown());
    m_settingText = false;
    m_laidOut = true;
    applyOccurrences();
}

void TextBox::setMarksShown(bool shown)
{
    if (shown == m_marks)
        return;
    m_marks = shown;
    m_laidOut = false;
    if (m_holds == 0 && !isHidden())
        layOut();
}

// What a copy takes from the selection: the text's own, marks and all, whatever is shown.
QMimeData *TextBox::createMimeDataFromSelection() const
{
    if (m_marks || !m_laidOut)
        return QPlainTextEdit::createMimeDataFromSelection();
    const QTextCursor cursor = textCursor();
    const qsizetype start = m_shown.textAt(cursor.selectionStart());
    const qsizetype end = m_shown.textAt(cursor.selectionEnd());
    QString copied = m_text.mid(start, end - start);
    copied.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    auto *copy = new QMimeData;
    copy->setText(copied);
    return copy;
}

void TextBox::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    keepSelectionInView();
}

void TextBox::keepSelectionInView()
{
    if (textCursor().hasSelection())
        ensureCursorVisible();
}

void TextBox::showEvent(QShowEvent *event)
{
    if (!m_laidOut && m_holds == 0)
        layOut();
    QPlainTextEdit::showEvent(event);
}

void TextBox::setReadingOrder(Qt::LayoutDirection direction, Qt::Alignment alignment)
{
    m_alignment = alignment;
    setLayoutDirection(direction); // also puts the scroll bar on the leading side
    applyTextOption();
}

void TextBox::showOccurrences(const std::vector<pane::Span> &found)
{
    m_occurrences = found;
    if (m_laidOut)
        applyOccurrences();
}

void TextBox::applyOccurrences()
{
    const std::vector<pane::Span> &found = m_occurrences;
    const auto spanned = [&](QTextCursor cursor, const pane::Span &span) {
        cursor.setPosition(int(m_shown.shownAt(span.start)));
        cursor.setPosition(int(m_shown.shownAt(span.end)), QTextCursor::KeepAnchor);
        return cursor;
    };
    QList<QTextEdit::ExtraSelection> others;
    for (size_t i = 1; i < found.size(); ++i) {
        QTextEdit::ExtraSelection other;
        other.cursor = spanned(QTextCursor(document()), found[i]);
        other.format.setBackground(resolveColour(kMatchShade));
        // dark on the light shade, also where the pane's own text is light (at night)
        other.format.setForeground(QColor(Qt::black));
        others.append(other);
    }
    setExtraSelections(others);
    if (!found.empty())
        setTextCursor(spanned(textCursor(), found.front()));
}

void TextBox::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    // A change of direction resets the document's text option; keep the alignment.
    if (event->type() == QEvent::LayoutDirectionChange)
        applyTextOption();
    if (event->type() == QEvent::FontChange)
        keepSelectionInView();
}

// Each paragraph reads in the direction of its first strong letter (an English line above
// an Arabic hadith reads left to right) and stands where the box's alignment puts it; the
// box's own direction places its scroll bar and decides for a paragraph without letters.
void TextBox::applyTextOption()
{
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(Qt::LayoutDirectionAuto);
    option.setAlignment(m_alignment);
    document()->setDefaultTextOption(option);
}

void TextBox::userEdited()
{
    if (m_settingText || !m_laidOut)
        return;
    const QString typed = toPlainText();
    if (typed == m_text)
        return;
    m_text = typed;
    emit changed();
}

Image::Image(QWidget *parent) : QWidget(parent) { }

void Image::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void Image::setStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

void Image::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (m_stretch) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), m_picture);
    } else {
        painter.drawImage(0, 0, m_picture);
    }
}

void Image::mousePressEvent(QMouseEvent *)
{
    emit mouseDown();
}

void Image::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp();
    if (isClick(this, event))
        emit clicked();
}

void Image::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

Button::Button(QWidget *parent) : QPushButton(parent) { }

// Flat is drawn without the three-dimensional look, with a plain line for the edge.
void Button::paintEvent(QPaintEvent *event)
{
    QPushButton::paintEvent(event);
    if (!isFlat())
        return;
    QPainter painter(this);
    drawBorder(painter, rect(), BorderStyle::Line);
}

Panel::Panel(QWidget *parent) : QFrame(parent)
{
    setFocusPolicy(Qt::NoFocus);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { focusMoved(now); });
}

void Panel::setBackColor(quint32 colour)
{
    fillBackground(this, colour);
}

void Panel::setBorderStyle(BorderStyle style)
{
    m_border = style;
    const int width = borderWidth(style);
    setContentsMargins(width, width, width, width);
    update();
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawBorder(painter, rect(), m_border);
}

namespace {

// The focus mark of a panel: a frame in the highlight colour, three pixels wide, that lets
// the mouse through to the controls beneath it.
class FocusFrame final : public QWidget {
public:
    explicit FocusFrame(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
};

} // namespace

void Panel::focusMoved(QWidget *now)
{
    if (!now || !isAncestorOf(now)) {
        if (m_focusFrame)
            m_focusFrame->hide();
        return;
    }
    if (!m_focusFrame)
        m_focusFrame = new FocusFrame(this);
    m_focusFrame->setGeometry(rect());
    m_focusFrame->raise();
    m_focusFrame->show();
}

void Panel::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (m_focusFrame)
        m_focusFrame->setGeometry(rect());
}

void drawMarkSign(QPainter &painter, const QRectF &rect)
{
    // A ribbon twice as high as it is wide, with a notch at its foot, in the middle of rect.
    const qreal height = std::min(rect.height(), rect.width() * 2);
    const qreal width = height / 2;
    const QRectF r(rect.center().x() - width / 2, rect.center().y() - height / 2, width, height);
    QPainterPath ribbon;
    ribbon.moveTo(r.topLeft());
    ribbon.lineTo(r.topRight());
    ribbon.lineTo(r.bottomRight());
    ribbon.lineTo(r.center().x(), r.bottom() - height / 4);
    ribbon.lineTo(r.bottomLeft());
    ribbon.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x7B, 0x12, 0x1C), std::max<qreal>(1, height / 16)));
    painter.setBrush(QColor(0xC8, 0x1E, 0x2E));
    painter.drawPath(ribbon);
    painter.restore();
}

QIcon markSignIcon()
{
    static const QIcon icon = [] {
        QIcon made;
        for (const int side : {16, 24, 32, 48}) {
            QPixmap pixmap(side, side);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            drawMarkSign(painter, QRectF(0, 1, side, side - 2));
            painter.end();
            made.addPixmap(pixmap);
        }
        return made;
    }();
    return icon;
}

namespace {

// Cells hold Arabic text, and now and then a Latin one: each reads in the direction of its
// first strong letter and stands against the right edge, while the columns themselves keep
// the design's left-to-right order.
class RightToLeftCells final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->direction = option->text.isRightToLeft() || option->text.isEmpty()
            ? Qt::RightToLeft
            : Qt::LeftToRight;
        option->displayAlignment = kRightAligned | Qt::AlignVCenter;
        option->textElideMode = Qt::ElideRight; // the end of the text, whichever side it is
        // A marked row's sign at the start of its first cell, where its reading starts.
        if (index.data(ResultModel::MarkRole).toBool()) {
            const int side = option->fontMetrics.height();
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->icon = markSignIcon();
            option->decorationSize = QSize(side, side);
            option->decorationPosition = QStyleOptionViewItem::Left;
            option->decorationAlignment = Qt::AlignCenter;
        }
    }

    // A cell with a match: drawn as the style draws it, without its text, then the text
    // with the match shaded, cut at its end with "…" where it does not fit.
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QVariant match = index.data(ResultModel::MatchRole);
        if (!match.canConvert<QPoint>()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QString text = cell.text;
        cell.text.clear();
        const QWidget *widget = cell.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget)
                               .adjusted(margin, 0, -margin, 0);
        const QPoint at = match.toPoint();
        const ShownText shown = fitted(text, at.x(), at.y(), QFontMetrics(cell.font), area.width());

        QTextLayout layout(shown.text, cell.font);
        // Laid out from the left and moved against the right edge by hand: the layout's own
        // right alignment misplaces a left-to-right line in a right-to-left cell.
        QTextOption textOption(Qt::AlignLeft | Qt::AlignAbsolute);
        textOption.setTextDirection(cell.direction);
        textOption.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(textOption);
        if (shown.length > 0) {
            QTextLayout::FormatRange range;
            range.start = int(shown.start);
            range.length = int(shown.length);
            range.format.setBackground(resolveColour(kMatchShade));
            range.format.setForeground(QColor(Qt::black));
            layout.setFormats({range});
        }
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid())
            line.setLineWidth(area.width());
        layout.endLayout();
        if (!line.isValid())
            return;

        const bool selected = cell.state & QStyle::State_Selected;
        const QPalette::ColorGroup group = !(cell.state & QStyle::State_Enabled)
            ? QPalette::Disabled
            : (cell.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive);
        painter->save();
        painter->setClipRect(area);
        painter->setPen(
            cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const qreal free = std::max<qreal>(0, area.width() - line.naturalTextWidth());
        layout.draw(painter,
                    QPointF(area.left() + free, area.top() + (area.height() - line.height()) / 2));
        painter->restore();
    }

private:
    struct ShownText {
        QString text;
        qsizetype start;
        qsizetype length;
    };

    // The start of text that fits width with "…" after it, as the toolkit elides it; the
    // match keeps its place, cut where the text is.
    static ShownText fitted(const QString &text, qsizetype start, qsizetype length,
                            const QFontMetrics &metrics, int width)
    {
        const QString elided = metrics.elidedText(text, Qt::ElideRight, width);
        if (elided == text)
            return {text, start, length};
        const QChar ellipsis(0x2026);
        const qsizetype kept = elided.endsWith(ellipsis) ? elided.size() - 1 : elided.size();
        const qsizetype end = std::clamp(start + length, start, kept);
        return {elided, start, std::max<qsizetype>(0, end - start)};
    }
};

} // namespace

Grid::Grid(QWidget *parent) : QTableView(parent)
{
    setTabKeyNavigation(false);
    setItemDelegate(new RightToLeftCells(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalHeader()->setDefaultAlignment(kRightAligned | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(0);
}

void Grid::setColumnWidths(const QList<int> &widths)
{
    m_widths = widths;
    applyColumnWidths();
}

void Grid::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    applyColumnWidths();
}

// The viewport changes its width with the grid and with its vertical scroll bar coming
// and going; a grid resized while hidden learns its width only when its geometry is
// brought up to date.
bool Grid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Resize)
        applyColumnWidths();
    return QTableView::viewportEvent(event);
}

void Grid::updateGeometries()
{
    QTableView::updateGeometries();
    if (!m_applying)
        applyColumnWidths();
}

// Each column its design width as far as the grid has room, the last one narrowed first;
// the last takes all the room the others leave, so that the grid never shows an empty
// strip beside its text, however wide it is.
void Grid::applyColumnWidths()
{
    const QScopedValueRollback<bool> applying(m_applying, true);
    int room = viewport()->width();
    for (int column = 0; column < m_widths.size(); ++column) {
        const bool last = column == m_widths.size() - 1;
        const int width = last ? std::max(0, room) : qBound(0, room, m_widths.at(column));
        setColumnWidth(column, width);
        room -= width;
    }
}

} // namespace tembra
