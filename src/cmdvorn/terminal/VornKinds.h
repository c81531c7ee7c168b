#pragma once
// What a terminal is and how it is reached: the connection kinds of COM_TYPE
// and the model codes of TERM_TYPE, with the texts the parameter file uses.
#include <string_view>

enum class ConnectionKind : int { Unknown = 0, Rs232 = 1, Rs485 = 2, Modem = 3, ModemExt = 4, Rlx40 = 5 };

// Name used in the connection report ("RS232", "MODEM_EXT" ...).
const char* connectionKindName(ConnectionKind kind);

// COM_TYPE is recognised by the text it contains, case-sensitive, in this
// order: "RS" (RS232 when it says so, else RS485), "MODEM_EXT", "MODEM",
// "RLX40". Anything else gives Unknown.
ConnectionKind connectionKindFromComType(std::string_view comType);

inline bool isModemKind(ConnectionKind kind) { return kind == ConnectionKind::Modem || kind == ConnectionKind::ModemExt; }

// The model code of a TERM_TYPE text compared without regard to case;
// -1 for a text that names no model.
int modelCodeFromTermType(std::string_view termType);

// Models 6 and 7 speak the plain-text protocol of the newer terminals.
inline bool isNewerModel(int modelCode) { return modelCode == 6 || modelCode == 7; }
