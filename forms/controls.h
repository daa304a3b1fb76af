#pragma once

#include "design/definition.h"
#include "search/pane.h"
#include "search/panetext.h"

#include <QFrame>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTableView>

namespace tembra {

// A colour as the window definitions give it (0xRRGGBB, or a system colour resolved from
// the application's palette): the one place where one becomes the other.
QColor resolveColour(quint32 colour);

// Draws the border inside rect; the widths are those of contentsMargins().
void drawBorder(QPainter &painter, const QRect &rect, BorderStyle style);
int borderWidth(BorderStyle style);

// Right-aligned in the window definitions means against the right edge, also when the
// control reads right to left (where a plain AlignRight is mirrored to the left).
constexpr Qt::Alignment kRightAligned = Qt::AlignRight | Qt::AlignAbsolute;

// The shade behind an occurrence of the search term, in the reading pane and in the list:
// soft, so that the pane's selection on the first still stands out.
constexpr quint32 kMatchShade = 0xF3E69E;

// The sign of a marked hadith, in its row of the list and beside the reading pane: a ribbon
// such as marks a page, drawn inside rect. A sign, not a word, so that it takes no room
// from the text; whoever draws it gives it its words (tooltip, accessible name).
void drawMarkSign(QPainter &painter, const QRectF &rect);
QIcon markSignIcon();

// A control that shows a field of the data control's current record: a label's caption,
// a text box's text. A value set that differs from the one shown signals the change.
class Bound {
public:
    virtual ~Bound() = default;
    virtual QString boundValue() const = 0;
    virtual void setBoundValue(const QString &value) = 0;
    // Signals a change already made while the control's signals were blocked.
    virtual void signalChange() = 0;
};

// A label whose caption is kept exactly as set and whose text colour is a design value.
// A new caption that differs from the old one signals changed(), as a bound label must.
// It paints its background unless it is transparent, so that what lies behind shows.
class Label final : public QLabel, public Bound {
    Q_OBJECT
public:
    explicit Label(QWidget *parent = nullptr);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QString boundValue() const override { return m_caption; }
    void setBoundValue(const QString &value) override { setCaption(value); }
    void signalChange() override { emit changed(); }
    quint32 foreColor() const { return m_foreColor; }
    void setForeColor(quint32 colour);
    void setBackColor(quint32 colour);
    bool isTransparent() const { return !autoFillBackground(); }
    void setTransparent(bool transparent);
    BorderStyle borderStyle() const { return m_border; }
    void setBorderStyle(BorderStyle style);

signals:
    void changed();
    void clicked();
    void doubleClicked();
    void mouseDown();
    void mouseUp();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString m_caption;
    quint32 m_foreColor = 0;
    BorderStyle m_border = BorderStyle::None;
};

// A text box that holds its text exactly as set (line breaks "\r\n" included) and
// signals a change only when the text really changes, whoever changed it.
//
// Laying a long hadith out is the costliest thing the window does (tens of milliseconds for
// a few thousand letters), so the box lays out only what is to be seen: a hidden box keeps
// its text without laying it out, and while a Hold stands, a box takes every text set but
// lays out only the last, once the hold ends. Its text and its change signals are as ever,
// whatever is laid out.
class TextBox final : public QPlainTextEdit, public Bound {
    Q_OBJECT
public:
    class Hold final {
    public:
        explicit Hold(TextBox *box);
        ~Hold();
        Q_DISABLE_COPY_MOVE(Hold)

    private:
        TextBox *m_box;
    };

    explicit TextBox(QWidget *parent = nullptr);
    QString text() const { return m_text; }
    void setText(const QString &text);
    QString boundValue() const override { return m_text; }
    void setBoundValue(const QString &value) override { setText(value); }
    void signalChange() override { emit changed(); }

    // The box's reading order (where its scroll bar goes) and the alignment of every
    // paragraph; alignment takes kRightAligned for text against the right edge.
    void setReadingOrder(Qt::LayoutDirection direction, Qt::Alignment alignment);

    // Spans of the text (in its units, "\r\n" two of them) that a search found: the first
    // is selected, every other one is marked with the match shade, so that the reader sees
    // every place the search found while the selection stands out.
    void showOccurrences(const std::vector<pane::Span> &found);

    // The vowel marks shown, or left out of what is laid out. Only the showing changes: the
    // text, its occurrences and what is copied from a selection keep their marks.
    bool marksShown() const { return m_marks; }
    void setMarksShown(bool shown);

signals:
    void changed();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // A larger box, or larger letters, lay the text out anew; the selected occurrence stays
    // in view.
    void resizeEvent(QResizeEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    void userEdited();
    void applyTextOption();
    void layOut(); // the text into the document, with what it is to show
    void applyOccurrences();
    void keepSelectionInView();

    QString m_text;
    pane::ShownText m_shown; // what is laid out, and the way between its positions and m_text's
    bool m_marks = true;
    bool m_settingText = false;
    int m_holds = 0;
    bool m_laidOut = true; // the document shows m_text
    std::vector<pane::Span> m_occurrences; // to show once laid out
    Qt::Alignment m_alignment = Qt::AlignLeft;
};

// An image: a picture drawn at its own size from the top-left corner, or stretched
// over the whole control. It paints nothing else, so what lies behind it shows
// where a picture does not reach.
class Image final : public QWidget {
    Q_OBJECT
public:
    explicit Image(QWidget *parent = nullptr);
    QImage picture() const { return m_picture; }
    void setPicture(const QImage &picture);
    bool stretch() const { return m_stretch; }
    void setStretch(bool stretch);

signals:
    void clicked();
    void doubleClicked();
    void mouseDown();
    void mouseUp();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
    bool m_stretch = false;
};

// A button with a picture; a flat one has a plain line for its edge.
class Button final : public QPushButton {
    Q_OBJECT
public:
    explicit Button(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A panel that holds other controls on its own background, inside its border.
class Panel final : public QFrame {
    Q_OBJECT
public:
    explicit Panel(QWidget *parent = nullptr);
    void setBackColor(quint32 colour);
    BorderStyle borderStyle() const { return m_border; }
    void setBorderStyle(BorderStyle style);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // A panel takes no keys of its own, so it is never a stop of the focus order; while a
    // control inside it has the keys (the grid in the result panel), the panel shows it: a
    // frame over its edge, in front of the controls it holds (they often cover it to its
    // border).
    void focusMoved(QWidget *now);

    BorderStyle m_border = BorderStyle::None;
    QWidget *m_focusFrame = nullptr;
};

// The result grid: columns in the order and widths of the design, left to right, and
// cells whose text stands against the right edge, reading in its own direction. The grid
// never scrolls sideways: the last column takes whatever width the others leave, wider or
// narrower than its design, and a cell's text that does not fit keeps its start and ends
// in "…". A cell whose model gives a match (ResultModel::MatchRole) shades it, and one
// that is marked (ResultModel::MarkRole) shows the mark's sign at its start. Tab and
// Shift+Tab leave the grid, as they leave every other control.
class Grid final : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget *parent = nullptr);
    // Widths in pixels of the design columns, applied to whatever model the grid shows.
    void setColumnWidths(const QList<int> &widths);
    void setModel(QAbstractItemModel *model) override;

protected:
    bool viewportEvent(QEvent *event) override;
    void updateGeometries() override;

private:
    void applyColumnWidths();

    QList<int> m_widths;
    bool m_applying = false;
};

} // namespace tembra
