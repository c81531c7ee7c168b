#include "ConsoleBreakDialog.h"

#include <gtest/gtest.h>

#include <csignal>

TEST(ConsoleBreakDialog, KeepsThreeLinesAndCtrlCCancelsTheOpenDialog) {
    ConsoleBreakDialog::installInterruptHandler();
    ConsoleBreakDialog dialog(-1);  // not a terminal: nothing is drawn
    dialog.open("Scarico timbrature");
    EXPECT_FALSE(dialog.pump());
    dialog.addLine("uno");
    dialog.addLine("due");
    dialog.addLine("tre");
    dialog.addLine("quattro");
    EXPECT_EQ(dialog.text(), " due\n tre\n quattro\n");

    std::raise(SIGINT);
    EXPECT_TRUE(dialog.pump());
    EXPECT_TRUE(dialog.pump());  // stays cancelled until closed
    dialog.close();

    dialog.open();
    EXPECT_FALSE(dialog.pump());  // the next command starts afresh
    dialog.close();
    EXPECT_FALSE(dialog.pump());  // a closed dialog cannot be interrupted
}
