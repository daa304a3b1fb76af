#include "design/layoutpass.h"

#include "design/definition.h"

namespace tembra {

namespace {

constexpr quint32 kYellow = 0xFFFF00;

// Every value is computed in double and stored in single precision, as the controls hold
// it; with whole-twip inputs each result is whole, so no rounding shows.
float twips(double value)
{
    return static_cast<float>(value);
}

// A control cannot be given a negative size; the rules give one below the smallest window
// the program itself sets, and zero hides the control instead.
float size(double value)
{
    return value < 0 ? 0.0f : static_cast<float>(value);
}

// A name the pass places but the window's definition lacks is a misspelling in the pass
// itself: it would put a control nowhere, in every build, so it stops the program at the
// first layout (and so every test that lays out the window) instead.
TwipsRect designPlace(const QString &name)
{
    const ControlDef *def = tembra1Definition().find(name);
    if (!def)
        qFatal("layoutPass: the main window's definition has no control named %s",
               qUtf8Printable(name));
    return TwipsRect{def->left, def->top, def->width, def->height};
}

// The frame's sizes, in twips, as the design writes them.
constexpr double kCaptionHeight = 315; // the caption bar: the frame starts below it
constexpr double kBorder = 75; // the frame's right and bottom edges: this far in from the side
constexpr double kMargin = 120; // the pane, the search column and the result panel keep this
    // far from the window's left edge, and the panel from its bottom

// The places of the controls one pass sets, each taken as it stands the first time it is
// named (std::map keeps references valid while other entries are added).
class Places final {
public:
    explicit Places(const TwipsGeometry &current) : m_current(current) { }

    TwipsRect &operator[](const char16_t *name)
    {
        const QString key = QString::fromUtf16(name);
        auto at = m_placed.find(key);
        if (at == m_placed.end()) {
            const auto now = m_current.find(key);
            at = m_placed.emplace(key, now != m_current.end() ? now->second : designPlace(key))
                     .first;
        }
        return at->second;
    }
    TwipsGeometry take() { return std::move(m_placed); }

private:
    const TwipsGeometry &m_current;
    TwipsGeometry m_placed;
};

// The frame: borders and corners. The left and top borders run the full height and width
// from below the caption bar (the window cuts off what reaches below it).
void placeFrame(Places &g, double W, double H)
{
    const auto corner = [&g](const char16_t *name, double left, double top) {
        g[name].left = twips(left);
        g[name].top = twips(top);
    };
    g[u"Ima1(0)"].height = size(H);
    corner(u"Ima1(0)", 0, kCaptionHeight);
    g[u"Ima1(1)"].width = size(W);
    corner(u"Ima1(1)", 0, kCaptionHeight);
    g[u"Ima1(2)"].height = size(H);
    corner(u"Ima1(2)", W - kBorder, kCaptionHeight);
    g[u"Ima1(3)"].width = size(W);
    corner(u"Ima1(3)", 0, H - kBorder);
    corner(u"Ima1(4)", 0, kCaptionHeight);
    corner(u"Ima1(5)", W - kBorder, kCaptionHeight);
    corner(u"Ima1(6)", 0, H - kBorder);
    corner(u"Ima1(7)", W - kBorder, H - kBorder);
}

// The caption bar: its picture, the title, the window's buttons over their picture (from
// the right: close, enlarge, minimise) and the emblem at the left.
void placeCaptionBar(Places &g, double W)
{
    TwipsRect &ima8 = g[u"Ima1(8)"];
    ima8.top = 15;
    ima8.left = 15;
    ima8.width = size(W - 30);
    TwipsRect &label19 = g[u"Label19"];
    label19.top = 30;
    label19.left = 0;
    label19.width = ima8.width;
    TwipsRect &ima9 = g[u"Ima1(9)"];
    ima9.top = 0;
    ima9.left = 0;
    ima9.width = size(W);
    const auto button = [&g, W](const char16_t *name, double fromRight) {
        g[name].top = 30;
        g[name].left = twips(W - fromRight);
    };
    button(u"La1", 295);
    button(u"La2", 545);
    button(u"La3", 770);
    TwipsRect &im1 = g[u"Im1"];
    im1.top = 15;
    im1.left = twips(W - 800);
    TwipsRect &im2 = g[u"Im2"];
    im2.top = 15;
    im2.left = kMargin;
}

// The result panel along the bottom, its heading above it; the grid lies exactly over the
// panel's frame label.
void placeResultPanel(Places &g, double W, double H)
{
    TwipsRect &pic1 = g[u"Pic1"];
    pic1.width = size(W - 2 * kMargin);
    pic1.top = twips(H - double(pic1.height) - kMargin);
    pic1.left = kMargin;
    TwipsRect &label18 = g[u"Label18"];
    label18.left = pic1.left;
    label18.top = twips(double(pic1.top) - double(label18.height) - 30);
    label18.width = pic1.width;
    TwipsRect &label17 = g[u"Label17"];
    label17.left = 15;
    label17.top = 15;
    label17.width = size(double(pic1.width) - 60);
    label17.height = size(double(pic1.height) - 60);
    TwipsRect &dataGrid1 = g[u"DataGrid1"];
    dataGrid1.top = label17.top;
    dataGrid1.left = label17.left;
    dataGrid1.width = label17.width;
    dataGrid1.height = label17.height;
}

// The reading pane takes what the fixed-width search column leaves; the banner stands above
// it, the search box and its button beside it, the details panel under them.
void placePaneAndSearch(Places &g, double W, double H)
{
    TwipsRect &text1 = g[u"Text1"];
    text1.left = kMargin;
    text1.top = 810;
    text1.height = size(H - double(g[u"Pic1"].height) - 1480);
    text1.width = size(W - 3600);
    TwipsRect &label16 = g[u"Label16"];
    label16.top = twips(double(text1.top) - double(label16.height) - 45);
    label16.left = text1.left;
    label16.width = text1.width;
    TwipsRect &text2 = g[u"Text2"];
    TwipsRect &command1 = g[u"Command1"];
    text2.left = twips(double(text1.left) + double(text1.width) + 240 + double(command1.width));
    text2.top = text1.top;
    command1.top = text2.top;
    command1.left = twips(double(text2.left) - double(command1.width) - 30);
    TwipsRect &pic2 = g[u"Pic2"];
    pic2.top = twips(double(command1.top) + double(command1.height) + 300);
    pic2.left = twips(double(command1.left) + 15);
}

// The separators, the count panel at the foot of the search column and the hint above the
// search box.
void placeSeparatorsAndCount(Places &g)
{
    const TwipsRect &text1 = g[u"Text1"];
    const TwipsRect &text2 = g[u"Text2"];
    const TwipsRect &command1 = g[u"Command1"];
    TwipsRect &ima10 = g[u"Ima1(10)"];
    ima10.top = twips(double(g[u"Ima1(0)"].top) + 45);
    ima10.left = twips(double(text2.left) - 165 - double(command1.width));
    ima10.height = size(double(ima10.top) + double(text1.height) + 180);
    TwipsRect &ima11 = g[u"Ima1(11)"];
    ima11.width = size(double(g[u"Ima1(1)"].width) - 90);
    ima11.top = twips(double(g[u"Pic1"].top) - 480);
    ima11.left = 45;
    TwipsRect &ima12 = g[u"Ima1(12)"];
    ima12.left = twips(double(ima10.left) + 45);
    ima12.width = size(double(command1.width) + double(text2.width) + 210);
    ima12.top = twips(double(text2.top) + double(text2.height) + 120);
    TwipsRect &pic3 = g[u"Pic3"];
    pic3.top = twips(double(text1.top) + double(text1.height) - double(pic3.height));
    pic3.left = g[u"Pic2"].left;
    TwipsRect &label20 = g[u"Label20"];
    label20.left = command1.left;
    label20.top = twips(double(command1.top) - double(label20.height) - 45);
    label20.width = size(double(text2.width) + double(command1.width) + 60);
}

} // namespace

LayoutResult layoutPass(float width, float height, bool minimised, const TwipsGeometry &current)
{
    LayoutResult result;
    if (minimised) // not a size to lay out for; the pass runs again when the window comes back
        return result;
    Places g(current);
    const double W = width;
    const double H = height;
    placeFrame(g, W, H);
    placeCaptionBar(g, W);
    placeResultPanel(g, W, H);
    placePaneAndSearch(g, W, H);
    placeSeparatorsAndCount(g);
    // The yellow shows in the margin between the panel's edge and the grid.
    result.pic1BackColor = kYellow;
    result.geometry = g.take();
    return result;
}

} // namespace tembra
