#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tembra::msgbox {

// A modal box with the prompt, one OK button and the title, laid out right to left; the
// texts cut to what a box can show (base/cuttext.h).
void show(QWidget *parent, const QString &prompt, const QString &title);

// Tests answer the box in advance: while a hook is set, show() calls it instead of
// opening a window, with the texts as the box would show them.
using Hook = std::function<void(const QString &prompt, const QString &title)>;
void setHook(Hook hook);

} // namespace tembra::msgbox
