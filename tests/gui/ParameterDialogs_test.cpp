// The EEPROM and VORN-L parameter dialogs against the simulator: the
// records byte for byte on the wire, the checks that keep a bad field from
// being sent, and the main window's items that open them.
#include "WindowFixture.h"

#include "EepromDialog.h"
#include "VornLParamDialog.h"
#include "VornMgr.h"
#include "crc16.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

// A record as the wire log shows it after STX: lowercase hex pairs, the
// CRC-16 of everything before the last two bytes at the end.
std::string sealedHex(std::vector<std::uint8_t> bytes) {
    std::uint16_t crc = fnd::crc16(bytes.data(), bytes.size());
    bytes.push_back(crc & 0xFF);
    bytes.push_back(crc >> 8);
    std::string hex;
    char pair[3];
    for (auto b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        hex += pair;
    }
    return hex;
}

class ParameterDialogTest : public WindowTest {
protected:
    // VORN1 node 3, VORN-L node 4 (GL_ keys given), VORN3 node 5.
    void openWindow() {
        runSimulator({"--terminal", "3:VORN1", "--terminal", "4:VORN-L", "--terminal", "9:VORN-L", "--terminal",
                      "5:VORN3"});
        int port = sim->tcpPort();
        writeParameters("[Global]\n" + terminal(3, port, "VORN1") + terminal(4, port, "VORN-L") +
                        "GL_TIMB=AUTO\nGL_CONFIRM=ON\nGL_RELE=ALARM\nGL_R_TIME=7\nGL_LCD=LCD_ON5DAY\n" +
                        terminal(5, port, "VORN3"));
        open("");
        ASSERT_TRUE(waitInitialised());
        ASSERT_EQ(window->chooser()->count(), 3);
    }
    VornMgr& manager() { return *window->session().manager(); }
    const ParameterLookup& config() { return window->session().context()->parameters(); }
    std::string wire() { return readFile(wireLog); }
};

}  // namespace

TEST_F(ParameterDialogTest, EepromSendWritesTheRecordAndGetReadsItBack) {
    openWindow();
    EepromDialog dialog(manager(), 0, boxes);
    EXPECT_EQ(dialog.windowTitle(), "Parametri EEPROM");
    EXPECT_EQ(dialog.chooser()->currentIndex(), 0);
    dialog.name()->setText("PORTINERIA NORD");
    dialog.node()->setText("3");
    dialog.plantCode()->setText("513");
    dialog.serialNumber()->setText("305419896");
    dialog.send();
    EXPECT_TRUE(boxes.messages.empty());

    std::vector<std::uint8_t> record(49, 0);
    std::string name = "PORTINERIA NORD";
    std::copy(name.begin(), name.end(), record.begin());
    record[41] = 3;
    record[43] = 0x01, record[44] = 0x02;                                        // 513
    record[45] = 0x78, record[46] = 0x56, record[47] = 0x34, record[48] = 0x12;  // 0x12345678
    EXPECT_TRUE(contains(wire(), "EE,SE\\x02" + sealedHex(record))) << wire();

    for (QLineEdit* edit : {dialog.name(), dialog.node(), dialog.plantCode(), dialog.serialNumber()}) edit->setText("x");
    dialog.get();
    EXPECT_EQ(dialog.name()->text(), "PORTINERIA NORD");
    EXPECT_EQ(dialog.node()->text(), "3");
    EXPECT_EQ(dialog.plantCode()->text(), "513");
    EXPECT_EQ(dialog.serialNumber()->text(), "305419896");
}

TEST_F(ParameterDialogTest, EepromFieldsThatCannotBeSentAreWarningsAndNothingGoesOut) {
    openWindow();
    EepromDialog dialog(manager(), 0, boxes);
    dialog.name()->setText("CANCELLO");
    dialog.plantCode()->setText("12");
    for (const char* node : {"0", "abc", "300"}) {
        dialog.node()->setText(node);
        dialog.send();
    }
    dialog.node()->setText("3");
    dialog.plantCode()->setText("0");
    dialog.send();
    ASSERT_EQ(boxes.messages.size(), 4u);
    for (const auto& shown : boxes.messages) {
        EXPECT_EQ(shown.caption, "Errore Parametro");
        EXPECT_EQ(shown.icon, OperatorBoxes::Icon::Warning);
    }
    EXPECT_EQ(boxes.messages[0].text, " Numero Nodo = 0");
    EXPECT_EQ(boxes.messages[1].text, " Numero Nodo = 0");
    EXPECT_EQ(boxes.messages[2].text, " Numero Nodo = 300");
    EXPECT_EQ(boxes.messages[3].text, " Cod. Impianto = 0 ");
    EXPECT_FALSE(contains(wire(), "\"EE,SE\""));
    EXPECT_EQ(dialog.node()->text(), "3");  // the dialog keeps what was typed
}

TEST_F(ParameterDialogTest, VornLOpensWithTheConfigurationAndSendsTheTenByteBlock) {
    openWindow();
    VornLParamDialog dialog(manager(), config(), 1, boxes);
    EXPECT_EQ(dialog.windowTitle(), "Parametri VORN-L");
    EXPECT_EQ(dialog.node()->text(), "4");
    EXPECT_EQ(dialog.punchMode()->currentText(), "Con verso automatico");
    EXPECT_TRUE(dialog.confirm()->isChecked());
    EXPECT_FALSE(dialog.causes()->isChecked());
    EXPECT_EQ(dialog.relayMode()->currentText(), "Attivazione Sirena");
    EXPECT_EQ(dialog.relayTime()->text(), "7");
    EXPECT_EQ(dialog.display()->currentText(), "Lu-Ve 06-19");

    int usedIndex = -1;
    dialog.onTerminalUsed = [&](int index) { usedIndex = index; };
    dialog.speed()->setCurrentIndex(1);  // 9600
    dialog.causes()->setChecked(true);
    dialog.send();
    EXPECT_EQ(usedIndex, 1);
    EXPECT_TRUE(contains(wire(), "GL,PS\\x02" + sealedHex({4, 1, 1, 1, 1, 3, 7, 2}))) << wire();

    dialog.get();
    EXPECT_EQ(dialog.speed()->currentText(), "9600");
    EXPECT_TRUE(dialog.causes()->isChecked());
}

TEST_F(ParameterDialogTest, VornLTakesTheNewNodeAndSpeedForTheRestOfTheRun) {
    openWindow();
    VornLParamDialog dialog(manager(), config(), 1, boxes);
    dialog.node()->setText("9");
    dialog.speed()->setCurrentIndex(3);
    dialog.send();
    Vorn* terminal = manager().terminalAt(1);
    EXPECT_EQ(terminal->nodeNumber(), 9);
    EXPECT_EQ(terminal->lineSpeed(), 38400);

    dialog.get();  // now addressed to node 9
    std::string log = wire();
    auto sent = log.find("\"GL,PS\"");
    ASSERT_NE(sent, std::string::npos);
    auto asked = log.find("node=09", sent);
    ASSERT_NE(asked, std::string::npos) << log;
    EXPECT_NE(log.find("\"GL,PG\"", asked), std::string::npos);
}

TEST_F(ParameterDialogTest, VornLRefusesAZeroNodeOrRelayTimeOut) {
    openWindow();
    VornLParamDialog dialog(manager(), config(), 1, boxes);
    dialog.node()->setText("0");
    dialog.send();
    dialog.node()->setText("4");
    dialog.relayTime()->setText("0");
    dialog.send();
    ASSERT_EQ(boxes.messages.size(), 2u);
    EXPECT_EQ(boxes.messages[0].text, " Numero Nodo = 0");
    EXPECT_EQ(boxes.messages[1].text, " Rele' timeout = 0");
    EXPECT_FALSE(contains(wire(), "\"GL,PS\""));
    EXPECT_EQ(manager().terminalAt(1)->nodeNumber(), 4);
}

TEST_F(ParameterDialogTest, ParameterItemsOpenTheDialogOnAVornLAndDispatchElsewhere) {
    openWindow();
    boxes.onDialog = [](QDialog& dialog) { static_cast<TerminalDialog&>(dialog).chooser()->setCurrentIndex(0); };
    window->chooser()->setCurrentIndex(1);
    window->menu().item(menuIdOfCommand(CommandId::ReceiveParameters))->trigger();
    ASSERT_EQ(boxes.dialogs.size(), 1u);
    EXPECT_EQ(boxes.dialogs[0], "PARAMLDlg");
    EXPECT_FALSE(contains(wire(), "\"PA,GE\""));

    window->chooser()->setCurrentIndex(2);
    window->menu().item(menuIdOfCommand(CommandId::ReceiveParameters))->trigger();
    EXPECT_EQ(boxes.dialogs.size(), 1u);
    EXPECT_TRUE(contains(wire(), "node=05 seq=") && contains(wire(), "\"PA,GE\""));

    // Get in the dialog makes its terminal the window's choice.
    boxes.onDialog = [](QDialog& dialog) {
        auto& eeprom = static_cast<EepromDialog&>(dialog);
        eeprom.chooser()->setCurrentIndex(0);
        eeprom.get();
    };
    window->menu().item(menuIdOfCommand(CommandId::ReadEeprom))->trigger();
    ASSERT_EQ(boxes.dialogs.size(), 2u);
    EXPECT_EQ(boxes.dialogs[1], "EEPROMDlg");
    EXPECT_EQ(window->chooser()->currentIndex(), 0);
    EXPECT_TRUE(contains(wire(), "\"EE,GE\""));
}
