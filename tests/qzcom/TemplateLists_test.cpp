// Names and counts from a terminal's template lists, checked on their own.
#include "PlainName.h"
#include "TemplateLists.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

using namespace qzcom;

TEST(PlainName, OnlyAPlainNameInTheWorkingDirectoryPasses) {
    for (const char* good : {"00001001.TPL", "qzcom.bio", "a.b", "x"}) EXPECT_TRUE(isPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "../x.TPL", "a/b", "/etc/abc.TPL", "a\\b", "x..y", "tab\there", "del\x7f"})
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
}

TEST(TemplateLists, NamesNeedTheirExtensionAndNoPath) {
    EXPECT_EQ(templateName("00001001.TPL\n", ReaderVariant::UpperFiles), "00001001.TPL");
    EXPECT_EQ(templateName("00001001.tpl and more", ReaderVariant::LowerFiles), "00001001.tpl");
    EXPECT_FALSE(templateName("00001001.tpl", ReaderVariant::UpperFiles));
    EXPECT_FALSE(templateName("1001.TPL", ReaderVariant::UpperFiles));
    EXPECT_FALSE(templateName("../../xx.TPL", ReaderVariant::UpperFiles));
    EXPECT_FALSE(templateName("/etc/abc.TPL", ReaderVariant::UpperFiles));
}

TEST(TemplateLists, FingerCountsAreHeldToTheirMaximum) {
    EXPECT_EQ(groupFingers("BIO 1001 FP 2\n"), 2u);
    EXPECT_EQ(groupFingers("BIO 1001 FP 0"), 0u);
    EXPECT_EQ(groupFingers("BIO 1001 FP 10"), kMostFingers);
    for (const char* bad : {"BIO 1001 FP 11", "BIO 1001 FP -1", "BIO 1001 FP 18446744073709551615",
                            "BIO 1001 FP", "BIO 1001 FP x", ""})
        EXPECT_FALSE(groupFingers(bad)) << bad;
}

TEST(TemplateLists, ABadgeListIsHeldToItsCountAndItsMaximum) {
    const std::string path = "/tmp/qzcom_badges." + std::to_string(getpid());
    std::ofstream(path) << "3\n1001\n1002\n";
    EXPECT_EQ(readBadgeList(path), (std::vector<long>{1001, 1002}));  // cut short by the end
    std::ofstream(path) << "10001\n1\n";
    EXPECT_FALSE(readBadgeList(path));
    std::ofstream(path) << "-5\n1\n";
    EXPECT_FALSE(readBadgeList(path));
    std::ofstream(path) << "1\n7\n8\n";
    EXPECT_EQ(readBadgeList(path), (std::vector<long>{7}));
    unlink(path.c_str());
}
