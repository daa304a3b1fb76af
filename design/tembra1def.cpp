// The main window Tembra1 as it is designed: every control with its place, look and
// bindings. The layout pass moves most of them once the window is shown; what is here
// is the state at creation.

#include "base/texts.h"
#include "design/definition.h"

namespace tembra {

namespace {

using K = ControlKind;
using B = BorderStyle;
using A = TextAlignment;
using P = Picture;

constexpr quint32 kWhite = 0xFFFFFF;
constexpr quint32 kBlack = 0x000000;
constexpr quint32 kHeadingTeal = 0x004040;
constexpr quint32 kMist = 0xB8D3C6;
constexpr quint32 kYellow = 0xFFFF00;
constexpr quint32 kPanelGreen = 0x4F8068;

const QString kSans = QStringLiteral("MS Sans Serif");
const QString kMicrosoftSans = QStringLiteral("Microsoft Sans Serif");
const QString kData = QStringLiteral("Adodc1");

// A white caption on the dark teal band, in a flat frame.
Control heading(const QString &name, const QString &text)
{
    return std::move(Control(K::Label, name)
                         .text(text)
                         .back(kHeadingTeal)
                         .fore(kWhite)
                         .border(B::Line)
                         .align(A::Centre)
                         .flat());
}

// A value label of the details panel: black on mist in a sunken frame.
Control info(const QString &name, qreal points, const QString &field)
{
    return std::move(Control(K::Label, name)
                         .in(QStringLiteral("Pic2"))
                         .back(kMist)
                         .fore(kBlack)
                         .border(B::Sunken)
                         .align(A::Centre)
                         .rightToLeft()
                         .font(kSans, points)
                         .bind(kData, field));
}

// A yellow frame behind a caption and its value.
Control yellowFrame(const QString &name, const QString &panel)
{
    return std::move(Control(K::Label, name)
                         .in(panel)
                         .back(kYellow)
                         .fore(kSystemWindowText)
                         .border(B::Line)
                         .flat()
                         .font(kSans, 8.25)
                         .named(texts::frameName()));
}

Control frame(int index, Picture picture, bool stretch, const QString &name)
{
    return std::move(
        Control(K::Image, QStringLiteral("Ima1"), index).picture(picture, stretch).named(name));
}

Control captionButton(const QString &name, const QString &role)
{
    return std::move(
        Control(K::Label, name).font(QStringLiteral("Webdings"), 9).handPointer().named(role));
}

FormDef make()
{
    FormDef form;
    form.name = QStringLiteral("Tembra1");
    form.caption = QStringLiteral("Form1");
    form.borderless = true;
    form.backColor = 0x9CAC5B;
    form.width = 15045;
    form.height = 9015;
    form.left = 1590;
    form.top = 30;
    form.icon = P::WindowIcon;
    form.font = FontDef{kMicrosoftSans, 8.25};

    const QString frameName = texts::frameName();
    const QString cornerName = texts::frameCornerName();
    const QString dividerName = texts::dividerName();

    form.controls = {
        // Windowed controls, in the order they are created.
        Control(K::TextBox, QStringLiteral("Label4"))
            .at(360, 3600, 11415, 1215)
            .text(QStringLiteral("Label4"))
            .align(A::Right)
            .rightToLeft()
            .hidden()
            .tabIndex(33)
            .bind(kData, QStringLiteral("Tab1")),
        Control(K::TextBox, QStringLiteral("Text1"))
            .at(0, 480, 11775, 4335)
            .back(kMist)
            .font(QStringLiteral("Traditional Arabic"), 18, true)
            .multiLine()
            .verticalScrollBar()
            .align(A::Right)
            .rightToLeft()
            .keepSelection()
            .tabIndex(3),
        Control(K::Panel, QStringLiteral("Pic3"))
            .at(11760, 4200, 3105, 540)
            .back(0x00C0C0)
            .border(B::Sunken)
            .font(kSans, 8.25)
            .tabIndex(20)
            .named(texts::countPanelName()),
        Control(K::Panel, QStringLiteral("Pic2"))
            .at(11760, 1200, 3105, 3015)
            .back(0x79A481)
            .border(B::Sunken)
            .font(kSans, 8.25)
            .tabIndex(10)
            .named(texts::detailsPanelName()),
        Control(K::Button, QStringLiteral("Command1"))
            .at(12000, 600, 555, 435)
            .back(kMist)
            .picture(P::SearchButton, false)
            .flat()
            .font(kSans, 8.25)
            .tabIndex(2)
            .named(texts::searchButtonName()),
        Control(K::TextBox, QStringLiteral("Text2"))
            .at(12360, 600, 2535, 405)
            .font(kSans, 9.75)
            .align(A::Right)
            .rightToLeft()
            .keepSelection()
            .tip(texts::searchTooltip())
            .tabIndex(1),
        Control(K::DataControl, kData)
            .at(13080, 7320, 1935, 495)
            .text(kData)
            .hidden()
            .data(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=Book\\Data.mdb;"
                                 "Persist Security Info=False"),
                  QStringLiteral("Table1"), 2),
        Control(K::Panel, QStringLiteral("Pic1"))
            .at(120, 5160, 14775, 3735)
            .back(kPanelGreen)
            .fore(kSystemWindowText)
            .border(B::Line)
            .flat()
            .font(kSans, 8.25)
            .tabIndex(8)
            .named(texts::resultPanelName()),
        Control(K::Grid, QStringLiteral("DataGrid1"))
            .in(QStringLiteral("Pic1"))
            .at(0, 0, 14775, 3735)
            .back(kMist)
            .hidden()
            .font(kSans, 9.75)
            .headingFont(kSans, 8.25)
            .column(texts::gridKindHeader(), QStringLiteral("Tab3"), 1800)
            .column(texts::gridHadithHeader(), QStringLiteral("Tab1"), 12284.79f)
            .bind(kData, QString())
            .tabIndex(27),
        Control(K::RichTextBox, QStringLiteral("RichTextBox1"))
            .at(12360, 600, 2535, 375)
            .text(texts::searchTooltip())
            .font(kSans, 8.5)
            .back(kSystemWindowBackground)
            .rightToLeft()
            .tip(texts::searchTooltip())
            .tabIndex(0),

        // Windowless controls on the window, front to back.
        Control(K::Label, QStringLiteral(u"Label21\u064A"))
            .at(4560, 1320, 2970, 330)
            .text(texts::clockPlaceholder())
            .back(0x072000)
            .fore(kWhite)
            .border(B::Line)
            .align(A::Centre)
            .flat()
            .rightToLeft()
            .font(kMicrosoftSans, 9.75),
        Control(K::Label, QStringLiteral("Label15"))
            .at(340, 30, 735, 300)
            .text(texts::aboutCaption())
            .transparent()
            .fore(kWhite)
            .align(A::Centre)
            .flat()
            .handPointer(),
        captionButton(QStringLiteral("La1"), texts::closeTip()).at(5160, 0, 195, 240),
        captionButton(QStringLiteral("La2"), texts::enlargeTip()).at(4320, 0, 195, 240),
        captionButton(QStringLiteral("La3"), texts::minimiseTip()).at(4800, 0, 195, 240),
        Control(K::Label, QStringLiteral("Label19"))
            .at(3000, 30, 10695, 255)
            .text(texts::windowTitle())
            .transparent()
            .fore(kWhite)
            .align(A::Centre)
            .flat(),
        heading(QStringLiteral("Label20"), texts::searchHint()).at(11760, 240, 3135, 300),
        heading(QStringLiteral("Label18"), texts::resultHeading()).at(120, 4920, 14775, 300),
        heading(QStringLiteral("Label16"), texts::paneHeading()).at(0, 240, 11775, 300),
        frame(12, P::FrameBandHorizontal, true, dividerName).at(10200, 360, 585, 75),
        frame(10, P::FrameBandVertical, true, dividerName).at(11880, 240, 75, 4650),
        frame(11, P::FrameBandHorizontal, true, dividerName).at(1800, 4440, 585, 75),
        Control(K::Label, QStringLiteral("Label5"))
            .at(5760, 4440, 975, 495)
            .font(kSans, 8.25)
            .hidden()
            .bind(kData, QStringLiteral("Tab4")),
        Control(K::Label, QStringLiteral("Mini"))
            .at(4080, 0, 135, 135)
            .text(QStringLiteral("1"))
            .font(kSans, 8.25)
            .hidden(),
        frame(4, P::CornerTopLeft, false, cornerName).at(480, 0, 75, 75),
        frame(5, P::CornerTopRight, false, cornerName).at(1080, 0, 75, 75),
        frame(6, P::CornerBottomLeft, false, cornerName).at(480, 180, 75, 75),
        frame(7, P::CornerBottomRight, false, cornerName).at(1080, 180, 75, 75),
        frame(2, P::FrameBandVertical, true, frameName).at(1080, 0, 75, 210),
        frame(0, P::FrameBandVertical, true, frameName).at(480, 0, 75, 210),
        frame(3, P::FrameBandHorizontal, true, frameName).at(480, 180, 585, 75),
        frame(1, P::FrameBandHorizontal, true, frameName).at(480, 0, 585, 75),
        Control(K::Image, QStringLiteral("Im2"))
            .at(3240, 0, 210, 300)
            .picture(P::Emblem, false)
            .named(texts::emblemName()),
        Control(K::Image, QStringLiteral("Im1"))
            .at(14280, 0, 720, 315)
            .picture(P::CaptionButtons, false)
            .named(texts::captionButtonsName()),
        Control(K::Label, QStringLiteral("Label21"))
            .at(1200, 30, 615, 255)
            .text(texts::versionCaption())
            .transparent()
            .fore(kWhite)
            .align(A::Centre),
        frame(8, P::CaptionBar, true, texts::captionBarName()).at(0, 0, 14940, 315),
        frame(9, P::Backdrop, true, texts::captionBarName()).at(1560, 120, 60, 300),

        // Windowless controls in Pic3, front to back.
        heading(QStringLiteral("Label13"), texts::countCaption())
            .in(QStringLiteral("Pic3"))
            .at(1365, 90, 1620, 300)
            .font(kMicrosoftSans, 9.75),
        Control(K::Label, QStringLiteral("Label12"))
            .in(QStringLiteral("Pic3"))
            .at(75, 90, 1275, 300)
            .back(kMist)
            .fore(kBlack)
            .border(B::Line)
            .align(A::Centre)
            .flat()
            .rightToLeft()
            .font(kSans, 9.75)
            .bind(kData, QString()),
        yellowFrame(QStringLiteral("Label14"), QStringLiteral("Pic3")).at(45, 60, 2970, 360),

        // Windowless controls in Pic2, front to back.
        info(QStringLiteral("Label1"), 9.75, QStringLiteral("Tab2")).at(75, 1305, 2910, 405),
        heading(QStringLiteral("Label6"), texts::kindCaption())
            .in(QStringLiteral("Pic2"))
            .at(75, 150, 2910, 300)
            .font(kMicrosoftSans, 9.75),
        info(QStringLiteral("Label3"), 8.25, QStringLiteral("Tab5")).at(75, 2145, 2910, 405),
        heading(QStringLiteral("Label10"), texts::numberCaption())
            .in(QStringLiteral("Pic2"))
            .at(75, 990, 2910, 300)
            .font(kMicrosoftSans, 9.75),
        heading(QStringLiteral("Label11"), texts::bookCaption())
            .in(QStringLiteral("Pic2"))
            .at(75, 1830, 2910, 300)
            .font(kMicrosoftSans, 9.75),
        info(QStringLiteral("Label2"), 9.75, QStringLiteral("Tab3")).at(75, 465, 2910, 405),
        yellowFrame(QStringLiteral("Label7"), QStringLiteral("Pic2")).at(45, 120, 2970, 780),
        yellowFrame(QStringLiteral("Label8"), QStringLiteral("Pic2")).at(45, 960, 2970, 780),
        yellowFrame(QStringLiteral("Label9"), QStringLiteral("Pic2")).at(45, 1800, 2970, 780),

        // Windowless controls in Pic1.
        Control(K::Label, QStringLiteral("Label17"))
            .in(QStringLiteral("Pic1"))
            .at(840, 360, 975, 255)
            .back(kPanelGreen)
            .fore(kSystemWindowText)
            .border(B::Line)
            .flat()
            .named(frameName),

        // Timers: Timer1 never ticks; Timer2 drives the banner.
        Control(K::Timer, QStringLiteral("Timer1")).interval(0),
        Control(K::Timer, QStringLiteral("Timer2")).interval(500),
    };
    return form;
}

} // namespace

const FormDef &tembra1Definition()
{
    static const FormDef form = make();
    return form;
}

} // namespace tembra
