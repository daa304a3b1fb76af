#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QString>

namespace tembra {

// Colours as the window definitions give them: 0xBBGGRR, or a system colour with the
// top bit set (0x80000008 is the window-text colour), resolved when applied.
constexpr quint32 kSystemWindowText = 0x80000008;
QColor resolveColour(quint32 colour);

// A label whose caption is kept exactly as set and whose text colour is a design value.
// A new caption that differs from the old one signals changed(), as a bound label must.
class Label final : public QLabel {
    Q_OBJECT
public:
    explicit Label(QWidget *parent = nullptr);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    quint32 foreColor() const { return m_foreColor; }
    void setForeColor(quint32 colour);
    void setBackColor(quint32 colour);

signals:
    void changed();

private:
    QString m_caption;
    quint32 m_foreColor = 0;
};

// A text box that holds its text exactly as set (line breaks "\r\n" included) and
// signals a change only when the text really changes, whoever changed it.
class TextBox final : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);
    QString text() const { return m_text; }
    void setText(const QString &text);

signals:
    void changed();

private:
    void userEdited();

    QString m_text;
    bool m_settingText = false;
};

} // namespace tembra
