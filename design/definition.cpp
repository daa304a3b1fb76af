#include "design/definition.h"

#include <QStringList>

namespace tembra {

bool isWindowless(ControlKind kind)
{
    return kind == ControlKind::Label || kind == ControlKind::Image;
}

QString ControlDef::designName() const
{
    if (index < 0)
        return name;
    return name + QLatin1Char('(') + QString::number(index) + QLatin1Char(')');
}

const ControlDef *FormDef::find(const QString &designName) const
{
    for (const ControlDef &control : controls)
        if (control.designName() == designName)
            return &control;
    return nullptr;
}

Control::Control(ControlKind kind, const QString &name, int index)
{
    m_def.kind = kind;
    m_def.name = name;
    m_def.index = index;
}

Control &Control::at(float left, float top, float width, float height)
{
    m_def.left = left;
    m_def.top = top;
    m_def.width = width;
    m_def.height = height;
    return *this;
}

Control &Control::in(const QString &container)
{
    m_def.container = container;
    return *this;
}

Control &Control::text(const QString &text)
{
    m_def.text = text;
    return *this;
}

Control &Control::tip(const QString &toolTip)
{
    m_def.toolTip = toolTip;
    return *this;
}

Control &Control::named(const QString &accessibleName)
{
    m_def.accessibleName = accessibleName;
    return *this;
}

Control &Control::font(const QString &family, qreal points, bool bold)
{
    m_def.font = FontDef{family, points, bold};
    return *this;
}

Control &Control::fore(quint32 colour)
{
    m_def.foreColor = colour;
    return *this;
}

Control &Control::back(quint32 colour)
{
    m_def.backColor = colour;
    return *this;
}

Control &Control::transparent()
{
    m_def.transparent = true;
    return *this;
}

Control &Control::border(BorderStyle style)
{
    m_def.border = style;
    return *this;
}

Control &Control::flat()
{
    m_def.flat = true;
    return *this;
}

Control &Control::align(TextAlignment alignment)
{
    m_def.alignment = alignment;
    return *this;
}

Control &Control::rightToLeft()
{
    m_def.rightToLeft = true;
    return *this;
}

Control &Control::hidden()
{
    m_def.visible = false;
    return *this;
}

Control &Control::multiLine()
{
    m_def.multiLine = true;
    return *this;
}

Control &Control::verticalScrollBar()
{
    m_def.verticalScrollBar = true;
    return *this;
}

Control &Control::keepSelection()
{
    m_def.hideSelection = false;
    return *this;
}

Control &Control::picture(Picture picture, bool stretch)
{
    m_def.picture = picture;
    m_def.stretch = stretch;
    return *this;
}

Control &Control::handPointer()
{
    m_def.handPointer = true;
    return *this;
}

Control &Control::tabIndex(int index)
{
    m_def.tabIndex = index;
    return *this;
}

Control &Control::interval(int ms)
{
    m_def.interval = ms;
    return *this;
}

Control &Control::bind(const QString &dataSource, const QString &dataField)
{
    m_def.dataSource = dataSource;
    m_def.dataField = dataField;
    return *this;
}

Control &Control::column(const QString &heading, const QString &field, float width)
{
    m_def.columns.push_back(GridColumn{heading, field, width});
    return *this;
}

Control &Control::headingFont(const QString &family, qreal points)
{
    m_def.headingFont = FontDef{family, points, false};
    return *this;
}

Control &Control::data(const QString &connectionString, const QString &recordSource,
                       int commandType)
{
    m_def.connectionString = connectionString;
    m_def.recordSource = recordSource;
    m_def.commandType = commandType;
    return *this;
}

QString collectionFile()
{
    const ControlDef *data = tembra1Definition().find(QStringLiteral("Adodc1"));
    const QString key = QStringLiteral("Data Source=");
    for (const QString &part : data->connectionString.split(QLatin1Char(';'))) {
        if (part.trimmed().startsWith(key, Qt::CaseInsensitive)) {
            QString path = part.trimmed().mid(key.size());
            path.replace(QLatin1Char('\\'), QLatin1Char('/'));
            return path;
        }
    }
    return {};
}

} // namespace tembra
