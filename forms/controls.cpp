#include "forms/controls.h"

#include <QApplication>
#include <QPalette>

namespace tembra {

QColor resolveColour(quint32 colour)
{
    if (colour == kSystemWindowText)
        return QApplication::palette().color(QPalette::WindowText);
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
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
    QPalette p = palette();
    p.setColor(QPalette::Window, resolveColour(colour));
    setPalette(p);
    setAutoFillBackground(true);
}

TextBox::TextBox(QWidget *parent) : QPlainTextEdit(parent)
{
    connect(this, &QPlainTextEdit::textChanged, this, &TextBox::userEdited);
}

void TextBox::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    // The document knows one kind of line break; the text itself keeps "\r\n".
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_settingText = true;
    setPlainText(shown);
    m_settingText = false;
    emit changed();
}

void TextBox::userEdited()
{
    if (m_settingText)
        return;
    const QString typed = toPlainText();
    if (typed == m_text)
        return;
    m_text = typed;
    emit changed();
}

} // namespace tembra
