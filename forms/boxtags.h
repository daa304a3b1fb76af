#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <vector>

class QHBoxLayout;
class QLabel;
class QLineEdit;

namespace tembra {

// Short words shown inside a text box at its free end (the left, in right-to-left text),
// each in a colour of its own so that it is not read as part of the typed text: a search
// option in force, say, where the eyes are while searching. The box's text keeps clear of
// them.
class BoxTags final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BoxTags)

public:
    explicit BoxTags(QLineEdit *box);

    // Shows or hides the tag named name (also its object's name), made the first time it is
    // shown; tags stand in the order they were first shown.
    void show(const QString &name, const QString &text, bool shown);
    // A control of the box's own at its very end, after the tags (a button that opens
    // something of the box's).
    void addAtEnd(QWidget *control);

private:
    void makeRow();
    void keepTextClear();

    QLineEdit *m_box;
    QHBoxLayout *m_row = nullptr;
    std::map<QString, QLabel *> m_tags;
    std::vector<QWidget *> m_atEnd;
};

} // namespace tembra
