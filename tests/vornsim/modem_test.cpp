#include "HayesModem.h"
#include "TimeCode.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace vornsim;
using namespace std::chrono_literals;

namespace {

struct ModemRig {
    explicit ModemRig(HayesModem::Config c = {}) : modem(c) {}
    std::string send(const std::string& bytes) {
        HayesModem::Output out;
        modem.receive(bytes, now, out);
        terminals += out.toTerminals;
        return out.toLine;
    }
    std::string wait(std::chrono::milliseconds d) {
        now += d;
        HayesModem::Output out;
        modem.tick(now, out);
        return out.toLine;
    }
    HayesModem modem;
    HayesModem::Clock::time_point now{} ;
    std::string terminals;
};

}  // namespace

TEST(HayesModem, CommandDialogueEchoAndResultCodes) {
    ModemRig rig;
    EXPECT_EQ(rig.send("ATZ\r"), "ATZ\r\r\nOK\r\n");
    EXPECT_EQ(rig.send("AT&C1S0=2\r"), "AT&C1S0=2\r\r\nOK\r\n");
    EXPECT_EQ(rig.send("ATE0\r"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(rig.send("ATV0\r"), "0\r") << "no echo, numeric result";
    EXPECT_EQ(rig.send("HELLO\r"), "4\r");
    EXPECT_EQ(rig.send("ATE1V1Q1\r"), "") << "typed without echo, answered quietly";
    EXPECT_EQ(rig.send("ATQ0\r"), "ATQ0\r\r\nOK\r\n");
}

TEST(HayesModem, DialConnectsAndCarriesTerminalBytesUntilEscapeAndHangUp) {
    HayesModem::Config c;
    c.baud = 9600;
    ModemRig rig(c);
    EXPECT_EQ(rig.send("ATDT 0123 456\r"), "ATDT 0123 456\r");
    EXPECT_EQ(rig.modem.mode(), HayesModem::Mode::Dialling);
    EXPECT_EQ(rig.wait(50ms), "");
    EXPECT_EQ(rig.wait(60ms), "\r\nCONNECT 9600\r\n");
    EXPECT_TRUE(rig.modem.online());

    rig.now += 10ms;
    EXPECT_EQ(rig.send("abc+de"), "");
    EXPECT_EQ(rig.terminals, "abc+de") << "a '+' inside data is data";
    rig.now += 100ms;
    EXPECT_EQ(rig.send("+++"), "\r\nOK\r\n");
    EXPECT_FALSE(rig.modem.online());
    EXPECT_EQ(rig.send("ATO\r"), "ATO\r\r\nCONNECT\r\n") << "back online, the call is still up";
    rig.now += 100ms;
    rig.send("+++");
    EXPECT_EQ(rig.send("ATH0\r"), "ATH0\r\r\nOK\r\n");
    EXPECT_EQ(rig.send("ATO\r"), "ATO\r\r\nNO CARRIER\r\n");
}

TEST(HayesModem, BusyThenNoCarrierThenConnect) {
    HayesModem::Config c;
    c.busyCalls = 1;
    c.failedCalls = 1;
    ModemRig rig(c);
    rig.send("ATD1\r");
    EXPECT_EQ(rig.wait(200ms), "\r\nBUSY\r\n");
    rig.send("ATD1\r");
    EXPECT_EQ(rig.wait(200ms), "\r\nNO CARRIER\r\n");
    rig.send("ATD1\r");
    EXPECT_EQ(rig.wait(200ms), "\r\nCONNECT\r\n");

    HayesModem::Output out;
    rig.modem.dropCarrier(rig.now, out);
    EXPECT_EQ(out.toLine, "\r\nNO CARRIER\r\n");
    EXPECT_EQ(rig.modem.mode(), HayesModem::Mode::Command);

    rig.send("ATD1\r");
    EXPECT_EQ(rig.send("\r"), "\r\nNO CARRIER\r\n") << "a byte during the dial aborts it";
}

TEST(HayesModem, DroppedCallSaysNoCarrierAfterTheDropDelay) {
    HayesModem::Config c;
    c.connectDelayMs = 10;
    c.dropDelayMs = 2300;
    ModemRig rig(c);
    rig.send("ATD1\r");
    EXPECT_EQ(rig.wait(20ms), "\r\nCONNECT\r\n");

    HayesModem::Output out;
    rig.modem.dropCarrier(rig.now, out);
    EXPECT_EQ(out.toLine, "");
    EXPECT_EQ(rig.modem.nextDeadline(), rig.now + 2300ms);
    rig.send("to the terminal");
    EXPECT_EQ(rig.terminals, "") << "the far end is gone";
    EXPECT_EQ(rig.wait(2299ms), "");
    EXPECT_TRUE(rig.modem.online());
    EXPECT_EQ(rig.wait(1ms), "\r\nNO CARRIER\r\n");
    EXPECT_EQ(rig.modem.mode(), HayesModem::Mode::Command);
    EXPECT_FALSE(rig.modem.nextDeadline());
}

TEST(HayesModem, TimeServiceSendsTimeCodeLines) {
    HayesModem::Config c;
    c.timeServiceNumber = "0 11-22";
    c.timeServiceIntervalMs = 100;
    c.timeServiceJunkLines = 1;
    ModemRig rig(c);
    rig.send("ATDT01122\r");
    EXPECT_EQ(rig.wait(100ms), "\r\nCONNECT\r\n");
    EXPECT_EQ(rig.modem.mode(), HayesModem::Mode::TimeService);
    std::string junk = rig.wait(100ms);
    EXPECT_NE(junk.size(), 80u);
    std::string line = rig.wait(100ms);
    ASSERT_EQ(line.size(), 80u);
    EXPECT_EQ(line[77], '*');
    EXPECT_EQ(line.back(), '\n');
    rig.send("to nowhere");
    EXPECT_TRUE(rig.terminals.empty()) << "nothing reaches the terminals on a time-service call";
}

TEST(TimeCode, FieldPositions) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 13;  // a Sunday
    t.tm_hour = 9;
    t.tm_min = 8;
    t.tm_sec = 7;
    t.tm_isdst = -1;
    std::string line = timeCodeLine(std::mktime(&t));
    ASSERT_EQ(line.size(), 80u);
    EXPECT_EQ(line.substr(0, 4), "2026");
    EXPECT_EQ(line.substr(5, 2), "12");
    EXPECT_EQ(line.substr(8, 2), "13");
    EXPECT_EQ(line.substr(14, 2), "08");
    EXPECT_EQ(line.substr(17, 2), "07");
    EXPECT_EQ(line[25], '7');
    EXPECT_EQ(line.substr(45, 2), "09");
    EXPECT_EQ(line[77], '*');
    EXPECT_EQ(line[79], '\n');
}
