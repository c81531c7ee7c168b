#include "Telegram.h"

#include "crc16.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A reply as a terminal would send it, built here by hand.
std::string reply(const std::string& body, bool upperCrc = false, const char* dest = "00") {
    std::string t = "\x01";
    t += dest;
    t += body;
    char crc[8];
    std::snprintf(crc, sizeof crc, upperCrc ? "%04X" : "%04x", fnd::crc16(t.data(), t.size()));
    return t + crc + "\x04";
}

void receive(TelegramFrame& f, const std::string& bytes) {
    std::size_t n = std::min(bytes.size(), TelegramFrame::kBufferSize);
    std::memcpy(f.receiveBuffer(), bytes.data(), n);
    f.setReceivedLength(n);
}

}  // namespace

TEST(Telegram, RequestLayoutChecksumAndSequenceWrap) {
    TelegramFrame f;
    ASSERT_TRUE(f.build(5, 2, TelegramCommand("VE")));
    std::string req(f.request(), f.requestLength());
    std::string head = "\x01" "05000102VE";
    ASSERT_EQ(req.substr(0, head.size()), head);
    char crc[5];
    std::snprintf(crc, sizeof crc, "%04x", fnd::crc16(head.data(), head.size()));
    EXPECT_EQ(req, head + crc + "\x04");

    for (int i = 2; i <= 99; ++i) f.build(5, 15, TelegramCommand("RE,NR"));
    EXPECT_EQ(f.sequence(), 99);
    EXPECT_EQ(std::string(f.request() + 5, 4), "9905");  // COM_TIME_OUT 15 goes out as 05
    f.build(5, 105, TelegramCommand("RE,NR"));
    EXPECT_EQ(std::string(f.request() + 5, 4), "0105");  // never 00 after the wrap
}

TEST(Telegram, DataSectionIsLowercaseHexAfterStxAndMustFit) {
    TelegramFrame f;
    unsigned char data[] = {0x00, 0xAB, 0x7f};
    ASSERT_TRUE(f.build(12, 2, TelegramCommand("EM,SE", TelegramCommand::SendData, data, 3)));
    std::string req(f.request(), f.requestLength());
    EXPECT_EQ(req.substr(0, 21), std::string("\x01" "12000102EM,SE\x02" "00ab7f"));

    unsigned char big[600] = {};
    EXPECT_TRUE(f.build(1, 2, TelegramCommand("", TelegramCommand::SendData, big, TelegramFrame::kMaxDataBytes)));
    EXPECT_LE(f.requestLength(), TelegramFrame::kBufferSize - 1);
    EXPECT_FALSE(f.build(1, 2, TelegramCommand("EM,SE", TelegramCommand::SendData, big, 600)));
    EXPECT_EQ(f.requestLength(), 0u);
}

TEST(Telegram, ReplyFoundAfterNoiseAndTakenApart) {
    TelegramFrame f;
    f.build(5, 2, TelegramCommand("RE,GE,1"));
    receive(f, "\xff\x13garbage" + reply("050102OK\x02" "0a0b", true));
    ASSERT_EQ(f.parse(), RunError::None);
    EXPECT_EQ(f.header().sourceNode, 5);
    EXPECT_EQ(f.header().sequence, 1);
    EXPECT_EQ(f.header().extra, 2);
    EXPECT_EQ(f.received()[0], '\x01');  // realigned at the SOH
    EXPECT_EQ(f.replyText(), "OK");
    EXPECT_EQ(f.replyData(), "0a0b");
    unsigned char out[4] = {9, 9, 9, 9};
    f.decodeReplyData(out, 4);
    EXPECT_EQ(out[0], 0x0a);
    EXPECT_EQ(out[1], 0x0b);
    EXPECT_EQ(out[2], 0);  // short data section: zero fill
    EXPECT_EQ(out[3], 0);
}

TEST(Telegram, BadRepliesGiveTheirStatus) {
    TelegramFrame f;
    receive(f, reply("050100W"));
    EXPECT_EQ(f.parse(), RunError::None);
    EXPECT_EQ(f.replyText(), "W");
    EXPECT_EQ(f.replyData(), "");

    std::string badCrc = reply("050100OK");
    badCrc[badCrc.size() - 2] ^= 1;
    receive(f, badCrc);
    EXPECT_EQ(f.parse(), RunError::BadCrc);

    receive(f, reply("050100OK", false, "07"));  // right checksum, wrong destination
    EXPECT_EQ(f.parse(), RunError::BadTelegram);
    EXPECT_EQ(f.replyText(), "");

    std::string noEot = reply("050100OK");
    noEot.pop_back();
    receive(f, noEot);
    EXPECT_EQ(f.parse(), RunError::BadTelegram);

    receive(f, "no start of header here\x04");
    EXPECT_EQ(f.parse(), RunError::BadTelegram);
    receive(f, "\x01\x04");  // too short to hold a checksum
    EXPECT_EQ(f.parse(), RunError::BadTelegram);

    unsigned char out[2] = {7, 7};
    f.decodeReplyData(out, 2);  // nothing valid: zero fill
    EXPECT_EQ(out[0], 0);
}

TEST(Telegram, OverlongRepliesNeverOverrunTheBuffer) {
    TelegramFrame f;
    std::string huge(5000, 'x');
    receive(f, huge + reply("050100OK"));
    EXPECT_EQ(f.parse(), RunError::BadTelegram);
    EXPECT_EQ(std::strlen(f.received()), TelegramFrame::kBufferSize);
}
