#pragma once

#include "design/definition.h"
#include "design/layoutpass.h"
#include "design/windowplace.h"
#include "forms/controls.h"

#include <QHash>
#include <QPointer>
#include <QRectF>

class QTimer;

namespace tembra {

constexpr float kTwipsPerPixel = 15;

// Twips to whole pixels, each value rounded on its own.
QRect twipsToPixels(const QRectF &twips);

// A window's place on the screen, the primary screen, and the part of it a window may
// take (the screen less its panels), in twips.
QRectF windowTwips(const QWidget *window);
QRectF screenTwips();
TwipsArea availableTwips();

// A window made from its definition: the builder creates every control of the
// catalogue on the given window and keeps them by their design names. Code reaches a
// control as form.get<Label>("Label1"), an array member as form.image(10) for Ima1(10),
// a timer as form.get<QTimer>("Timer2"). Positions stay in twips: twips() reads what
// was last set, setTwips() moves a control (or the window itself).
class Form final {
    Q_DISABLE_COPY_MOVE(Form)

public:
    Form(const FormDef &definition, QWidget *window);

    const FormDef &definition() const { return m_definition; }
    QWidget *window() const { return m_window; }

    // The control of that design name ("Ima1(3)" for an array member), or null if the
    // definition has none or it is of another type. The data control has no object here:
    // its settings are in definition().
    QObject *object(const QString &designName) const { return m_objects.value(designName); }
    template <typename T> T *get(const QString &designName) const
    {
        return qobject_cast<T *>(object(designName));
    }
    QWidget *widget(const QString &designName) const { return get<QWidget>(designName); }
    // A control the definition does not have, made by the window's code, known from now on
    // by name as the design's own are (so that its places go through setTwips).
    void add(const QString &name, QWidget *control);
    Image *image(int index) const;

    QRectF twips(const QWidget *control) const { return m_twips.value(control); }
    QRectF twips(const QString &designName) const { return twips(widget(designName)); }
    void setTwips(QWidget *control, float left, float top, float width, float height);
    // Every control of the definition that has a place, where it stands now; and places
    // given by design name applied to those controls.
    TwipsGeometry allTwips() const;
    void setTwips(const TwipsGeometry &places);
    // A window place applied as the design applies one: Left, then Top, then Height, then
    // Width, each size change a layout of its own.
    void applyPlacement(const WindowPlacement &place);

private:
    void buildWindow();
    QObject *build(const ControlDef &control, QWidget *container);
    void stack();
    void orderTabs();

    const FormDef &m_definition;
    QWidget *m_window;
    QHash<QString, QPointer<QObject>> m_objects;
    QHash<const QWidget *, QRectF> m_twips;
};

} // namespace tembra
