// The modem dialer over a pseudo-terminal, with a small scripted modem on
// the other side: it echoes, answers AT commands with OK, answers each ATD
// with the next scripted result and goes back to commands on "+++".
#include "Eventually.h"
#include "LinkFakes.h"
#include "PtyPair.h"
#include "zModem.h"
#include "zSerialPort.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <poll.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class FakeModem {
public:
    explicit FakeModem(int fd) : fd_(fd), thread_([this] { run(); }) {}
    ~FakeModem() {
        stop_ = true;
        thread_.join();
    }

    // Results of the next dials, in order; "" stays silent. Unscripted dials connect.
    void scriptDials(std::deque<std::string> results) {
        std::lock_guard<std::mutex> hold(mutex_);
        dials_ = std::move(results);
    }
    void setSilent(bool silent) { silent_ = silent; }
    // Talks without pause and without ever ending a line.
    void setChatter(bool on) { chatter_ = on; }

    std::vector<std::string> commands() {
        std::lock_guard<std::mutex> hold(mutex_);
        return commands_;
    }
    int count(const std::string& command) {
        int n = 0;
        for (const auto& c : commands()) n += c == command;
        return n;
    }
    std::string received() {
        std::lock_guard<std::mutex> hold(mutex_);
        return received_;
    }
    // When each received byte arrived.
    std::vector<Clock::time_point> arrivals() {
        std::lock_guard<std::mutex> hold(mutex_);
        return arrivals_;
    }
    bool online() const { return online_; }

private:
    void send(const std::string& bytes) {
        if (!bytes.empty() && ::write(fd_, bytes.data(), bytes.size()) < 0) ADD_FAILURE() << "fake modem write";
    }

    void commandLine(const std::string& line) {
        if (line.empty()) return;
        std::string dialResult = "CONNECT";
        {
            std::lock_guard<std::mutex> hold(mutex_);
            commands_.push_back(line);
            if (line.rfind("ATD", 0) == 0 && !dials_.empty()) {
                dialResult = dials_.front();
                dials_.pop_front();
            }
        }
        if (silent_) return;
        if (line.rfind("ATD", 0) == 0) {
            if (dialResult.empty()) return;
            online_ = dialResult == "CONNECT";
            send("\r\n" + dialResult + "\r\n");
            return;
        }
        if (line.rfind("ATH", 0) == 0) online_ = false;
        send("\r\nOK\r\n");
    }

    void take(char c) {
        if (online_) {
            plusses_ = c == '+' ? plusses_ + 1 : 0;
            if (plusses_ == 3) {
                plusses_ = 0;
                escaped_ = true;
                online_ = false;
                send("\r\nOK\r\n");
            }
            return;
        }
        if (!silent_) send(std::string(1, c));
        if (c == '\r') {
            commandLine(line_);
            line_.clear();
        } else if (c != '\n') {
            line_.push_back(c);
        }
    }

    void run() {
        while (!stop_) {
            if (chatter_) send(std::string(64, 'x'));
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, chatter_ ? 1 : 10) <= 0 || !(p.revents & POLLIN)) continue;
            char buf[256];
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) continue;
            auto now = Clock::now();
            {
                std::lock_guard<std::mutex> hold(mutex_);
                received_.append(buf, static_cast<std::size_t>(n));
                arrivals_.insert(arrivals_.end(), static_cast<std::size_t>(n), now);
            }
            for (ssize_t i = 0; i < n; ++i) take(buf[i]);
        }
    }

    int fd_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> silent_{false};
    std::atomic<bool> chatter_{false};
    std::atomic<bool> online_{false};
    bool escaped_ = false;
    int plusses_ = 0;
    std::string line_;
    std::mutex mutex_;
    std::deque<std::string> dials_;
    std::vector<std::string> commands_;
    std::string received_;
    std::vector<Clock::time_point> arrivals_;
    std::thread thread_;
};


class ModemPty : public ::testing::Test {
protected:
    void SetUp() override {
        log.setListSink(&lines);
        port.setLogger(&log);
        ASSERT_TRUE(port.open()) << port.errorText().c_str();
        modem = std::make_unique<zModem>(port, log);
    }
    void TearDown() override { modem.reset(); }

    // Dial parameters that keep the tests short: no pause, 1 s wait, 200 ms per command.
    bool dial(const char* number, int retries = 0, int waitSeconds = 2) {
        return modem->dial("[Term 005]", number, 0, retries, waitSeconds, 200);
    }

    PtyPair pty;
    FakeModem fake{pty.master};
    zLogger log{"/dev/null"};
    LogLines lines;
    zSerialPort port{pty.path.c_str()};
    std::unique_ptr<zModem> modem;
};

}  // namespace

TEST_F(ModemPty, CommandLogsEchoAndOkOrTheReasonItFailed) {
    modem->setCommandTimeoutMs(200);
    EXPECT_TRUE(modem->command("AT&F", true));
    EXPECT_TRUE(lines.has(" Modem: AT&F->AT&F...OK..")) << lines.all();
    EXPECT_EQ(fake.commands().back(), "AT&F");

    fake.setSilent(true);
    EXPECT_FALSE(modem->command("ATS0=0\r\n", true));
    EXPECT_TRUE(lines.has(" Errore Modem: no echo ATS0=0 -> ")) << lines.all();
    // Without OK required the same silence is no failure and no log line.
    std::size_t before = lines.lines.size();
    EXPECT_TRUE(modem->command("ATX", false));
    EXPECT_EQ(lines.lines.size(), before);
}

TEST_F(ModemPty, ADeviceThatNeverStopsTalkingDoesNotHoldACommand) {
    modem->setCommandTimeoutMs(200);
    fake.setSilent(true);
    fake.setChatter(true);
    auto start = Clock::now();
    EXPECT_FALSE(modem->command("AT", true));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
    fake.setChatter(false);
}

TEST_F(ModemPty, TildesArePausesAndAreNotSent) {
    auto start = Clock::now();
    modem->command("~+++~ATH0\r", false);
    ASSERT_TRUE(eventually([&] { return fake.received() == "+++ATH0\r"; })) << fake.received();
    // A byte arrives after it was written, so these bounds hold however late
    // the fake modem gets to read.
    auto at = fake.arrivals();
    EXPECT_GE(at[0] - start, std::chrono::milliseconds(100));  // one pause before the first '+'
    EXPECT_GE(at[3] - start, std::chrono::milliseconds(200));  // another before "ATH0"
    // "+++" is one burst: it is read at once, never split by a pause.
    EXPECT_EQ(at[2], at[0]);
    EXPECT_EQ(at[7], at[3]);
}

TEST_F(ModemPty, InitStringDecidesTheMandatorySettingsAndTheC0Warning) {
    modem->setStrings("AT&C0", "ATZ");
    ASSERT_TRUE(dial("0123"));
    EXPECT_EQ(fake.count("ATZ"), 1);
    EXPECT_EQ(fake.count("AT&C0"), 1);
    EXPECT_EQ(fake.count("ATE1"), 1);
    EXPECT_EQ(fake.count("ATQ0"), 1);
    EXPECT_EQ(fake.count("ATV1"), 1);
    EXPECT_TRUE(lines.has("[Term 005] WARNING: '&C0' in init string (Must make shure DCD follows line carrier) "));
    // The settings follow the reset and the init string, the dial comes last.
    auto cmds = fake.commands();
    EXPECT_EQ(cmds.back(), "ATD0123");
    ASSERT_TRUE(modem->hangUp());

    fake.scriptDials({});
    modem->setStrings("ATE1Q0V1", "");
    ASSERT_TRUE(dial("0123"));
    EXPECT_EQ(fake.count("ATE1"), 1);  // still only the one from before
    EXPECT_EQ(fake.count("ATQ0"), 1);
    EXPECT_EQ(fake.count("ATZ"), 1);   // an empty reset string sends nothing
    EXPECT_EQ(lines.count("'&C0'"), 1);
}

TEST_F(ModemPty, ConnectAttachesTheModemAndTheSameNumberReusesTheCall) {
    ASSERT_TRUE(dial("0123"));
    EXPECT_TRUE(modem->isConnected());
    EXPECT_EQ(modem->currentNumber(), zString("0123"));
    EXPECT_EQ(port.attachedModem(), modem.get());
    EXPECT_TRUE(lines.has("[Term 005] Chiamata Modem: 0123"));
    // A late echo of the LF after "ATV1\r\n" may come first.
    EXPECT_TRUE(lines.has("[Term 005] Modem collegato: ")) << lines.all();
    EXPECT_TRUE(lines.has("ATD0123...CONNECT..")) << lines.all();
    // No modem lines here: said once, and the dialogue tells the call state.
    EXPECT_FALSE(port.hasModemLines());
    EXPECT_EQ(lines.count("senza linee CTS/DCD"), 1);

    ASSERT_TRUE(modem->dial("[Term 006]", "0123", 0, 0, 2, 200));
    EXPECT_EQ(fake.count("ATD0123"), 1);

    // Another number: the call is hung up with the escape and dialled anew.
    ASSERT_TRUE(modem->dial("[Term 007]", "0456", 0, 0, 2, 200));
    EXPECT_EQ(fake.count("ATH0"), 1);
    EXPECT_EQ(fake.count("ATD0456"), 1);
    EXPECT_EQ(modem->currentNumber(), zString("0456"));
}

TEST_F(ModemPty, BusyIsRetriedAndRetryZeroTakesTheTerminalsRetries) {
    fake.scriptDials({"BUSY", "BUSY", "BUSY"});
    EXPECT_FALSE(dial("0123", 2));
    EXPECT_EQ(fake.count("ATD0123"), 3);
    EXPECT_EQ(modem->retryCount(), 2);
    EXPECT_EQ(lines.count("[Term 005] Modem non risponde: BUSY"), 3);
    EXPECT_TRUE(lines.has("[Term 005] Pause 0 sec - Retry 01"));
    EXPECT_TRUE(lines.has("[Term 005] Pause 0 sec - Retry 02"));
    EXPECT_FALSE(lines.has("Retry 03"));
    EXPECT_EQ(lines.count("[Term 005] Errore collegamento Modem: "), 3) << lines.all();
    EXPECT_EQ(lines.count("ATD0123...BUSY.."), 3) << lines.all();
    EXPECT_FALSE(modem->isConnected());
    EXPECT_EQ(port.attachedModem(), nullptr);

    // A retry count of its own wins over the terminal's.
    fake.scriptDials({"NO CARRIER", "CONNECT"});
    modem->setRetryCount(1);
    EXPECT_TRUE(dial("0123", 5));
    EXPECT_EQ(fake.count("ATD0123"), 5);
    EXPECT_TRUE(lines.has("[Term 005] Modem non risponde: NO CARRIER"));
}

TEST_F(ModemPty, NoAnswerWithinTheConnectWaitFails) {
    fake.scriptDials({""});
    auto start = Clock::now();
    EXPECT_FALSE(dial("0123", 0, 1));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3500));
    EXPECT_TRUE(lines.has("[Term 005] Errore collegamento Modem: ")) << lines.all();
    EXPECT_TRUE(lines.has("ATD0123.")) << lines.all();
    EXPECT_FALSE(modem->interrupted());
    // The lone CR that aborts the dial followed it.
    EXPECT_TRUE(eventually([&] {
        std::string got = fake.received();
        return got.size() > 9 && got.substr(got.size() - 9) == "ATD0123\r\r";
    })) << fake.received();
}

TEST_F(ModemPty, OperatorInterruptsTheDialThroughTheDialog) {
    FakeDialog dialog;
    dialog.stopAtPump = 1;
    modem->setBreakDialog(&dialog);
    fake.scriptDials({""});
    EXPECT_FALSE(dial("0123", 3, 30));
    EXPECT_TRUE(modem->interrupted());
    EXPECT_TRUE(lines.has("[Term 005] Chiamata modem interrota dall'utente"));
    EXPECT_FALSE(lines.has("Errore collegamento Modem"));
    EXPECT_EQ(dialog.caption, "[Term 005] Modem: 0123");
    EXPECT_EQ(dialog.barRange, 30);
    EXPECT_EQ(dialog.barColour, 0xFF0000u);
    EXPECT_EQ(dialog.opens, 1);
    EXPECT_EQ(dialog.closes, 1);
    ASSERT_GE(dialog.lines.size(), 2u);
    EXPECT_EQ(dialog.lines[0], "[Term 005] Chiamata Modem: 0123");
    EXPECT_EQ(dialog.lines[1], "ATD0123");

    // The next dial starts afresh. Once it is connected the fake modem has
    // read everything before it: one call each, no retry after the interruption.
    dialog.stopAtPump = 0;
    EXPECT_TRUE(dial("0123"));
    EXPECT_FALSE(modem->interrupted());
    EXPECT_EQ(dialog.closes, 2);
    EXPECT_EQ(fake.count("ATD0123"), 2);
}

TEST_F(ModemPty, NoCarrierOnTheLineEndsTheCallOnce) {
    ASSERT_TRUE(dial("0123"));
    modem->noteReceived("junk");
    EXPECT_TRUE(modem->isLineUp());
    modem->noteReceived(std::string_view("\x01\r\nNO CARRIER\r\n", 15));
    EXPECT_FALSE(modem->isLineUp());
    EXPECT_FALSE(modem->isLineUp());
    EXPECT_EQ(lines.count("[Term 005] Errore Modem " + pty.path + ": Linea Caduta !!!!"), 1) << lines.all();
    EXPECT_FALSE(modem->isConnected());

    // Nothing is left to escape from: the hang-up sends no "+++".
    EXPECT_TRUE(modem->hangUp());
    EXPECT_EQ(fake.received().find("+++"), std::string::npos);
    EXPECT_EQ(port.attachedModem(), nullptr);
    EXPECT_TRUE(modem->currentNumber().isEmpty());
}

TEST_F(ModemPty, SilentModemIsReportedAbsentAndClosedPortRefusesToDial) {
    fake.setSilent(true);
    EXPECT_FALSE(dial("0123"));
    EXPECT_TRUE(lines.has("[Term 005] No OK on " + pty.path + ": Modem sembra spento o non collegato!")) << lines.all();
    EXPECT_EQ(fake.count("ATD0123"), 0);

    port.close();
    EXPECT_FALSE(dial("0123"));
    EXPECT_FALSE(modem->hangUp());
}

TEST_F(ModemPty, DestroyingTheModemHangsUpACallStillUp) {
    ASSERT_TRUE(dial("0123"));
    ASSERT_TRUE(fake.online());
    modem.reset();
    EXPECT_TRUE(eventually([&] { return !fake.online() && fake.count("ATH0") == 1; })) << fake.received();
    EXPECT_EQ(port.attachedModem(), nullptr);
}
