// SortList and SortList2 through the loaded library.
#include "hostTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string sorted(decltype(MirtaApi::SortList) sort, const char* list, int expectedResult = 0) {
    char out[256] = "untouched";
    EXPECT_EQ(sort(list, out), expectedResult) << (list ? list : "(null)");
    return out;
}

}  // namespace

TEST(SortList, ValuesInIntegerKeyOrderLaterKeyWins) {
    auto sort = mirta().SortList;
    EXPECT_EQ(sorted(sort, "3:c,1:a,2:b"), "a,b,c");
    EXPECT_EQ(sorted(sort, "1:a,1:b"), "b");
    EXPECT_EQ(sorted(sort, "10:x,9:y,-1:z"), "z,y,x");  // numeric, not text order
    EXPECT_EQ(sorted(sort, " 2:b, 1:a"), "a,b");       // blanks before a number are fine
    EXPECT_EQ(sorted(sort, "2:two:colons,1:"), ",two:colons");
    EXPECT_EQ(sorted(sort, "abc:q"), "q");               // a key without digits counts as 0
    EXPECT_EQ(sorted(sort, "99999999999999999999:big,1:small"), "small,big");
}

TEST(SortList, ItemsWithoutColonAndEmptyListsAreNotSorted) {
    auto sort = mirta().SortList;
    EXPECT_EQ(sorted(sort, "2:b,junk,1:a,,"), "a,b");
    EXPECT_EQ(sorted(sort, "", -1), "untouched");
    EXPECT_EQ(sorted(sort, nullptr, -1), "untouched");
    EXPECT_EQ(sorted(sort, ",,,", -1), "untouched");
    EXPECT_EQ(sorted(sort, "a,b,c", -1), "untouched");
}

TEST(SortList2, ByteWiseAscendingWithoutDuplicates) {
    auto sort = mirta().SortList2;
    EXPECT_EQ(sorted(sort, "b,a,c,a"), "a,b,c");
    EXPECT_EQ(sorted(sort, "b,B,\xE9,a,10,9"), "10,9,B,a,b,\xE9");
    EXPECT_EQ(sorted(sort, "one"), "one");
    EXPECT_EQ(sorted(sort, "x,,y,"), "x,y");
    EXPECT_EQ(sorted(sort, "", -1), "untouched");
    EXPECT_EQ(sorted(sort, nullptr, -1), "untouched");
    EXPECT_EQ(sorted(sort, ",", -1), "untouched");
}
