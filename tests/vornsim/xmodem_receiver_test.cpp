#include "CommandHandler.h"
#include "XmodemReceiver.h"

#include <gtest/gtest.h>

using namespace vornsim;
using namespace std::chrono_literals;

namespace {

const std::string NAK = "\x15", ACK = "\x06", CAN = "\x18", EOT = "\x04";

std::string packet(int number, std::string data, bool spoil = false) {
    data.resize(128, '\0');
    unsigned sum = 0;
    for (char c : data) sum += static_cast<unsigned char>(c);
    if (spoil) ++sum;
    return std::string(1, '\x01') + static_cast<char>(number) + static_cast<char>(255 - number) + data +
           static_cast<char>(sum & 0xFF);
}

struct ReceiverRig {
    explicit ReceiverRig(XmodemReceiver::Config c = {}) : rx(c) {
        XmodemReceiver::Output out;
        rx.start(now, out);
        line += out.toLine;
    }
    std::string send(const std::string& bytes) {
        XmodemReceiver::Output out;
        rx.receive(bytes, now, out);
        last = out;
        return out.toLine;
    }
    std::string wait(std::chrono::milliseconds d) {
        now += d;
        XmodemReceiver::Output out;
        rx.tick(now, out);
        return out.toLine;
    }
    XmodemReceiver rx;
    XmodemReceiver::Clock::time_point now{};
    XmodemReceiver::Output last;
    std::string line;
};

}  // namespace

TEST(XmodemReceiver, TakesBlocksUntilTheEnd) {
    ReceiverRig rig;
    EXPECT_EQ(rig.line, "") << "the first call waits for the sender to listen";
    EXPECT_EQ(rig.wait(100ms), NAK);
    EXPECT_EQ(rig.wait(999ms), "");
    EXPECT_EQ(rig.wait(1ms), NAK) << "called again while nothing comes";

    std::string first(128, 'a');
    EXPECT_EQ(rig.send(packet(1, first).substr(0, 50)), "") << "half a block is no block";
    EXPECT_EQ(rig.send(packet(1, first).substr(50)), ACK);
    EXPECT_EQ(rig.send(packet(1, first)), ACK) << "a repeat is acknowledged and not kept twice";
    EXPECT_EQ(rig.send(packet(2, "tail", true)), NAK) << "bad checksum";
    EXPECT_EQ(rig.send(packet(2, "tail")), ACK);
    EXPECT_EQ(rig.wait(5s), "") << "no calls once blocks come";
    EXPECT_FALSE(rig.rx.finished());
    EXPECT_EQ(rig.send(EOT), ACK);
    EXPECT_TRUE(rig.rx.finished());
    EXPECT_TRUE(rig.rx.complete());
    EXPECT_EQ(rig.rx.blocks(), 2);
    EXPECT_EQ(rig.rx.image(), first + "tail" + std::string(124, '\0'));
}

TEST(XmodemReceiver, BlockNumbersWrapAndAJumpCancels) {
    ReceiverRig rig;
    for (int n = 1; n <= 257; ++n) ASSERT_EQ(rig.send(packet(n & 0xFF, "x")), ACK) << n;
    EXPECT_EQ(rig.rx.blocks(), 257);
    EXPECT_EQ(rig.send(packet(5, "x")), CAN + CAN);
    EXPECT_TRUE(rig.rx.finished());
    EXPECT_FALSE(rig.rx.complete());
}

TEST(XmodemReceiver, AnswersWaitForTheBlockToComeDownTheLine) {
    XmodemReceiver::Config c;
    c.byteTimeNs = 1'000'000;  // 1 ms a byte
    ReceiverRig rig(c);
    rig.send(packet(1, "x"));
    EXPECT_EQ(rig.last.notBefore, rig.now + 132ms);
}

TEST(XmodemReceiver, TheSendersCancelEndsItAndSoDoesLongSilence) {
    ReceiverRig cancelled;
    cancelled.send(packet(1, "x"));
    cancelled.send(std::string(5, '\x18') + std::string(5, '\x08'));
    EXPECT_TRUE(cancelled.rx.finished());
    EXPECT_FALSE(cancelled.rx.complete());

    ReceiverRig cutShort;
    cutShort.send(packet(1, "x").substr(0, 60) + std::string(5, '\x18') + std::string(5, '\x08'));
    EXPECT_FALSE(cutShort.rx.finished()) << "still a block, as far as it knows";
    cutShort.wait(1s);
    EXPECT_TRUE(cutShort.rx.finished());
    EXPECT_FALSE(cutShort.rx.complete());

    XmodemReceiver::Config c;
    c.startNaks = 3;
    ReceiverRig quiet(c);
    std::string calls;
    for (int i = 0; i < 10 && !quiet.rx.finished(); ++i) calls += quiet.wait(1s);
    EXPECT_EQ(calls, NAK + NAK + NAK);
    EXPECT_TRUE(quiet.rx.finished());
}

TEST(XmodemReceiver, MisbehavioursForTheTests) {
    XmodemReceiver::Config c;
    ASSERT_TRUE(parseXmodemBehaviour("prompt", c));
    ReceiverRig prompt(c);
    EXPECT_EQ(prompt.wait(100ms), XmodemReceiver::kPrompt);
    EXPECT_EQ(prompt.send("n"), "");
    EXPECT_EQ(prompt.send("y"), NAK);

    ASSERT_TRUE(parseXmodemBehaviour("nak-storm", c));
    ReceiverRig storm(c);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(storm.send(packet(1, "x")), NAK);

    ASSERT_TRUE(parseXmodemBehaviour("can-can", c));
    ReceiverRig refusing(c);
    EXPECT_EQ(refusing.wait(100ms), CAN + CAN);

    ASSERT_TRUE(parseXmodemBehaviour("cancel-after:2", c));
    ReceiverRig quitter(c);
    EXPECT_EQ(quitter.send(packet(1, "x")), ACK);
    EXPECT_EQ(quitter.send(packet(2, "x")), ACK);
    EXPECT_EQ(quitter.send(packet(3, "x")), CAN + CAN);
    EXPECT_TRUE(quitter.rx.finished());

    ASSERT_TRUE(parseXmodemBehaviour("silent", c));
    ReceiverRig silent(c);
    EXPECT_EQ(silent.wait(1min), "");
    EXPECT_EQ(silent.send(packet(1, "x")), "");
    EXPECT_FALSE(silent.rx.finished());

    EXPECT_FALSE(parseXmodemBehaviour("cancel-after:", c));
    EXPECT_FALSE(parseXmodemBehaviour("loud", c));
}

TEST(DeviceCommands, ResetForEveryModelTheRestForTheVornLOnly) {
    Terminal vornL;
    vornL.model = 4;
    vornL.punches.resize(3);
    vornL.employees.resize(2);
    Terminal vorn3;
    vorn3.model = 3;
    auto answer = [](Terminal& t, const char* text) {
        Request r;
        r.text = text;
        return answerRequest(t, r).kind;
    };
    EXPECT_EQ(answer(vorn3, "@@"), Answer::Ok);
    for (const char* text : {"@B", "GL,BT", "GL,OF", "GL,UP"}) {
        EXPECT_EQ(answer(vorn3, text), Answer::Warning) << text;
        EXPECT_EQ(answer(vornL, text), Answer::Ok) << text;
    }
    EXPECT_TRUE(vornL.punches.empty()) << "the factory reset clears the data";
    EXPECT_TRUE(vornL.employees.empty());
}
