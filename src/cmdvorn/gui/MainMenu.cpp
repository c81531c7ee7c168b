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
    add(commands, {{110, "&Versione  \t(-v)"}, {136, "Parametri &EEPROM "}});
    add(commands->addMenu("&Parametri"), {{127, "&Get \t(-pg)"}, {128, "&Send \t(-ps)"}});
    add(commands->addMenu("&Timbrature"), {{118, "&Numero timb. \t(-yr)"},
                                           {120, "&Ricezione \t(-x)"},
                                           {119, "Ric&ezione+Cancellazione \t(-r)"},
                                           kSeparator,
                                           {135, "Ric. Tmb &Commesse \t(-j)"}});
    add(commands->addMenu("&Anagrafiche"), {{146, "&Numero anagrafiche \t(-yt)"},
                                            {112, "&Trasmissione \t(-t)"},
                                            {111, "&Ricezione   \t(-ea)"},
                                            {115, "&Azzeramento  \t(-k)"},
                                            kSeparator,
                                            {114, "Trasm. &Dati Personali \t(-ed)"},
                                            {116, "Get &Info    \t(-ei)"},
                                            {117, "Get &List    \t(-gl)"}});
    add(commands->addMenu("&Giustificativi"),
        {{121, "&Get    \t(-gg)"}, {122, "&Send   \t(-gs)"}, {123, "&Delete \t(-gd)"}});
    add(commands->addMenu("&Allarmi"), {{131, "&Get    \t(-ag)"}, {132, "&Send   \t(-as)"}, {133, "&Delete \t(-ad)"}});
    add(commands->addMenu("Formato &Badge"),
        {{125, "&Trasmette   \t(-fs)"}, {124, "&Riceve   \t(-fg)"}, {126, "Test &Lettura \t(-fr)"}});
    add(commands->addMenu("&FingerPrint"), {{151, "&Numero fingerprint \t(-in)"},
                                            {152, "&Trasmette   \t(-is)"},
                                            {153, "&Riceve   \t(-ir)"},
                                            kSeparator,
                                            {154, "&Azzeramento  \t(-id)"}});
    add(commands->addMenu("&Orologio"), {{129, "&Ora Get "},
                                         {130, "Ora &Send \t(-d)"},
                                         kSeparator,
                                         {138, "Ora &Legale Get\t(-lg)"},
                                         {139, "Ora Le&gale Send \t(-ls)"}});
    add(commands->addMenu("VORN-&L"), {{144, "Numero Timb. Recuperabi&le \t(-yz)"},
                                       {142, "&Recupero Timbrature \t(-z)"},
                                       {145, "&Cancellazione Permanente Timb. \t(-@z)"},
                                       kSeparator,
                                       {140, "Ricarica &Batteria \t(-br)"},
                                       {143, "Reset+Conf &Fabrica \t(-@F)"},
                                       {141, "&Spegnimento \t (-ot)"},
                                       {147, "&Aggiornamento Firmware \t(-uf)"}});
    add(commands, {kSeparator, {134, "&Reset Vorn  \t(-@)"}});

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
