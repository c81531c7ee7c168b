// The stored files of the newer models as the terminal layer reads them:
// the "@DIR" listing and the "@TYPE" dumps, against a terminal whose far end
// is a script. Its pauses are recorded, not waited, so the pacing is checked
// line by line.
#include "StoredFiles.h"
#include "TextFile.h"
#include "Vorn.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kEnd[] = "\x04";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A terminal whose answers come from a script: each entry is one message,
// or nothing (a read that times out). What it writes, reads and waits is
// traced in order.
class ScriptedTerminal : public Vorn {
public:
    explicit ScriptedTerminal(VornSettings settings) : Vorn(std::move(settings)) {}

    void idle(int ms) override { trace.push_back("pause " + std::to_string(ms)); }

    std::deque<std::optional<std::string>> script;
    std::vector<std::string> trace;
    bool writeFails = false;
    // Once the script is used up: another message each read.
    std::optional<std::string> forever;

protected:
    bool writeTelegram(const char* text) override {
        trace.push_back(std::string("> ") + text);
        if (writeFails) status_ = RunError::Write;
        return !writeFails;
    }
    bool readTelegram(char* buffer, std::size_t size) override {
        std::optional<std::string> message = forever;
        if (!script.empty()) {
            message = script.front();
            script.pop_front();
        }
        if (!message) {
            trace.push_back("quiet");
            status_ = RunError::Timeout;
            return false;
        }
        trace.push_back("< " + *message);
        std::size_t n = std::min(message->size(), size);
        std::memcpy(buffer, message->data(), n);
        buffer[n] = '\0';
        status_ = RunError::None;
        return true;
    }
};

class StoredFilesTest : public ::testing::Test {
protected:
    StoredFilesTest() {
        VornSettings s;
        s.name = "Terminal 1";
        s.nodeNumber = 1;
        s.terminalNumber = 1;
        s.model = TerminalModel::VornT3;
        s.comTimeout = 3;  // pauses of 3 x 500, 3 x 200 ms ...
        s.maxRetry = 1;    // ... and two reading passes
        terminal = std::make_unique<ScriptedTerminal>(s);
        terminal->setLabel("[Term 001]");
        terminal->setLogger(&log);
    }
    void TearDown() override { std::filesystem::remove(logPath); }

    std::vector<std::string> listing(bool& ended, bool& written) {
        std::vector<std::string> lines;
        written = terminal->listStoredFiles([&](const char* line) { lines.emplace_back(line); }, ended);
        return lines;
    }
    void answer(std::initializer_list<std::optional<std::string>> messages) {
        terminal->script.insert(terminal->script.end(), messages.begin(), messages.end());
    }
    // The lines of one typed file, read until the dump says the file ended
    // or stopped; each line taken as a record.
    std::vector<std::string> typeOut(StoredFileDump& dump, const char* name, int announced,
                                     StoredFileDump::Next& last) {
        std::vector<std::string> lines;
        EXPECT_TRUE(dump.type(name, announced));
        char line[kStoredLineSize + 1];
        while ((last = dump.next(line)) == StoredFileDump::Next::Line) {
            lines.emplace_back(line);
            dump.taken();
        }
        return lines;
    }

    std::string logPath = std::filesystem::temp_directory_path() / ("stored_" + std::to_string(getpid()) + ".log");
    zLogger log{zString(logPath.c_str())};
    std::unique_ptr<ScriptedTerminal> terminal;
};

using Trace = std::vector<std::string>;

}  // namespace

TEST_F(StoredFilesTest, ListingHandsEachLineWithItsPauseUntilTheEndOfTransfer) {
    answer({"DIR", "0502.PRE 1", "0503.PRE 3", kEnd, "NEVER READ"});
    bool ended = false, written = false;
    auto lines = listing(ended, written);
    EXPECT_TRUE(written);
    EXPECT_TRUE(ended);
    EXPECT_EQ(lines, (std::vector<std::string>{"DIR", "0502.PRE 1", "0503.PRE 3"}));
    EXPECT_EQ(terminal->trace, (Trace{"> @DIR", "pause 1500", "< DIR", "pause 600", "< 0502.PRE 1", "pause 600",
                                      "< 0503.PRE 3", "pause 600", std::string("< ") + kEnd}));
}

TEST_F(StoredFilesTest, ListingThatFallsQuietHasNoEnd) {
    answer({"0502.PRE 1", std::nullopt, kEnd});
    bool ended = true, written = false;
    auto lines = listing(ended, written);
    EXPECT_TRUE(written);
    EXPECT_FALSE(ended);
    EXPECT_EQ(lines, (std::vector<std::string>{"0502.PRE 1"}));
}

TEST_F(StoredFilesTest, EndlessListingStopsAtTheLinesAListingCanHold) {
    terminal->forever = "0101.PRE 1";
    bool ended = true, written = false;
    auto lines = listing(ended, written);
    EXPECT_FALSE(ended);
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kMaxListingLines));
}

TEST_F(StoredFilesTest, ListingThatCannotBeAskedReadsNothing) {
    terminal->writeFails = true;
    answer({"0502.PRE 1", kEnd});
    bool ended = true, written = true;
    auto lines = listing(ended, written);
    EXPECT_FALSE(written);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(terminal->statusCode(), RunError::Write);
    EXPECT_EQ(terminal->trace, (Trace{"> @DIR"}));
}

TEST_F(StoredFilesTest, DumpPacesTheFirstFileLongerAndEachRecordItsPause) {
    answer({"0800107000000011", kEnd, "0801107000000021", "0802107000000022", kEnd});
    StoredFileDump dump(*terminal, 2, 3);
    StoredFileDump::Next last{};
    EXPECT_EQ(typeOut(dump, "0502.PRE", 1, last), (std::vector<std::string>{"0800107000000011"}));
    EXPECT_EQ(last, StoredFileDump::Next::FileEnd);
    // The first file: 3 x 1000 ms, a tenth after the request, a twentieth per record.
    EXPECT_EQ(terminal->trace, (Trace{"> @TYPE 0502.PRE", "pause 300", "< 0800107000000011", "pause 150",
                                      std::string("< ") + kEnd}));
    terminal->trace.clear();
    EXPECT_EQ(typeOut(dump, "0503.PRE", 2, last).size(), 2u);
    // The others: 3 x 500 ms.
    EXPECT_EQ(terminal->trace, (Trace{"> @TYPE 0503.PRE", "pause 150", "< 0801107000000021", "pause 75",
                                      "< 0802107000000022", "pause 75", std::string("< ") + kEnd}));
    EXPECT_TRUE(contains(readFile(logPath), " @TYPE 0503.PRE"));
}

TEST_F(StoredFilesTest, EchoesOfTheRequestAreWaitedOutUpToFour) {
    answer({"@TYPE 0502.PRE", "@TYPE 0502.PRE", "0800107000000011", "@TYPE 0502.PRE", "@TYPE 0502.PRE",
            "@TYPE 0502.PRE", kEnd});
    StoredFileDump dump(*terminal, 1, 2);
    StoredFileDump::Next last{};
    // The fifth echo is no echo any more: it counts as the file's second line.
    EXPECT_EQ(typeOut(dump, "0502.PRE", 2, last), (std::vector<std::string>{"0800107000000011", "@TYPE 0502.PRE"}));
    EXPECT_EQ(last, StoredFileDump::Next::FileEnd);
    EXPECT_EQ(std::count(terminal->trace.begin(), terminal->trace.end(), "pause 100"), 4);
}

TEST_F(StoredFilesTest, AQuietTerminalGetsItsFurtherPassesThenTheFileEnds) {
    answer({"0800107000000011", std::nullopt, "0801107000000012", std::nullopt});
    StoredFileDump dump(*terminal, 1, 2);
    StoredFileDump::Next last{};
    EXPECT_EQ(typeOut(dump, "0502.PRE", 2, last).size(), 2u);
    EXPECT_EQ(last, StoredFileDump::Next::FileEnd);
    // Half the file's pause after each quiet pass, the last one included.
    EXPECT_EQ(terminal->trace,
              (Trace{"> @TYPE 0502.PRE", "pause 300", "< 0800107000000011", "pause 150", "quiet", "pause 1500",
                     "< 0801107000000012", "pause 150", "quiet", "pause 1500"}));
}

TEST_F(StoredFilesTest, MoreLinesThanAnnouncedStopTheDump) {
    terminal->forever = "0800107000000011";
    StoredFileDump dump(*terminal, 1, 2);
    StoredFileDump::Next last{};
    EXPECT_EQ(typeOut(dump, "0502.PRE", 2, last).size(), 2u);
    EXPECT_EQ(last, StoredFileDump::Next::Stop);
    EXPECT_EQ(dump.failure(), RunError::BadTelegram);
    EXPECT_TRUE(contains(readFile(logPath), "[Term 001] @TYPE 0502.PRE: piu' righe delle 2 annunciate, download interrotto"));
}

TEST_F(StoredFilesTest, ARequestThatCannotBeWrittenReadsNothing) {
    terminal->writeFails = true;
    StoredFileDump dump(*terminal, 1, 1);
    EXPECT_FALSE(dump.type("0502.PRE", 1));
    EXPECT_EQ(terminal->trace, (Trace{"> @TYPE 0502.PRE"}));
}

TEST_F(StoredFilesTest, ATerminalOffTheNewerLinksTakesNoParameterQueries) {
    EXPECT_EQ(terminal->parameter(23), 0);
    zString start, length;
    EXPECT_FALSE(terminal->badgeFormat(start, length));
    EXPECT_EQ(terminal->badgeLayout().company.position, 4);
    EXPECT_EQ(terminal->badgeLayout().employee.length, 6);
    EXPECT_TRUE(terminal->trace.empty());
}
