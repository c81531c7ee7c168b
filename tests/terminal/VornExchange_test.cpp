// The terminal's exchange over a recording link: what reaches the wire.
#include "Vorn.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Keeps what is written; every read is a time-out.
class RecordingLink : public zCommDev {
public:
    RecordingLink() : zCommDev("rec") {}
    bool open(const char*) override { return open_ = true; }
    bool close() override { return !(open_ = false); }
    bool isOpen() const override { return open_; }
    bool write(const void* buffer, std::size_t length, std::size_t& written) override {
        written_.append(static_cast<const char*>(buffer), length);
        ++writes;
        written = length;
        return true;
    }
    bool read(void*, std::size_t, std::size_t& count) override {
        count = 0;
        return false;
    }
    bool hasInput() override { return false; }
    LinkKind kind() const override { return LinkKind::SerialPort; }
    const char* kindName() const override { return "Recording"; }

    std::string written_;
    int writes = 0;
    bool open_ = false;
};

class VornExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        terminal.setLink(&link);
        terminal.setLogger(&log);
        terminal.setLabel("[Term 001]");
    }
    void TearDown() override { std::filesystem::remove(logPath); }
    std::string logText() {
        std::FILE* f = std::fopen(logPath.c_str(), "r");
        std::string text;
        if (!f) return text;
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
        std::fclose(f);
        return text;
    }

    std::string logPath = std::filesystem::temp_directory_path() / ("vx_" + std::to_string(getpid()) + ".log");
    zLogger log{logPath.c_str()};
    RecordingLink link;
    Vorn terminal{VornSettings{.name = "Terminal 1", .nodeNumber = 1, .terminalNumber = 1}};
};

}  // namespace

TEST_F(VornExchangeTest, RequestThatDoesNotFitIsAWriteErrorAndSendsNothing) {
    unsigned char big[600] = {};
    for (bool sendOnly : {false, true}) {
        SCOPED_TRACE(sendOnly);
        TelegramCommand command("EM,SE", TelegramCommand::SendData, big, sizeof big);
        bool ok = sendOnly ? terminal.sendOnly(command) : terminal.sendCommand(command);
        EXPECT_FALSE(ok);
        EXPECT_EQ(terminal.statusCode(), RunError::Write);
        EXPECT_EQ(link.writes, 0);
        EXPECT_TRUE(link.written_.empty());
    }
    EXPECT_NE(logText().find("[Term 001] EM,SE Telegramma troppo lungo"), std::string::npos) << logText();
}

TEST_F(VornExchangeTest, RequestThatFitsIsWritten) {
    unsigned char data[4] = {1, 2, 3, 4};
    TelegramCommand command("EM,SE", TelegramCommand::SendData, data, sizeof data);
    EXPECT_TRUE(terminal.sendOnly(command));
    EXPECT_EQ(link.writes, 1);
    EXPECT_NE(link.written_.find("EM,SE\x02" "01020304"), std::string::npos);
}
