#include "ResultFile.h"
#include "RunErrors.h"

#include <gtest/gtest.h>

TEST(ResultFile, CountAndErrorForms) {
    EXPECT_EQ(resultLine(0, 12), "00012\n");
    EXPECT_EQ(resultLine(0, 0), "00000\n");
    EXPECT_EQ(resultLine(87, 5), "-0200\n");
    EXPECT_EQ(resultLine(102, 0), "-0200\n");
    EXPECT_EQ(resultLine(103, 0), "-0110\n");
    EXPECT_EQ(resultLine(104, 0), "-0004\n");
    EXPECT_EQ(resultLine(106, 0), "-0002\n");
    EXPECT_EQ(resultLine(108, 0), "-0100\n");
    EXPECT_EQ(resultLine(110, 0), "-0103\n");
    EXPECT_EQ(resultLine(111, 0), "-0101\n");
    EXPECT_EQ(resultLine(121, 0), "-0003\n");
    EXPECT_EQ(resultLine(126, 0), "-0001\n");
    EXPECT_EQ(resultLine(132, 0), "-0001\n");
    EXPECT_EQ(resultLine(135, 0), "-0002\n");
    EXPECT_EQ(resultLine(999, 0), "-0999\n");  // not in the table: the code negated
}

TEST(RunErrors, EveryCodeBut87HasItsMessage) {
    EXPECT_EQ(runErrorMessage(87), nullptr);
    EXPECT_STREQ(runErrorMessage(102), "Errore Numero Terminale. ");
    EXPECT_STREQ(runErrorMessage(106), "Commando interroto dall'utente!");
    EXPECT_STREQ(runErrorMessage(132), "Request Time Out.");
    for (int code = 101; code <= 137; ++code) {
        bool inTable = (code <= 104) || (code >= 106 && code <= 111) || (code >= 120 && code <= 127) || code >= 130;
        EXPECT_EQ(runErrorMessage(code) != nullptr, inTable) << code;
    }
    EXPECT_EQ(runErrorMessage(105), nullptr);
}
