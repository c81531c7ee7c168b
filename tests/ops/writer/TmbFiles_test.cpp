// A punches file that starts afresh but cannot be deleted is emptied.
#include "TmbFiles.h"
#include "WriterTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/mount.h>
#include <unistd.h>

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Another file mounted over `target`: it cannot be deleted, but it can be
// written and truncated. Needs root.
class MountedOver {
public:
    MountedOver(const std::string& source, const std::string& target) : target_(target) {
        mounted_ = ::geteuid() == 0 && ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0;
    }
    ~MountedOver() {
        if (mounted_) ::umount2(target_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::string target_;
    bool mounted_ = false;
};

}  // namespace

TEST(TmbFiles, StartAfreshTruncatesAFileThatCannotBeDeleted) {
    ScratchDir dir;
    const std::string name = dir.path("tmb.txt");
    std::ofstream(name) << "lines of the previous run\n";
    std::ofstream(dir.path("over")) << "lines of the previous run\n";
    MountedOver over(dir.path("over"), name);
    if (!over.mounted()) GTEST_SKIP() << "a file that cannot be deleted needs root to bind-mount one";
    ASSERT_NE(::unlink(name.c_str()), 0);

    TmbFiles_c files;
    std::vector<RunError> reports;
    ReportError report = [&](RunError error, const char*, const char*) { reports.push_back(error); };
    zFile* file = files.get(name.c_str(), true, report);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(reports.empty());
    ASSERT_TRUE(file->writeString("new line\n"));
    ASSERT_TRUE(files.flushAndSync(report));
    files.closeAll();
    EXPECT_EQ(contents(name), "new line\n");
}
