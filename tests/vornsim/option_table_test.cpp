#include "OptionTable.h"
#include "Options.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

using namespace vornsim;

namespace {

struct Settings {
    int count = 0;
    std::string name;
    std::vector<std::string> items;
    bool help = false;
};

const OptionRow<Settings> kRows[] = {
    {"--count", "-c", true, [](Settings& s, const OptionUse& u) { return u.number(-5, 30, s.count); }},
    {"--name", "", true, [](Settings& s, const OptionUse& u) { s.name = u.value; return true; }},
    {"--item", "", true,
     [](Settings& s, const OptionUse& u) {
         if (u.value.empty()) return u.refuse(u.option + " needs a word");
         s.items.push_back(u.value);
         return true;
     }},
    {"--help", "-h", false,
     [](Settings& s, const OptionUse&) {
         s.help = true;
         return true;
     }},
};

// The error of a refused line, or "" when it was taken.
std::string refusal(std::vector<std::string> args, Settings& s) {
    std::string error;
    if (applyOptions<Settings>(args, kRows, s, "--help", error)) return "";
    EXPECT_FALSE(error.empty());
    return error;
}

std::string refusal(std::vector<std::string> args) {
    Settings s;
    return refusal(std::move(args), s);
}

}  // namespace

TEST(OptionTable, AppliesEachRowInOrder) {
    Settings s;
    EXPECT_EQ(refusal({"--name", "a", "--item", "x", "--count", "7", "--item", "y", "--name", "b"}, s), "");
    EXPECT_EQ(s.name, "b") << "a later value replaces an earlier one";
    EXPECT_EQ(s.items, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(s.count, 7);
    EXPECT_FALSE(s.help);
    Settings none;
    EXPECT_EQ(refusal({}, none), "");
}

TEST(OptionTable, UnknownOption) {
    EXPECT_EQ(refusal({"--bogus", "1"}), "unknown option --bogus (see --help)");
    EXPECT_EQ(refusal({"--name", "a", "--bogus", "1", "--name", "b"}), "unknown option --bogus (see --help)");
    Settings s;
    std::string error;
    EXPECT_FALSE(applyOptions<Settings>({"x", "y"}, kRows, s, "--family qz --help", error));
    EXPECT_EQ(error, "unknown option x (see --family qz --help)");
}

TEST(OptionTable, MissingValue) {
    EXPECT_EQ(refusal({"--name"}), "unknown option or missing value: --name");
    EXPECT_EQ(refusal({"--name", "a", "--count"}), "unknown option or missing value: --count");
    EXPECT_EQ(refusal({"--bogus"}), "unknown option or missing value: --bogus")
        << "a last word that is no option may be one whose value is missing";
}

TEST(OptionTable, NumberValues) {
    Settings s;
    EXPECT_EQ(refusal({"--count", "-5"}, s), "");
    EXPECT_EQ(s.count, -5);
    EXPECT_EQ(refusal({"--count", "30"}, s), "");
    EXPECT_EQ(s.count, 30);
    EXPECT_EQ(refusal({"-c", "12"}, s), "") << "the second spelling";
    EXPECT_EQ(s.count, 12);
    for (const char* bad : {"31", "-6", "x", "7x", "", "99999999999999999999"}) {
        Settings t;
        EXPECT_EQ(refusal({"--count", bad}, t), "--count needs a number from -5 to 30") << bad;
        EXPECT_EQ(t.count, 0) << bad;
    }
    EXPECT_EQ(refusal({"-c", "31"}), "-c needs a number from -5 to 30") << "named as it was typed";
}

TEST(OptionTable, TextAndCheckedValues) {
    Settings s;
    EXPECT_EQ(refusal({"--name", "", "--item", "--name"}, s), "") << "a value may look like an option";
    EXPECT_EQ(s.name, "");
    EXPECT_EQ(s.items, (std::vector<std::string>{"--name"}));
    Settings t;
    EXPECT_EQ(refusal({"--item", "", "--name", "late"}, t), "--item needs a word");
    EXPECT_EQ(t.name, "") << "nothing after a refused option is applied";
}

TEST(OptionTable, OptionWithoutValueEndsTheLine) {
    for (const char* help : {"--help", "-h"}) {
        Settings s;
        EXPECT_EQ(refusal({"--name", "a", help, "--bogus", "--count"}, s), "") << help;
        EXPECT_TRUE(s.help);
        EXPECT_EQ(s.name, "a");
    }
    EXPECT_EQ(refusal({"--bogus", "1", "--help"}), "unknown option --bogus (see --help)");
    EXPECT_EQ(refusal({"--name", "--help"}), "") << "--help as a value is a value";
}

TEST(OptionTable, NodeLists) {
    std::vector<int> nodes{9};
    EXPECT_TRUE(parseNodeList("1,2,32", 32, nodes));
    EXPECT_EQ(nodes, (std::vector<int>{1, 2, 32}));
    for (const char* bad : {"", "0", "33", "1,", ",1", "1,,2", "a", "1;2"}) {
        EXPECT_FALSE(parseNodeList(bad, 32, nodes)) << bad;
    }
}

// Every option in the usage text is one the parser takes, and every option
// the parser takes is in the usage text.
TEST(OptionTable, UsageNamesEveryOption) {
    std::set<std::string> inUsage;
    const std::string usage = usageText();
    const std::regex option("--[a-z][a-z-]*");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option); it != std::sregex_iterator(); ++it)
        inUsage.insert(it->str());
    inUsage.erase("--family");  // the other family's options are told by its own usage
    std::set<std::string> inTable;
    for (const auto& row : optionTable()) {
        inTable.insert(std::string(row.spelling));
        if (row.alias.starts_with("--")) inTable.insert(std::string(row.alias));
    }
    EXPECT_EQ(inUsage, inTable);
}
