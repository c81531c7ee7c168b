#include "Telegram.h"
#include "TelegramFramer.h"

#include "crc16.h"

#include <gtest/gtest.h>

using namespace vornsim;

namespace {
const std::string SOH(1, '\x01'), STX(1, '\x02'), EOT(1, '\x04');
}

TEST(Telegram, ChecksumIsCrc16ArcOverEverythingBeforeIt) {
    EXPECT_EQ(fnd::crc16("123456789", 9), 0xBB3D);
    // Worked out by hand with a bitwise CRC-16/ARC: node 5, sequence 1, timeout 2, "VE".
    auto parsed = parseRequest(SOH + "05000102VE" + "ed74" + EOT);
    ASSERT_EQ(parsed.error, RequestError::None) << parsed.reason;
    EXPECT_EQ(parsed.request.destination, 5);
    EXPECT_EQ(parsed.request.source, 0);
    EXPECT_EQ(parsed.request.sequence, 1);
    EXPECT_EQ(parsed.request.timeoutField, 2);
    EXPECT_EQ(parsed.request.text, "VE");
    EXPECT_FALSE(parsed.request.data);
}

TEST(Telegram, RequestDataAndChecksumCases) {
    std::string body = SOH + "07000905TI,SE" + STX + "0a0B1c2d";
    char crc[5];
    std::snprintf(crc, sizeof crc, "%04X", fnd::crc16(body.data(), body.size()));
    auto upper = parseRequest(body + crc + EOT);
    ASSERT_EQ(upper.error, RequestError::None) << "upper-case checksum digits are accepted";
    EXPECT_EQ(upper.request.text, "TI,SE");
    EXPECT_EQ(*upper.request.data, (Bytes{0x0a, 0x0b, 0x1c, 0x2d}));

    EXPECT_EQ(parseRequest(SOH + "05000102VE" + "ed75" + EOT).error, RequestError::BadChecksum);
    EXPECT_EQ(parseRequest(SOH + "0x000102VE" + "ed74" + EOT).error, RequestError::Malformed);
    EXPECT_EQ(parseRequest(SOH + "05" + EOT).error, RequestError::Malformed);

    std::string odd = SOH + "05000102EM,SE" + STX + "abc";
    std::snprintf(crc, sizeof crc, "%04x", fnd::crc16(odd.data(), odd.size()));
    EXPECT_EQ(parseRequest(odd + crc + EOT).error, RequestError::Malformed) << "odd number of hex digits";
}

TEST(Telegram, ReplyLayoutByteForByte) {
    ReplyParts reply;
    reply.source = 5;
    reply.sequence = 42;
    reply.data = Bytes{0x03, 0x00};
    std::string prefix = SOH + "000542" + "00" + STX + "0300";
    char crc[5];
    std::snprintf(crc, sizeof crc, "%04x", fnd::crc16(prefix.data(), prefix.size()));
    EXPECT_EQ(buildReply(reply), prefix + crc + EOT);

    reply.text = "W";
    reply.data.reset();
    reply.destination = 5;
    std::string warn = buildReply(reply);
    EXPECT_EQ(warn.substr(0, 10), SOH + "050542" + "00W");

    reply.corruptChecksum = true;
    std::string bad = buildReply(reply);
    EXPECT_EQ(bad.substr(0, 10), warn.substr(0, 10));
    EXPECT_NE(bad, warn);
}

TEST(Telegram, EscapingKeepsLogLinesReadable) {
    EXPECT_EQ(escapeBytes(std::string("\x01" "A\\b\n\xff", 6)), "\\x01A\\\\b\\x0a\\xff");
}

TEST(TelegramFramer, NoiseSplitTelegramsAndOversize) {
    TelegramFramer f(false);
    auto ev = f.feed("xx" + SOH + "0500");
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].kind, FramerEvent::Noise);
    EXPECT_EQ(ev[0].bytes, "xx");
    EXPECT_TRUE(f.inTelegram());
    ev = f.feed("0102VEed74" + EOT + "zz");
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].kind, FramerEvent::Telegram);
    EXPECT_EQ(ev[0].bytes, SOH + "05000102VEed74" + EOT);
    EXPECT_EQ(ev[1].kind, FramerEvent::Noise);

    // A telegram that never ends is refused at 1024 bytes; the next one still gets through.
    ev = f.feed(SOH + std::string(2000, 'a') + EOT + SOH + "05000102VEed74" + EOT);
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].kind, FramerEvent::Oversize);
    EXPECT_EQ(ev[0].bytes.size(), 1024u);
    EXPECT_EQ(ev[1].kind, FramerEvent::Telegram);

    // A second SOH abandons the unfinished telegram before it.
    ev = f.feed(SOH + "0500" + SOH + "05000102VEed74" + EOT);
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].kind, FramerEvent::Noise);
    EXPECT_EQ(ev[1].kind, FramerEvent::Telegram);
}

TEST(TelegramFramer, BridgeQueryOnlyOnBridgeEndpoints) {
    TelegramFramer bridge(true);
    EXPECT_TRUE(bridge.feed("//").empty());
    auto ev = bridge.feed("//Z");
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].kind, FramerEvent::BridgeQuery);

    TelegramFramer serial(false);
    ev = serial.feed("////Z");
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].kind, FramerEvent::Noise);
}
