#include "VersionReport.h"
#include "TextFile.h"

#include "crc16.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

struct Lines : InfoSink {
    std::vector<std::string> lines;
    void addInfoLine(const char* line) override { lines.emplace_back(line); }
};

void put16(unsigned char* p, int v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>(v >> 8);
}

std::filesystem::path tempPath(const char* name) {
    return std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(getpid()));
}

}  // namespace

TEST(VersionReport, RecordFieldsReportAndResultLine) {
    unsigned char b[VersionRecord::kSize] = {};
    std::memcpy(b, "ACME SRL", 8);
    std::memcpy(b + 21, "12/03/2024", 10);
    std::memcpy(b + 36, "10:30", 5);
    std::memcpy(b + 46, "V3.21ABCDEFG", 10);  // fills the field: no terminator
    put16(b + 56, 1000);
    put16(b + 58, 12);
    put16(b + 60, 500);
    put16(b + 62, 37);
    put16(b + 64, 8);
    put16(b + 66, 2);
    put16(b + 68, fnd::crc16(b, 68));

    VersionRecord v = VersionRecord::decode(b);
    EXPECT_STREQ(v.version, "V3.21ABCDE");
    EXPECT_EQ(versionResultLine(v), "V3.21ABCDE 12/03/2024 10:30 ACME SRL 1000 12 500 37 8 2\n");

    zLogger log("/dev/null");
    InfoOutput out(log);
    Lines sink;
    out.setSink(&sink);
    reportVersion(out, "[Term 005]", v);
    ASSERT_EQ(sink.lines.size(), 11u);
    EXPECT_EQ(sink.lines[0], "=== [Term 005] Version info ===");
    EXPECT_EQ(sink.lines[4], "   Version: V3.21ABCDE");
    EXPECT_EQ(sink.lines[5], "  NumOfRec: 1000");
    EXPECT_EQ(sink.lines[8], "       emp: 37");

    // A wrong CRC is one more line; the report is still shown.
    b[68] ^= 0xFF;
    sink.lines.clear();
    reportVersion(out, "[Term 005]", VersionRecord::decode(b));
    ASSERT_EQ(sink.lines.size(), 12u);
    EXPECT_EQ(sink.lines[11].rfind("CRC Error: Received ", 0), 0u);
}

TEST(InfoOutput, DataOutGetsEveryLineAndAnUnopenableFileIsReportedOnce) {
    auto dataOut = tempPath("dataout_");
    std::filesystem::remove(dataOut);
    auto logPath = tempPath("infolog_");
    std::filesystem::remove(logPath);
    {
        zLogger log(logPath.c_str());
        InfoOutput out(log);
        out.setDataOut(dataOut.c_str());
        out.line("Versione: %s", "T2 1.0");
        out.line("second");
        InfoOutput broken(log);
        broken.setDataOut("/nonexistent-dir/out.txt");
        broken.line("lost 1");
        broken.line("lost 2");
    }
    EXPECT_EQ(readFile(dataOut), "Versione: T2 1.0\nsecond\n");
    std::string text = readFile(logPath);
    auto first = text.find("/nonexistent-dir/out.txt open error. ");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.find("open error", first + 30), std::string::npos);
    std::filesystem::remove(dataOut);
    std::filesystem::remove(logPath);
}
