#include "CommandLine.h"
#include "CommandTable.h"
#include "TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <unistd.h>

namespace {

// Every option the table gives is read back as its own command, in either
// case where the form allows it; the help, the menu and the manual name
// the same options.
class CommandTableTest : public ::testing::Test {
protected:
    ~CommandTableTest() override { std::filesystem::remove(path); }
    CommandId parse(const std::string& token) {
        ParsedCommandLine parsed;
        parser.parse(token.c_str(), parsed);
        return parsed.commands.empty() ? CommandId::Unknown : parsed.commands.front();
    }

    std::filesystem::path path{std::filesystem::temp_directory_path() / ("table_" + std::to_string(getpid()) + ".log")};
    zLogger log{path.c_str()};
    RunState state;
    RunSettings settings;
    CommandLineParser parser{log, state, settings};
};

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The options of the manual's command list, in its order: the bold words
// of the ".B"/".BR" lines between -h and --help.
std::vector<std::string> manualOptions(const std::string& page) {
    std::vector<std::string> options;
    bool inList = false;
    std::istringstream lines(readFile(page));
    const std::regex option(R"(\\-([^ "]+))");
    for (std::string line; std::getline(lines, line);) {
        if (line == ".B \\-h") inList = true;
        if (line == ".B \\-\\-help") break;
        if (!inList || line.rfind(".B", 0) != 0 || line == ".B \\-h") continue;
        for (std::sregex_iterator m(line.begin(), line.end(), option), end; m != end; ++m)
            options.push_back("-" + (*m)[1].str());
    }
    return options;
}

}  // namespace

TEST_F(CommandTableTest, EveryOptionIsReadAsItsOwnCommand) {
    std::set<std::string> seen;
    for (const DISPATCHER_C& row : commandTable()) {
        if (!row.option) {
            EXPECT_EQ(row.form, OptionForm::None) << code(row.id);
            continue;
        }
        EXPECT_TRUE(seen.insert(row.option).second) << "spelled twice: " << row.option;
        EXPECT_EQ(parse(row.option), row.id) << row.option;
        EXPECT_EQ(parse(upper(row.option)), row.id) << row.option;
        EXPECT_EQ(parse(std::string("/") + (row.option + 1)), row.id) << row.option;
        if (row.form == OptionForm::Letter || row.form == OptionForm::Pair)
            EXPECT_EQ(parse(std::string(row.option) + "x.txt"), row.id) << row.option;
        else
            EXPECT_NE(parse(std::string(row.option) + "x"), row.id) << row.option;
    }
}

TEST_F(CommandTableTest, TheWindowAloneHasTheFingerprintHandlers) {
    auto console = commandTable();
    auto window = windowCommandTable();
    ASSERT_EQ(console.size(), window.size());
    for (std::size_t i = 0; i < console.size(); ++i) {
        EXPECT_EQ(console[i].id, window[i].id);
        EXPECT_NE(window[i].handler, nullptr) << code(window[i].id);
        EXPECT_EQ(console[i].handler == nullptr, window[i].windowOnly) << code(window[i].id);
    }
}

TEST_F(CommandTableTest, MenuTextsShowTheOptionAfterTheTab) {
    const DISPATCHER_C* parameters = findCommand(CommandId::ReceiveParameters);
    ASSERT_NE(parameters, nullptr);
    EXPECT_EQ(menuText(*parameters), zString("&Get \t(-pg)"));
    // Without a tab the option is not shown, even when there is one.
    EXPECT_EQ(menuText(*findCommand(CommandId::ReadClock)), zString("&Ora Get "));
}

TEST_F(CommandTableTest, TheManualsListTheTablesOptions) {
    std::vector<std::string> helped;
    std::vector<std::string> windowOnly;
    for (const DISPATCHER_C& row : windowCommandTable()) {
        if (row.helpGroup != HelpGroup::None) helped.push_back(row.option);
        if (row.windowOnly) windowOnly.push_back(row.option);
    }
    EXPECT_EQ(manualOptions(std::string(MAN_DIR) + "/Cmdv32.1"), helped);
    // The window's page names the options only it has.
    const std::string window = readFile(std::string(MAN_DIR) + "/Wcmdv32.1");
    for (const std::string& option : windowOnly)
        EXPECT_NE(window.find("\\" + option), std::string::npos) << option;
}
