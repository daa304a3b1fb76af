#pragma once

#include <QWidget>

#include <functional>
#include <vector>

class QHBoxLayout;
class QLabel;

namespace tembra {

class Form;

// The ways into the windows and views that the design does not have, by mouse, in the
// caption bar beside the About label and looking like it: a short Sorani word each, white
// on the bar, with the hand pointer. Each view's own key opens it too (Ctrl+T, Ctrl+B ...);
// the link's tooltip names the key.
class CaptionLinks final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CaptionLinks)

public:
    // Added to the form as "CaptionLinks" (see design/addedlayout.h).
    explicit CaptionLinks(Form &form);

    // A link at the end of the row; name is its object's name. Where the bar has no room for
    // every link's words, a link with a short form shows that (its tip keeps the words).
    void add(const QString &name, const QString &text, const QString &tip,
             std::function<void()> open, const QString &shortText = QString());

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Link {
        QLabel *label;
        QString text;
        QString shortText;
    };
    void fit();

    QHBoxLayout *m_row;
    QWidget *m_about;
    std::vector<Link> m_links;
};

} // namespace tembra
