#pragma once

#include <QWidget>

namespace tembra {

struct Bookmark;
class Form;

// The sign beside the reading pane that the hadith in it is marked: the ribbon the list's
// rows show, at the right end of the pane's heading bar, where a right-to-left reader's eye
// starts. Its tooltip and accessible name say it in words, with the note; a click opens the
// note window, as Ctrl+D does. Hidden while the hadith is not marked.
class MarkSign final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MarkSign)

public:
    // Added to the form as "MarkSign" (see design/addedlayout.h).
    explicit MarkSign(Form &form);

    // The mark of the hadith shown, or none.
    void showMark(const Bookmark *mark);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace tembra
