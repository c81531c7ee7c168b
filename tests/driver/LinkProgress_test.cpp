// The progress line of links that run side by side, and the operator's
// stop reaching every link.
#include "LinkProgress.h"
#include "Eventually.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// The front end's dialog as the board drives it.
class FrontEnd : public BREAKDLG_C {
public:
    void open(const char*, int, int) override { opened = true; }
    bool pump() override { return stopAnswers-- > 0; }
    void setText(const char* text) override { texts.emplace_back(text); }
    void addLine(const char*) override {}
    void showBar(int, unsigned) override {}
    void setBar(int, const char*) override {}
    void close() override { opened = false; }

    bool opened = false;
    int stopAnswers = 0;  // how many pumps still answer "stop"
    std::vector<std::string> texts;
};

}  // namespace

TEST(LinkProgress, OneLineShowsEveryLinkThatShowsProgress) {
    FrontEnd front;
    {
        LinkBoard board(front);
        EXPECT_TRUE(front.opened);
        LinkDialog first(board), second(board), idle(board);
        first.setTerminal(1);
        second.setTerminal(4);
        idle.setTerminal(9);
        first.open("[Term 001]: Ricez. 1000 Timbrature");
        first.showBar(1000);
        first.setBar(340, "Timbratura: 340");
        second.open();
        second.showBar(80);
        second.setBar(12);
        EXPECT_EQ(board.line(), "[1] 340/1000 [4] 12/80");
        // A change of what is open shows at once.
        EXPECT_EQ(front.texts.back(), "[1] 340/1000 [4] 0/80");

        first.close();
        EXPECT_EQ(front.texts.back(), "[4] 12/80");
        // A link without a bar shows its last text line.
        idle.open("Chiamata 0123");
        EXPECT_EQ(board.line(), "[4] 12/80 [9] Chiamata 0123");
    }
    EXPECT_FALSE(front.opened);
}

TEST(LinkProgress, TheOperatorsStopReachesEveryLinkAndStays) {
    FrontEnd front;
    LinkBoard board(front);
    LinkDialog first(board), second(board);
    EXPECT_FALSE(first.pump());
    front.stopAnswers = 1;  // the front end tells of the stop once
    // The front end is asked now and then, not at every record.
    std::thread other([&] { EXPECT_TRUE(eventually([&] { return second.pump(); })); });
    other.join();
    EXPECT_TRUE(first.pump());
    EXPECT_TRUE(second.pump());
    EXPECT_TRUE(board.stopRequested());
}
