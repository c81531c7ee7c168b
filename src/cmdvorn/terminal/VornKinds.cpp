#include "VornKinds.h"

#include "zString.h"

namespace {

struct ModelRow {
    const char* text;
    int code;
};

constexpr ModelRow kModels[] = {
    {"VORN1", 1},  {"VORN2", 2},  {"VORN3", 3},  {"VORN-L", 4}, {"VORN2C", 5}, {"VORNT2", 6},
    {"Brimol", 6}, {"VORNT3", 7}, {"Calvet", 7}, {"VORN2A", 7}, {"VORN2B", 8},
};

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace

const char* connectionKindName(ConnectionKind kind) {
    switch (kind) {
        case ConnectionKind::Rs232: return "RS232";
        case ConnectionKind::Rs485: return "RS485";
        case ConnectionKind::Modem: return "MODEM";
        case ConnectionKind::ModemExt: return "MODEM_EXT";
        case ConnectionKind::Rlx40: return "RLX40";
        case ConnectionKind::Unknown: break;
    }
    return "UNKNOWN";
}

ConnectionKind connectionKindFromComType(std::string_view comType) {
    if (contains(comType, "RS")) return contains(comType, "RS232") ? ConnectionKind::Rs232 : ConnectionKind::Rs485;
    if (contains(comType, "MODEM_EXT")) return ConnectionKind::ModemExt;
    if (contains(comType, "MODEM")) return ConnectionKind::Modem;
    if (contains(comType, "RLX40")) return ConnectionKind::Rlx40;
    return ConnectionKind::Unknown;
}

int modelCodeFromTermType(std::string_view termType) {
    zString text(termType);
    for (const auto& row : kModels)
        if (text.equalsNoCase(row.text)) return row.code;
    return -1;
}
