// The About window About1: one picture over the whole window; a click on it closes
// the window. It has no icon of its own.

#include "base/texts.h"
#include "design/definition.h"

namespace tembra {

namespace {

FormDef make()
{
    FormDef form;
    form.name = QStringLiteral("About1");
    form.caption = QStringLiteral("Form1");
    form.borderless = true;
    form.backColor = 0x10211F;
    form.width = 10320;
    form.height = 4425;
    form.centred = true;
    form.icon = Picture::None;
    form.font = FontDef{QStringLiteral("MS Sans Serif"), 8.25};
    form.controls = {
        Control(ControlKind::Image, QStringLiteral("Image1"))
            .at(0, 0, 960, 1185)
            .picture(Picture::About, true)
            .handPointer()
            .named(texts::aboutPictureName()),
    };
    return form;
}

} // namespace

const FormDef &about1Definition()
{
    static const FormDef form = make();
    return form;
}

} // namespace tembra
