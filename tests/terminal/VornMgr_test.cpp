// The terminal manager: duplicate check, terminal list, ownership.
#include "../config/PrmFixture.h"
#include "RoutedVorn.h"
#include "VornModem.h"
#include "zModem.h"
#include "zSerialPort.h"
#include "zTalkingSocket.h"

namespace {

std::string section(const std::string& header, const std::string& keys) { return "[" + header + "]\n" + keys; }

class VornMgrTest : public PrmFixture {};

TEST_F(VornMgrTest, SameNodeOnOneBusIsReported) {
    ASSERT_TRUE(load(section("Terminal A", "COM_TYPE=RS485\nNODE_NR=3\nTERM_NR=1\nPORT=COM1:9600\n") +
                     section("Terminal B", "COM_TYPE=RS485\nNODE_NR=3\nTERM_NR=2\nPORT=COM1:9600\n")));
    EXPECT_EQ(mgr->terminalCount(), 2);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "Attenzione!|Terminal A e \nTerminal B \nusano lo stesso nr. nodo (3)");
    EXPECT_TRUE(logged("usano lo stesso nr. nodo (3)"));
}

TEST_F(VornMgrTest, SameNodeOnDirectLinesOrOtherPortsIsFine) {
    ASSERT_TRUE(load(section("Terminal A", "COM_TYPE=RS232\nNODE_NR=3\nTERM_NR=1\nPORT=COM1:9600\n") +
                     section("Terminal B", "COM_TYPE=RS232\nNODE_NR=3\nTERM_NR=2\nPORT=COM1:9600\n") +
                     section("Terminal C", "COM_TYPE=RS485\nNODE_NR=3\nTERM_NR=3\nPORT=COM2:9600\n") +
                     section("Terminal D", "COM_TYPE=RS485\nNODE_NR=3\nTERM_NR=4\nPORT=COM3:9600\n")));
    EXPECT_TRUE(notices.empty());
}

TEST_F(VornMgrTest, SameTerminalNumberIsReportedFirst) {
    ASSERT_TRUE(load(section("Terminal A", "COM_TYPE=RS485\nNODE_NR=3\nTERM_NR=8\nPORT=COM1:9600\n") +
                     section("Terminal B", "COM_TYPE=RS485\nNODE_NR=3\nTERM_NR=8\nPORT=COM1:9600\n")));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "Attenzione!|Terminal A e \nTerminal B \nusano lo stesso num. terminale (8)");
    // findTerminal answers the first in file order.
    EXPECT_EQ(mgr->findTerminal(8), mgr->terminalAt(0));
}

TEST_F(VornMgrTest, TerminalListInTheLog) {
    ASSERT_TRUE(load(section("Terminal 01 Ingresso", "COM_TYPE=RS485\nNODE_NR=1\nPORT=COM1:9600\n") +
                     section("Terminal 02", "COM_TYPE=MODEM_EXT\nNODE_NR=2\nPORT=COM2:9600\nMODEM_DIAL_NR=0401\n"
                                            "MODEM_PAUSE=7\nMODEM_WAIT_CONNECT=30\nVORN_MODEM_RINGS=4\n") +
                     section("Terminal 03", "COM_TYPE=RS232\nNODE_NR=3\nROUTER_NODE=1\n")));
    std::string text = logText();
    auto header = text.find("#");
    ASSERT_NE(text.find("=== Elenco terminali Vorn ==="), std::string::npos);
    EXPECT_NE(header, std::string::npos);
    for (const char* line : {"[Terminal 01 Ingresso] :", "     Nodo=1, Term nr.=1",
                             "     Comm. port: RS485, collegato a Serial port COM1 ",
                             "     Comm. port: MODEM_EXT, collegato a Serial port COM2 ", "     Modem: Esterno",
                             "        Numero tel.: 0401", "        Num squilli: 4", "        wait_to_connect 30, pause 7",
                             "     Comm. port: RS232, collegato via Router Terminal 01 Ingresso"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // Header lines carry the "#" kind.
    auto pos = text.find("Nodo=1, Term nr.=1");
    auto lineStart = text.rfind('\n', pos) + 1;
    EXPECT_EQ(text[lineStart], '#');
}

TEST_F(VornMgrTest, AddTerminalRefusesSameNameIgnoringCase) {
    VornSettings s;
    s.name = "Terminal X";
    s.terminalNumber = 7;
    ASSERT_NE(mgr->addTerminal(std::make_unique<Vorn>(s)), nullptr);
    s.name = "TERMINAL x";
    EXPECT_EQ(mgr->addTerminal(std::make_unique<Vorn>(s)), nullptr);
    EXPECT_EQ(mgr->terminalCount(), 1);
    EXPECT_EQ(mgr->terminalAt(0)->label(), zString("[Term 007]"));
    EXPECT_EQ(mgr->findByName("terminal x"), mgr->terminalAt(0));
    EXPECT_EQ(mgr->terminalAt(1), nullptr);
    EXPECT_EQ(mgr->terminalAt(-1), nullptr);
}

TEST_F(VornMgrTest, LabelByName) {
    VornMgr byName(*log, true);
    VornSettings s;
    s.name = "Terminal X";
    byName.addTerminal(std::make_unique<Vorn>(s));
    EXPECT_EQ(byName.terminalAt(0)->label(), zString("[Term Terminal X]"));
}

TEST_F(VornMgrTest, LinksAreSharedByNameOrSecondName) {
    zCommDev* com1 = mgr->addLink(std::make_unique<zSerialPort>("COM1", 4));
    EXPECT_EQ(mgr->addLink(std::make_unique<zSerialPort>("com1", 4)), com1);
    EXPECT_EQ(mgr->findLink("COM1"), com1);
    EXPECT_EQ(com1->terminator(), zCommDev::kEOT);

    // A host by its name and its resolved address: either finds the link.
    zCommDev* gateway = mgr->addLink(std::make_unique<zTalkingSocket>("localhost", 3001));
    ASSERT_NE(gateway, com1);
    ASSERT_EQ(gateway->secondName(), zString("127.0.0.1"));
    EXPECT_EQ(mgr->findLink("127.0.0.1"), gateway);
    EXPECT_EQ(mgr->findLink("LOCALHOST"), gateway);
    // Offered under the address alone: the same link.
    EXPECT_EQ(mgr->addLink(std::make_unique<zTalkingSocket>("127.0.0.1", 3001)), gateway);
    EXPECT_EQ(mgr->linkCount(), 2);
    // An empty second name matches nothing.
    EXPECT_NE(mgr->addLink(std::make_unique<zSerialPort>("COM2", 4)), gateway);
    EXPECT_EQ(mgr->findLink(""), nullptr);
    EXPECT_EQ(mgr->linkCount(), 3);
}

}  // namespace
