#pragma once

#include <QObject>

class QWidget;

namespace tembra {

// The mouse's back and forward buttons, anywhere over the window (the control under the
// pointer would take them otherwise, or let them go unheard).
class SideButtons final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SideButtons)

public:
    explicit SideButtons(QWidget *window);

signals:
    void back();
    void forward();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
};

} // namespace tembra
