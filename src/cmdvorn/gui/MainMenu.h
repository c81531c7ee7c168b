#pragma once
// The main window's menu "MAIN_MENU". A command's item id is its command id
// plus 107; the other items are the window's own.
#include "CommandId.h"

#include <QObject>

#include <functional>
#include <map>

class QAction;
class QMenuBar;

enum MenuId : int {
    kMenuClose = 2,  // the "Esce" button
    kMenuConfigurationFile = 101,
    kMenuViewLog = 102,
    kMenuInitialise = 103,
    kMenuExit = 104,
    kMenuHelp = 105,
    kMenuAbout = 106,
    kMenuCommandOffset = 107,
    kMenuFirstCommand = 109,
    kMenuLastCommand = 154,
};

constexpr int menuIdOfCommand(CommandId id) { return code(id) + kMenuCommandOffset; }
constexpr CommandId commandOfMenuId(int menuId) { return static_cast<CommandId>(menuId - kMenuCommandOffset); }
constexpr bool isCommandItem(int menuId) { return menuId >= kMenuFirstCommand && menuId <= kMenuLastCommand; }

class MainMenu {
public:
    // Fills the bar; each item reports its id to onItem.
    MainMenu(QMenuBar& bar, std::function<void(int id)> onItem);

    QAction* item(int id) const;
    // The command items are enabled and disabled together.
    void enableCommands(bool enabled);

private:
    std::map<int, QAction*> items_;
};
