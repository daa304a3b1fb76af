// The splash window Tembra2: one picture over the whole window and the timer of its
// fade.

#include "base/texts.h"
#include "design/definition.h"

namespace tembra {

namespace {

FormDef make()
{
    FormDef form;
    form.name = QStringLiteral("Tembra2");
    form.caption = QStringLiteral("Form1");
    form.borderless = true;
    form.backColor = 0x004000;
    form.width = 5025;
    form.height = 1305;
    form.centred = true;
    form.icon = Picture::WindowIcon;
    form.font = FontDef{QStringLiteral("MS Sans Serif"), 8.25};
    form.controls = {
        Control(ControlKind::Timer, QStringLiteral("Timer1")).interval(10),
        Control(ControlKind::Image, QStringLiteral("Image1"))
            .at(0, 0, 585, 345)
            .picture(Picture::Splash, true)
            .named(texts::splashPictureName()),
    };
    return form;
}

} // namespace

const FormDef &tembra2Definition()
{
    static const FormDef form = make();
    return form;
}

} // namespace tembra
