// A download that clears the terminal, run in this process against the
// simulator: every output file is synced, whole, before "RE,DE" leaves.
#include "CommandTable.h"
#include "InProcessRun.h"
#include "SyncRecorder.h"
#include "TextFile.h"
#include "VornSimProcess.h"
#include "zReplacingFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int kPunches = 25;

int lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

}  // namespace

TEST(Download, FlushAndSyncBeforeDeletion) {
    const auto dir = std::filesystem::temp_directory_path() / ("sync_delete_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    vornsim::VornSimProcess sim({"--terminal", "5:VORN3", "--tcp", "0", "--records", std::to_string(kPunches)});
    ASSERT_TRUE(sim.start()) << sim.error();
    // Every kind of record to a file of its own, the punches backed up too.
    std::string prm = "[Global]\n";
    for (const char* section : {"Timbrature", "Accessi", "Mensa", "Commesse"})
        prm += std::string("[") + section + "]\nFILE_NAME=" + (dir / section).string() + ".txt\n";
    prm.insert(prm.find("[Accessi]"), "BACKUP=" + (dir / "backup.txt").string() + "\n");
    prm += "[Terminal 5]\nCOM_TYPE=RS485\nTERM_TYPE=VORN3\nNODE_NR=5\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" +
           std::to_string(sim.tcpPort()) + "\n";
    std::ofstream(dir / "cmdvorn.prm") << prm;
    {
        InProcessRun inProcess((dir / "cmdvorn.log").string(), (dir / "cmdvorn.prm").string());
        ASSERT_TRUE(inProcess.load());
        inProcess.state.dataDirectory = dir.c_str();
        forgetSyncEvents();
        EXPECT_TRUE(dispatch(inProcess.context, inProcess.manager.findTerminal(5), CommandId::DownloadAndClear,
                             commandTable()))
            << readFile(dir / "cmdvorn.log");
    }
    const std::vector<SyncEvent> events = syncEvents();
    std::size_t deletion = events.size();
    for (std::size_t i = 0; i < events.size(); ++i)
        if (events[i].kind == SyncEvent::Send && events[i].bytes.find("RE,DE") != std::string::npos) {
            deletion = i;
            break;
        }
    ASSERT_LT(deletion, events.size()) << "the terminal was never told to delete";

    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const auto file = entry.path();
        if (file.extension() != ".txt") continue;
        const long long whole = static_cast<long long>(std::filesystem::file_size(file));
        if (file.filename() != "backup.txt") saved += lines(readFile(file));
        bool synced = false;
        for (std::size_t i = 0; i < deletion; ++i)
            synced = synced || (events[i].kind == SyncEvent::Sync && events[i].path == file.string() && events[i].size == whole);
        EXPECT_TRUE(synced) << file << " was not synced whole before the deletion";
    }
    EXPECT_EQ(saved, kPunches);
    EXPECT_TRUE(std::filesystem::exists(dir / "backup.txt"));
    sim.stop();
    std::filesystem::remove_all(dir);
}

TEST(ReplacingFile, TheRenameIsSyncedWithItsDirectory) {
    const auto dir = std::filesystem::temp_directory_path() / ("sync_rename_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string target = (dir / "replaced.txt").string();
    forgetSyncEvents();
    {
        zReplacingFile file(target);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("00003\n", 6));
        ASSERT_TRUE(file.commit());
    }
    const std::vector<SyncEvent> events = syncEvents();
    ASSERT_FALSE(events.empty());
    // The file's own sync first, then the directory's, after the rename.
    EXPECT_EQ(events.back().path, std::filesystem::canonical(dir).string());
    EXPECT_EQ(readFile(target), "00003\n");
    std::filesystem::remove_all(dir);
}
