#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tembra::msgbox {

// A modal box with the prompt, one OK button and the title, laid out right to left.
void show(QWidget *parent, const QString &prompt, const QString &title);

// Tests answer the box in advance: while a hook is set, show() calls it instead of
// opening a window.
using Hook = std::function<void(const QString &prompt, const QString &title)>;
void setHook(Hook hook);

} // namespace tembra::msgbox
