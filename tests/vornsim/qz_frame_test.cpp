// The simulator's own codec of the QZ family's frames.
#include "QzFrame.h"

#include <gtest/gtest.h>

using namespace vornsim::qz;

TEST(QzSimFrame, ParsesTheSmallestRequest) {
    std::string why;
    auto r = parseQzRequest(std::string("\x02\x81" "01" "\xE4\r"), why);
    ASSERT_TRUE(r) << why;
    EXPECT_EQ(r->address, 1);
    EXPECT_FALSE(r->tag);
    EXPECT_EQ(r->code, "01");
    EXPECT_EQ(r->data, "");
}

TEST(QzSimFrame, RefusesABadCheckByteAndShortFrames) {
    std::string why;
    EXPECT_FALSE(parseQzRequest(std::string("\x02\x81" "01" "\xE5\r"), why));
    EXPECT_EQ(why, "bad check byte");
    EXPECT_FALSE(parseQzRequest(std::string("\x02\x81\r"), why));
    EXPECT_FALSE(parseQzRequest("", why));
}

TEST(QzSimFrame, TaggedRequestAndReply) {
    std::string body = std::string("\x02\x85*0042") + "13xyz";
    unsigned sum = 0;
    for (unsigned char c : body) sum += c;
    std::string why;
    auto r = parseQzRequest(body + static_cast<char>(0x80 | (sum & 0x7f)) + "\r", why);
    ASSERT_TRUE(r) << why;
    EXPECT_EQ(r->tag, 42);
    EXPECT_EQ(r->code, "13");
    EXPECT_EQ(r->data, "xyz");
    EXPECT_EQ(buildQzReply(5, 42, "OK").substr(0, 9), std::string("\x01\x85*0042OK"));
}

TEST(QzSimFrame, FramerDropsNoiseAndSplitsFrames) {
    QzFramer framer;
    auto events = framer.feed(std::string("zz\x02\x81" "01" "\xE4\r\x02\x81"));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, QzFramer::Event::Noise);
    EXPECT_EQ(events[1].kind, QzFramer::Event::Frame);
    events = framer.feed("02\xE5\r");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].bytes, std::string("\x02\x81" "02\xE5\r"));
    events = framer.feed("\x02" + std::string(1100, 'a'));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, QzFramer::Event::Oversize);
}
