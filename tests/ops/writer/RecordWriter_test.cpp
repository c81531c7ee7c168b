#include "RecordWriter.h"
#include "WriterTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

struct Reported {
    RunError error;
    std::string text1, text2;
};

// One run: its settings, parameters, log and writer state; writers() are
// the download commands of the run.
struct WriterRun {
    ScratchDir dir;
    CapturedLog log{dir};
    RunSettings settings;
    MemoryParameters parameters;
    RecordWriterRun state;
    std::vector<Reported> reported;

    explicit WriterRun(std::vector<std::string> lines = {}) : parameters(std::move(lines)) {}

    std::unique_ptr<RecordWriter> writer(WriterTerminal terminal = {}) {
        return std::make_unique<RecordWriter>(state, settings, parameters, std::move(terminal), log.logger(),
                                              [this](RunError error, const char* t1, const char* t2) {
                                                  reported.push_back({error, t1 ? t1 : "", t2 ? t2 : ""});
                                              });
    }
    std::string file(const std::string& name) { return readFile(dir.path(name)); }
};

TransactionRecord record(int flags, std::uint32_t employee = 12345, int terminal = 3) {
    auto b = transactionBytes(1, terminal, employee, terminalSeconds(2008, 12, 31, 17, 45), flags, 7);
    return TransactionRecord::decode(b.data());
}

std::string punchLine(int flags, std::uint32_t employee = 12345, int terminal = 3) {
    // The built-in layout is checked byte for byte in the line tests; here
    // only where the line lands matters.
    char text[80];
    std::snprintf(text, sizeof text, "01 %06u 31/12/08 17:45 %c %04d 07 %c\n", employee, flags & 4 ? 'I' : 'U',
                  terminal, "NAPMCNNN"[flags >> 5]);
    return text;
}

}  // namespace

TEST(RecordWriter, RoutesEachKindToItsFile) {
    WriterRun run;
    run.settings.access.fileName = run.dir.path("acc.dat").c_str();
    run.settings.canteen.fileName = run.dir.path("mensa.dat").c_str();
    run.settings.jobs.fileName = run.dir.path("comm.dat").c_str();
    WriterTerminal t;
    t.tmbFileName = run.dir.path("term3.dat").c_str();
    {
        auto w = run.writer(t);
        for (int flags : {0x04, 0x20, 0x40, 0x60, 0x80, 0xA0}) ASSERT_TRUE(w->writeTransaction(record(flags))) << flags;
        JobRecord job;
        ASSERT_TRUE(w->writeJob(job));
        ExtendedRecord extended;
        ASSERT_TRUE(w->writeExtended(extended));
        EXPECT_EQ(w->saved(), 8);
    }
    EXPECT_EQ(run.file("acc.dat"), punchLine(0x20));
    EXPECT_EQ(run.file("mensa.dat"), punchLine(0x60));
    std::string jobs = run.file("comm.dat");
    EXPECT_EQ(std::count(jobs.begin(), jobs.end(), '\n'), 2);
    EXPECT_NE(jobs.find(" 0003 00000000 0007 U C\n"), std::string::npos) << jobs;
    std::string punches = run.file("term3.dat");
    EXPECT_EQ(punches.substr(0, 3 * punchLine(0).size()), punchLine(0x04) + punchLine(0x40) + punchLine(0xA0));
    EXPECT_EQ(std::count(punches.begin(), punches.end(), '\n'), 4);  // the extended record too
    EXPECT_TRUE(run.reported.empty());
}

TEST(RecordWriter, TimbratureFileNameBeatsTheTerminalsOwnFile) {
    WriterRun run;
    WriterTerminal t;
    t.tmbFileName = run.dir.path("own.dat").c_str();
    ASSERT_TRUE(run.writer(t)->writeTransaction(record(0)));
    EXPECT_EQ(run.file("own.dat"), punchLine(0));

    run.settings.punches.fileName = run.dir.path("all.dat").c_str();
    ASSERT_TRUE(run.writer(t)->writeTransaction(record(0, 99)));
    EXPECT_EQ(run.file("all.dat"), punchLine(0, 99));
    EXPECT_EQ(run.file("own.dat"), punchLine(0));
}

TEST(RecordWriter, WithoutAnyPunchFileNameTmbDatIsUsed) {
    WriterRun run;
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(run.dir.dir());
    bool ok = run.writer()->writeTransaction(record(0));
    std::filesystem::current_path(before);
    ASSERT_TRUE(ok);
    EXPECT_EQ(run.file("tmb.dat"), punchLine(0));
}

TEST(RecordWriter, StartAfreshOncePerRunThenAppend) {
    WriterRun run;
    writeFile(run.dir.path("shared.dat"), "previous run\n");
    writeFile(run.dir.path("kept.dat"), "previous run\n");
    run.settings.punches.fileName = run.dir.path("shared.dat").c_str();
    run.settings.punches.startAfresh = true;
    run.settings.access.fileName = run.dir.path("kept.dat").c_str();

    // Two terminals of the run, one download command each.
    ASSERT_TRUE(run.writer()->writeTransaction(record(0, 1, 1)));
    {
        auto second = run.writer();
        ASSERT_TRUE(second->writeTransaction(record(0, 2, 2)));
        ASSERT_TRUE(second->writeTransaction(record(0x20, 2, 2)));
    }
    EXPECT_EQ(run.file("shared.dat"), punchLine(0, 1, 1) + punchLine(0, 2, 2));
    EXPECT_EQ(run.file("kept.dat"), "previous run\n" + punchLine(0x20, 2, 2));
    EXPECT_TRUE(run.state.files.wasUsed(run.settings.punches.fileName));

    // The terminal's own file follows its own mode.
    WriterTerminal t;
    t.tmbFileName = run.dir.path("own.dat").c_str();
    t.tmbStartAfresh = true;
    writeFile(run.dir.path("own.dat"), "previous run\n");
    run.settings.punches.fileName = zString();
    ASSERT_TRUE(run.writer(t)->writeTransaction(record(0)));
    EXPECT_EQ(run.file("own.dat"), punchLine(0));
}

TEST(RecordWriter, BackupGetsEveryLineAndIsNeverStartedAfresh) {
    WriterRun run;
    writeFile(run.dir.path("backup.dat"), "older\n");
    run.settings.punches.fileName = run.dir.path("p.dat").c_str();
    run.settings.punches.startAfresh = true;
    run.settings.punches.backup = run.dir.path("backup.dat").c_str();
    run.settings.canteen.fileName = run.dir.path("m.dat").c_str();
    auto w = run.writer();
    ASSERT_TRUE(w->writeTransaction(record(0)));
    ASSERT_TRUE(w->writeTransaction(record(0x60)));
    EXPECT_EQ(w->saved(), 2);
    w.reset();
    EXPECT_EQ(run.file("backup.dat"), "older\n" + punchLine(0) + punchLine(0x60));
}

TEST(RecordWriter, AKindWithoutFileNameOrAnUnopenableFileGives108) {
    WriterRun run;
    run.settings.punches.fileName = run.dir.path("p.dat").c_str();
    auto w = run.writer();
    EXPECT_FALSE(w->writeTransaction(record(0x20)));
    ASSERT_EQ(run.reported.size(), 1u);
    EXPECT_EQ(run.reported[0].error, RunError::FileOpen);
    EXPECT_EQ(run.reported[0].text1, "");
    EXPECT_FALSE(run.reported[0].text2.empty());

    run.settings.canteen.fileName = run.dir.path("missing/dir/m.dat").c_str();
    EXPECT_FALSE(w->writeTransaction(record(0x60)));
    ASSERT_EQ(run.reported.size(), 2u);
    EXPECT_EQ(run.reported[1].error, RunError::FileOpen);
    EXPECT_EQ(run.reported[1].text1, run.dir.path("missing/dir/m.dat"));
    EXPECT_EQ(run.reported[1].text2, "The system cannot find the file specified.");

    run.settings.punches.backup = run.dir.path("missing/b.dat").c_str();
    EXPECT_FALSE(w->writeTransaction(record(0)));
    EXPECT_EQ(run.reported.back().error, RunError::FileOpen);
    EXPECT_EQ(w->saved(), 0);
}

// The punches file or its backup on a full device: the record is not saved.
TEST(RecordWriter, AWriteFailureGives111AndTwoLogLines) {
    for (bool backupFails : {false, true}) {
        SCOPED_TRACE(backupFails ? "backup" : "punches");
        WriterRun run;
        run.settings.punches.fileName = backupFails ? run.dir.path("p.dat").c_str() : "/dev/full";
        if (backupFails) run.settings.punches.backup = "/dev/full";
        auto w = run.writer();
        EXPECT_FALSE(w->writeTransaction(record(0)));
        EXPECT_EQ(w->saved(), 0);
        ASSERT_EQ(run.reported.size(), 1u);
        EXPECT_EQ(run.reported[0].error, RunError::FileWrite);
        EXPECT_EQ(run.reported[0].text1, "/dev/full");
        const std::string error = run.reported[0].text2;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(run.log.has("Write: /dev/full: " + error + " "));
        std::string line = punchLine(0);
        line.pop_back();
        EXPECT_TRUE(run.log.has("/dev/full: " + line));
    }
}

TEST(RecordWriter, FlushAndSyncPutsWhatIsBufferedOnDiskWhileTheFilesStayOpen) {
    WriterRun run;
    run.settings.punches.fileName = run.dir.path("p.dat").c_str();
    run.settings.punches.backup = run.dir.path("b.dat").c_str();
    auto w = run.writer();
    EXPECT_TRUE(w->flushAndSync());  // nothing open yet
    ASSERT_TRUE(w->writeTransaction(record(0)));
    EXPECT_EQ(run.state.files.openCount(), 2);
    EXPECT_TRUE(w->flushAndSync());
    // Still open, already on disk.
    EXPECT_EQ(run.file("p.dat"), punchLine(0));
    EXPECT_EQ(run.file("b.dat"), punchLine(0));
    EXPECT_TRUE(run.reported.empty());
    w->closeAll();
    EXPECT_EQ(run.state.files.openCount(), 0);
}

TEST(RecordWriter, LayoutsLoadOncePerRunAndConstantsPerCommand) {
    WriterRun run({"[Timbrature]", "FORMAT=A,TFLD1", "A=MATRICOLA,LE=3", "TFLD1=dflt", "FLDSEP=';'", "[Commesse]",
             "[Terminal 1]", "TFLD1=one"});
    run.settings.punches.fileName = run.dir.path("p.dat").c_str();
    run.settings.jobs.fileName = run.dir.path("c.dat").c_str();
    WriterTerminal t;
    t.section = "[Terminal 1]";
    {
        auto w = run.writer(t);
        w->loadPunchLayout();
        w->loadJobLayout();
        ASSERT_TRUE(w->writeTransaction(record(0)));
        ASSERT_TRUE(w->writeTransaction(record(0x80)));  // [Commesse] has no layout: built-in
    }
    EXPECT_TRUE(run.state.punchLayout.hasFields());
    EXPECT_FALSE(run.state.jobLayout.hasFields());

    // The loaded layout is kept; the constant fields are read again.
    run.state.punchLayout.separator = '|';
    WriterTerminal other;
    other.section = "[Terminal 2]";
    auto w = run.writer(other);
    w->loadPunchLayout();
    ASSERT_TRUE(w->writeTransaction(record(0, 7)));
    EXPECT_EQ(run.file("p.dat"), "345;one;\n007|dflt|\n");
    EXPECT_NE(run.file("c.dat").find(" U C\n"), std::string::npos);
}

TEST(TmbFiles, TheTableGrowsPastTwentyFiles) {
    ScratchDir dir;
    TmbFiles_c files;
    int reports = 0;
    ReportError report = [&](RunError, const char*, const char*) { ++reports; };
    std::vector<zFile*> opened;
    for (int i = 0; i < 30; ++i) {
        zFile* f = files.get(dir.path("f" + std::to_string(i)).c_str(), false, report);
        ASSERT_NE(f, nullptr) << i;
        opened.push_back(f);
    }
    EXPECT_EQ(files.openCount(), 30);
    EXPECT_EQ(files.get(dir.path("f3").c_str(), false, report), opened[3]);
    EXPECT_EQ(files.openCount(), 30);
    EXPECT_TRUE(files.flushAndSync(report));
    files.closeAll();
    EXPECT_EQ(files.openCount(), 0);
    EXPECT_TRUE(files.wasUsed(dir.path("f29").c_str()));
    EXPECT_EQ(reports, 0);
}
