#include "Frame.h"

#include <gtest/gtest.h>

using namespace qzcom;

TEST(QzFrame, AddressOneCodeOneWithoutData) {
    EXPECT_EQ(requestFrame(1, std::nullopt, "01", ""), std::string("\x02\x81" "01" "\xE4\x0D"));
}

TEST(QzFrame, CheckByteSumsEverythingBeforeIt) {
    const std::string frame = requestFrame(5, 42, "13", "xyz");
    EXPECT_EQ(frame.substr(0, 12), std::string("\x02\x85*004213xyz"));
    EXPECT_EQ(static_cast<unsigned char>(frame[12]), checkByte(frame.substr(0, 12)));
    EXPECT_EQ(frame.back(), '\r');
    EXPECT_EQ(checkByte("") & 0x80, 0x80);
}

TEST(QzFrame, ReplyCodes) {
    EXPECT_EQ(replyCode("T01Rx0012"), 12);
    EXPECT_EQ(replyCode("T01Rx0000"), 0);
    EXPECT_EQ(replyCode("T05Rx9999"), 9999);
    EXPECT_EQ(replyCode("OK"), 0);
    EXPECT_EQ(replyCode("T01rx0012"), 0);
    EXPECT_EQ(replyCode("X01Rx0012"), 0);
    EXPECT_EQ(replyCode("T01Rx12ab"), 12);
    EXPECT_EQ(replyCode(""), 0);
}

TEST(QzFrame, ReplyTextWithAndWithoutTag) {
    const std::string plain = std::string("\x01\x81") + "T01Rx0000" + "\xC0\r";
    EXPECT_EQ(replyText(plain, false), "T01Rx0000");
    std::optional<int> tag;
    const std::string tagged = std::string("\x01\x81*0123") + "OK" + "\xC0\r";
    EXPECT_EQ(replyText(tagged, true, &tag), "OK");
    EXPECT_EQ(tag, 123);
    EXPECT_EQ(replyText("\x01\x81*01x3OK\xC0\r", true, &tag), "OK");
    EXPECT_FALSE(tag);
    EXPECT_EQ(replyText("\x01\r", false), "");
    EXPECT_EQ(replyText("", true, &tag), "");
}

TEST(QzFrame, CollectorRestartsAtSohAndEndsAtCr) {
    LineCollector c;
    for (char b : std::string("noise\x01\x81OK")) EXPECT_EQ(c.add(b), LineCollector::State::More);
    EXPECT_EQ(c.add('\r'), LineCollector::State::Complete);
    EXPECT_EQ(c.line(), "\x01\x81OK\r");
}

TEST(QzFrame, CollectorOverflowsAt1024Bytes) {
    LineCollector c;
    for (int i = 0; i < 1023; ++i) ASSERT_EQ(c.add('x'), LineCollector::State::More);
    EXPECT_EQ(c.add('x'), LineCollector::State::Overflow);
}
