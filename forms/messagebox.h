#pragma once

#include "base/error.h"

#include <QString>

#include <functional>

class QWidget;

namespace tembra::msgbox {

// A modal box with the prompt, one OK button and the title, laid out right to left; the
// texts cut to what a box can show (base/cuttext.h).
void show(QWidget *parent, const QString &prompt, const QString &title);

// A failure the reader is to hear of: the plain Sorani message in a box titled as the
// program's errors are, and the error's technical detail on the program's error stream,
// for whoever looks into it.
void report(QWidget *parent, const QString &message, const Error &error);

// Tests answer the box in advance: while a hook is set, show() calls it instead of
// opening a window, with the texts as the box would show them.
using Hook = std::function<void(const QString &prompt, const QString &title)>;
void setHook(Hook hook);

} // namespace tembra::msgbox
