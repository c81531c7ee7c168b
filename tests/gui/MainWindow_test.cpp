// The main window against the simulator: the batch of a command line, the
// interrupt dialog, the menu and re-initialisation.
#include "WindowFixture.h"

#include "VornMgr.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <regex>

namespace {

// Position of the first request of that node and command in the wire log.
std::size_t requestAt(const std::string& wire, int node, const std::string& command) {
    char nodeText[16];
    std::snprintf(nodeText, sizeof nodeText, "node=%02d", node);
    for (auto at = wire.find(" RX #"); at != std::string::npos; at = wire.find(" RX #", at + 1)) {
        auto end = wire.find('\n', at);
        std::string line = wire.substr(at, end - at);
        if (contains(line, nodeText) && contains(line, "\"" + command + "\"")) return at;
    }
    return std::string::npos;
}

bool listHas(const QListWidget* list, const QString& part) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().contains(part)) return true;
    return false;
}

// Presses "Esce" in the interrupt dialog once the bar has reached `position`.
class EscePresser {
public:
    EscePresser(UserBreakDialog& dialog, int position) {
        QObject::connect(&timer_, &QTimer::timeout, [&dialog, position, this] {
            if (pressed || !dialog.window() || !dialog.bar() || dialog.bar()->position() < position) return;
            for (auto* button : dialog.window()->findChildren<QPushButton*>())
                if (button->text() == "Esce") {
                    pressed = true;
                    button->click();
                }
        });
        timer_.start(5);
    }
    bool pressed = false;

private:
    QTimer timer_;
};

}  // namespace

TEST_F(WindowTest, TwoCommandsOnTwoTerminalsRunTerminalByTerminalAndTheWindowClosesItself) {
    runSimulator({"--terminal", "1:VORN3", "--terminal", "2:VORN3", "--records", "3"});
    writeParameters("[Global]\n" + punchFiles() + terminal(1, sim->tcpPort()) + terminal(2, sim->tcpPort()));
    open("-n1 -n2 -r -v ");
    ASSERT_TRUE(waitClosed());

    auto wire = readFile(wireLog);
    auto t1r = requestAt(wire, 1, "RE,NR"), t1v = requestAt(wire, 1, "VE");
    auto t2r = requestAt(wire, 2, "RE,NR"), t2v = requestAt(wire, 2, "VE");
    ASSERT_NE(t2v, std::string::npos) << wire;
    EXPECT_LT(t1r, t1v);
    EXPECT_LT(t1v, t2r);
    EXPECT_LT(t2r, t2v);

    // The last job was a successful version command: its line stays.
    auto result = data("RIDUVA.RET");
    EXPECT_TRUE(result.rfind("SIM ", 0) == 0) << result;
    auto log = data("cmdvorn.log");
    EXPECT_TRUE(contains(log, "#") && contains(log, "Wcmdv32, ver. "));
    EXPECT_TRUE(contains(log, "Inizio sessione: \"-n1 -n2 -r -v \""));
    EXPECT_FALSE(contains(log, "Fine sessione"));
    EXPECT_TRUE(listHas(window->errorLog(), "Inizio sessione"));
    EXPECT_TRUE(listHas(window->results(), "SIM 1.0"));
    EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(WindowTest, FailedFirstTerminalDoesNotStopTheBatchAndTheLastResultCounts) {
    runSimulator({"--terminal", "2:VORN3", "--records", "4"});
    // Terminal 1 is configured but nobody answers for it.
    writeParameters("[Global]\n" + punchFiles() + terminal(1, sim->tcpPort()) + terminal(2, sim->tcpPort()));
    open("-x ");
    ASSERT_TRUE(waitClosed());
    EXPECT_EQ(data("RIDUVA.RET"), "00004\n");
    // Terminal 1 failed, and terminal 2 was served after it all the same.
    auto log = data("cmdvorn.log");
    std::smatch failed;
    ASSERT_TRUE(std::regex_search(log, failed, std::regex(R"(\[Term 001\] \S+ Time-out\. Commando Fallito!)"))) << log;
    EXPECT_NE(log.find("[Term 002]", static_cast<std::size_t>(failed.position())), std::string::npos) << log;
    EXPECT_NE(requestAt(readFile(wireLog), 2, "RE,NR"), std::string::npos);
}

TEST_F(WindowTest, EsceStopsTheDownloadWith106AndTheNextJobStillRuns) {
    runSimulator({"--terminal", "1:VORN3", "--records", "60", "--reply-delay", "20"});
    writeParameters("[Global]\n" + punchFiles() + terminal(1, sim->tcpPort()));
    open("-n1 -r -v ");
    EscePresser presser(window->userBreak(), 3);
    ASSERT_TRUE(waitClosed());
    EXPECT_TRUE(presser.pressed);

    auto log = data("cmdvorn.log");
    EXPECT_TRUE(contains(log, "Commando interroto dall'utente!")) << log;
    auto wire = readFile(wireLog);
    EXPECT_FALSE(contains(wire, "\"RE,DE\""));  // nothing deleted
    EXPECT_NE(requestAt(wire, 1, "VE"), std::string::npos);
    EXPECT_TRUE(data("RIDUVA.RET").rfind("SIM ", 0) == 0);
    EXPECT_TRUE(window->centralWidget()->isEnabled());
}

TEST_F(WindowTest, HiddenWindowRunsSilentlyWithoutAnInterruptDialog) {
    runSimulator({"--terminal", "1:VORN3", "--records", "12", "--reply-delay", "5"});
    writeParameters("[Global]\n" + punchFiles() + terminal(1, sim->tcpPort()));
    bool dialogSeen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { dialogSeen = dialogSeen || window->userBreak().window(); });
    watch.start(2);
    open("-n1 -x ", false);
    ASSERT_TRUE(waitClosed());
    EXPECT_FALSE(dialogSeen);
    EXPECT_EQ(data("RIDUVA.RET"), "00012\n");
}

TEST_F(WindowTest, ClosingTheWindowMidCommandStopsItAndSkipsTheRest) {
    runSimulator({"--terminal", "1:VORN3", "--records", "60", "--reply-delay", "20"});
    writeParameters("[Global]\n" + punchFiles() + terminal(1, sim->tcpPort()));
    open("-n1 -x -v ");
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (window->userBreak().bar() && window->userBreak().bar()->position() >= 3) window->close();
    });
    closer.start(5);
    ASSERT_TRUE(waitClosed());
    EXPECT_EQ(data("RIDUVA.RET"), "-0002\n");  // 106
    EXPECT_EQ(requestAt(readFile(wireLog), 1, "VE"), std::string::npos);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowTest, InteractiveUseDispatchesOnTheChosenTerminalAndWritesNoResultFile) {
    runSimulator({"--terminal", "1:VORN3", "--terminal", "2:VORN3"});
    writeParameters("[Global]\n" + terminal(1, sim->tcpPort()) +
                    "[Terminal Magazzino]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=2\nTERM_NR=7\n"
                    "PORT=tcp//127.0.0.1:" + std::to_string(sim->tcpPort()) + "\n");
    open("");
    ASSERT_TRUE(waitInitialised());
    ASSERT_EQ(window->chooser()->count(), 2);
    EXPECT_EQ(window->chooser()->itemText(0), " 001  Terminal 1");
    EXPECT_EQ(window->chooser()->itemText(1), " 007  Magazzino");
    EXPECT_EQ(window->chooser()->currentIndex(), 0);
    EXPECT_TRUE(window->menu().item(menuIdOfCommand(CommandId::Version))->isEnabled());

    window->chooser()->setCurrentIndex(1);
    window->menu().item(menuIdOfCommand(CommandId::Version))->trigger();
    EXPECT_NE(requestAt(readFile(wireLog), 2, "VE"), std::string::npos);
    EXPECT_EQ(requestAt(readFile(wireLog), 1, "VE"), std::string::npos);
    EXPECT_TRUE(listHas(window->results(), "SIM 1.0"));

    window->menu().item(kMenuHelp)->trigger();
    window->menu().item(kMenuAbout)->trigger();
    window->menu().item(kMenuViewLog)->trigger();
    window->menu().item(kMenuConfigurationFile)->trigger();
    EXPECT_EQ(boxes.helps, 1);
    EXPECT_EQ(boxes.abouts, 1);
    ASSERT_EQ(boxes.opened.size(), 2u);
    EXPECT_EQ(boxes.opened[0].toStdString(), (dataDir / "cmdvorn.log").string());
    EXPECT_EQ(boxes.opened[1].toStdString(), parameterFile().string());

    window->menu().item(kMenuExit)->trigger();
    ASSERT_TRUE(waitClosed());
    EXPECT_FALSE(dataExists("RIDUVA.RET"));
}

TEST_F(WindowTest, ReinitialisationRebuildsTheChooserAndZeroTerminalsDisableEveryCommand) {
    runSimulator({"--terminal", "1:VORN3"});
    writeParameters("[Global]\n" + terminal(1, sim->tcpPort()) + terminal(2, sim->tcpPort()));
    open("");
    ASSERT_TRUE(waitInitialised());
    EXPECT_EQ(window->chooser()->count(), 2);

    writeParameters("[Global]\n" + terminal(1, sim->tcpPort()));
    window->menu().item(kMenuInitialise)->trigger();
    EXPECT_EQ(window->chooser()->count(), 1);
    EXPECT_TRUE(listHas(window->errorLog(), "Configurazione reinizializzata!"));
    EXPECT_TRUE(contains(data("cmdvorn.log"), "Configurazione reinizializzata!"));

    writeParameters("[Global]\nLOG_LEVEL=1\n");
    window->menu().item(kMenuInitialise)->trigger();
    EXPECT_EQ(window->chooser()->count(), 0);
    for (int id = kMenuFirstCommand; id <= kMenuLastCommand; ++id) {
        if (QAction* item = window->menu().item(id)) {
            EXPECT_FALSE(item->isEnabled()) << id;
        }
    }
    ASSERT_FALSE(boxes.messages.empty());
    EXPECT_EQ(boxes.messages.back().text, "Errore fatale - Impossibile continuare!");
    EXPECT_EQ(boxes.messages.back().caption, "Wcmdv32");
    ASSERT_TRUE(waitClosed());
    EXPECT_FALSE(dataExists("RIDUVA.RET"));
}

TEST_F(WindowTest, CommandLineWithoutAnyKnownOptionIsAFatalStop) {
    runSimulator({"--terminal", "1:VORN3"});
    writeParameters("[Global]\n" + terminal(1, sim->tcpPort()));
    open("-c -Ea ");
    ASSERT_TRUE(waitClosed());
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].icon, OperatorBoxes::Icon::Error);
    EXPECT_EQ(boxes.messages[0].text, "Errore fatale - Impossibile continuare!");
    EXPECT_EQ(data("RIDUVA.RET"), "-0200\n");
}

TEST_F(WindowTest, OnlyHelpShowsItAndClosesWithTheCountForm) {
    runSimulator({"--terminal", "1:VORN3"});
    writeParameters("[Global]\n" + terminal(1, sim->tcpPort()));
    open("-h ");
    ASSERT_TRUE(waitClosed());
    EXPECT_EQ(boxes.helps, 1);
    EXPECT_EQ(data("RIDUVA.RET"), "00000\n");
    EXPECT_TRUE(readFile(wireLog).find(" RX #") == std::string::npos);
}

TEST_F(WindowTest, MissingParameterFileIsNotReportedAsSuccess) {
    std::filesystem::remove(parameterFile());
    open("-v ");
    ASSERT_TRUE(waitClosed());
    ASSERT_FALSE(boxes.messages.empty());
    EXPECT_EQ(boxes.messages.back().text, "Errore fatale - Impossibile continuare!");
    EXPECT_TRUE(contains(data("cmdvorn.log"), "cmdvorn.prm not found !!"));
    EXPECT_EQ(data("RIDUVA.RET"), "-0200\n");
}

// Every menu and item in order, "-" for a separator, a submenu's title
// followed by its items between "[" and "]".
void walk(const QList<QAction*>& actions, QStringList& out) {
    for (QAction* action : actions) {
        if (action->isSeparator()) {
            out << "-";
        } else if (QMenu* sub = action->menu()) {
            out << sub->title() << "[";
            walk(sub->actions(), out);
            out << "]";
        } else {
            out << action->text();
        }
    }
}

TEST_F(WindowTest, MenuCarriesEveryItemWithItsAcceleratorText) {
    open("", false);
    QStringList menu;
    walk(window->menuBar()->actions(), menu);
    const QStringList expected = {
        "&File", "[", "File di &Configurazione", "Visualizza &Log", "&Reset Configurazione", "-", "E&xit", "]",
        "&Comandi", "[", "&Versione  \t(-v)", "Parametri &EEPROM ",
        "&Parametri", "[", "&Get \t(-pg)", "&Send \t(-ps)", "]",
        "&Timbrature", "[", "&Numero timb. \t(-yr)", "&Ricezione \t(-x)", "Ric&ezione+Cancellazione \t(-r)", "-",
        "Ric. Tmb &Commesse \t(-j)", "]",
        "&Anagrafiche", "[", "&Numero anagrafiche \t(-yt)", "&Trasmissione \t(-t)", "&Ricezione   \t(-ea)",
        "&Azzeramento  \t(-k)", "-", "Trasm. &Dati Personali \t(-ed)", "Get &Info    \t(-ei)", "Get &List    \t(-gl)", "]",
        "&Giustificativi", "[", "&Get    \t(-gg)", "&Send   \t(-gs)", "&Delete \t(-gd)", "]",
        "&Allarmi", "[", "&Get    \t(-ag)", "&Send   \t(-as)", "&Delete \t(-ad)", "]",
        "Formato &Badge", "[", "&Trasmette   \t(-fs)", "&Riceve   \t(-fg)", "Test &Lettura \t(-fr)", "]",
        "&FingerPrint", "[", "&Numero fingerprint \t(-in)", "&Trasmette   \t(-is)", "&Riceve   \t(-ir)", "-",
        "&Azzeramento  \t(-id)", "]",
        "&Orologio", "[", "&Ora Get ", "Ora &Send \t(-d)", "-", "Ora &Legale Get\t(-lg)", "Ora Le&gale Send \t(-ls)", "]",
        "VORN-&L", "[", "Numero Timb. Recuperabi&le \t(-yz)", "&Recupero Timbrature \t(-z)",
        "&Cancellazione Permanente Timb. \t(-@z)", "-", "Ricarica &Batteria \t(-br)", "Reset+Conf &Fabrica \t(-@F)",
        "&Spegnimento \t (-ot)", "&Aggiornamento Firmware \t(-uf)", "]",
        "-", "&Reset Vorn  \t(-@)", "]",
        "&Help", "[", "&Help...", "&About WCMDVORN...", "]",
    };
    EXPECT_EQ(menu, expected);
    EXPECT_EQ(window->menu().item(menuIdOfCommand(CommandId::SwitchOff))->text(), "&Spegnimento \t (-ot)");
    int commandItems = 0;
    for (int id = kMenuFirstCommand; id <= kMenuLastCommand; ++id) commandItems += window->menu().item(id) != nullptr;
    EXPECT_EQ(commandItems, 40);
    EXPECT_FALSE(window->menu().item(menuIdOfCommand(CommandId::Version))->isEnabled());  // nothing chosen yet
    EXPECT_EQ(window->windowTitle(), "WCMDVORN");
}

TEST_F(WindowTest, TwoTerminalsOnOneNodeAreAWarningBox) {
    runSimulator({"--terminal", "1:VORN3"});
    writeParameters("[Global]\n" + terminal(1, sim->tcpPort()) + "[Terminal Bis]\nCOM_TYPE=RS485\nNODE_NR=1\nTERM_NR=4\n"
                    "PORT=tcp//127.0.0.1:" + std::to_string(sim->tcpPort()) + "\n");
    open("");
    ASSERT_TRUE(waitInitialised());
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].icon, OperatorBoxes::Icon::Warning);
    EXPECT_EQ(boxes.messages[0].caption, "Attenzione!");
    EXPECT_TRUE(boxes.messages[0].text.contains("usano lo stesso nr. nodo (1)")) << boxes.messages[0].text.toStdString();
    EXPECT_EQ(window->chooser()->count(), 2);
}

TEST_F(WindowTest, MissingRouterIsAnExceptionBoxAndAFatalStop) {
    writeParameters("[Global]\n[Terminal 1]\nCOM_TYPE=RS485\nNODE_NR=1\nPORT=tcp//127.0.0.1:9\n"
                    "[Terminal 5]\nCOM_TYPE=RS232\nNODE_NR=5\nROUTER_NODE=9\n");
    open("-n1 -v ");
    ASSERT_TRUE(waitClosed());
    ASSERT_EQ(boxes.messages.size(), 3u);
    EXPECT_EQ(boxes.messages[0].caption, "Exception");
    EXPECT_EQ(boxes.messages[0].text, "[Term 005] (Terminal 5) Errore fatale: Manca Router (node 9)");
    EXPECT_EQ(boxes.messages[2].text, "Errore fatale - Impossibile continuare!");
    EXPECT_EQ(window->chooser()->count(), 0);
    EXPECT_EQ(data("RIDUVA.RET"), "-0200\n");
}
