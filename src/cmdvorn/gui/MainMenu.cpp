#include "MainMenu.h"

#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace {

struct Entry {
    int id;  // 0: separator
    const char* text;
};

constexpr Entry kSeparator{0, nullptr};

constexpr int commandItem(CommandId id) { return menuIdOfCommand(id); }

}  // namespace

MainMenu::MainMenu(QMenuBar& bar, std::function<void(int id)> onItem) {
    auto add = [&](QMenu* menu, std::initializer_list<Entry> entries) {
        for (const Entry& entry : entries) {
            if (entry.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(entry.text));
            int id = entry.id;
            QObject::connect(action, &QAction::triggered, [onItem, id] { onItem(id); });
            items_[id] = action;
            if (isCommandItem(id)) action->setEnabled(false);
        }
    };

    QMenu* file = bar.addMenu("&File");
    add(file, {{kMenuConfigurationFile, "File di &Configurazione"},
               {kMenuViewLog, "Visualizza &Log"},
               {kMenuInitialise, "&Reset Configurazione"},
               kSeparator,
               {kMenuExit, "E&xit"}});

    QMenu* commands = bar.addMenu("&Comandi");
    add(commands, {{commandItem(CommandId::Version), "&Versione  \t(-v)"}, {commandItem(CommandId::ReadEeprom), "Parametri &EEPROM "}});
    add(commands->addMenu("&Parametri"), {{commandItem(CommandId::ReceiveParameters), "&Get \t(-pg)"}, {commandItem(CommandId::SendParameters), "&Send \t(-ps)"}});
    add(commands->addMenu("&Timbrature"), {{commandItem(CommandId::CountPunches), "&Numero timb. \t(-yr)"},
                                           {commandItem(CommandId::DownloadAndKeep), "&Ricezione \t(-x)"},
                                           {commandItem(CommandId::DownloadAndClear), "Ric&ezione+Cancellazione \t(-r)"},
                                           kSeparator,
                                           {commandItem(CommandId::DownloadJobs), "Ric. Tmb &Commesse \t(-j)"}});
    add(commands->addMenu("&Anagrafiche"), {{commandItem(CommandId::CountEmployees), "&Numero anagrafiche \t(-yt)"},
                                            {commandItem(CommandId::UploadAssociatedEmployees), "&Trasmissione \t(-t)"},
                                            {commandItem(CommandId::ReceiveEmployees), "&Ricezione   \t(-ea)"},
                                            {commandItem(CommandId::DeleteEmployees), "&Azzeramento  \t(-k)"},
                                            kSeparator,
                                            {commandItem(CommandId::UploadPersonalData), "Trasm. &Dati Personali \t(-ed)"},
                                            {commandItem(CommandId::EmployeeInformation), "Get &Info    \t(-ei)"},
                                            {commandItem(CommandId::LatestTransactions), "Get &List    \t(-gl)"}});
    add(commands->addMenu("&Giustificativi"),
        {{commandItem(CommandId::ReceiveCauses), "&Get    \t(-gg)"}, {commandItem(CommandId::SendCauses), "&Send   \t(-gs)"}, {commandItem(CommandId::DeleteCauses), "&Delete \t(-gd)"}});
    add(commands->addMenu("&Allarmi"), {{commandItem(CommandId::ReceiveAlarms), "&Get    \t(-ag)"}, {commandItem(CommandId::SendAlarms), "&Send   \t(-as)"}, {commandItem(CommandId::DeleteAlarms), "&Delete \t(-ad)"}});
    add(commands->addMenu("Formato &Badge"),
        {{commandItem(CommandId::SendCardFormat), "&Trasmette   \t(-fs)"}, {commandItem(CommandId::ReceiveCardFormat), "&Riceve   \t(-fg)"}, {commandItem(CommandId::TestCardRead), "Test &Lettura \t(-fr)"}});
    add(commands->addMenu("&FingerPrint"), {{commandItem(CommandId::CountFingerprints), "&Numero fingerprint \t(-in)"},
                                            {commandItem(CommandId::SendFingerprints), "&Trasmette   \t(-is)"},
                                            {commandItem(CommandId::ReceiveFingerprints), "&Riceve   \t(-ir)"},
                                            kSeparator,
                                            {commandItem(CommandId::DeleteFingerprints), "&Azzeramento  \t(-id)"}});
    add(commands->addMenu("&Orologio"), {{commandItem(CommandId::ReadClock), "&Ora Get "},
                                         {commandItem(CommandId::SetClock), "Ora &Send \t(-d)"},
                                         kSeparator,
                                         {commandItem(CommandId::ReadDaylight), "Ora &Legale Get\t(-lg)"},
                                         {commandItem(CommandId::SendDaylight), "Ora Le&gale Send \t(-ls)"}});
    add(commands->addMenu("VORN-&L"), {{commandItem(CommandId::CountRecoverable), "Numero Timb. Recuperabi&le \t(-yz)"},
                                       {commandItem(CommandId::RecoverPunches), "&Recupero Timbrature \t(-z)"},
                                       {commandItem(CommandId::DeleteRecoverable), "&Cancellazione Permanente Timb. \t(-@z)"},
                                       kSeparator,
                                       {commandItem(CommandId::ChargeBatteries), "Ricarica &Batteria \t(-br)"},
                                       {commandItem(CommandId::FactoryReset), "Reset+Conf &Fabrica \t(-@F)"},
                                       {commandItem(CommandId::SwitchOff), "&Spegnimento \t (-ot)"},
                                       {commandItem(CommandId::UpgradeFirmware), "&Aggiornamento Firmware \t(-uf)"}});
    add(commands, {kSeparator, {commandItem(CommandId::Reset), "&Reset Vorn  \t(-@)"}});

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
