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
// Transactions.cpp, TerminalClock.cpp
QZCOM_OPERATION(rxTransit);
QZCOM_OPERATION(rxPTransit);
QZCOM_OPERATION(loadTransit);
QZCOM_OPERATION(txTime);
// Tables.cpp
QZCOM_OPERATION(txBellList);
QZCOM_OPERATION(txHolidays);
QZCOM_OPERATION(txReaders);
QZCOM_OPERATION(txBadge);
QZCOM_OPERATION(txTimeModels);
QZCOM_OPERATION(txCauses);
QZCOM_OPERATION(txCompactCauses);
QZCOM_OPERATION(txMessages);
QZCOM_OPERATION(txNotices);
QZCOM_OPERATION(txProducts);
QZCOM_OPERATION(txBlackList);
QZCOM_OPERATION(txCimList);
// GroupedTables.cpp
QZCOM_OPERATION(txTimeBases);
QZCOM_OPERATION(txVacationPlan);
QZCOM_OPERATION(txCanteenMenus);
// Configuration.cpp
QZCOM_OPERATION(rxBadge);
QZCOM_OPERATION(rxConfig);
QZCOM_OPERATION(txConfig);
// RawFiles.cpp
QZCOM_OPERATION(txFile);
QZCOM_OPERATION(txLogo);
// FileTransfer.cpp
QZCOM_OPERATION(tFile);
QZCOM_OPERATION(rFile);
QZCOM_OPERATION(dFile);
QZCOM_OPERATION(tx536);
// Firmware.cpp
QZCOM_OPERATION(txS19);
QZCOM_OPERATION(txS19Nx);
// Templates.cpp
QZCOM_OPERATION(rxTemplate);
QZCOM_OPERATION(txTemplate);
QZCOM_OPERATION(txFar);

#undef QZCOM_OPERATION

// A two-character word sent as it is: the terminal's reply text goes back.
int rawTelegram(Session& s, const std::string& code, const std::string& data, std::string* reply);

}  // namespace qzcom
