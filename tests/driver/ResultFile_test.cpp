#include "ResultFile.h"
#include "RunError.h"

#include <gtest/gtest.h>

TEST(ResultFile, CountAndErrorForms) {
    EXPECT_EQ(resultLine(RunError::None, 12), "00012\n");
    EXPECT_EQ(resultLine(RunError::None, 0), "00000\n");
    EXPECT_EQ(resultLine(RunError::InvalidParameter, 5), "-0200\n");
    EXPECT_EQ(resultLine(RunError::BadTerminalNumber, 0), "-0200\n");
    EXPECT_EQ(resultLine(RunError::ParameterMissing, 0), "-0110\n");
    EXPECT_EQ(resultLine(RunError::RetryTimeout, 0), "-0004\n");
    EXPECT_EQ(resultLine(RunError::Interrupted, 0), "-0002\n");
    EXPECT_EQ(resultLine(RunError::FileOpen, 0), "-0100\n");
    EXPECT_EQ(resultLine(RunError::FileRead, 0), "-0103\n");
    EXPECT_EQ(resultLine(RunError::FileWrite, 0), "-0101\n");
    EXPECT_EQ(resultLine(RunError::PortMissing, 0), "-0003\n");
    EXPECT_EQ(resultLine(RunError::PortOpen, 0), "-0001\n");
    EXPECT_EQ(resultLine(RunError::Timeout, 0), "-0001\n");
    EXPECT_EQ(resultLine(RunError::BadCrc, 0), "-0002\n");
    EXPECT_EQ(resultLine(static_cast<RunError>(999), 0), "-0999\n");  // not in the table: the code negated
}

TEST(RunErrors, EveryCodeButInvalidParameterHasItsMessage) {
    EXPECT_EQ(runErrorMessage(RunError::InvalidParameter), nullptr);
    EXPECT_STREQ(runErrorMessage(RunError::BadTerminalNumber), "Errore Numero Terminale. ");
    EXPECT_STREQ(runErrorMessage(RunError::Interrupted), "Commando interroto dall'utente!");
    EXPECT_STREQ(runErrorMessage(RunError::Timeout), "Request Time Out.");
    for (int value = code(RunError::UnknownCommand); value <= code(RunError::BadTelegram); ++value) {
        bool inTable = (value <= 104) || (value >= 106 && value <= 111) || (value >= 120 && value <= 127) || value >= 130;
        EXPECT_EQ(runErrorMessage(static_cast<RunError>(value)) != nullptr, inTable) << value;
    }
    EXPECT_EQ(runErrorMessage(static_cast<RunError>(105)), nullptr);
}
