// A download killed with SIGKILL at each step and run again: every punch
// ends up in the files exactly once and nothing stays on the terminal; the
// files the calling application moved, replaced or truncated are never cut.
#include "Eventually.h"
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

namespace fs = std::filesystem;

std::string parameters(int port, const std::string& global = "") {
    return "[Global]\n" + global +
           "[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=tmb.txt\n[Mensa]\nFILE_NAME=tmb.txt\n"
           "[Commesse]\nFILE_NAME=tmb.txt\n"
           "[Terminal 5]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=5\nCOM_TIME_OUT=101\nMAX_RETRY=2\nPORT=tcp//127.0.0.1:" +
           std::to_string(port) + "\n";
}

std::string lineParameters(int port) {
    return "[Global]\n[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=tmb.txt\n"
           "[Terminal 1]\nCOM_TYPE=RLX40\nTERM_TYPE=VORNT3\nNODE_NR=1\nCOM_TIME_OUT=1\nPORT=tcp//127.0.0.1:" +
           std::to_string(port) + "\n";
}

// CRC-16/ARC, as the journal checks its lines.
std::string checkedLine(const std::string& body) {
    std::uint16_t crc = 0;
    for (unsigned char c : body) {
        crc ^= c;
        for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%04x\n", crc);
    return body + tail;
}

class RestartJournalTest : public SimulatorTest {
protected:
    static constexpr int kRecords = 12;

    void simulate(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--terminal", "5:VORN3", "--records", std::to_string(kRecords), "--seed", "11",
                                      "--reply-delay", "40"};
        args.insert(args.end(), extra.begin(), extra.end());
        runSimulator(args);
    }
    void simulateLine() {
        runSimulator({"--bridge", "0", "--terminal", "1:VORNT3", "--records", std::to_string(kRecords), "--seed", "5"});
    }

    // What an uninterrupted download saves: the same terminal, kept.
    std::string reference(const std::string& prm) {
        ToolInstall clean(CMDV32_PATH, prm);
        clean.run({"-x"});
        std::string out = clean.readData("tmb.txt");
        EXPECT_EQ(countOf(out, "\n"), kRecords) << out;
        return out;
    }

    // The wire since the killed run started.
    std::string wireSince() const {
        std::string all = readFile(wireLog);
        return all.size() > wireStart_ ? all.substr(wireStart_) : std::string();
    }

    // Starts `-r` and kills it once `ready` holds.
    template <class Ready>
    void killWhen(ToolInstall& install, Ready ready) {
        wireStart_ = readFile(wireLog).size();
        auto running = install.start({"-r"});
        ASSERT_TRUE(eventually(ready, std::chrono::seconds(30))) << wireSince();
        running->signal(SIGKILL);
        running->wait();
    }
    void killAtWire(ToolInstall& install, const std::string& text, int times = 1) {
        killWhen(install, [&] { return countOf(wireSince(), text) >= times; });
    }

    std::string journalPath(const ToolInstall& install, int terminal) const {
        return (install.dataDir() / ".cmdvorn" / (std::to_string(terminal) + ".journal")).string();
    }

    // The second run leaves every punch once and none on the terminal.
    void expectExactlyOnce(ToolInstall& install, const std::string& expected, const std::string& prefix = "") {
        auto r = install.run({"-r"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(install.readData("tmb.txt"), prefix + expected) << install.readData("cmdvorn.log");
        EXPECT_FALSE(fs::exists(install.dataDir() / ".cmdvorn")) << "journal left behind";
        EXPECT_EQ(countOf(stopAndReadState(), "\"employee\""), 0);
    }

    // A terminal, what an uninterrupted download saves from it, and the
    // installation whose download is then killed.
    void prepare(bool line = false, std::vector<std::string> extra = {}) {
        if (line)
            simulateLine();
        else
            simulate(std::move(extra));
        const std::string prm = line ? lineParameters(sim->tcpPort(1)) : parameters(sim->tcpPort());
        expected_ = reference(prm);
        install_ = std::make_unique<ToolInstall>(CMDV32_PATH, prm);
    }

    // The line the second run logged for the killed download's journal.
    void expectResumed(const std::string& terminal, const std::string& how) const {
        const std::string log = install_->readData("cmdvorn.log");
        EXPECT_TRUE(contains(log, "[Term " + terminal + "] Ripresa dopo interruzione: " + how)) << log;
    }

    std::size_t wireStart_ = 0;
    std::string expected_;
    std::unique_ptr<ToolInstall> install_;
};

}  // namespace

TEST_F(RestartJournalTest, UninterruptedRunLeavesNoJournalAndLogsNothingOfIt) {
    simulate();
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    install.run({"-r"});
    EXPECT_EQ(countOf(install.readData("tmb.txt"), "\n"), kRecords);
    EXPECT_FALSE(fs::exists(install.dataDir() / ".cmdvorn"));
    EXPECT_FALSE(contains(install.readData("cmdvorn.log"), "Ripresa"));
}

TEST_F(RestartJournalTest, KilledBeforeTheFirstWrite) {
    prepare();
    killAtWire(*install_, "\"RE,GE,0\"");
    EXPECT_EQ(install_->readData("tmb.txt"), "");
    expectExactlyOnce(*install_, expected_);
}

TEST_F(RestartJournalTest, KilledAfterSomeRecordsCutsTheirLinesAndDownloadsAgain) {
    prepare();
    killAtWire(*install_, "\"RE,GE,6\"");
    EXPECT_GE(countOf(install_->readData("tmb.txt"), "\n"), 5);
    expectExactlyOnce(*install_, expected_);
    expectResumed("005", "cancellazione mai inviata, file riportati a prima del download (");
}

TEST_F(RestartJournalTest, KilledAfterAllRecordsBeforeTheDelete) {
    prepare();
    killAtWire(*install_, "\"ON\"");
    EXPECT_EQ(install_->readData("tmb.txt"), expected_);
    expectExactlyOnce(*install_, expected_);
    EXPECT_TRUE(contains(install_->readData("cmdvorn.log"), " byte tolti)"));
}

TEST_F(RestartJournalTest, KilledAfterTheDeleteWasSentBeforeItsAnswerKeepsTheFiles) {
    // The terminal deletes at once and answers only after its delay.
    prepare(false, {"--reply-delay", "300"});
    killAtWire(*install_, "\"RE,DE\"");
    EXPECT_TRUE(fs::exists(journalPath(*install_, 5)));
    expectExactlyOnce(*install_, expected_);
    expectResumed("005", "cancellazione avvenuta sul terminale, file mantenuti (0 byte tolti)");
}

TEST_F(RestartJournalTest, KilledAfterTheDeletesAnswer) {
    prepare();
    killAtWire(*install_, "\"OF\"");
    expectExactlyOnce(*install_, expected_);
}

TEST_F(RestartJournalTest, PendingDeleteTheTerminalNeverTookCutsBack) {
    // Killed before the delete; the journal then says it was about to go.
    prepare();
    killAtWire(*install_, "\"ON\"");
    std::ofstream(journalPath(*install_, 5), std::ios::app) << checkedLine("D " + std::to_string(kRecords));
    expectExactlyOnce(*install_, expected_);
    expectResumed("005", "cancellazione non avvenuta sul terminale, file riportati");
}

TEST_F(RestartJournalTest, PendingDeleteOfAnUnreachableTerminalKeepsTheFiles) {
    simulate();
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    killAtWire(install, "\"ON\"");
    std::ofstream(journalPath(install, 5), std::ios::app) << checkedLine("D " + std::to_string(kRecords));
    const std::string written = install.readData("tmb.txt");
    sim->stop();
    install.run({"-r"});
    EXPECT_EQ(install.readData("tmb.txt"), written);
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"),
                         "[Term 005] Ripresa dopo interruzione: terminale non raggiungibile, file mantenuti (0 byte tolti)"));
    EXPECT_FALSE(fs::exists(journalPath(install, 5)));
}

TEST_F(RestartJournalTest, FileMovedAwayIsNotCut) {
    prepare();
    killAtWire(*install_, "\"RE,GE,6\"");
    const std::string taken = install_->readData("tmb.txt");
    fs::rename(install_->dataDir() / "tmb.txt", install_->dataDir() / "taken.txt");
    expectExactlyOnce(*install_, expected_);
    EXPECT_EQ(install_->readData("taken.txt"), taken);
    expectResumed("005", "tmb.txt spostato, sostituito o accorciato dall'applicazione, non tagliato");
}

TEST_F(RestartJournalTest, FileReplacedIsNotCut) {
    prepare();
    killAtWire(*install_, "\"RE,GE,6\"");
    const std::string mine = "a line of the calling application, much longer than anything the download wrote, "
                             "so that only the identity can tell it apart from the file the download wrote to\n";
    fs::remove(install_->dataDir() / "tmb.txt");
    std::ofstream(install_->dataDir() / "tmb.txt") << mine + mine + mine;
    expectExactlyOnce(*install_, expected_, mine + mine + mine);
    expectResumed("005", "tmb.txt spostato, sostituito o accorciato");
}

TEST_F(RestartJournalTest, FileTruncatedByTheCallerIsNotCut) {
    prepare();
    // The first terminal of a run finds an empty file: mark its size above 0.
    std::ofstream(install_->dataDir() / "tmb.txt") << "earlier\n";
    killAtWire(*install_, "\"RE,GE,6\"");
    fs::resize_file(install_->dataDir() / "tmb.txt", 0);
    expectExactlyOnce(*install_, expected_);
    expectResumed("005", "tmb.txt spostato, sostituito o accorciato");
}

TEST_F(RestartJournalTest, CorruptJournalIsLoggedAndIgnored) {
    prepare();
    killAtWire(*install_, "\"RE,GE,6\"");
    const std::string partial = install_->readData("tmb.txt");
    std::ofstream(journalPath(*install_, 5), std::ios::trunc) << "T 5 RE 12 garbage\nF 1 2 0 tmb.txt\n";
    // As without a journal: what the killed run wrote stays.
    expectExactlyOnce(*install_, expected_, partial);
    expectResumed("005", "giornale ");
    EXPECT_TRUE(contains(install_->readData("cmdvorn.log"), "5.journal illeggibile, ignorato"));
}

TEST_F(RestartJournalTest, TurnedOffThereIsNoJournalAndTheRunIsAsBefore) {
    simulate();
    const std::string prm = parameters(sim->tcpPort(), "RESTART_JOURNAL=0\n");
    const std::string expected = reference(prm);
    ToolInstall install(CMDV32_PATH, prm);
    killAtWire(install, "\"RE,GE,6\"");
    EXPECT_FALSE(fs::exists(install.dataDir() / ".cmdvorn"));
    const std::string partial = install.readData("tmb.txt");
    install.run({"-r"});
    EXPECT_EQ(install.readData("tmb.txt"), partial + expected);
    EXPECT_FALSE(contains(install.readData("cmdvorn.log"), "Ripresa"));
}

TEST_F(RestartJournalTest, JournalKeepsTheDataDirectorysPermissionsForItsOwner) {
    simulate();
    ToolInstall install(CMDV32_PATH, parameters(sim->tcpPort()));
    fs::permissions(install.dataDir(), fs::perms(0755));
    killAtWire(install, "\"RE,GE,6\"");
    auto folder = fs::status(install.dataDir() / ".cmdvorn").permissions();
    auto file = fs::status(journalPath(install, 5)).permissions();
    EXPECT_EQ(folder, fs::perms(0750));
    EXPECT_EQ(file, fs::perms(0640));
}

// The newer models: the listing stands for the count, "%%3" for the delete.

TEST_F(RestartJournalTest, LineTerminalKilledBeforeTheFirstWrite) {
    prepare(true);
    killAtWire(*install_, "\"@TYPE ");
    expectExactlyOnce(*install_, expected_);
}

TEST_F(RestartJournalTest, LineTerminalKilledAfterSomeRecords) {
    prepare(true);
    killWhen(*install_, [&] { return countOf(install_->readData("tmb.txt"), "\n") >= 5; });
    expectExactlyOnce(*install_, expected_);
    expectResumed("001", "cancellazione mai inviata");
}

TEST_F(RestartJournalTest, LineTerminalKilledAfterAllRecordsBeforeTheClear) {
    prepare(true);
    killAtWire(*install_, "\"@CFG 8\"");
    EXPECT_EQ(install_->readData("tmb.txt"), expected_);
    expectExactlyOnce(*install_, expected_);
}

TEST_F(RestartJournalTest, LineTerminalPendingClearNeverTakenCutsBack) {
    prepare(true);
    killAtWire(*install_, "\"@CFG 8\"");
    std::ofstream(journalPath(*install_, 1), std::ios::app) << checkedLine("D " + std::to_string(kRecords));
    expectExactlyOnce(*install_, expected_);
    expectResumed("001", "cancellazione non avvenuta sul terminale");
}

TEST_F(RestartJournalTest, LineTerminalKilledAfterTheClear) {
    prepare(true);
    killAtWire(*install_, "\"%%3\"");
    expectExactlyOnce(*install_, expected_);
}

TEST_F(RestartJournalTest, LineTerminalPendingClearTakenKeepsTheFiles) {
    // A clean run cleared the terminal; a journal as if it was killed just after "%%3".
    simulateLine();
    ToolInstall install(CMDV32_PATH, lineParameters(sim->tcpPort(1)));
    install.run({"-r"});
    const std::string saved = install.readData("tmb.txt");
    ASSERT_EQ(countOf(saved, "\n"), kRecords);
    fs::create_directory(install.dataDir() / ".cmdvorn");
    struct stat st {};
    ASSERT_EQ(::stat((install.dataDir() / "tmb.txt").c_str(), &st), 0);
    std::ofstream(journalPath(install, 1))
        << checkedLine("cmdvorn-journal 1") << checkedLine("T 1 RE 12 0123456789abcdef")
        << checkedLine("F " + std::to_string((std::uint64_t(major(st.st_dev)) << 32) | minor(st.st_dev)) + " " +
                       std::to_string(st.st_ino) + " 0 0 tmb.txt")
        << checkedLine("D 12");
    install.run({"-r"});
    EXPECT_EQ(install.readData("tmb.txt"), saved);
    EXPECT_TRUE(contains(install.readData("cmdvorn.log"),
                         "[Term 001] Ripresa dopo interruzione: cancellazione avvenuta sul terminale, file mantenuti (0 byte tolti)"))
        << install.readData("cmdvorn.log");
}

TEST_F(RestartJournalTest, ARunWithTheJournalTurnedOffDropsAnEarlierOne) {
    // Cut later, the journal would take away what this run saved.
    prepare();
    killAtWire(*install_, "\"RE,GE,6\"");
    ASSERT_TRUE(fs::exists(journalPath(*install_, 5)));
    const std::string partial = install_->readData("tmb.txt");
    std::ofstream(install_->programDir() / "cmdvorn.prm", std::ios::trunc)
        << parameters(sim->tcpPort(), "RESTART_JOURNAL=0\n");
    expectExactlyOnce(*install_, expected_, partial);
    EXPECT_FALSE(contains(install_->readData("cmdvorn.log"), "Ripresa"));
}
