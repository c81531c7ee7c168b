#include "PrivateFormat.h"

#include <cstring>

namespace {

// One part of a TFLDn value: everything from its first ";" cut, trimmed,
// one pair of enclosing double quotes stripped.
std::string_view cleanPart(std::string_view part) {
    part = trimmedText(part.substr(0, part.find(';')));
    if (part.size() >= 2 && part.front() == '"' && part.back() == '"') part = part.substr(1, part.size() - 2);
    return part;
}

void readConstantField(std::string_view value, FLD_FMT_t& field, zLogger& log) {
    while (!value.empty()) {
        std::size_t cut = value.find_first_of("\",\t");
        std::string_view part = cleanPart(value.substr(0, cut));
        value = cut == std::string_view::npos ? std::string_view() : value.substr(cut + 1);
        if (part.empty()) continue;
        if (part.find('=') == std::string_view::npos)
            copyFieldText(field.defaultText, part);
        else if (!readFieldSetting(part, field, true, log))
            return;
    }
}

}  // namespace

void PRIVATE_FORMAT_C::load(const ParameterLookup& parameters, const zString& section, zLogger& log) {
    zString header = sectionHeader(section);
    count_ = 0;
    for (int n = 1; n <= kMaxFields; ++n) {
        zString key = zString::format("TFLD%d", n);
        zString value;
        if (!parameters.getValue(header, key, value) || value.trim().isEmpty()) continue;
        FLD_FMT_t& field = fields_[count_++];
        field = FLD_FMT_t{};
        copyFieldText(field.name, key);
        readConstantField(value, field, log);
    }
    loaded_ = true;
}

const FLD_FMT_t* PRIVATE_FORMAT_C::find(const char* name) const {
    for (int i = 0; i < count_; ++i)
        if (std::strcmp(fields_[i].name, name) == 0) return &fields_[i];
    return nullptr;
}
