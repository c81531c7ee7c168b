#pragma once
// A command line read against a table, one row per option: its spellings,
// whether a value follows it, and what the value does. Both terminal
// families read their options this way, so they refuse a line alike.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vornsim {

// A decimal number within min..max, the whole text and nothing else.
bool toInt(const std::string& text, long min, long max, long& out);
// "1,2,5": node numbers 1..maxNode, at least one.
bool parseNodeList(const std::string& text, int maxNode, std::vector<int>& nodes);

// The option being applied: as it was spelled, its value, where a refusal goes.
struct OptionUse {
    const std::string& option;
    const std::string& value;
    std::string& error;

    // The value as a number within min..max; else "<option> needs a number from <min> to <max>".
    bool number(long min, long max, int& out) const;
    // Always false, with `message` as the error.
    bool refuse(std::string message) const;
};

template <class Target>
struct OptionRow {
    std::string_view spelling;
    std::string_view alias;  // a second spelling, or empty
    // An option without a value is a request, not a setting (--help): the
    // rest of the command line is not read.
    bool takesValue;
    // False with the use's error set when the value cannot be used.
    bool (*apply)(Target& target, const OptionUse& use);
};

namespace detail {
extern const std::string kNoValue;
std::string unknownOption(const std::string& option, std::string_view helpHint);
std::string missingValue(const std::string& option);
}  // namespace detail

// Applies `args` in order through their rows. False with `error` set at the
// first option that is unknown, lacks its value or refuses it; `helpHint`
// ("--help") ends the unknown-option message.
template <class Target>
bool applyOptions(const std::vector<std::string>& args, std::span<const OptionRow<Target>> rows, Target& target,
                  std::string_view helpHint, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const OptionRow<Target>* row = nullptr;
        for (const auto& r : rows)
            if (option == r.spelling || (!r.alias.empty() && option == r.alias)) row = &r;
        if (row && !row->takesValue) return row->apply(target, OptionUse{option, detail::kNoValue, error});
        // An unknown last word may have been meant as an option with its value missing.
        if (i + 1 >= args.size()) {
            error = detail::missingValue(option);
            return false;
        }
        const std::string& value = args[++i];
        if (!row) {
            error = detail::unknownOption(option, helpHint);
            return false;
        }
        if (!row->apply(target, OptionUse{option, value, error})) return false;
    }
    return true;
}

}  // namespace vornsim
