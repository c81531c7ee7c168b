// The XMODEM sender against a receiver written by others: `rx` of lrzsz in
// checksum mode on a pseudo-terminal of its own, joined to the sender's
// pseudo-terminal by a relay that copies bytes both ways.
#include "Eventually.h"
#include "LinkFakes.h"
#include "PtyPair.h"
#include "ToolInstall.h"
#include "zSerialPort.h"
#include "zXmodem.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// True while the process sleeps, that is waits for input. rx answers each
// block and then throws away whatever input it holds; data let through before
// it sleeps again could be thrown away with it, a race a real line's transit
// time never loses.
bool sleeping(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::size_t end = text.rfind(')');
    return end == std::string::npos || end + 2 >= text.size() || text[end + 2] != 'R';
}

// rx's output goes through a pipe, not its terminal: rx flushes its
// terminal as it ends, which on a pseudo-terminal takes back the last ACK
// the relay has not read yet, a byte a real line would already carry.
struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) read = fds[0], write = fds[1];
    }
    ~Pipe() {
        if (read >= 0) ::close(read);
        if (write >= 0) ::close(write);
    }
};

// Copies what the sender's master side reads to the receiver's and what the
// receiver writes back to the sender's until stopped; what goes to the
// receiver waits until the receiver is waiting for it.
class Relay {
public:
    Relay(int a, int toB, int fromB, const std::atomic<pid_t>& receiver)
        : a_(a), b_(toB), fromB_(fromB), receiver_(receiver), thread_([this] { run(); }) {}
    ~Relay() {
        stop_ = true;
        thread_.join();
    }

private:
    // The sender says nothing before the receiver's first NAK, which can
    // arrive before its starter has learnt the process id: hold until then.
    bool receiverWaits() const {
        pid_t pid = receiver_.load();
        return pid > 0 && sleeping(pid);
    }

    void run() {
        char buf[512];
        while (!stop_) {
            bool toB = receiverWaits();
            pollfd p[2] = {{a_, static_cast<short>(toB ? POLLIN : 0), 0}, {fromB_, POLLIN, 0}};
            if (::poll(p, 2, toB ? 20 : 1) <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if (!(p[i].revents & POLLIN)) continue;
                ssize_t n = ::read(p[i].fd, buf, sizeof buf);
                int to = i == 0 ? b_ : a_;
                for (ssize_t done = 0; n > 0 && done < n;) {
                    ssize_t w = ::write(to, buf + done, static_cast<std::size_t>(n - done));
                    if (w <= 0) break;
                    done += w;
                }
            }
        }
    }

    int a_, b_, fromB_;
    const std::atomic<pid_t>& receiver_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class XmodemAgainstRx : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/rx")) GTEST_SKIP() << "rx (lrzsz) is not installed; scripts/setup installs it";
        fs::create_directories(dir);
        log.setListSink(&lines);
        ASSERT_TRUE(port.open()) << port.errorText().c_str();
        port.setSpeed(115200);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Sends `data` to rx (started once the sender waits for it, with the
    // extra options) and returns what rx stored.
    std::string transfer(const std::string& data, std::vector<std::string> rxOptions = {}) {
        std::ofstream(dir / "firmware.bin", std::ios::binary) << data;
        std::thread starter([&] {
            if (dialog.waitUntilShown("Wait XMODEM handshake")) startRx(rxOptions);
        });
        {
            zXmodem sender(port, log, &dialog);
            sent = sender.sendFile((dir / "firmware.bin").c_str());
        }
        starter.join();
        rxExit = waitRx();
        return readFile(dir / "received.bin");
    }

    void startRx(std::vector<std::string> options) {
        std::vector<std::string> args = {"rx", "-q"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back("received.bin");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, rxSide.slave, 0);
        posix_spawn_file_actions_adddup2(&actions, rxOutput.write, 1);
        posix_spawn_file_actions_addopen(&actions, 2, (dir / "rx.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
        pid_t pid = -1;
        if (posix_spawn(&pid, "/usr/bin/rx", &actions, nullptr, argv.data(), environ) == 0) rxPid = pid;
        posix_spawn_file_actions_destroy(&actions);
    }

    // rx may sit out its own time-outs before it ends.
    int waitRx() {
        if (rxPid < 0) return -1;
        int status = 0;
        if (eventually([&] { return waitpid(rxPid, &status, WNOHANG) == rxPid; }, std::chrono::seconds(30)))
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        kill(rxPid, SIGKILL);
        waitpid(rxPid, nullptr, 0);
        return -1;
    }

    static std::string pattern(std::size_t n, unsigned seed) {
        std::string bytes(n, '\0');
        for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 1);
        return bytes;
    }

    fs::path dir = fs::temp_directory_path() / ("xmodem_rx_" + std::to_string(getpid()));
    PtyPair senderSide;
    PtyPair rxSide;
    std::atomic<pid_t> rxPid{-1};
    Pipe rxOutput;
    Relay relay{senderSide.master, rxSide.master, rxOutput.read, rxPid};
    zLogger log{"/dev/null"};
    LogLines lines;
    FakeDialog dialog;
    zSerialPort port{senderSide.path.c_str()};
    bool sent = false;
    int rxExit = -1;
};

}  // namespace

TEST_F(XmodemAgainstRx, ThreeHundredBytesArriveWithTheirZeroPadding) {
    const std::string data = pattern(300, 5);
    std::string received = transfer(data);
    EXPECT_TRUE(sent) << lines.all();
    EXPECT_EQ(rxExit, 0) << readFile(dir / "rx.err");
    EXPECT_EQ(received, data + std::string(84, '\0'));
    EXPECT_EQ(lines.count("Retransmissione"), 0) << lines.all();
}

TEST_F(XmodemAgainstRx, ExactlyTwoBlocksArriveUnpadded) {
    const std::string data = pattern(256, 9);
    EXPECT_EQ(transfer(data), data);
    EXPECT_EQ(lines.count("Timeout"), 0) << lines.all();
    EXPECT_TRUE(sent) << lines.all();
    EXPECT_EQ(rxExit, 0) << readFile(dir / "rx.err");
}

TEST_F(XmodemAgainstRx, BlocksSpoiledOnTheWayAreSentAgainUntilTheyArriveWhole) {
    // Every byte value, through a receiver that spoils what it reads every
    // 700 bytes (each spoiled block costs the receiver a second of quiet).
    const std::string data = pattern(20 * 128 + 77, 0);
    std::string received = transfer(data, {"--errors", "700"});
    EXPECT_TRUE(sent) << lines.all() << readFile(dir / "rx.err");
    EXPECT_EQ(rxExit, 0);
    EXPECT_EQ(received, data + std::string(128 - 77, '\0'));
    EXPECT_GE(lines.count("Retransmissione packeto nr. "), 2) << lines.all();
    EXPECT_TRUE(lines.has(". Ricevuto NAK"));
}
