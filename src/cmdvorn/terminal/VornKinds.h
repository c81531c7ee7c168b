#pragma once
// What a terminal is and how it is reached: the connection kinds of COM_TYPE
// and the model codes of TERM_TYPE, with the texts the parameter file uses.
#include <optional>
#include <string_view>

enum class ConnectionKind : int { Unknown = 0, Rs232 = 1, Rs485 = 2, Modem = 3, ModemExt = 4, Rlx40 = 5 };

// Name used in the connection report ("RS232", "MODEM_EXT" ...).
const char* connectionKindName(ConnectionKind kind);

// COM_TYPE is recognised by the text it contains, case-sensitive, in this
// order: "RS" (RS232 when it says so, else RS485), "MODEM_EXT", "MODEM",
// "RLX40". Anything else gives Unknown.
ConnectionKind connectionKindFromComType(std::string_view comType);

inline bool isModemKind(ConnectionKind kind) { return kind == ConnectionKind::Modem || kind == ConnectionKind::ModemExt; }

// The model codes of TERM_TYPE; Unset when a terminal names none.
enum class TerminalModel : int {
    Unset = 0,
    Vorn1 = 1,
    Vorn2 = 2,
    Vorn3 = 3,
    VornL = 4,
    Vorn2C = 5,  // keeps job records too
    VornT2 = 6,
    VornT3 = 7,
    Vorn2B = 8,  // extended punch records
};

// The model of a TERM_TYPE text compared without regard to case; nothing
// for a text that names no model.
std::optional<TerminalModel> modelFromTermType(std::string_view termType);

// VORNT2 and VORNT3 speak the plain-text protocol of the newer terminals.
inline bool isNewerModel(TerminalModel model) { return model == TerminalModel::VornT2 || model == TerminalModel::VornT3; }
