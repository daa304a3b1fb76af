#pragma once

#include <QObject>

class QAction;
class QLineEdit;
class QPoint;

namespace tembra {

class BoxTags;

// What the search box offers beyond the text typed into it: its own editing menu in
// Sorani, with the search's options under the commands, and the options in force shown
// inside the box, where the eyes are while searching. The text itself, and the keys typed
// into it, are the window's handlers' (Text2_KeyDown, Text2_KeyPress).
class SearchBox final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchBox)

public:
    explicit SearchBox(QLineEdit *box);

    // The exact comparison: marks and letter forms compared as they stand.
    bool exact() const;
    // Sets the option as read from the settings: not the reader's choice, so no signal.
    void setExact(bool on);
    QAction *exactOption() const { return m_exact; }

signals:
    // The reader ticked or unticked the option in the box's menu.
    void exactToggled(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMenu(const QPoint &at);
    void showOptions();

    QLineEdit *m_box;
    QAction *m_exact;
    BoxTags *m_tags;
};

} // namespace tembra
