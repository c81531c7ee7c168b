// The XMODEM sender over a pseudo-terminal, with the receiving side played
// by the test on the other end: exact packets, the handshake, retries, the
// receiver's cancel and the operator's.
#include "LinkFakes.h"
#include "PtyPair.h"
#include "ToolInstall.h"
#include "XmodemPeer.h"
#include "zSerialPort.h"
#include "zXmodem.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t NAK = zXmodem::NAK, ACK = zXmodem::ACK, CAN = zXmodem::CAN, EOT = zXmodem::EOT;
const std::string kCancelSequence = "\x18\x18\x18\x18\x18\x08\x08\x08\x08\x08";

std::string pattern(std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return bytes;
}

class XmodemPty : public ::testing::Test {
protected:
    void SetUp() override {
        log.setListSink(&lines);
        ASSERT_TRUE(port.open()) << port.errorText().c_str();
    }
    void TearDown() override { std::filesystem::remove(firmwarePath); }

    void writeFirmware(const std::string& bytes) {
        std::ofstream(firmwarePath, std::ios::binary) << bytes;
    }

    // The receiver's first NAK, once the sender has cleared the line for it.
    void startWhenWaiting(XmodemPeer& rx) {
        if (dialog.waitUntilShown("Wait XMODEM handshake")) rx.sendByte(NAK);
    }

    // Runs the receiver's script on the other end while the sender sends.
    bool send(const std::function<void(XmodemPeer&)>& script) {
        std::thread far([&] { script(peer); });
        bool sent;
        {
            zXmodem sender(port, log, &dialog, timing);
            sent = sender.sendFile(firmwarePath.c_str());
            failure = sender.failure();
            state = sender.state();
        }
        far.join();
        return sent;
    }

    PtyPair pty;
    zLogger log{"/dev/null"};
    LogLines lines;
    FakeDialog dialog;
    zSerialPort port{pty.path.c_str()};
    XmodemPeer peer{pty.master};
    // Short waits: a test must not take the minute a terminal is given.
    XmodemTiming timing{1500, 200, 600};
    std::string firmwarePath = std::filesystem::temp_directory_path() / ("xmodem_" + std::to_string(getpid()) + ".bin");
    zXmodem::Failure failure = zXmodem::Failure::None;
    zXmodem::State state = zXmodem::State::Sending;
};

}  // namespace

TEST_F(XmodemPty, ThreeHundredBytesGoAsThreeBlocksWithZeroPadding) {
    const std::string data = pattern(300);
    writeFirmware(data);
    std::vector<XmodemPacket> packets;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        for (int i = 0; i < 3; ++i) {
            auto p = rx.packet();
            if (!p) return;
            packets.push_back(*p);
            rx.sendByte(ACK);
        }
        if (rx.read(1) == std::string(1, EOT)) rx.sendByte(ACK);
    });
    EXPECT_TRUE(acked) << lines.all();
    ASSERT_EQ(packets.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(packets[i].number, i + 1);
        EXPECT_EQ(packets[i].complement, 0xFF - (i + 1));
        EXPECT_TRUE(packets[i].checksumMatches());
    }
    EXPECT_EQ(packets[0].data + packets[1].data, data.substr(0, 256));
    EXPECT_EQ(packets[2].data, data.substr(256) + std::string(84, '\0'));
    EXPECT_TRUE(lines.has("File " + firmwarePath + " inviato !"));
    EXPECT_EQ(state, zXmodem::State::Sending);
}

TEST_F(XmodemPty, ExactlyTwoBlocksNeedNoPaddingBlockAndTheProgressSaysSo) {
    writeFirmware(pattern(256));
    int packets = 0;
    std::string afterBlocks;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        while (packets < 2 && rx.packet()) {
            ++packets;
            rx.sendByte(ACK);
        }
        afterBlocks = rx.read(1);
        rx.sendByte(ACK);
    });
    EXPECT_TRUE(acked);
    EXPECT_EQ(packets, 2);
    EXPECT_EQ(afterBlocks, std::string(1, EOT));
    std::string name = std::filesystem::path(firmwarePath).filename();
    EXPECT_EQ(dialog.caption, "XMODEM");
    EXPECT_TRUE(dialog.showed("Wait XMODEM handshake"));
    EXPECT_TRUE(dialog.showed("NAK ricevuto!"));
    EXPECT_TRUE(dialog.showed("Invio file " + name));
    EXPECT_TRUE(dialog.showed("Sending block 1/2"));
    EXPECT_TRUE(dialog.showed("Sending block 2/2"));
    EXPECT_TRUE(dialog.showed("File " + name + " Inviato! "));
    EXPECT_EQ(dialog.barRange, 256);
    EXPECT_EQ(dialog.barPosition, 256);
    EXPECT_EQ(dialog.barColour, 0x8000u);
    EXPECT_EQ(dialog.closes, 1);
}

TEST_F(XmodemPty, AnEmptyFileSendsOnlyTheEndAndCountsAsSent) {
    writeFirmware("");
    std::string seen;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        seen = rx.read(1);
        rx.sendByte(ACK);
    });
    EXPECT_TRUE(acked);
    EXPECT_EQ(seen, std::string(1, EOT));
    EXPECT_TRUE(lines.has(" inviato !"));
}

TEST_F(XmodemPty, BlockNumberWrapsAfter255) {
    writeFirmware(pattern(257 * 128));
    std::vector<std::pair<int, int>> numbers;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        for (int i = 0; i < 257; ++i) {
            auto p = rx.packet();
            if (!p) return;
            numbers.emplace_back(p->number, p->complement);
            rx.sendByte(ACK);
        }
        rx.read(1);
        rx.sendByte(ACK);
    });
    EXPECT_TRUE(acked) << lines.all();
    ASSERT_EQ(numbers.size(), 257u);
    EXPECT_EQ(numbers[254], std::make_pair(255, 0x00));
    EXPECT_EQ(numbers[255], std::make_pair(0x00, 0xFF));  // block 256
    EXPECT_EQ(numbers[256], std::make_pair(1, 0xFE));
}

TEST_F(XmodemPty, AQuestionBeforeTheStartIsAnsweredYesOnce) {
    writeFirmware(pattern(100));
    std::string answer;
    bool acked = send([&](XmodemPeer& rx) {
        dialog.waitUntilShown("Wait XMODEM handshake");
        rx.send("\r\nAggiornare il firmware?");
        answer = rx.read(1);
        startWhenWaiting(rx);
        if (rx.packet()) rx.sendByte(ACK);
        rx.read(1);
        rx.sendByte(ACK);
    });
    EXPECT_TRUE(acked);
    EXPECT_EQ(answer, "y");
    const std::string& seen = peer.received();
    EXPECT_EQ(seen.substr(0, seen.find('\x01')), "y") << "one answer, before the first block";
    EXPECT_TRUE(dialog.showed("Aggiornare il firmware?"));
}

TEST_F(XmodemPty, ASilentReceiverEndsTheHandshakeWithTheCancelSequence) {
    writeFirmware(pattern(10));
    auto start = Clock::now();
    std::string tail;
    bool acked = send([&](XmodemPeer& rx) { tail = rx.read(kCancelSequence.size(), 5000); });
    EXPECT_FALSE(acked);
    EXPECT_GE(msSince(start), timing.handshakeMs);
    EXPECT_EQ(failure, zXmodem::Failure::NoHandshake);
    EXPECT_EQ(tail, kCancelSequence);
    EXPECT_TRUE(lines.has("Error XMODEM protocol init"));
    EXPECT_FALSE(lines.has("inviato"));
    EXPECT_FALSE(lines.has("fallito"));
}

TEST_F(XmodemPty, TwoCancelsBeforeTheFirstNakRefuseTheTransfer) {
    writeFirmware(pattern(10));
    std::string tail;
    bool acked = send([&](XmodemPeer& rx) {
        dialog.waitUntilShown("Wait XMODEM handshake");
        rx.sendByte(CAN);
        rx.sendByte(ACK);
        tail = rx.read(kCancelSequence.size());
    });
    EXPECT_FALSE(acked);
    EXPECT_EQ(failure, zXmodem::Failure::ReceiverRefused);
    EXPECT_TRUE(lines.has("Received CAN CAN while waiting initial handshake!"));
    EXPECT_TRUE(lines.has("Error XMODEM protocol init"));
    EXPECT_EQ(tail, kCancelSequence);
}

TEST_F(XmodemPty, ABlockNakedEveryTimeIsSentElevenTimesThenCancelled) {
    writeFirmware(pattern(200));
    int sent = 0;
    std::string tail;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        while (rx.packet()) {
            ++sent;
            startWhenWaiting(rx);
            if (sent == 11) break;
        }
        tail = rx.read(kCancelSequence.size());
    });
    EXPECT_FALSE(acked);
    EXPECT_EQ(sent, 11);
    EXPECT_EQ(failure, zXmodem::Failure::NotAcknowledged);
    EXPECT_EQ(lines.count("Retransmissione packeto nr. 1. Ricevuto NAK"), 10);
    EXPECT_EQ(tail, kCancelSequence);
}

TEST_F(XmodemPty, ALateAnswerIsWaitedForAgainWithoutResending) {
    timing.answerMs = 1000;
    writeFirmware(pattern(100));
    int packets = 0;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        if (rx.packet()) ++packets;
        // Quiet for longer than one answer wait, then the acknowledgement.
        if (rx.packet(timing.answerMs + 300)) ++packets;
        rx.sendByte(ACK);
        rx.read(1);
        rx.sendByte(ACK);
    });
    EXPECT_TRUE(acked) << lines.all();
    EXPECT_EQ(packets, 1);
    EXPECT_TRUE(lines.has("packeto nr. 1. Timeout waiting NAK"));
}

TEST_F(XmodemPty, AReceiverThatFallsSilentIsWaitedForTenTimesMore) {
    timing.answerMs = 150;
    timing.byteTimeoutMs = 50;
    writeFirmware(pattern(100));
    int packets = 0;
    std::string tail;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        if (rx.packet()) ++packets;
        tail = rx.read(kCancelSequence.size(), 10000);
    });
    EXPECT_FALSE(acked);
    EXPECT_EQ(packets, 1);
    EXPECT_EQ(failure, zXmodem::Failure::NoAnswer);
    EXPECT_EQ(lines.count("packeto nr. 1. Timeout waiting NAK"), 10);
    EXPECT_EQ(tail, kCancelSequence) << "nothing sent again, then the cancel";
}

TEST_F(XmodemPty, AReceiverCancelMidwayFailsWithoutTheCancelSequence) {
    writeFirmware(pattern(300));
    std::string after;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        if (rx.packet()) rx.sendByte(ACK);
        if (rx.packet()) rx.send(std::string(2, static_cast<char>(CAN)));
        after = rx.read(1, 500);
    });
    EXPECT_FALSE(acked);
    EXPECT_EQ(failure, zXmodem::Failure::ReceiverCancelled);
    EXPECT_EQ(state, zXmodem::State::CancelledByReceiver);
    EXPECT_TRUE(lines.has("Received CAN CAN while waiting on ACK/NAK"));
    EXPECT_TRUE(lines.has("Trasmissione cancellata da receiver"));
    EXPECT_TRUE(lines.has("Invio file " + firmwarePath + " fallito !"));
    EXPECT_EQ(after, "");
}

TEST_F(XmodemPty, TheEndIsRepeatedUntilAcknowledged) {
    writeFirmware(pattern(10));
    std::string ends;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        if (rx.packet()) rx.sendByte(ACK);
        ends += rx.read(1);
        startWhenWaiting(rx);
        ends += rx.read(1);
        rx.sendByte(ACK);
    });
    EXPECT_TRUE(acked);
    EXPECT_EQ(ends, std::string(2, EOT));
}

TEST_F(XmodemPty, AnEndLostOnTheWayIsSentAgain) {
    writeFirmware(pattern(10));
    std::string ends;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        if (rx.packet()) rx.sendByte(ACK);
        ends += rx.read(1);  // missed: no answer
        ends += rx.read(1);
        rx.sendByte(ACK);
    });
    EXPECT_TRUE(acked) << lines.all();
    EXPECT_EQ(ends, std::string(2, EOT));
    EXPECT_TRUE(lines.has(" inviato !"));
}

TEST_F(XmodemPty, AnEndNeverAcknowledgedFailsTheTransfer) {
    writeFirmware(pattern(10));
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        if (rx.packet()) rx.sendByte(ACK);
        rx.read(4 + kCancelSequence.size(), 4 * timing.answerMs + 3000);
    });
    EXPECT_FALSE(acked);
    EXPECT_EQ(failure, zXmodem::Failure::EndNotAcknowledged);
    const std::string& seen = peer.received();
    EXPECT_EQ(seen.substr(zXmodem::kPacketSize), std::string(4, EOT) + kCancelSequence);
    EXPECT_FALSE(lines.has(" inviato !"));
    std::string name = std::filesystem::path(firmwarePath).filename();
    EXPECT_FALSE(dialog.showed("File " + name + " Inviato! "));
}

TEST_F(XmodemPty, TheOperatorCancelsTheHandshake) {
    writeFirmware(pattern(10));
    dialog.stopAtPump = 2;
    std::string tail;
    bool acked = send([&](XmodemPeer& rx) { tail = rx.read(kCancelSequence.size()); });
    EXPECT_FALSE(acked);
    EXPECT_EQ(failure, zXmodem::Failure::OperatorCancel);
    EXPECT_TRUE(lines.has("Trasmissione cancellata dall'utente"));
    EXPECT_EQ(tail, kCancelSequence);
}

TEST_F(XmodemPty, TheOperatorCancelsBetweenBlocks) {
    writeFirmware(pattern(1000));
    int packets = 0;
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        while (auto p = rx.packet()) {
            ++packets;
            if (packets == 2) dialog.stopAtPump = 1;
            rx.sendByte(ACK);
        }
    });
    EXPECT_FALSE(acked);
    EXPECT_EQ(failure, zXmodem::Failure::OperatorCancel);
    EXPECT_LT(packets, 8);
    EXPECT_TRUE(contains(peer.received(), kCancelSequence));
    EXPECT_TRUE(lines.has("Trasmissione cancellata dall'utente"));
}

TEST_F(XmodemPty, AMissingFileSendsNothing) {
    bool acked = send([](XmodemPeer&) {});
    EXPECT_FALSE(acked);
    EXPECT_EQ(failure, zXmodem::Failure::FileOpen);
    EXPECT_TRUE(lines.has("Error open file " + firmwarePath));
    EXPECT_EQ(pty.receive(50), "");
}

TEST_F(XmodemPty, AFileThatShrinksMidwayFailsInsteadOfEndingShort) {
    // Larger than the stream's buffer, so that the cut is read.
    writeFirmware(pattern(20000));
    bool acked = send([&](XmodemPeer& rx) {
        startWhenWaiting(rx);
        if (rx.packet()) std::filesystem::resize_file(firmwarePath, 200);
        rx.sendByte(ACK);
        while (auto p = rx.packet()) rx.sendByte(ACK);
    });
    EXPECT_FALSE(acked);
    EXPECT_EQ(failure, zXmodem::Failure::FileRead);
    const std::string& seen = peer.received();
    EXPECT_EQ(seen.substr(seen.size() - kCancelSequence.size()), kCancelSequence) << "no end of transmission";
    EXPECT_TRUE(lines.has(" fallito !"));
}

TEST_F(XmodemPty, ALineThatDropsEndsTheHandshakeAtOnce) {
    writeFirmware(pattern(10));
    timing.handshakeMs = 20000;
    auto start = Clock::now();
    bool acked = send([&](XmodemPeer&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.closeMaster();
    });
    EXPECT_FALSE(acked);
    EXPECT_EQ(failure, zXmodem::Failure::ReadFailed);
    EXPECT_LT(msSince(start), 10000);
}

TEST_F(XmodemPty, TheLinkGetsItsSettingsBack) {
    port.setTerminator('\x04');
    port.setReadTimeout(1234);
    port.setWriteTimeout(567);
    writeFirmware(pattern(10));
    send([&](XmodemPeer& rx) {
        dialog.waitUntilShown("Wait XMODEM handshake");
        rx.sendByte(CAN);
        rx.sendByte(CAN);
    });
    EXPECT_EQ(port.terminator(), '\x04');
    EXPECT_EQ(port.readTimeout(), 1234);
    EXPECT_EQ(port.writeTimeout(), 567);
}
