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

} // namespace

LayoutResult layoutPass(float width, float height, bool minimised, const TwipsGeometry &current)
{
    LayoutResult result;
    if (minimised) // not a size to lay out for; the pass runs again when the window comes back
        return result;

    // Each control the pass places, taken as it stands. std::map keeps references valid
    // while other entries are added.
    TwipsGeometry g;
    auto c = [&g, &current](const char16_t *name) -> TwipsRect & {
        const QString key = QString::fromUtf16(name);
        auto at = g.find(key);
        if (at == g.end()) {
            const auto now = current.find(key);
            at = g.emplace(key, now != current.end() ? now->second : designPlace(key)).first;
        }
        return at->second;
    };

    const double H = height;
    const double W = width;

    // The frame: borders and corners.
    TwipsRect &ima0 = c(u"Ima1(0)");
    ima0.top = 315;
    ima0.left = 0;
    // Full height although it starts at 315: the window cuts off what reaches below it.
    ima0.height = size(H);
    TwipsRect &ima1 = c(u"Ima1(1)");
    ima1.top = 315;
    ima1.left = 0;
    ima1.width = size(W);
    TwipsRect &ima2 = c(u"Ima1(2)");
    ima2.top = 315;
    ima2.left = twips(W - 75);
    ima2.height = size(H);
    TwipsRect &ima3 = c(u"Ima1(3)");
    ima3.top = twips(H - 75);
    ima3.left = 0;
    ima3.width = size(W);
    TwipsRect &ima4 = c(u"Ima1(4)");
    ima4.top = 315;
    ima4.left = 0;
    TwipsRect &ima5 = c(u"Ima1(5)");
    ima5.top = 315;
    ima5.left = twips(W - 75);
    TwipsRect &ima6 = c(u"Ima1(6)");
    ima6.top = twips(H - 75);
    ima6.left = 0;
    TwipsRect &ima7 = c(u"Ima1(7)");
    ima7.top = twips(H - 75);
    ima7.left = twips(W - 75);

    // The caption bar.
    TwipsRect &ima8 = c(u"Ima1(8)");
    ima8.top = 15;
    ima8.left = 15;
    ima8.width = size(W - 30);
    TwipsRect &label19 = c(u"Label19");
    label19.top = 30;
    label19.left = 0;
    label19.width = ima8.width;
    TwipsRect &ima9 = c(u"Ima1(9)");
    ima9.top = 0;
    ima9.left = 0;
    ima9.width = size(W);
    TwipsRect &la1 = c(u"La1");
    la1.top = 30;
    la1.left = twips(W - 295);
    TwipsRect &la2 = c(u"La2");
    la2.top = 30;
    la2.left = twips(W - 545);
    TwipsRect &la3 = c(u"La3");
    la3.top = 30;
    la3.left = twips(W - 770);
    TwipsRect &im1 = c(u"Im1");
    im1.top = 15;
    im1.left = twips(W - 800);
    TwipsRect &im2 = c(u"Im2");
    im2.top = 15;
    im2.left = 120;

    // The result panel along the bottom; its grid lies exactly over the frame label.
    TwipsRect &pic1 = c(u"Pic1");
    pic1.width = size(W - 240);
    pic1.top = twips(H - double(pic1.height) - 120);
    pic1.left = 120;
    TwipsRect &label18 = c(u"Label18");
    label18.left = pic1.left;
    label18.top = twips(double(pic1.top) - double(label18.height) - 30);
    label18.width = pic1.width;
    TwipsRect &label17 = c(u"Label17");
    label17.left = 15;
    label17.top = 15;
    label17.width = size(double(pic1.width) - 60);
    label17.height = size(double(pic1.height) - 60);
    TwipsRect &dataGrid1 = c(u"DataGrid1");
    dataGrid1.top = label17.top;
    dataGrid1.left = label17.left;
    dataGrid1.width = label17.width;
    dataGrid1.height = label17.height;

    // The reading pane takes what the fixed-width search column leaves.
    TwipsRect &text1 = c(u"Text1");
    text1.left = 120;
    text1.top = 810;
    text1.height = size(H - double(pic1.height) - 1480);
    text1.width = size(W - 3600);
    TwipsRect &label16 = c(u"Label16");
    label16.top = twips(double(text1.top) - double(label16.height) - 45);
    label16.left = text1.left;
    label16.width = text1.width;
    TwipsRect &text2 = c(u"Text2");
    TwipsRect &command1 = c(u"Command1");
    text2.left = twips(double(text1.left) + double(text1.width) + 240 + double(command1.width));
    text2.top = text1.top;
    command1.top = text2.top;
    command1.left = twips(double(text2.left) - double(command1.width) - 30);
    TwipsRect &pic2 = c(u"Pic2");
    pic2.top = twips(double(command1.top) + double(command1.height) + 300);
    pic2.left = twips(double(command1.left) + 15);

    // Separators, the count panel and the hint above the search box.
    TwipsRect &ima10 = c(u"Ima1(10)");
    ima10.top = twips(double(ima0.top) + 45);
    ima10.left = twips(double(text2.left) - 165 - double(command1.width));
    ima10.height = size(double(ima10.top) + double(text1.height) + 180);
    TwipsRect &ima11 = c(u"Ima1(11)");
    ima11.width = size(double(ima1.width) - 90);
    ima11.top = twips(double(pic1.top) - 480);
    ima11.left = 45;
    TwipsRect &ima12 = c(u"Ima1(12)");
    ima12.left = twips(double(ima10.left) + 45);
    ima12.width = size(double(command1.width) + double(text2.width) + 210);
    ima12.top = twips(double(text2.top) + double(text2.height) + 120);
    TwipsRect &pic3 = c(u"Pic3");
    pic3.top = twips(double(text1.top) + double(text1.height) - double(pic3.height));
    pic3.left = pic2.left;
    TwipsRect &label20 = c(u"Label20");
    label20.left = command1.left;
    label20.top = twips(double(command1.top) - double(label20.height) - 45);
    label20.width = size(double(text2.width) + double(command1.width) + 60);

    // The yellow shows in the margin between the panel's edge and the grid.
    result.pic1BackColor = kYellow;
    result.geometry = std::move(g);
    return result;
}

} // namespace tembra
