#include "forms/editmenu.h"

#include "base/texts.h"

#include <QAction>
#include <QMenu>

namespace tembra {

void soraniEditCommands(QMenu *menu)
{
    menu->setLayoutDirection(Qt::RightToLeft);
    // Qt names the commands in English, and names the actions themselves only from 6.5 on:
    // an action is known by either.
    struct Command {
        const char *name;
        const char *english;
        QString sorani;
    };
    const Command commands[] = {
        {"edit-undo", "Undo", texts::undoCommand()},
        {"edit-redo", "Redo", texts::redoCommand()},
        {"edit-cut", "Cut", texts::cutCommand()},
        {"edit-copy", "Copy", texts::copyCommand()},
        {"edit-paste", "Paste", texts::pasteCommand()},
        {"edit-delete", "Delete", texts::deleteCommand()},
        {"select-all", "Select All", texts::selectAllCommand()},
    };
    for (QAction *action : menu->actions()) {
        const qsizetype tab = action->text().indexOf(QLatin1Char('\t'));
        QString english = action->text().left(tab < 0 ? action->text().size() : tab);
        english.remove(QLatin1Char('&'));
        for (const Command &command : commands) {
            if (action->objectName() == QLatin1String(command.name)
                || english == QLatin1String(command.english))
                action->setText(tab < 0 ? command.sorani
                                        : command.sorani + action->text().mid(tab));
        }
    }
}

} // namespace tembra
