// The concentrator driver on a pseudo-terminal, the test playing the
// concentrator: how the port is opened and set up, and which device each
// port name reaches, through the tool's binding as well.
#include "OpenRecorder.h"
#include "RLX40C.h"
#include "Rlx40.h"
#include "crc16.h"
#include "zSerialPort.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr char STX = 0x02, ETX = 0x03;
constexpr int kSpeedCode = 2;
constexpr int kOpened = 1;

std::string frame(char kind, int node, const std::string& payload) {
    char head[8];
    std::snprintf(head, sizeof head, "%c%02d%03zu", kind, node, payload.size());
    std::string body = head + payload;
    char check[8];
    std::snprintf(check, sizeof check, "%04x", fnd::crc16(body.data(), body.size()));
    return std::string(1, STX) + body + check + ETX;
}

// Answers the driver's opening request as a concentrator does, once.
class Concentrator {
public:
    Concentrator() {
        termios raw{};
        cfmakeraw(&raw);
        char name[128] = {};
        if (openpty(&master_, &slave_, name, &raw, nullptr) != 0) ADD_FAILURE() << "openpty failed";
        path = name;
        // Only the driver's own descriptor stays open on the line.
        ::close(slave_);
        thread_ = std::thread([this] { serve(); });
    }
    ~Concentrator() {
        stop_ = true;
        thread_.join();
        ::close(master_);
    }

    std::string path;

private:
    void serve() {
        std::string request;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
            char buf[256];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) continue;
            request.append(buf, static_cast<std::size_t>(n));
            if (request.find(ETX) == std::string::npos) continue;
            if (request.size() > 1 && request[1] == 'I') {
                std::string answer = frame('I', 0, "OK");
                if (::write(master_, answer.data(), answer.size()) != static_cast<ssize_t>(answer.size())) return;
            }
            request.clear();
        }
    }

    int master_ = -1, slave_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class Driver : public ::testing::Test {
protected:
    void SetUp() override { forgetDeviceOpens(); }
    void TearDown() override {
        ResetR40();
        unsetenv("RLX40C_COM3");
    }

    // The last open of path, or none.
    static DeviceOpen lastOpenOf(const std::string& path) {
        DeviceOpen found;
        for (const auto& o : deviceOpens())
            if (o.path == path) found = o;
        return found;
    }
};

}  // namespace

TEST_F(Driver, ThePortIsOpenedWithoutWaitingForCarrierAndThenBlocksAgain) {
    Concentrator concentrator;
    setenv("RLX40C_COM3", concentrator.path.c_str(), 1);
    ASSERT_EQ(InitR40(3, kSpeedCode, 254, 0), kOpened);

    DeviceOpen opened = lastOpenOf(concentrator.path);
    ASSERT_GE(opened.fd, 0) << "the driver did not open " << concentrator.path;
    EXPECT_NE(opened.flags & O_NONBLOCK, 0) << "an open that waits for carrier";
    EXPECT_EQ(fcntl(opened.fd, F_GETFL) & O_NONBLOCK, 0) << "left non-blocking after the set-up";
    termios line{};
    ASSERT_EQ(tcgetattr(opened.fd, &line), 0);
    EXPECT_NE(line.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B19200));
}

TEST_F(Driver, TheBindingHandsTheDriverEveryDigitOfTheName) {
    EXPECT_EQ(zSerialPort::comNumber("COM10"), 10);
    EXPECT_EQ(zSerialPort::comNumber("com123"), 123);
    EXPECT_EQ(zSerialPort::comNumber("/dev/ttyUSB0"), 0);

    zSerialPort port(zString("COM10"));
    std::shared_ptr<Rlx40> binding = Rlx40::instance(&port);
    EXPECT_EQ(binding->portNumber(), 10);
    binding->initialise();
    binding.reset();
    Rlx40::releaseIfUnused();
    ASSERT_FALSE(deviceOpens().empty());
    EXPECT_EQ(deviceOpens().front().path, "/dev/ttyS9");
}
