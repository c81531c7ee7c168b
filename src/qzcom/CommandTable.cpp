#include "CommandTable.h"

#include "Operations.h"

#include <array>
#include <utility>

namespace qzcom {
namespace {

constexpr std::pair<std::string_view, Operation> kCommands[] = {
    {"OPENCOM", openCom},
    {"COMCLOSE", comClose},
    {"INITMODEM", initModem},
    {"STOPMODEM", stopModem},
    {"GETMODEMSTATUS", modemStatus},
    {"TEST", testCommand},
    {"RXTRANSIT", rxTransit},
    {"RXPTRANSIT", rxPTransit},
    {"LOADTRANSIT", loadTransit},
    {"TXTIME", txTime},
    {"TXBELLLIST", txBellList},
    {"TXHDAYS", txHolidays},
    {"TXREADERS", txReaders},
    {"TXBADGE", txBadge},
    {"TXTBASE", txTimeBases},
    {"TXTMODEL", txTimeModels},
    {"TXCAUSALI", txCauses},
    {"TXCCAUSALI", txCompactCauses},
    {"TXMESSAGE", txMessages},
    {"TXADVISE", txNotices},
    {"TXMENSA", txCanteenMenus},
    {"TXPROD", txProducts},
    {"TXFERIE", txVacationPlan},
    {"TXBLKLIST", txBlackList},
    {"TXMCIMP", txCimList},
    {"RXBADGE", rxBadge},
    {"TXFILE", txFile},
    {"TXLOGO", txLogo},
    {"RXCONFIG", rxConfig},
    {"TXCONFIG", txConfig},
    {"TXS19NX", txS19Nx},
    {"TXS19", txS19},
    {"TX536", tx536},
    {"TFILE", tFile},
    {"RFILE", rFile},
    {"DFILE", dFile},
    {"RXTEMPLATE", rxTemplate},
    {"TXTEMPLATE", txTemplate},
    {"TXFAR", txFar},
    {"VER", version},
};

}  // namespace

Operation findOperation(std::string_view word) {
    for (const auto& [name, operation] : kCommands)
        if (name == word) return operation;
    return nullptr;
}

}  // namespace qzcom
