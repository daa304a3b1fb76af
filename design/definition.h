#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace tembra {

// A window's design as data: the window's own properties and a catalogue of its
// controls. Positions and sizes are twips (15 to a pixel), relative to the control's
// container. The layout pass reads the places here and the widget layer builds the
// windows from the rest; nothing here needs a window.

// Colours are 0xRRGGBB, or a system colour (the top bit set) that the platform resolves
// when it is applied.
constexpr quint32 kSystemWindowText = 0x80000008;
constexpr quint32 kSystemWindowBackground = 0x80000005;
constexpr quint32 kSystemButtonFace = 0x8000000F;

// The borders a label or a panel can have: none, a one-pixel line, or the sunken
// three-dimensional edge.
enum class BorderStyle { None, Line, Sunken };

// The pictures of the three windows, named here and drawn by the widget layer at their
// design pixel sizes.
enum class Picture {
    None,
    FrameBandHorizontal, // 39×5: the raised frame band running across
    FrameBandVertical, // 5×14: the same band running down
    CornerTopLeft, // 5×5 each: the band turning the corner
    CornerTopRight,
    CornerBottomLeft,
    CornerBottomRight,
    CaptionBar, // 20×21: the caption bar's gradient
    Backdrop, // 1×20: black
    CaptionButtons, // 48×21: minimise, enlarge and restore, close on the gradient
    Emblem, // 14×20: a chequered arrowhead on the gradient
    SearchButton, // 38×38: a magnifying glass
    WindowIcon, // 32×32
    HandPointer, // 32×32
    Splash, // 335×87
    About, // 688×295
};

enum class ControlKind {
    Label, // windowless
    Image, // windowless
    TextBox, // a Text: one line, or multi-line with "\r\n" kept
    Panel, // holds other controls
    Button,
    Grid,
    RichTextBox,
    DataControl, // no widget: its settings are kept for the code that reads the data
    Timer, // no widget: a QTimer
};

// Windowless controls are painted on their container's surface: they lie behind every
// windowed control of the same container.
bool isWindowless(ControlKind kind);

enum class TextAlignment { Left, Right, Centre };

struct FontDef {
    QString family;
    qreal points = 8.25;
    bool bold = false;
};

struct GridColumn {
    QString heading;
    QString field; // the bound column of Table1
    float width = 0; // twips
};

struct ControlDef {
    QString name;
    int index = -1; // member of a control array, or -1
    ControlKind kind = ControlKind::Label;
    QString container; // a panel's name; empty for the window itself
    float left = 0, top = 0, width = 0, height = 0;

    QString text; // caption of a label, text of a text box
    QString toolTip;
    QString accessibleName; // for a control that shows no text of its own
    std::optional<FontDef> font; // none: the container's font
    std::optional<quint32> foreColor;
    std::optional<quint32> backColor; // none: the kind's default
    bool transparent = false; // a label that paints no background
    BorderStyle border = BorderStyle::None;
    bool flat = false; // drawn without the three-dimensional look
    TextAlignment alignment = TextAlignment::Left;
    bool rightToLeft = false;
    bool visible = true;
    bool multiLine = false;
    bool verticalScrollBar = false;
    bool hideSelection = true; // false: the selection stays visible without the focus
    Picture picture = Picture::None;
    bool stretch = false;
    bool handPointer = false;
    int tabIndex = -1; // -1: cannot take the focus

    int interval = 0; // timers, ms; 0 never ticks

    QString dataSource; // bindings: the data control and the column
    QString dataField;
    QString connectionString; // the data control's own settings
    QString recordSource;
    int commandType = 0;

    std::vector<GridColumn> columns;
    std::optional<FontDef> headingFont;

    // "Label1", or "Ima1(3)" for an array member.
    QString designName() const;
};

struct FormDef {
    QString name;
    QString caption;
    bool borderless = true;
    quint32 backColor = kSystemButtonFace;
    float width = 0, height = 0; // twips, the client area
    bool centred = false; // else placed at left, top on the screen
    float left = 0, top = 0;
    Picture icon = Picture::None;
    FontDef font;
    // Windowless controls front to back, windowed controls in the order they are
    // created (each later one in front): both orders are this one list's.
    std::vector<ControlDef> controls;

    const ControlDef *find(const QString &designName) const;
};

// A control of a catalogue, written one line a property.
class Control {
public:
    Control(ControlKind kind, const QString &name, int index = -1);

    Control &at(float left, float top, float width, float height);
    Control &in(const QString &container);
    Control &text(const QString &text);
    Control &tip(const QString &toolTip);
    Control &named(const QString &accessibleName);
    Control &font(const QString &family, qreal points, bool bold = false);
    Control &fore(quint32 colour);
    Control &back(quint32 colour);
    Control &transparent();
    Control &border(BorderStyle style);
    Control &flat();
    Control &align(TextAlignment alignment);
    Control &rightToLeft();
    Control &hidden();
    Control &multiLine();
    Control &verticalScrollBar();
    Control &keepSelection();
    Control &picture(Picture picture, bool stretch);
    Control &handPointer();
    Control &tabIndex(int index);
    Control &interval(int ms);
    Control &bind(const QString &dataSource, const QString &dataField);
    Control &column(const QString &heading, const QString &field, float width);
    Control &headingFont(const QString &family, qreal points);
    Control &data(const QString &connectionString, const QString &recordSource, int commandType);

    operator ControlDef() const { return m_def; }

private:
    ControlDef m_def;
};

// The three windows.
const FormDef &tembra1Definition(); // the main window
const FormDef &tembra2Definition(); // the splash window
const FormDef &about1Definition(); // the About window

// The collection the main window's data control connects to: the Data Source of its
// connection string, a path relative to the working directory, written here with "/"
// between its folders.
QString collectionFile();

} // namespace tembra
