#include "TableLines.h"

#include <gtest/gtest.h>

using namespace qzcom;

TEST(QzTableLines, RecordsOfTheNumberedTables) {
    EXPECT_EQ(bellRecord("08 30 IN 1 005\n", 3), "3 08 30 IN 1 005");
    EXPECT_EQ(bellRecord("garbage", 1), "1 00 00  0 000");
    EXPECT_EQ(holidayRecord("25 12\n"), "2512");
    EXPECT_EQ(readerRecord("01 1 0000abcd 0100 02 3 4", 2), "02 01 1 0000ABCD 0100 02 3 4");
}

TEST(QzTableLines, VacationLinesAreRepaired) {
    const std::string sound = "123456 +0001.00 +0002.00 +0003.00 +0004.00 +0005.00";
    EXPECT_EQ(repairedVacationLine(sound), sound);
    EXPECT_EQ(repairedVacationLine("123456 +0001.00 +0002.00 1.5 +0004.00 +0005.00"),
              "123456 +9999.99 +9999.99 +9999.99 +9999.99 +9999.99");
    EXPECT_EQ(repairedVacationLine("12 +0001.00"), "999999 +9999.99 +9999.99 +9999.99 +9999.99 +9999.99");
    EXPECT_EQ(repairedVacationLine(""), "999999 +9999.99 +9999.99 +9999.99 +9999.99 +9999.99");
}

TEST(QzTableLines, ConfigurationValueColumn) {
    const std::size_t column = configColumn("0001 Name of the parameter  VALUE");
    EXPECT_EQ(column, 28u);
    EXPECT_EQ(configValue("0002 Another" + std::string(16, ' ') + "X1", column), "X1");
    EXPECT_EQ(configValue("0003 Short", column), "");
    EXPECT_EQ(configColumn("novalue"), 0u);
}

TEST(QzTableLines, TerminationRecordsEndTheLoad) {
    for (const char* data : {"S0", "S1xx", "S2xx", "S3xx", "", "S"}) EXPECT_FALSE(endsTheLoad(data)) << data;
    for (const char* end : {"S5xx", "S7xx", "S8xx", "S9030000FC"}) EXPECT_TRUE(endsTheLoad(end)) << end;
}
