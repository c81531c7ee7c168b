#include "MainMenu.h"

#include "CommandTable.h"

#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace {

// One item: a command (its text from the command table), one of the
// window's own items, or a separator.
struct Entry {
    int id = 0;  // 0: separator
    const char* text = nullptr;  // the window's own items only
};

constexpr Entry kSeparator{};

Entry command(CommandId id) { return {menuIdOfCommand(id), nullptr}; }

using C = CommandId;

}  // namespace

MainMenu::MainMenu(QMenuBar& bar, std::function<void(int id)> onItem) {
    auto add = [&](QMenu* menu, std::initializer_list<Entry> entries) {
        for (const Entry& entry : entries) {
            if (entry.id == 0) {
                menu->addSeparator();
                continue;
            }
            const bool isCommand = isCommandItem(entry.id);
            zString text = isCommand ? menuText(*findCommand(commandOfMenuId(entry.id), windowCommandTable()))
                                     : zString(entry.text);
            QAction* action = menu->addAction(QString::fromLatin1(text.c_str()));
            int id = entry.id;
            QObject::connect(action, &QAction::triggered, [onItem, id] { onItem(id); });
            items_[id] = action;
            if (isCommand) action->setEnabled(false);
        }
    };

    QMenu* file = bar.addMenu("&File");
    add(file, {{kMenuConfigurationFile, "File di &Configurazione"},
               {kMenuViewLog, "Visualizza &Log"},
               {kMenuInitialise, "&Reset Configurazione"},
               kSeparator,
               {kMenuExit, "E&xit"}});

    QMenu* commands = bar.addMenu("&Comandi");
    add(commands, {command(C::Version), command(C::ReadEeprom)});
    add(commands->addMenu("&Parametri"), {command(C::ReceiveParameters), command(C::SendParameters)});
    add(commands->addMenu("&Timbrature"), {command(C::CountPunches), command(C::DownloadAndKeep),
                                           command(C::DownloadAndClear), kSeparator, command(C::DownloadJobs)});
    add(commands->addMenu("&Anagrafiche"),
        {command(C::CountEmployees), command(C::UploadAssociatedEmployees), command(C::ReceiveEmployees),
         command(C::DeleteEmployees), kSeparator, command(C::UploadPersonalData), command(C::EmployeeInformation),
         command(C::LatestTransactions)});
    add(commands->addMenu("&Giustificativi"), {command(C::ReceiveCauses), command(C::SendCauses), command(C::DeleteCauses)});
    add(commands->addMenu("&Allarmi"), {command(C::ReceiveAlarms), command(C::SendAlarms), command(C::DeleteAlarms)});
    add(commands->addMenu("Formato &Badge"),
        {command(C::SendCardFormat), command(C::ReceiveCardFormat), command(C::TestCardRead)});
    add(commands->addMenu("&FingerPrint"), {command(C::CountFingerprints), command(C::SendFingerprints),
                                            command(C::ReceiveFingerprints), kSeparator,
                                            command(C::DeleteFingerprints)});
    add(commands->addMenu("&Orologio"),
        {command(C::ReadClock), command(C::SetClock), kSeparator, command(C::ReadDaylight), command(C::SendDaylight)});
    add(commands->addMenu("VORN-&L"), {command(C::CountRecoverable), command(C::RecoverPunches),
                                       command(C::DeleteRecoverable), kSeparator, command(C::ChargeBatteries),
                                       command(C::FactoryReset), command(C::SwitchOff), command(C::UpgradeFirmware)});
    add(commands, {kSeparator, command(C::Reset)});

    QMenu* help = bar.addMenu("&Help");
    add(help, {{kMenuHelp, "&Help..."}, {kMenuAbout, "&About WCMDVORN..."}});
}

QAction* MainMenu::item(int id) const {
    auto found = items_.find(id);
    return found == items_.end() ? nullptr : found->second;
}

void MainMenu::enableCommands(bool enabled) {
    for (auto& [id, action] : items_)
        if (isCommandItem(id)) action->setEnabled(enabled);
}
