#include "TransactionLine.h"

#include <gtest/gtest.h>

using namespace qzcom;

TEST(QzTransactionLine, ExitsAreBroughtBackAndMarked) {
    const std::string raw = "9xxxxxxx1234abcdefghijkl99";
    EXPECT_EQ(transactionLine(raw, {}), "E1xxxxxxx1234abcdefghijkl99");
    EXPECT_EQ(transactionLine("3" + raw.substr(1), {}), "U3xxxxxxx1234abcdefghijkl99");
}

TEST(QzTransactionLine, CausesShiftUnlessTheDigitIsFour) {
    const std::string raw = "9xxxxxxx1234abcdefghijkl99";
    EXPECT_EQ(transactionLine(raw, {true, false, 0}), "E1xxxxxxxABCDabcdefghijkl99");
    EXPECT_EQ(transactionLine("4" + raw.substr(1), {true, false, 0}), "U4xxxxxxx1234abcdefghijkl99");
    EXPECT_EQ(transactionLine("<" + raw.substr(1), {true, false, 0}), "E4xxxxxxx1234abcdefghijkl99");
}

TEST(QzTransactionLine, AddressReplacesTheLastTwoCharacters) {
    const std::string raw = "9xxxxxxx1234abcdefghijkl99";
    EXPECT_EQ(transactionLine(raw, {true, true, 7}), "E1xxxxxxxABCDabcdefghijkl07");
}
