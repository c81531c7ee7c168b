#include "RunErrors.h"

namespace {

struct RunError {
    int code;
    const char* message;
    int resultValue;
};

constexpr RunError kErrors[] = {
    {87, nullptr, -200},
    {101, "Commando sconosciuto. ", -200},
    {102, "Errore Numero Terminale. ", -200},
    {103, "Parametro non definito in configuration file", -110},
    {104, "Request Time Out -retry ", -4},
    {106, "Commando interroto dall'utente!", -2},
    {107, "Errore valore parametro.", -200},
    {108, "File open error  ", -100},
    {109, "File close error ", -100},
    {110, "File read error  ", -103},
    {111, "File write error ", -101},
    {120, "Identificazione Porta Invalida. ", -3},
    {121, "La porta specificata e' inesistene o inaccesibile (no UART)", -3},
    {122, "La porta specificata e' gia aperta o usata da un altro programma.", -3},
    {123, "No free memory.", -1},
    {124, "Byte size invalid.", -3},
    {125, "Baud rate non suportato.", -3},
    {126, "Com. port open error.", -1},
    {127, "Modem error.", -1},
    {130, "Comm. device Write error. ", -2},
    {131, "Comm. device Read error. ", -2},
    {132, "Request Time Out.", -1},
    {133, "Resposta VORN - Warning. ", -2},
    {134, "Resposta VORN - Error. ", -2},
    {135, "Errore CRC nei dati ricevuti. ", -2},
    {136, "Risposta VORN fuori sequenza! ", -2},
    {137, "Ricevuto telegramma erroneo. ", -2},
};

const RunError* find(int code) {
    for (const auto& e : kErrors)
        if (e.code == code) return &e;
    return nullptr;
}

}  // namespace

const char* runErrorMessage(int code) {
    const RunError* e = find(code);
    return e ? e->message : nullptr;
}

int resultFileValue(int code) {
    const RunError* e = find(code);
    return e ? e->resultValue : -code;
}
