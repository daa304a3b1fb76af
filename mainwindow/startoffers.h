#pragma once

#include <QObject>

class QPushButton;
class QWidget;

namespace tembra {

class Form;

// What the window offers over the empty list at the start, one at a time, to a click or to
// Enter: to carry on reading where the reader stopped last time (until they do something
// else), or, when the collection could not be opened, to open another right there.
class StartOffers final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StartOffers)

public:
    // In the result panel, each added to the form by name (CarryOnOffer, OpenOffer; see
    // design/addedlayout.h), in the focus order after the search box.
    StartOffers(Form &form, QWidget *resultPanel);

    void offerCarryOn(bool shown);
    void offerOpen(bool shown);
    QPushButton *carryOn() const { return m_carryOn; }
    QPushButton *open() const { return m_open; }

signals:
    void carryOnTaken();
    void openTaken();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *made(const QString &name, const QString &text, const QString &tip);

    QWidget *m_panel;
    QPushButton *m_carryOn;
    QPushButton *m_open;
};

} // namespace tembra
