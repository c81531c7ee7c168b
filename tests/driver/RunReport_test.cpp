// The run report's content: terminals grouped as the run visits them, what
// counts as a failed terminal, the time and message forms, and text from
// 8-bit parameter files turned into valid JSON.
#include "ResultFile.h"
#include "RunContext.h"
#include "RunReport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

namespace {

using nlohmann::json;

CommandReport command(const char* option, CommandId id, RunError code, int count, int left = 0) {
    CommandReport c;
    c.option = option;
    c.name = "RE,GE";
    c.code = code;
    c.count = count;
    c.download = isDownloadCommand(id);
    c.leftOnTerminal = left;
    c.started = c.finished = ReportClock::now();
    return c;
}

RunState runState() {
    RunState state;
    state.programName = "Cmdv32";
    state.version = "1.0.0.0";
    return state;
}

}  // namespace

TEST(RunReport, CommandsOfOneTerminalShareItsEntryUntilTheRunMovesOn) {
    RunReport report;
    report.begin("-n1 -n2 -n1 -r -yr ");
    int a = 0, b = 0;
    report.terminalEntry(&a, 1, "Ingresso", "COM1").commands.push_back(command("-r", CommandId::DownloadAndClear, RunError::None, 3));
    report.terminalEntry(&a, 1, "Ingresso", "COM1").commands.push_back(command("-yr", CommandId::CountPunches, RunError::None, 0));
    report.terminalEntry(&b, 2, "Uscita", "COM2").commands.push_back(command("-r", CommandId::DownloadAndClear, RunError::Timeout, 0));
    report.terminalEntry(&a, 1, "Ingresso", "COM1").commands.push_back(command("-r", CommandId::DownloadAndClear, RunError::None, 0));
    // An unknown number has no terminal; each number is an entry of its own.
    report.terminalEntry(nullptr, 9, "", "").commands.push_back(command("-r", CommandId::DownloadAndClear, RunError::BadTerminalNumber, 0));
    report.terminalEntry(nullptr, 8, "", "").commands.push_back(command("-r", CommandId::DownloadAndClear, RunError::BadTerminalNumber, 0));

    ASSERT_EQ(report.terminals().size(), 5u);
    EXPECT_EQ(report.terminals()[0].commands.size(), 2u);
    EXPECT_EQ(report.failedTerminals(), 3);

    RunState state = runState();
    json j = json::parse(report.json(state, {"-0002", 0, ReportClock::now()}));
    EXPECT_EQ(j["command_line"], "-n1 -n2 -n1 -r -yr");  // without the blank the console adds
    EXPECT_EQ(j["failed"], 3);
    EXPECT_EQ(j["result"], "-0002");
    EXPECT_EQ(j["terminals"][0]["link"], "COM1");
    EXPECT_EQ(j["terminals"][0]["commands"][0]["left_on_terminal"], 0);
    EXPECT_FALSE(j["terminals"][0]["commands"][1].contains("left_on_terminal"));
    EXPECT_EQ(j["terminals"][1]["commands"][0]["message"], "Request Time Out.");
    EXPECT_EQ(j["terminals"][3]["number"], 9);

    // A new run forgets the old one.
    report.begin("-v");
    EXPECT_TRUE(report.terminals().empty());
    EXPECT_EQ(report.failedTerminals(), 0);
}

TEST(RunReport, KeysComeInTheDocumentedOrder) {
    RunReport report;
    report.begin("-r");
    int t = 0;
    report.terminalEntry(&t, 1, "A", "COM1").commands.push_back(command("-r", CommandId::DownloadAndClear, RunError::None, 2));
    RunState state = runState();
    std::string text = report.json(state, {"00002", 0, ReportClock::now()});
    std::vector<std::string> order = {"\"program\"", "\"version\"", "\"command_line\"", "\"started\"", "\"finished\"",
                                      "\"result\"", "\"exit_code\"", "\"terminals\"", "\"number\"", "\"description\"",
                                      "\"link\"", "\"commands\"", "\"option\"", "\"name\"", "\"code\"", "\"message\"",
                                      "\"count\"", "\"left_on_terminal\"", "\"failed\""};
    std::size_t at = 0;
    for (const std::string& key : order) {
        std::size_t found = text.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in " << text;
        at = found;
    }
    EXPECT_EQ(text.back(), '\n');
}

TEST(RunReport, DownloadsAreTheFourRecordFetchingCommands) {
    for (CommandId id : {CommandId::DownloadAndClear, CommandId::DownloadAndKeep, CommandId::DownloadJobs, CommandId::RecoverPunches})
        EXPECT_TRUE(isDownloadCommand(id)) << code(id);
    for (CommandId id : {CommandId::CountPunches, CommandId::Version, CommandId::LatestTransactions, CommandId::DeleteRecoverable})
        EXPECT_FALSE(isDownloadCommand(id)) << code(id);
}

TEST(RunReport, TimesAreLocalIsoWithMillisecondsAndOffset) {
    const char* oldTz = std::getenv("TZ");
    std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    // 2026-01-15 12:00:00.250 UTC is 13:00 in winter, +01:00.
    ReportClock::time_point winter = ReportClock::from_time_t(1768478400) + std::chrono::milliseconds(250);
    EXPECT_EQ(isoTime(winter), "2026-01-15T13:00:00.250+01:00");
    // 2026-07-15 12:00:00 UTC is 14:00 in summer, +02:00.
    EXPECT_EQ(isoTime(ReportClock::from_time_t(1784116800)), "2026-07-15T14:00:00.000+02:00");
    setenv("TZ", "EST5", 1);
    tzset();
    EXPECT_EQ(isoTime(winter), "2026-01-15T07:00:00.250-05:00");
    if (oldTz) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
    tzset();
}

TEST(RunReport, MessagesWithoutTrailingBlanksAndACodeWithoutText) {
    EXPECT_EQ(reportMessage(RunError::None), "");
    EXPECT_EQ(reportMessage(RunError::BadTerminalNumber), "Errore Numero Terminale.");
    EXPECT_EQ(reportMessage(RunError::Write), "Comm. device Write error.");
    EXPECT_EQ(reportMessage(static_cast<RunError>(999)), "Errore 999");
}

TEST(RunReport, EightBitTextBecomesUtf8) {
    RunReport report;
    report.begin("-r");
    int t = 0;
    report.terminalEntry(&t, 1, "Citt\xE0", "COM1");                 // Latin-1 from a parameter file
    report.terminalEntry(&t, 2, "Citt\xC3\xA0", "COM1");             // already UTF-8: kept
    RunState state = runState();
    json j = json::parse(report.json(state, {"00000", 0, ReportClock::now()}));
    EXPECT_EQ(j["terminals"][0]["description"], "Citt\xC3\xA0");
    EXPECT_EQ(j["terminals"][1]["description"], "Citt\xC3\xA0");
}

TEST(ReportFile, ReplacedWholeAndRemovedWithItsResultFile) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("report_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    zString directory(dir.c_str());
    std::ofstream(dir / "RIDUVA.json") << "old";
    ASSERT_TRUE(writeReportFile(directory, "{}\n"));
    std::ifstream in(dir / "RIDUVA.json");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "{}\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);

    ASSERT_TRUE(writeResultFile(directory, "00012\n"));
    EXPECT_EQ(readResultLine(directory), "00012");
    EXPECT_TRUE(removeReportFile(directory));
    EXPECT_TRUE(removeResultFile(directory));
    EXPECT_FALSE(std::filesystem::exists(dir / "RIDUVA.json"));
    EXPECT_EQ(readResultLine(directory), "");
    EXPECT_TRUE(removeReportFile(directory));  // nothing to remove is no failure
    std::filesystem::remove_all(dir);
}
