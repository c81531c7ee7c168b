#pragma once
// Every operation of the command table, grouped by the unit that holds it.
#include "Session.h"

#include <string>

namespace qzcom {

#define QZCOM_OPERATION(name) int name(Session& s, const std::string& parameter, std::string& reply)

// LinkCommands.cpp
QZCOM_OPERATION(openCom);
QZCOM_OPERATION(comClose);
QZCOM_OPERATION(testCommand);
QZCOM_OPERATION(version);
// Modem.cpp
QZCOM_OPERATION(initModem);
QZCOM_OPERATION(stopModem);
QZCOM_OPERATION(modemStatus);

#undef QZCOM_OPERATION

// A two-character word sent as it is: the terminal's reply text goes back.
int rawTelegram(Session& s, const std::string& code, const std::string& data, std::string* reply);

}  // namespace qzcom
