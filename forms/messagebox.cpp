#include "forms/messagebox.h"

#include "base/cuttext.h"
#include "base/texts.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <cstdio>

namespace tembra::msgbox {

namespace {
Hook &hook()
{
    static Hook h;
    return h;
}
} // namespace

void setHook(Hook h)
{
    hook() = std::move(h);
}

void show(QWidget *parent, const QString &wholePrompt, const QString &wholeTitle)
{
    // Laid out whole, a text of any length could hold the window up for minutes.
    const QString prompt = cutForShowing(wholePrompt);
    const QString title = cutText(wholeTitle, kShownLineUnits);
    if (hook()) {
        hook()(prompt, title);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok, parent);
    box.setLayoutDirection(Qt::RightToLeft);
    box.button(QMessageBox::Ok)->setText(texts::okButton());
    box.exec();
}

void report(QWidget *parent, const QString &message, const Error &error)
{
    if (!error.detail.isEmpty())
        std::fprintf(stderr, "tembra: %s\n", error.detail.toLocal8Bit().constData());
    show(parent, message, texts::errorTitle());
}

} // namespace tembra::msgbox
