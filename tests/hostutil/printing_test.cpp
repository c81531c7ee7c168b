// PrintFile and DefaultPrinter against the private CUPS scheduler that
// run_with_cups.sh starts (default raw queue "mirta_raw" writing to
// $MIRTA_PRINTED_FILE, "mirta_closed" rejecting jobs). The host runs no Qt,
// so messages go to standard error.
#include "hostTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace std::string_literals;

namespace {

class Printing : public ::testing::Test {
protected:
    void SetUp() override {
        const char* printed = std::getenv("MIRTA_PRINTED_FILE");
        ASSERT_TRUE(printed && std::getenv("CUPS_SERVER")) << "run through run_with_cups.sh";
        printedFile = printed;
    }

    // The scheduler hands the job to the backend on its own time.
    std::string waitForPrinted(std::size_t size) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (readBytes(printedFile).size() < size && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return readBytes(printedFile);
    }

    std::string printedFile;
    TempDir dir;
};

std::string binaryDocument(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 + (i >> 9));
    return bytes;
}

}  // namespace

TEST_F(Printing, RawJobReachesTheDeviceUnchanged) {
    const std::string document = binaryDocument(3 * 4096 + 17) + "\r\n\x1B" "E\x0C"s;
    writeBytes(dir.path("doc.prn"), document);
    const std::string before = readBytes(printedFile);
    ASSERT_EQ(mirta().PrintFile("mirta_raw", nullptr, dir.path("doc.prn").c_str()), 1);
    const std::string printed = waitForPrinted(before.size() + document.size());
    EXPECT_EQ(printed.size(), before.size() + document.size());
    EXPECT_TRUE(printed == before + document) << "printed bytes differ";
}

TEST_F(Printing, OutputFileReceivesTheBytesInsteadOfTheQueue) {
    const std::string document = binaryDocument(10000);
    writeBytes(dir.path("doc.prn"), document);
    ASSERT_EQ(mirta().PrintFile("mirta_raw", dir.path("out.prn").c_str(),
                                dir.path("doc.prn").c_str()),
              1);
    EXPECT_EQ(readBytes(dir.path("out.prn")), document);

    testing::internal::CaptureStderr();
    EXPECT_EQ(mirta().PrintFile("mirta_raw", dir.path("no/dir/out.prn").c_str(),
                                dir.path("doc.prn").c_str()),
              0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Div Uvedad: Inizio stampa su '" + dir.path("no/dir/out.prn") +
                  "' fallita: 2\nDiv Uvedad: No such file or directory\n");
}

TEST_F(Printing, UnknownOrClosedQueuesFailWithTheirMessages) {
    writeBytes(dir.path("doc.prn"), "text");
    testing::internal::CaptureStderr();
    EXPECT_EQ(mirta().PrintFile("no_such_queue", nullptr, dir.path("doc.prn").c_str()), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Div Uvedad: OpenPrinter per 'no_such_queue' fallita: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;  // then the error's text

    testing::internal::CaptureStderr();
    EXPECT_EQ(mirta().PrintFile(nullptr, nullptr, dir.path("doc.prn").c_str()), 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Div Uvedad: OpenPrinter per '(null)' fallita: ", 0), 0u) << err;

    testing::internal::CaptureStderr();
    EXPECT_EQ(mirta().PrintFile("mirta_closed", nullptr, dir.path("doc.prn").c_str()), 0);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Div Uvedad: Inizio stampa su '(null)' fallita: ", 0), 0u) << err;
}

TEST_F(Printing, DefaultPrinterGivesQueueModelAndDeviceCutTo128) {
    char device[129], driver[129], port[129];
    ASSERT_EQ(mirta().DefaultPrinter(device, driver, port), 1);
    EXPECT_STREQ(device, "mirta_raw");
    EXPECT_STREQ(driver, "Local Raw Printer");
    const std::string uri = "capture:" + printedFile;
    ASSERT_GT(uri.size(), 128u);
    EXPECT_EQ(std::string(port), uri.substr(0, 128));
}

TEST_F(Printing, DefaultPrinterWithoutSchedulerGivesEmptyNames) {
    // libcups keeps its server per thread, so a fresh thread sees the change.
    setenv("CUPS_SERVER", dir.path("no-scheduler.sock").c_str(), 1);
    char device[129] = "x", driver[129] = "y", port[129] = "z";
    int result = 0;
    std::thread([&] { result = mirta().DefaultPrinter(device, driver, port); }).join();
    EXPECT_EQ(result, 1);
    EXPECT_STREQ(device, "");
    EXPECT_STREQ(driver, "");
    EXPECT_STREQ(port, "");
}
