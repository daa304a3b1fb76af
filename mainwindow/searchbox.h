#pragma once

#include "settings/readersettings.h"

#include <QObject>

class QAction;
class QLineEdit;
class QPoint;
class QToolButton;

namespace tembra {

class BoxTags;

// What the search box offers beyond the text typed into it: its own editing menu in
// Sorani, with the search's options under the commands; the options in force shown inside
// the box, where the eyes are while searching; and the earlier searches, in a list that
// Alt+Down or the arrow at the box's end opens, where choosing one runs it again. The text
// itself, and the other keys typed into it, are the window's handlers' (Text2_KeyDown,
// Text2_KeyPress): Up and Down keep their meaning there.
class SearchBox final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchBox)

public:
    explicit SearchBox(QLineEdit *box);

    // The exact comparison: marks and letter forms compared as they stand.
    bool exact() const;
    // Every word, in any order.
    bool anyOrder() const;
    // Set as read from the settings, or as an earlier search had them: not the reader's
    // choice in the menu, so no signal.
    void setOptions(bool exact, bool anyOrder);
    QAction *exactOption() const { return m_exact; }
    QAction *anyOrderOption() const { return m_anyOrder; }

    void setHistory(const SearchHistory &history) { m_history = history; }
    // Opens the list of earlier searches under the box (nothing when there are none).
    void showHistory();

signals:
    // The reader ticked or unticked an option in the box's menu.
    void exactToggled(bool on);
    void anyOrderToggled(bool on);
    // An earlier search chosen from the list: the box already holds its text.
    void historyChosen(const PastSearch &search);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMenu(const QPoint &at);
    void showOptions();

    QLineEdit *m_box;
    QAction *m_exact;
    QAction *m_anyOrder;
    BoxTags *m_tags;
    QToolButton *m_historyButton;
    SearchHistory m_history;
};

} // namespace tembra
