// The fingerprint commands against simulated terminals over TCP, run
// through the window's command table: counting, downloading into the
// fingerprint file, uploading it (progress, interruption, bad lines) and
// deleting, and a terminal refilled from another one's templates.
#include "BadgeTestSupport.h"
#include "TextFile.h"
#include "CommandTable.h"
#include "FingerprintCommands.h"
#include "PrmCfg.h"
#include "VornMgr.h"
#include "VornSimProcess.h"
#include "zFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {



int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Template bytes of an employee, different for each one.
std::string templateHex(std::uint32_t employee) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (int i = 0; i < 384; ++i) {
        unsigned b = (employee * 31u + static_cast<unsigned>(i) * 7u) & 0xFFu;
        if (i == 0) b = 0xAB;
        hex += kHex[b >> 4];
        hex += kHex[b & 15];
    }
    return hex;
}

std::string fileLine(int company, std::uint32_t employee) {
    char head[32];
    std::snprintf(head, sizeof head, "%05d %09u ", company, static_cast<unsigned>(employee));
    return head + templateHex(employee) + "\n";
}

class FingerprintCommands : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() / ("fp_" + std::to_string(getpid()) + "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        fingerprintFile = dir / "templates.dat";
    }
    void TearDown() override {
        context.reset();
        manager.reset();
        config.reset();
        parameterFile.reset();
        log.reset();
        sim.reset();
        std::filesystem::remove_all(dir);
    }

    // Terminals 1 and 2 (VORN3) with the templates given for terminal 1.
    void start(const std::vector<std::pair<int, std::uint32_t>>& templatesOfTerminal1, std::vector<std::string> faults = {}) {
        std::string list;
        for (const auto& [company, employee] : templatesOfTerminal1) {
            if (!list.empty()) list += ",";
            list += "{\"company\":" + std::to_string(company) + ",\"employee\":" + std::to_string(employee) +
                    ",\"template\":\"" + templateHex(employee) + "\"}";
        }
        std::ofstream(dir / "state.json") << "{\"terminals\":[{\"node\":1,\"model\":\"VORN3\",\"fingerprints\":[" + list +
                                                 "]},{\"node\":2,\"model\":\"VORN3\"}]}";
        std::vector<std::string> args = {"--tcp", "0", "--state", (dir / "state.json").string(), "--state-out",
                                         (dir / "after.json").string()};
        args.insert(args.end(), faults.begin(), faults.end());
        sim = std::make_unique<vornsim::VornSimProcess>(args);
        ASSERT_TRUE(sim->start()) << sim->error();

        std::string prm = "[Global]\n";
        for (int node : {1, 2})
            prm += "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=" +
                   std::to_string(node) + "\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" + std::to_string(sim->tcpPort()) +
                   "\nFP_FILE_NAME=" + fingerprintFile.string() + "\n";
        std::ofstream(dir / "cmdvorn.prm") << prm;
        log = std::make_unique<zLogger>(zString((dir / "cmdvorn.log").c_str()));
        manager = std::make_unique<VornMgr>(*log);
        parameterFile = std::make_unique<zFile>(zString((dir / "cmdvorn.prm").c_str()));
        config = std::make_unique<PrmCfg>(*parameterFile, *log);
        ASSERT_TRUE(config->load(*manager, settings));
        info.setSink(&shown);
        context = std::make_unique<RunContext>(*log, *manager, *config, settings, dialog, info, state);
    }

    bool run(CommandId id, int terminal) {
        state.errorCode = RunError::None;
        state.count = 0;
        return dispatch(*context, manager->findTerminal(terminal), id, windowCommandTable());
    }
    std::string logText() { return readFile(dir / "cmdvorn.log"); }
    std::string stateAfter() {
        sim->stop();
        return readFile(dir / "after.json");
    }
    void writeFile(const std::string& text) { std::ofstream(fingerprintFile, std::ios::binary) << text; }

    std::filesystem::path dir;
    std::filesystem::path fingerprintFile;
    std::unique_ptr<vornsim::VornSimProcess> sim;
    std::unique_ptr<zLogger> log;
    std::unique_ptr<VornMgr> manager;
    std::unique_ptr<zFile> parameterFile;
    std::unique_ptr<PrmCfg> config;
    RunSettings settings;
    RecordingDialog dialog;
    InfoLines shown;
    std::unique_ptr<zLogger> infoLog = std::make_unique<zLogger>("/dev/null");
    InfoOutput info{*infoLog};
    RunState state;
    std::unique_ptr<RunContext> context;
};

}  // namespace

TEST(FingerprintTables, OnlyTheWindowBindsTheFingerprintCommands) {
    for (CommandId id : {CommandId::CountFingerprints, CommandId::SendFingerprints, CommandId::ReceiveFingerprints, CommandId::DeleteFingerprints}) {
        ASSERT_NE(findCommand(id), nullptr);
        EXPECT_EQ(findCommand(id)->handler, nullptr) << code(id);
        EXPECT_NE(findCommand(id, windowCommandTable())->handler, nullptr) << code(id);
    }
    EXPECT_EQ(findCommand(CommandId::SendFingerprints, windowCommandTable())->handler, uploadFingerprintsCommand);
    EXPECT_STREQ(findCommand(CommandId::ReceiveFingerprints, windowCommandTable())->name, "FP,GI");
    // Everything else is the same in both builds.
    for (const auto& entry : commandTable()) {
        if (code(entry.id) < code(CommandId::CountFingerprints)) {
            EXPECT_EQ(findCommand(entry.id, windowCommandTable())->handler, entry.handler) << code(entry.id);
        }
    }
}

TEST_F(FingerprintCommands, CountIsShownAndLogged) {
    start({{1, 10}, {1, 11}, {2, 12}});
    EXPECT_TRUE(run(CommandId::CountFingerprints, 1));
    EXPECT_EQ(state.count, 3);
    EXPECT_EQ(shown.lines, std::vector<std::string>{"[Term 001] Num. finger print= 3"});
    EXPECT_NE(logText().find("[Term 001] Num. finger print= 3"), std::string::npos);
}

TEST_F(FingerprintCommands, DownloadWritesOneLinePerTemplateAndShowsProgress) {
    start({{1, 10}, {3, 4000000000}});
    writeFile("old content\n");
    EXPECT_TRUE(run(CommandId::ReceiveFingerprints, 1));
    EXPECT_EQ(readFile(fingerprintFile), fileLine(1, 10) + "00003 4000000000 " + templateHex(4000000000) + "\n");
    EXPECT_EQ(fileLine(1, 10).substr(0, 18), "00001 000000010 AB");
    EXPECT_EQ(state.count, 2);
    EXPECT_EQ(dialog.opened, std::vector<std::string>{"Ric. Fingerprint da: [Term 001]"});
    EXPECT_EQ(dialog.range, 2);
    EXPECT_EQ(dialog.texts, (std::vector<std::string>{"Ric. Fingerprint 1/2", "Ric. Fingerprint 2/2"}));
    EXPECT_FALSE(dialog.isOpen);
    EXPECT_EQ(shown.lines.front(), "Ric. Fingerprint da: [Term 001]");
    EXPECT_EQ(shown.lines.back(), "[Term 001] 2 fingerprint ricevuti");
    EXPECT_NE(logText().find("[Term 001] 2 fingerprint ricevuti"), std::string::npos);
}

TEST_F(FingerprintCommands, FailedOrInterruptedDownloadKeepsTheLastGoodCopy) {
    start({{1, 10}, {1, 11}, {1, 12}}, {"--error", "FP,GI,2"});
    const std::string lastGood = fileLine(5, 5);
    writeFile(lastGood);
    EXPECT_FALSE(run(CommandId::ReceiveFingerprints, 1));
    EXPECT_EQ(state.errorCode, RunError::TerminalError);
    EXPECT_EQ(readFile(fingerprintFile), lastGood);
    EXPECT_NE(logText().find("[Term 001] 2 fingerprint ricevuti"), std::string::npos);

    dialog.pumps = 0;
    dialog.stopAtPump = 1;
    EXPECT_FALSE(run(CommandId::ReceiveFingerprints, 1));
    EXPECT_EQ(state.errorCode, RunError::Interrupted);
    EXPECT_EQ(readFile(fingerprintFile), lastGood);
    // Nothing half-written is left beside it.
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(entry.path().string().rfind(fingerprintFile.string() + ".", 0), std::string::npos) << entry.path();
}

TEST_F(FingerprintCommands, TemplateReplyWithoutItsDataIsNoTemplate) {
    start({{1, 10}, {1, 11}}, {"--short-data", "FP,GI,1"});
    const std::string lastGood = fileLine(5, 5);
    writeFile(lastGood);
    EXPECT_FALSE(run(CommandId::ReceiveFingerprints, 1));
    EXPECT_EQ(state.errorCode, RunError::BadTelegram);
    EXPECT_EQ(readFile(fingerprintFile), lastGood);
    EXPECT_NE(logText().find("[Term 001] FP,GI,1: ricevuti 0 byte invece di"), std::string::npos) << logText();
}

TEST_F(FingerprintCommands, EachTerminalOfARunReplacesTheFileOnlyWithAWholeDownload) {
    start({{1, 10}, {2, 20}});
    writeFile("old content\n");
    EXPECT_TRUE(run(CommandId::ReceiveFingerprints, 1));
    const std::string first = fileLine(1, 10) + fileLine(2, 20);
    EXPECT_EQ(readFile(fingerprintFile), first);
    // No templates on the second terminal: the first one's copy stays.
    EXPECT_TRUE(run(CommandId::ReceiveFingerprints, 2));
    EXPECT_EQ(readFile(fingerprintFile), first);
    // The first again, stopped half-way: still its complete copy.
    dialog.pumps = 0;
    dialog.stopAtPump = 1;
    EXPECT_FALSE(run(CommandId::ReceiveFingerprints, 1));
    EXPECT_EQ(readFile(fingerprintFile), first);
}

TEST_F(FingerprintCommands, UploadEndsAtTheFirstRefusedTemplate) {
    start({}, {"--error", "FP,ST"});
    writeFile(fileLine(1, 1) + fileLine(1, 2));
    EXPECT_FALSE(run(CommandId::SendFingerprints, 2));
    EXPECT_EQ(state.errorCode, RunError::TerminalError);
    EXPECT_EQ(state.count, 0);
    EXPECT_EQ(logText().find("Sending finger print: 1 2"), std::string::npos);
}

TEST_F(FingerprintCommands, TerminalWithoutTemplatesLeavesTheFileUntouched) {
    start({});
    writeFile("00001 000000001 AB\n");
    EXPECT_TRUE(run(CommandId::ReceiveFingerprints, 2));
    EXPECT_EQ(readFile(fingerprintFile), "00001 000000001 AB\n");
    EXPECT_NE(logText().find("[Term 002] Errore 0 No Fingerprint"), std::string::npos) << logText();
    EXPECT_EQ(state.errorCode, RunError::None);
}

TEST_F(FingerprintCommands, FileOfCommentsOnlyUploadsNothingAndSucceeds) {
    start({});
    writeFile("# templates of plant 3\n\n#00001 000000001 AB\r\n");
    EXPECT_TRUE(run(CommandId::SendFingerprints, 2));
    EXPECT_EQ(dialog.opened, std::vector<std::string>{"[Term 002] Invio 0 Fingerprint"});
    EXPECT_EQ(shown.lines, std::vector<std::string>{"[Term 002] 0 fingerprint inviati"});
    EXPECT_EQ(occurrences(stateAfter(), "\"template\""), 0);
}

TEST_F(FingerprintCommands, MissingFileFailsWithOpenError) {
    start({});
    std::filesystem::remove(fingerprintFile);
    EXPECT_FALSE(run(CommandId::SendFingerprints, 2));
    EXPECT_EQ(state.errorCode, RunError::FileOpen);
    EXPECT_NE(logText().find("[Term 002] Error open file " + fingerprintFile.string()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(fingerprintFile));
}

TEST_F(FingerprintCommands, AFileThatIsNoRegularFileFailsLikeAMissingOne) {
    start({});
    std::filesystem::create_directory(fingerprintFile);
    EXPECT_FALSE(run(CommandId::SendFingerprints, 2));
    EXPECT_EQ(state.errorCode, RunError::FileOpen);
    EXPECT_NE(logText().find("[Term 002] Error open file " + fingerprintFile.string()), std::string::npos);
    EXPECT_EQ(logText().find("fingerprint inviati"), std::string::npos);
}

TEST_F(FingerprintCommands, FiveHundredTemplatesUploadWithTheirProgress) {
    start({});
    std::string file = "# enrolled\n";
    for (int i = 1; i <= 500; ++i) file += fileLine(1, i);
    writeFile(file);
    EXPECT_TRUE(run(CommandId::SendFingerprints, 2));
    EXPECT_EQ(state.count, 500);
    EXPECT_EQ(dialog.opened, std::vector<std::string>{"[Term 002] Invio 500 Fingerprint"});
    EXPECT_EQ(dialog.range, 500);
    ASSERT_EQ(dialog.positions.size(), 500u);
    EXPECT_EQ(dialog.positions.back(), 500);
    EXPECT_EQ(dialog.texts.front(), "Fingerprint: 1/500");
    EXPECT_EQ(dialog.texts.back(), "Fingerprint: 500/500");
    std::string logged = logText();
    EXPECT_NE(logged.find("Sending finger print: 1 500"), std::string::npos);
    EXPECT_NE(logged.find("[Term 002] 500 fingerprint inviati"), std::string::npos);
    std::string after = stateAfter();
    EXPECT_EQ(occurrences(after, "\"template\""), 500);
}

TEST_F(FingerprintCommands, InterruptionStopsTheUploadWith106) {
    start({});
    std::string file;
    for (int i = 1; i <= 10; ++i) file += fileLine(1, i);
    writeFile(file);
    dialog.stopAtPump = 3;
    EXPECT_FALSE(run(CommandId::SendFingerprints, 2));
    EXPECT_EQ(state.errorCode, RunError::Interrupted);
    EXPECT_EQ(state.count, 3);
    EXPECT_EQ(occurrences(stateAfter(), "\"template\""), 3);
}

TEST_F(FingerprintCommands, BadLinesAreLoggedAndSkippedAndTheRestIsSent) {
    start({});
    std::string nonHex = fileLine(1, 2);
    nonHex[20] = 'X';
    writeFile(fileLine(1, 1) + nonHex + "300 3 AB\n" + "1 4 " + std::string(770, 'A') + "\n" + "1 5 ABCD\r\n");
    EXPECT_FALSE(run(CommandId::SendFingerprints, 2));
    EXPECT_EQ(state.errorCode, RunError::FileRead);
    EXPECT_EQ(state.count, 2);
    EXPECT_EQ(dialog.range, 5);
    std::string logged = logText();
    EXPECT_NE(logged.find("riga 2: cifra non esadecimale"), std::string::npos) << logged;
    EXPECT_NE(logged.find("riga 3: azienda non valida"), std::string::npos);
    EXPECT_NE(logged.find("riga 4: fingerprint troppo lungo"), std::string::npos);
    EXPECT_EQ(logged.find("Sending finger print: 1 2"), std::string::npos);
    std::string after = stateAfter();
    EXPECT_EQ(occurrences(after, "\"template\""), 2);
    // The short template arrived completed with zeros.
    EXPECT_NE(after.find("\"abcd" + std::string(764, '0') + "\""), std::string::npos);
}

TEST_F(FingerprintCommands, TemplatesMoveFromOneTerminalToAnother) {
    start({{1, 100}, {1, 200}, {4, 300}});
    EXPECT_TRUE(run(CommandId::ReceiveFingerprints, 1));
    EXPECT_TRUE(run(CommandId::SendFingerprints, 2));
    EXPECT_EQ(state.count, 3);
    EXPECT_TRUE(run(CommandId::CountFingerprints, 2));
    EXPECT_EQ(state.count, 3);
    std::string downloaded = readFile(fingerprintFile);
    // Terminal 2 now gives back exactly what terminal 1 gave.
    std::filesystem::remove(fingerprintFile);
    EXPECT_TRUE(run(CommandId::ReceiveFingerprints, 2));
    EXPECT_EQ(readFile(fingerprintFile), downloaded);
}

TEST_F(FingerprintCommands, DeleteClearsTheTerminalAndLogsHowManyWent) {
    start({{1, 10}, {1, 11}});
    EXPECT_TRUE(run(CommandId::DeleteFingerprints, 1));
    EXPECT_NE(logText().find("[Term 001] 2 Fingerprint cancellati"), std::string::npos);
    EXPECT_TRUE(run(CommandId::CountFingerprints, 1));
    EXPECT_EQ(shown.lines.back(), "[Term 001] Num. finger print= 0");
}

TEST_F(FingerprintCommands, FileNameComesFromTheTerminalThenTheRunThenTheDefault) {
    start({});
    CMDARG_C job;
    job.run = context.get();
    job.terminal = manager->findTerminal(1);
    EXPECT_EQ(std::string(fingerprintFileName(job).c_str()), fingerprintFile.string());

    VornSettings plain;
    plain.name = "Terminal 9";
    Vorn withoutFile(plain);
    job.terminal = &withoutFile;
    EXPECT_EQ(std::string(fingerprintFileName(job).c_str()), "FingerPrint.dat");
    settings.fingerprints.fileName = "impronte.txt";
    EXPECT_EQ(std::string(fingerprintFileName(job).c_str()), "impronte.txt");
}
