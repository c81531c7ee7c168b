#pragma once
// Key look-up in the parameter file, as the operations see it. The reader of
// the file implements it; operations depend on nothing else of it.
#include "zString.h"

#include <string_view>

// The section of the settings that are not a terminal's or a file's.
constexpr const char* kGlobalSection = "[Global]";

class ParameterLookup {
public:
    virtual ~ParameterLookup() = default;
    // section is the header text, "[Timbrature]" or "[Terminal 01 Ingresso]".
    // False when the section or the key is absent.
    virtual bool getValue(std::string_view section, std::string_view key, zString& value) const = 0;
};

// "[Name]" for "Name" or "[Name]".
inline zString sectionHeader(const zString& name) {
    if (name.length() > 0 && name[0] == '[') return name;
    return zString("[") + std::string_view(name) + "]";
}
