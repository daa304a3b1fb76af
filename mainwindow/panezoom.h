#pragma once

#include "base/error.h"

#include <QObject>

#include <functional>

class QTimer;
class QWidget;

namespace tembra {

class TextBox;

// Text zoom for reading: Ctrl and the mouse wheel over the pane, and Ctrl+= (or Ctrl++),
// Ctrl+- and Ctrl+0 from anywhere in the window, in steps of 2 points between 10 and 48.
// A new size is kept once the reader has settled on it for a second (a turn of the wheel is
// many steps), and at the latest when the window closes with its close button.
class PaneZoom final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PaneZoom)

public:
    // keep writes a size where the next start finds it; false, with *error set, if it
    // could not.
    using Keep = std::function<bool(qreal points, Error *error)>;
    PaneZoom(TextBox *pane, QWidget *window, Keep keep);

    // The size as it was kept: shown, not kept again.
    void setPoints(qreal points);
    // Larger or smaller by steps; 0 goes back to the design's size.
    void zoom(int steps);
    // Keeps a size not yet kept, now.
    void keepNow();

signals:
    // A size could not be kept; said once, so that a reader who turns the wheel does not
    // meet the same message at every turn.
    void notKept(const Error &error);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TextBox *m_pane;
    Keep m_keep;
    QTimer *m_settle;
    bool m_due = false;
    bool m_notKeptSaid = false;
};

} // namespace tembra
