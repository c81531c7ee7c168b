#pragma once
// A reader of settings files with the private-profile rules: "[section]" and
// "key=value" lines, section and key names without regard to case, blanks
// around names and values ignored, one pair of matching quotes around a value
// removed, lines that are neither ignored.
#include <optional>
#include <string>

namespace qzcom {

class Profile {
public:
    // Nothing when the file cannot be read.
    static std::optional<Profile> load(const std::string& path);

    bool hasSection(const std::string& section) const;
    std::string value(const std::string& section, const std::string& key,
                      const std::string& fallback) const;

private:
    std::string text_;
};

// The decimal conversion of profile values: leading blanks, an optional sign,
// digits; anything that is not a number reads as 0.
int profileNumber(const std::string& text);

}  // namespace qzcom
