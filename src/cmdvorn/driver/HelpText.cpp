#include "HelpText.h"

#include "Platform.h"

#include <cstring>
#include <iterator>

namespace {

constexpr const char* kHelp[] = {
    " (W)cmdvorn [-nN] -Comando",
    " \t-nN\tN indica il numero del terminale. Parametro opzionale:",
    " \t\tse omesso o 0 esegue il comando per tutti i rilevatori",
    " \t\tdefiniti nel file di configurazione CMDVORN.PRM",
    " Elenco comandi per categoria:",
    " Help:",
    " \t-h\tVisualizza la versione e help.",
    " Scarico Timbrature:",
    " \t-yr\tRiceve numero timbrature",
    " \t-r\tRiceve e azzera timbrature sul rilevatore",
    " \t-x\tRiceve timbrature senza rimuoverle dal rilevatore",
    " \t-j\tRiceve e azzera timbrature COMMESSE (da VORNC)",
    " \t-gl\tRiceve 10 transazioni piu' recenti",
    " Scarico Timbrature Cancellate (Recupero timbrature):",
    " \t-yz\tRiceve numero timb. recuperabili (VORN-L)",
    " \t-z\tRecupero timbrature (VORN-L)",
    " \t-@z\tCancellazione permanente timbrature (VORN-L)",
    " Anagrafiche:",
    " \t-yt\tRiceve numero anagrafici",
    " \t-t\tTrasmette anagrafiche ai rilevatori associati",
    " \t-es\tTrasmette anagrafiche ai rilevatori specificati",
    " \t-ea\tRiceve anagrafiche",
    " \t-ed\tTrasmette dati personali",
    " \t-ei\tRiceve informazioni dipendente",
    " \t-k\tCancella anagrafiche",
    " Formato Badge:",
    " \t-fs\tTrasmette formato badge",
    " \t-fg\tRiceve formato badge",
    " \t-fr\tTest lettura badge",
    " Setup Orologio VORN:",
    " \t-d\tTrasmette data & ora",
    " \t-yd\tRiceve data & ora",
    " \t-ls\tTrasmette ora Legale/Solare",
    " \t-lg\tRiceve ora Legale/Solare",
    " Setup Rilevatore:",
    " \t-v\tRiceve versione",
    " \t-ps\tTrasmette parametri",
    " \t-pg\tRiceve parametri",
    " \t-i\tSet parametri EEPROM (VORN1/2)",
    " \t-@\tReset VORN",
    " \t-@F\tReset VORN-L azzerando tutti i dati (conf. di fabbrica)",
    " \t-ot\tSpegne VORN-L",
    " \t-br\tForzatura carica batterie VORN-L",
    " \t-uf\tAggiorna Firmware VORN-L",
    " Giustificativi:",
    " \t-gs\tTrasmette giustificativi",
    " \t-gg\tRiceve giustificativi",
    " \t-gd\tCancella giustificativi",
    " Attivazione sirena (Allarmi)",
    " \t-as\tTrasmette allarmi",
    " \t-ag\tRiceve allarmi",
    " \t-ad\tCancella allarmi",
    " Sincronizzazione Data/Ora PC",
    " \t-syncg\taggiorna la data e ora del PC acquisendo l'ora dal terminale indicato",
    " \t-sync\taggiorna la data e ora del PC acquisendo l'ora dal IEN Torino",
};

}  // namespace

std::span<const char* const> helpLines() { return kHelp; }

void printHelp(std::FILE* out, const RunState& state) {
    std::fprintf(out, "%s\n%s\n%s\n", state.programName.c_str(), state.version.c_str(), state.platform.c_str());
    for (const char* line : helpLines()) std::fprintf(out, "%s\n", line);
    std::fflush(out);
}

bool answerStandardWord(const char* programName, int argc, char** argv) {
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        RunState state;
        state.programName = programName;
        state.version = programVersion();
        state.platform = platformDescription();
        printHelp(stdout, state);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", programName, programVersion().c_str());
        std::fflush(stdout);
        return true;
    }
    return false;
}
