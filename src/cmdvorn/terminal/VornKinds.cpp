#include "VornKinds.h"

#include "zString.h"

namespace {

struct ModelRow {
    const char* text;
    TerminalModel model;
};

constexpr ModelRow kModels[] = {
    {"VORN1", TerminalModel::Vorn1},   {"VORN2", TerminalModel::Vorn2},   {"VORN3", TerminalModel::Vorn3},
    {"VORN-L", TerminalModel::VornL},  {"VORN2C", TerminalModel::Vorn2C}, {"VORNT2", TerminalModel::VornT2},
    {"Brimol", TerminalModel::VornT2}, {"VORNT3", TerminalModel::VornT3}, {"Calvet", TerminalModel::VornT3},
    {"VORN2A", TerminalModel::VornT3}, {"VORN2B", TerminalModel::Vorn2B},
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

std::optional<TerminalModel> modelFromTermType(std::string_view termType) {
    zString text(termType);
    for (const auto& row : kModels)
        if (text.equalsNoCase(row.text)) return row.model;
    return std::nullopt;
}
