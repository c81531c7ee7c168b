// -ei against a terminal that never ends its information list: the list is
// read as far as the terminal's own employee count, or a stated maximum when
// the count cannot be read, and the operator's stop ends it with 106.
#include "JobOutcome.h"
#include "EmployeeCommands.h"
#include "LittleEndian.h"
#include "TextFile.h"
#include "TransactionRecords.h"
#include "InProcessRun.h"
#include "Vorn.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A VORN-L that counts `employees` (or cannot count) and answers every
// "EI,GN,0" with another record; only a safety stop far beyond any bound
// under test ends it, so that a missing bound fails instead of hanging.
class EndlessInformation : public Vorn {
public:
    static constexpr int kSafetyStop = 200000;

    EndlessInformation(int employees, bool counts) : Vorn(settingsOf()), employees_(employees), counts_(counts) {}

    bool sendCommand(TelegramCommand& command, bool) override {
        requests.emplace_back(command.text);
        status_ = RunError::None;
        std::string text = command.text;
        if (text == "EM,CO") {
            if (!counts_) return refuse();
            putLe16(command.data, static_cast<std::uint16_t>(employees_));
            return answer(command);
        }
        if (text == "EI,RI") return true;
        if (text == "EI,GF,0" || text == "EI,GN,0") {
            if (++records_ > kSafetyStop) return refuse();
            std::memset(command.data, 0, static_cast<std::size_t>(command.dataLength));
            std::strcpy(reinterpret_cast<char*>(command.data), "DIPENDENTE");
            putLe32(command.data + EmployeeStatusRecord::kNameLength, static_cast<std::uint32_t>(records_));
            return answer(command);
        }
        return refuse();
    }
    std::string_view replyData() const override { return replyData_; }

    int informationRequests() const {
        int n = 0;
        for (const auto& r : requests) n += r == "EI,GF,0" || r == "EI,GN,0";
        return n;
    }

    std::vector<std::string> requests;

private:
    static VornSettings settingsOf() {
        VornSettings s;
        s.name = "Terminal 7";
        s.nodeNumber = 7;
        s.model = TerminalModel::VornL;
        return s;
    }
    bool refuse() {
        status_ = RunError::TerminalWarning;
        replyData_.clear();
        return false;
    }
    // The reply's data as the wire carries it: two hexadecimal digits a byte.
    bool answer(const TelegramCommand& command) {
        replyData_.clear();
        char digits[3];
        for (int i = 0; i < command.dataLength; ++i) {
            std::snprintf(digits, sizeof digits, "%02X", command.data[i]);
            replyData_ += digits;
        }
        return true;
    }

    int employees_;
    bool counts_;
    int records_ = 0;
    std::string replyData_;
};

class StoppingDialog : public SilentDialog {
public:
    bool pump() override { return ++pumps == stopAtPump; }
    int stopAtPump = 0;  // 0: the operator never stops
    int pumps = 0;
};

class EmployeeInformation : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(logPath); }

    bool run(Vorn& terminal) {
        terminal.setLogger(&inProcess.log);
        terminal.setLabel("[Term 007]");
        CMDARG_C job;
        job.terminal = &terminal;
        job.id = CommandId::EmployeeInformation;
        job.run = &context;
        employeeInformationCommand(job);
        bool ok = outcomeOf(job) == RunError::None;
        count = job.count;
        result = job.result;
        return ok;
    }

    std::string logPath = std::filesystem::temp_directory_path() / ("ei_" + std::to_string(getpid()) + ".log");
    InProcessRun inProcess{logPath};
    StoppingDialog dialog;
    RunContext context{inProcess.log,     inProcess.manager, inProcess.parameters, inProcess.settings,
                       dialog,            inProcess.info,    inProcess.state};
    int count = -1;
    RunError result = RunError::None;
};

}  // namespace

TEST_F(EmployeeInformation, AnEndlessListIsReadAsFarAsTheTerminalsCount) {
    EndlessInformation terminal(3, true);
    EXPECT_TRUE(run(terminal));
    EXPECT_EQ(terminal.requests,
              (std::vector<std::string>{"EM,CO", "EI,RI", "EI,GF,0", "EI,GN,0", "EI,GN,0"}));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(result, RunError::None);
}

TEST_F(EmployeeInformation, WithoutACountTheListStopsAtTheStatedMaximum) {
    EndlessInformation terminal(0, false);
    EXPECT_TRUE(run(terminal));
    EXPECT_EQ(terminal.informationRequests(), kMaxEmployeeInformation);
    EXPECT_EQ(count, kMaxEmployeeInformation);
}

TEST_F(EmployeeInformation, TheOperatorsStopEndsTheListWith106) {
    EndlessInformation terminal(50, true);
    dialog.stopAtPump = 2;
    EXPECT_FALSE(run(terminal));
    EXPECT_EQ(result, RunError::Interrupted);
    EXPECT_EQ(terminal.informationRequests(), 2);
    EXPECT_NE(readFile(logPath).find("Commando interroto dall'utente!"), std::string::npos) << readFile(logPath);
}
