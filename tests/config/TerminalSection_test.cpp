// Terminal sections of the parameter file turned into terminal objects.
#include "PrmFixture.h"
#include "FndException.h"
#include "RoutedVorn.h"
#include "TerminalSection.h"
#include "Vorn2A.h"
#include "VornModem.h"
#include "zLanvexLink.h"
#include "zModem.h"
#include "zSerialPort.h"

namespace {

std::string section(const std::string& header, const std::string& keys) { return "[" + header + "]\n" + keys; }

class TerminalSectionTest : public PrmFixture {};

TEST_F(TerminalSectionTest, DefaultsAndIdentity) {
    ASSERT_TRUE(load(section("Terminal 01 Ingresso", "COM_TYPE=RS232\nNODE_NR=260\nPORT=COM1:9600\n")));
    ASSERT_EQ(mgr->terminalCount(), 1);
    Vorn* t = mgr->terminalAt(0);
    EXPECT_EQ(t->name(), zString("Terminal 01 Ingresso"));
    EXPECT_EQ(t->description(), zString("01 Ingresso"));
    EXPECT_EQ(t->nodeNumber(), 4);       // one byte: 260 mod 256
    EXPECT_EQ(t->terminalNumber(), 4);   // the node number without TERM_NR
    EXPECT_EQ(t->label(), zString("[Term 004]"));
    EXPECT_EQ(t->connectionKind(), ConnectionKind::Rs232);
    EXPECT_EQ(t->model(), TerminalModel::Unset);
    EXPECT_EQ(t->lineSpeed(), 38400);
    EXPECT_EQ(t->comTimeout(), 2);
    EXPECT_EQ(t->maxRetry(), 0);
    EXPECT_EQ(t->transactionFile(), zString("tmb.dat"));
    EXPECT_TRUE(t->transactionAppend());
    EXPECT_EQ(t->employeeFile(), zString("emp.dat"));
    EXPECT_EQ(t->employeeMode(), 0);
    EXPECT_TRUE(t->fingerprintFile().isEmpty());
    EXPECT_FALSE(t->fingerprint());
    EXPECT_EQ(t->statusCode(), RunError::None);
    EXPECT_EQ(mgr->findTerminal(4), t);
    EXPECT_EQ(mgr->findTerminal(1), nullptr);
}

TEST_F(TerminalSectionTest, EveryKeyIsRead) {
    ASSERT_TRUE(load("[Timbrature]\nFILE_NAME=global.tmb\nFILE_MODE=N\n[Anagrafiche]\nFILE_NAME=global.emp\n" +
                     section("Terminal 5", "com_type=RS485\nnode_nr=5\nport=COM2:19200,E,7,2\nTERM_TYPE=vorn-l\n"
                                           "COM_TIME_OUT=300\nMAX_RETRY=3\nTERM_NR=-12\nPASSWORD=  pw 1  ; c\n"
                                           "TMB_FILE_NAME=own.tmb\nTMB_FILE_MODE=nuovo\nEMP_FILE_NAME=own.emp\n"
                                           "EMP_MODE=r\nFP_FILE_NAME=fp.dat\nFINGERPRINT=true\n") +
                     section("Terminal 6", "COM_TYPE=RS485\nNODE_NR=6\nPORT=COM2:19200\nEMP_MODE=x\nFINGERPRINT=1yes\n"
                                           "TMB_FILE_NAME=\nTERM_NR=0\n")));
    Vorn* t = mgr->terminalAt(0);
    EXPECT_EQ(t->connectionKind(), ConnectionKind::Rs485);
    EXPECT_EQ(t->model(), TerminalModel::VornL);
    EXPECT_EQ(t->lineSpeed(), 19200);
    EXPECT_EQ(t->comTimeout(), 300 % 256);
    EXPECT_EQ(t->maxRetry(), 3);
    EXPECT_EQ(t->terminalNumber(), -12);
    EXPECT_EQ(t->label(), zString("[Term -012]"));
    EXPECT_EQ(t->password(), zString("pw 1"));
    EXPECT_EQ(t->transactionFile(), zString("own.tmb"));
    EXPECT_FALSE(t->transactionAppend());
    EXPECT_EQ(t->employeeFile(), zString("own.emp"));
    EXPECT_EQ(t->employeeMode(), 3);
    EXPECT_EQ(t->fingerprintFile(), zString("fp.dat"));
    EXPECT_TRUE(t->fingerprint());

    Vorn* u = mgr->terminalAt(1);
    EXPECT_EQ(u->lineSpeed(), 38400);  // no comma after the speed
    EXPECT_EQ(u->terminalNumber(), 6);
    EXPECT_EQ(u->employeeMode(), 0);
    EXPECT_TRUE(u->fingerprint());
    // The global punches file with its mode, and the global employee file.
    EXPECT_EQ(u->transactionFile(), zString("global.tmb"));
    EXPECT_FALSE(u->transactionAppend());
    EXPECT_EQ(u->employeeFile(), zString("global.emp"));
}

TEST_F(TerminalSectionTest, NumbersAreReadAsFarAsTheyAreDecimal) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=MODEM\nNODE_NR=7x\nTERM_NR=abc\nPORT=COM1:96OO,N,8,1\n"
                                           "MODEM_DIAL_NR=1\nMODEM_WAIT_CONNECT=soon\nVORN_MODEM_RINGS=" +
                                           std::string(40, '9') + "\n")));
    auto* t = dynamic_cast<VornModem*>(mgr->terminalAt(0));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->nodeNumber(), 7);
    EXPECT_EQ(t->terminalNumber(), 7);
    EXPECT_EQ(t->lineSpeed(), 38400);
    EXPECT_EQ(t->dialSettings().waitConnect, 60);
    EXPECT_EQ(t->dialSettings().rings, 99);
}

TEST_F(TerminalSectionTest, ConnectionKindsAndModels) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RS\nNODE_NR=1\nPORT=COM1:9600\nTERM_TYPE=XYZ\n") +
                     section("Terminal 2", "COM_TYPE=rs485\nNODE_NR=2\nPORT=COM1:9600\n") +
                     section("Terminal 3", "COM_TYPE=MODEM_EXT\nNODE_NR=3\nPORT=COM3:9600\nMODEM_DIAL_NR=123\n") +
                     section("Terminal 4", "COM_TYPE=RLX40\nNODE_NR=4\nPORT=COM4:9600\nTERM_TYPE=calvet\n") +
                     section("Terminal 5", "COM_TYPE=RLX40\nNODE_NR=5\nPORT=COM4:9600\nTERM_TYPE=VORN2B\n") +
                     section("terminal 07 Uscita", "COM_TYPE=RS232\nNODE_NR=7\nPORT=COM1:9600\nTERM_TYPE=brimol\n")));
    ASSERT_EQ(mgr->terminalCount(), 5);
    EXPECT_EQ(mgr->terminalAt(0)->connectionKind(), ConnectionKind::Rs485);
    EXPECT_EQ(mgr->terminalAt(0)->model(), TerminalModel::Unset);
    EXPECT_TRUE(logged("Configuration error: Sconosciuto \"TERM_TYPE=\" XYZ"));
    EXPECT_TRUE(logged("Configuration error: manca \"COM_TYPE\" per [Terminal 2]"));
    auto* ext = dynamic_cast<VornModem*>(mgr->terminalAt(1));
    ASSERT_NE(ext, nullptr);
    EXPECT_TRUE(ext->isExternal());
    EXPECT_EQ(ext->connectionKind(), ConnectionKind::ModemExt);
    EXPECT_NE(dynamic_cast<Vorn2A*>(mgr->terminalAt(2)), nullptr);
    EXPECT_EQ(mgr->terminalAt(2)->model(), TerminalModel::VornT3);
    EXPECT_EQ(dynamic_cast<Vorn2A*>(mgr->terminalAt(3)), nullptr);
    EXPECT_EQ(mgr->terminalAt(3)->model(), TerminalModel::Vorn2B);
    EXPECT_EQ(mgr->terminalAt(4)->name(), zString("terminal 07 Uscita"));
    EXPECT_EQ(mgr->terminalAt(4)->model(), TerminalModel::VornT2);
}

TEST_F(TerminalSectionTest, RequiredKeysAndPortErrors) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RS232\nPORT=COM1:9600\n") +
                     section("Terminal 2", "COM_TYPE=RS232\nNODE_NR=2\n") +
                     section("Terminal 3", "COM_TYPE=RS232\nNODE_NR=3\nPORT=   ; nothing\n") +
                     section("Terminal 4", "COM_TYPE=RS232\nNODE_NR=4\nPORT=COM1\n") +
                     section("Terminal 5", "COM_TYPE=RS232\nNODE_NR=5\nPORT=tcp//:4001\n") +
                     section("Terminal 6 Cancello", "COM_TYPE=MODEM\nNODE_NR=6\nPORT=COM1:9600\n") +
                     section("Terminal 7", "COM_TYPE=RS232\nNODE_NR=7\nPORT=COM1:9600\n")));
    ASSERT_EQ(mgr->terminalCount(), 1);
    EXPECT_EQ(mgr->terminalAt(0)->nodeNumber(), 7);
    EXPECT_TRUE(logged("Configuration error: manca \"NODE_NR\" per [Terminal 1]"));
    EXPECT_TRUE(logged("Configuration error: manca \"PORT\" per [Terminal 2]"));
    EXPECT_TRUE(logged("Configuration error: \"PORT\" vuoto per [Terminal 3]"));
    EXPECT_TRUE(logged("Configuration error parsing \"PORT\" [Terminal 4]"));
    EXPECT_TRUE(logged("Configuration error parsing \"PORT\" [Terminal 5]"));
    std::string text = logText();
    auto dial = text.find("Configuration error: manca \"MODEM_DIAL_NR\" per 6 Cancello");
    auto port = text.find("Configuration error parsing \"PORT\" [Terminal 6 Cancello]");
    ASSERT_NE(dial, std::string::npos);
    ASSERT_NE(port, std::string::npos);
    EXPECT_LT(dial, port);
}

TEST_F(TerminalSectionTest, NodeAboveTwoDecimalDigitsIsRefusedOnTelegramTerminals) {
    ASSERT_TRUE(load(section("Terminal 105", "COM_TYPE=RS485\nNODE_NR=105\nPORT=COM1:9600\n") +
                     section("Terminal 99", "COM_TYPE=RS485\nNODE_NR=99\nPORT=COM1:9600\n") +
                     section("Terminal 360", "COM_TYPE=RS485\nNODE_NR=360\nPORT=COM1:9600\n") +
                     section("Terminal 120", "COM_TYPE=RLX40\nTERM_TYPE=VORN2A\nNODE_NR=120\nPORT=COM2:9600\n")));
    ASSERT_EQ(mgr->terminalCount(), 2);
    EXPECT_EQ(mgr->terminalAt(0)->nodeNumber(), 99);
    EXPECT_EQ(mgr->terminalAt(1)->nodeNumber(), 120);  // no telegrams: the line protocol
    EXPECT_EQ(mgr->findTerminal(5), nullptr);
    EXPECT_TRUE(logged("Configuration error: \"NODE_NR=105\" oltre 99 per [Terminal 105]"));
    EXPECT_TRUE(logged("Configuration error: \"NODE_NR=360\" oltre 99 per [Terminal 360]"));
}

TEST_F(TerminalSectionTest, EmptyFileNamesKeepTheDefaultWithAWarning) {
    ASSERT_TRUE(load("[Timbrature]\nFILE_NAME=\n[Anagrafiche]\nFILE_NAME=   ; none\n" +
                     section("Terminal 1", "COM_TYPE=RS485\nNODE_NR=1\nPORT=COM1:9600\nTMB_FILE_NAME=\nEMP_FILE_NAME=\n")));
    ASSERT_EQ(mgr->terminalCount(), 1);
    EXPECT_EQ(mgr->terminalAt(0)->transactionFile(), zString("tmb.dat"));
    EXPECT_EQ(mgr->terminalAt(0)->employeeFile(), zString("emp.dat"));
    EXPECT_TRUE(logged("Conf. Warning: [Timbrature] \"FILE_NAME\" vuoto, usato TMB_FILE_NAME del terminale o tmb.dat"));
    EXPECT_TRUE(logged("Conf. Warning: [Anagrafiche] \"FILE_NAME\" vuoto, usato EMP_FILE_NAME del terminale o emp.dat"));
    EXPECT_TRUE(logged("Conf. Warning: [Terminal 1] \"TMB_FILE_NAME\" vuoto, usato tmb.dat"));
    EXPECT_TRUE(logged("Conf. Warning: [Terminal 1] \"EMP_FILE_NAME\" vuoto, usato emp.dat"));
}

TEST_F(TerminalSectionTest, SerialPortsAreSharedPerName) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RS485\nNODE_NR=1\nPORT=COM1:9600,N,8,1\n") +
                     section("Terminal 2", "COM_TYPE=RS485\nNODE_NR=2\nPORT=COM1:19200,N,8,1\n") +
                     section("Terminal 3", "COM_TYPE=RS232\nNODE_NR=3\nPORT=/dev/ttyUSB0:9600,N,8,1\n")));
    EXPECT_EQ(mgr->linkCount(), 2);
    Vorn* a = mgr->terminalAt(0);
    Vorn* b = mgr->terminalAt(1);
    EXPECT_EQ(a->getLink(), b->getLink());
    // The speed belongs to the terminal, not to the shared port.
    EXPECT_EQ(a->lineSpeed(), 9600);
    EXPECT_EQ(b->lineSpeed(), 19200);
    auto* com1 = dynamic_cast<zSerialPort*>(a->getLink());
    ASSERT_NE(com1, nullptr);
    EXPECT_EQ(com1->irq(), 4);
    EXPECT_EQ(com1->terminator(), zCommDev::kEOT);
    auto* usb = dynamic_cast<zSerialPort*>(mgr->terminalAt(2)->getLink());
    ASSERT_NE(usb, nullptr);
    EXPECT_EQ(usb->irq(), 0);
}

TEST_F(TerminalSectionTest, ModemKeysDefaultsLimitsAndSharing) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=MODEM\nNODE_NR=1\nPORT=COM1:9600\nMODEM_DIAL_NR= 0123 \n") +
                     section("Terminal 2", "COM_TYPE=MODEM\nNODE_NR=2\nPORT=COM1:9600\nMODEM_DIAL_NR=555\n"
                                           "MODEM_SET=at\nMODEM_WAIT_CONNECT=500\nMODEM_PAUSE=-3\n"
                                           "VORN_MODEM_RINGS=150\nMODEM_RETRY=4\nMODEM_RESET=atz0\n") +
                     section("Terminal 3", "COM_TYPE=MODEM\nNODE_NR=3\nPORT=COM1:9600\nMODEM_DIAL_NR=556\n"
                                           "MODEM_SET=AT&C1\nMODEM_PAUSE=0\nMODEM_WAIT_CONNECT=0\n"
                                           "VORN_MODEM_RINGS=0\n")));
    ASSERT_EQ(mgr->terminalCount(), 3);
    auto* m1 = dynamic_cast<VornModem*>(mgr->terminalAt(0));
    auto* m2 = dynamic_cast<VornModem*>(mgr->terminalAt(1));
    auto* m3 = dynamic_cast<VornModem*>(mgr->terminalAt(2));
    ASSERT_TRUE(m1 && m2 && m3);
    EXPECT_FALSE(m1->isExternal());
    EXPECT_EQ(m1->phoneNumber(), zString("0123"));
    EXPECT_EQ(m1->dialSettings().waitConnect, 60);
    EXPECT_EQ(m1->dialSettings().pause, 5);
    EXPECT_EQ(m1->dialSettings().rings, 3);
    EXPECT_EQ(m2->dialSettings().waitConnect, 120);
    EXPECT_EQ(m2->dialSettings().pause, 1);
    EXPECT_EQ(m2->dialSettings().rings, 99);
    EXPECT_EQ(m3->dialSettings().pause, 0);
    EXPECT_EQ(m3->dialSettings().waitConnect, 60);
    EXPECT_EQ(m3->dialSettings().rings, 3);
    // MODEM_SET is upper-cased, so "at" and the default "AT" are one modem.
    EXPECT_EQ(mgr->modemCount(), 2);
    EXPECT_EQ(m1->modem(), m2->modem());
    EXPECT_NE(m1->modem(), m3->modem());
    EXPECT_EQ(m1->modem()->name(), zString("COM1AT"));
    EXPECT_EQ(m3->modem()->name(), zString("COM1AT&C1"));
    EXPECT_EQ(mgr->findModem("com1at&c1"), m3->modem());
    EXPECT_EQ(m1->modem()->resetString(), zString("ATZ"));
    EXPECT_EQ(&m1->modem()->port(), m1->getLink());
    EXPECT_EQ(mgr->linkCount(), 1);
}

TEST_F(TerminalSectionTest, BadgeKeys) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RLX40\nNODE_NR=1\nPORT=COM1:9600\nTERM_TYPE=VORNT2\n") +
                     section("Terminal 2", "COM_TYPE=RLX40\nNODE_NR=2\nPORT=COM1:9600\nTERM_TYPE=VORN2A\n"
                                           "BADGE_PLANT=1,2,PL\nBADGE_COM=4,0,\nBADGE_MAT=3,0\n") +
                     section("Terminal 3", "COM_TYPE=RS232\nNODE_NR=3\nPORT=COM2:9600\nTERM_TYPE=VORN2A\n"
                                           "BADGE_MAT=3,0\n")));
    auto* a = dynamic_cast<Vorn2A*>(mgr->terminalAt(0));
    auto* b = dynamic_cast<Vorn2A*>(mgr->terminalAt(1));
    ASSERT_TRUE(a && b);
    const BadgeLayout& d = a->badgeLayout();
    EXPECT_EQ(d.plant.position, 0);
    EXPECT_EQ(d.plant.length, 0);
    EXPECT_EQ(d.company.position, 4);
    EXPECT_EQ(d.company.length, 2);
    EXPECT_EQ(d.company.fixedText, zString("00"));
    EXPECT_EQ(d.employee.position, 9);
    EXPECT_EQ(d.employee.length, 6);
    const BadgeLayout& l = b->badgeLayout();
    EXPECT_EQ(l.plant.position, 1);
    EXPECT_EQ(l.plant.length, 2);
    EXPECT_EQ(l.plant.fixedText, zString("PL"));
    EXPECT_EQ(l.company.length, 0);
    EXPECT_EQ(l.company.fixedText, zString("00"));
    EXPECT_EQ(l.employee.position, 3);
    EXPECT_EQ(l.employee.length, 0);
    EXPECT_TRUE(logged("[Terminal 2] BADGE_COM - forcing default company code '00'"));
    EXPECT_TRUE(logged("[Terminal 2] BADGE_MAT - Error length=0"));
    // Badge keys belong to the concentrator's newer models only.
    EXPECT_EQ(dynamic_cast<Vorn2A*>(mgr->terminalAt(2)), nullptr);
    EXPECT_FALSE(logged("[Terminal 3] BADGE_MAT"));
    EXPECT_EQ(b->cachedParameter(31), -1);
}

TEST(BadgeField, ItemsAndLimits) {
    BadgeField f{9, 6, ""};
    TerminalSection::parseBadgeField("2", f);
    EXPECT_EQ(f.position, 2);
    EXPECT_EQ(f.length, 6);
    TerminalSection::parseBadgeField(" 3 , 4 ,AB,C", f);
    EXPECT_EQ(f.position, 3);
    EXPECT_EQ(f.length, 4);
    EXPECT_EQ(f.fixedText, zString("AB,C"));
    TerminalSection::parseBadgeField(zString("-1,-1,") + std::string(100, 'z'), f);
    EXPECT_EQ(f.position, 0);
    EXPECT_EQ(f.length, 0);
    EXPECT_EQ(f.fixedText.length(), TerminalSection::kMaxBadgeText);
}

TEST_F(TerminalSectionTest, TcpEndpointsAndTheirSharing) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RS232\nNODE_NR=1\nPORT=tcp//127.0.0.1\n") +
                     section("Terminal 2", "COM_TYPE=RS232\nNODE_NR=2\nPORT=TCP//127.0.0.1:4001\n") +
                     section("Terminal 3", "COM_TYPE=RS232\nNODE_NR=3\nPORT=tcp//127.0.0.1:4001\n") +
                     section("Terminal 4", "COM_TYPE=RS232\nNODE_NR=4\nPORT=tcp//nonexistent.invalid:4001\n") +
                     section("Terminal 5", "COM_TYPE=RS232\nNODE_NR=5\nPORT=tcp//other.invalid:4001\n")));
    ASSERT_EQ(mgr->terminalCount(), 5);
    auto* l1 = dynamic_cast<zTalkingSocket*>(mgr->terminalAt(0)->getLink());
    auto* l2 = dynamic_cast<zTalkingSocket*>(mgr->terminalAt(1)->getLink());
    ASSERT_TRUE(l1 && l2);
    EXPECT_EQ(l1->port(), 3000);
    EXPECT_EQ(l2->port(), 4001);
    EXPECT_EQ(l1->addressText(), zString("127.0.0.1"));
    EXPECT_EQ(mgr->terminalAt(2)->getLink(), l2);
    EXPECT_EQ(l2->terminator(), zCommDev::kEOT);
    // Two names that do not resolve are still two endpoints.
    EXPECT_NE(mgr->terminalAt(3)->getLink(), mgr->terminalAt(4)->getLink());
    EXPECT_EQ(mgr->linkCount(), 4);
    EXPECT_TRUE(logged(" Host nonexistent.invalid - Errore tcp/ip: WSAHOST_NOT_FOUND, Host not found."));
}

TEST_F(TerminalSectionTest, NewerModelsGetTheBridgeLink) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RS232\nNODE_NR=1\nPORT=tcp//127.0.0.1:4001\n") +
                     section("Terminal 2", "COM_TYPE=RLX40\nNODE_NR=2\nPORT=tcp//127.0.0.1:4001\nTERM_TYPE=VORNT3\n") +
                     section("Terminal 3", "COM_TYPE=RS232\nNODE_NR=3\nPORT=tcp//127.0.0.1:4002\n")));
    zCommDev* shared = mgr->terminalAt(1)->getLink();
    EXPECT_NE(dynamic_cast<zLanvexLink*>(shared), nullptr);
    EXPECT_NE(dynamic_cast<Vorn2A*>(mgr->terminalAt(1)), nullptr);
    // The older terminal on the same endpoint moved to the bridge link with it.
    EXPECT_EQ(mgr->terminalAt(0)->getLink(), shared);
    EXPECT_EQ(dynamic_cast<zLanvexLink*>(mgr->terminalAt(2)->getLink()), nullptr);
    EXPECT_EQ(mgr->linkCount(), 2);
}

TEST_F(TerminalSectionTest, RoutedTerminals) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RS485\nNODE_NR=9\nTERM_NR=21\nPORT=COM1:9600\n") +
                     section("Terminal 2", "COM_TYPE=MODEM\nNODE_NR=2\nROUTER_NODE=265\n") +
                     section("Terminal 3", "COM_TYPE=RS232\nNODE_NR=3\nROUTER=21\nROUTER_NODE=2\n") +
                     section("Terminal 4", "COM_TYPE=RS232\nNODE_NR=4\nROUTER=21\n")));
    ASSERT_EQ(mgr->terminalCount(), 4);
    auto* r2 = dynamic_cast<RoutedVorn*>(mgr->terminalAt(1));
    auto* r3 = dynamic_cast<RoutedVorn*>(mgr->terminalAt(2));
    auto* r4 = dynamic_cast<RoutedVorn*>(mgr->terminalAt(3));
    ASSERT_TRUE(r2 && r3 && r4);
    EXPECT_TRUE(logged("Conf. Warning: [Terminal 2] \"COM_TYPE=MODEM\" e' incompatibile con ROUTER_NODE"));
    EXPECT_EQ(r2->connectionKind(), ConnectionKind::Rs232);
    EXPECT_EQ(r2->router(), mgr->terminalAt(0));  // node 265 is node 9
    // ROUTER_NODE wins over ROUTER; a routed router still leads to a link.
    EXPECT_EQ(r3->router(), r2);
    EXPECT_EQ(r4->router(), mgr->terminalAt(0));
    EXPECT_EQ(r3->getLink(), mgr->terminalAt(0)->getLink());
}

TEST_F(TerminalSectionTest, MissingRouterEndsTheLoad) {
    try {
        load(section("Terminal 1", "COM_TYPE=RS485\nNODE_NR=1\nPORT=COM1:9600\n") +
             section("Terminal 5", "COM_TYPE=RS232\nNODE_NR=5\nROUTER_NODE=9\n"));
        FAIL() << "no exception";
    } catch (const FndException& e) {
        EXPECT_EQ(e.message(), zString("[Term 005] (Terminal 5) Errore fatale: Manca Router (node 9)"));
    }
    EXPECT_TRUE(logged("[Term 005] (Terminal 5) Errore fatale: Manca Router (node 9)"));
}

TEST_F(TerminalSectionTest, RouterByNumberMissing) {
    EXPECT_THROW(load(section("Terminal 5", "COM_TYPE=RS232\nNODE_NR=5\nROUTER=77\n")), FndException);
    EXPECT_TRUE(logged("[Term 005] (Terminal 5) Errore fatale: Manca Router (nr. 77)"));
}

TEST_F(TerminalSectionTest, TerminalCannotRouteThroughItselfOrInACircle) {
    EXPECT_THROW(load(section("Terminal 5", "COM_TYPE=RS232\nNODE_NR=5\nROUTER_NODE=5\n")), FndException);
    EXPECT_TRUE(logged("Manca Router (node 5)"));
    EXPECT_THROW(load(section("Terminal 5", "COM_TYPE=RS232\nNODE_NR=5\nROUTER_NODE=6\n") +
                      section("Terminal 6", "COM_TYPE=RS232\nNODE_NR=6\nROUTER_NODE=5\n")),
                 FndException);
}

TEST_F(TerminalSectionTest, RepeatedSectionGivesOneTerminal) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RS232\nNODE_NR=1\nPORT=COM1:9600\n") +
                     section("Terminal 1", "COM_TYPE=RS232\nNODE_NR=2\nPORT=COM2:9600\n") +
                     section("TERMINAL 1", "COM_TYPE=RS232\nNODE_NR=3\nPORT=COM2:9600\n")));
    // The second header reads the first section; the third differs only in
    // case and names the same terminal.
    ASSERT_EQ(mgr->terminalCount(), 1);
    EXPECT_EQ(mgr->terminalAt(0)->nodeNumber(), 1);
}

TEST_F(TerminalSectionTest, SectionWithoutClosingBracket) {
    ASSERT_TRUE(load(section("Terminal 1", "COM_TYPE=RS232\nNODE_NR=1\nPORT=COM1:9600\n") +
                     "[Terminal 2 Open\nCOM_TYPE=RS232\nNODE_NR=2\nPORT=COM1:9600\n"));
    ASSERT_EQ(mgr->terminalCount(), 2);
    EXPECT_EQ(mgr->terminalAt(1)->name(), zString("Terminal 2 Open"));
}

}  // namespace
