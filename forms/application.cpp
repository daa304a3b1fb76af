#include "forms/application.h"

#include "base/messages.h"
#include "base/texts.h"
#include "forms/messagebox.h"

#include <exception>

namespace tembra {

Application::Application(int &argc, char **argv) : QApplication(argc, argv) { }

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        fail(QStringLiteral("out of memory"));
    } catch (const std::exception &e) {
        fail(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        fail(QStringLiteral("an unknown error"));
    }
    return false;
}

void Application::fail(const QString &what)
{
    if (m_failed)
        return; // one report; the program is already on its way out
    m_failed = true;
    msgbox::show(nullptr, unhandledErrorMessage(what), texts::errorTitle());
    exit(1);
}

} // namespace tembra
