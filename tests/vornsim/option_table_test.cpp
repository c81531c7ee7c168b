#include "OptionTable.h"
#include "Options.h"
#include "QzOptions.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <span>
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

namespace {

std::set<std::string> optionsIn(const std::string& usage) {
    std::set<std::string> out;
    const std::regex option("--[a-z][a-z-]*");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option); it != std::sregex_iterator(); ++it)
        out.insert(it->str());
    return out;
}

// Every option the usage names is one the parser takes, and every row is in
// the usage by its first spelling.
template <class Target>
void expectUsageMatches(std::span<const OptionRow<Target>> rows, std::set<std::string> inUsage) {
    std::set<std::string> spellings;
    for (const auto& row : rows) {
        EXPECT_TRUE(inUsage.contains(std::string(row.spelling))) << row.spelling << " is not in the usage";
        spellings.insert(std::string(row.spelling));
        if (!row.alias.empty()) spellings.insert(std::string(row.alias));
    }
    for (const auto& option : inUsage) EXPECT_TRUE(spellings.contains(option)) << option << " is not in the table";
}

}  // namespace

TEST(OptionTable, UsageNamesEveryOption) {
    auto inUsage = optionsIn(usageText());
    inUsage.erase("--family");  // tells how to reach the other family's usage
    expectUsageMatches(optionTable(), inUsage);
    auto inQzUsage = optionsIn(qz::qzUsageText());
    inQzUsage.insert("--help");  // the one option that the usage, once shown, need not name
    expectUsageMatches(qz::qzOptionTable(), inQzUsage);
}

TEST(OptionTable, QzFamilyLine) {
    qz::QzOptions o;
    std::string error;
    ASSERT_TRUE(qz::parseQzOptions({"--family", "qz", "--terminal", "3", "--port", "0", "--late", "250@30*",
                                    "--add-records", "4@2", "--load-records", "5@77", "--pty", "all"},
                                   o, error))
        << error;
    EXPECT_EQ(o.addresses, (std::vector<int>{3}));
    EXPECT_EQ(o.tcpPorts, (std::vector<int>{0}));
    ASSERT_EQ(o.faults.size(), 1u);
    EXPECT_EQ(o.faults[0].fault, qz::QzFault::Late);
    EXPECT_EQ(o.faults[0].value, 250);
    EXPECT_EQ(o.addRecords, 4);
    EXPECT_EQ(o.addAfter, 2);
    EXPECT_EQ(o.data.loadRecords, 5);
    EXPECT_EQ(o.data.loadCode, "77");
    EXPECT_EQ(o.ptys, 1);

    auto refused = [](std::vector<std::string> args) {
        qz::QzOptions o;
        std::string error;
        EXPECT_FALSE(qz::parseQzOptions(args, o, error));
        return error;
    };
    EXPECT_EQ(refused({"--family", "qz", "--terminal", "1", "--tcp", "0", "--bogus", "1"}),
              "unknown option --bogus (see --family qz --help)");
    EXPECT_EQ(refused({"--family", "qz", "--tcp", "0"}), "no terminal: give --terminal");
    EXPECT_EQ(refused({"--family", "qz", "--terminal", "1"}), "no endpoint: give --tcp, --pty or --modem");
    EXPECT_EQ(refused({"--terminal", "1", "--modem", "1"}), "--modem serves every terminal: give \"all\"");
    EXPECT_EQ(refused({"--terminal", "1", "--tcp", "0", "--late", "1"}), "--late needs MS@SEL");
    EXPECT_EQ(refused({"--terminal", "1", "--tcp", "0", "--add-second-kind", "0@1"}), "--add-second-kind needs K@N");
    qz::QzOptions help;
    std::string error2;
    EXPECT_TRUE(qz::parseQzOptions({"--family", "qz", "-h"}, help, error2));
    EXPECT_TRUE(help.help);
}
