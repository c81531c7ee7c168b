#include "RunError.h"

namespace {

struct RunErrorRow {
    RunError error;
    const char* message;
    int resultValue;
};

constexpr RunErrorRow kErrors[] = {
    {RunError::InvalidParameter, nullptr, -200},
    {RunError::UnknownCommand, "Commando sconosciuto. ", -200},
    {RunError::BadTerminalNumber, "Errore Numero Terminale. ", -200},
    {RunError::ParameterMissing, "Parametro non definito in configuration file", -110},
    {RunError::RetryTimeout, "Request Time Out -retry ", -4},
    {RunError::Interrupted, "Commando interroto dall'utente!", -2},
    {RunError::BadParameterValue, "Errore valore parametro.", -200},
    {RunError::FileOpen, "File open error  ", -100},
    {RunError::FileClose, "File close error ", -100},
    {RunError::FileRead, "File read error  ", -103},
    {RunError::FileWrite, "File write error ", -101},
    {RunError::BadPort, "Identificazione Porta Invalida. ", -3},
    {RunError::PortMissing, "La porta specificata e' inesistene o inaccesibile (no UART)", -3},
    {RunError::PortInUse, "La porta specificata e' gia aperta o usata da un altro programma.", -3},
    {RunError::NoMemory, "No free memory.", -1},
    {RunError::BadByteSize, "Byte size invalid.", -3},
    {RunError::BadBaudRate, "Baud rate non suportato.", -3},
    {RunError::PortOpen, "Com. port open error.", -1},
    {RunError::Modem, "Modem error.", -1},
    {RunError::Write, "Comm. device Write error. ", -2},
    {RunError::Read, "Comm. device Read error. ", -2},
    {RunError::Timeout, "Request Time Out.", -1},
    {RunError::TerminalWarning, "Resposta VORN - Warning. ", -2},
    {RunError::TerminalError, "Resposta VORN - Error. ", -2},
    {RunError::BadCrc, "Errore CRC nei dati ricevuti. ", -2},
    {RunError::OutOfSequence, "Risposta VORN fuori sequenza! ", -2},
    {RunError::BadTelegram, "Ricevuto telegramma erroneo. ", -2},
};

const RunErrorRow* find(RunError error) {
    for (const auto& row : kErrors)
        if (row.error == error) return &row;
    return nullptr;
}

}  // namespace

const char* runErrorMessage(RunError error) {
    const RunErrorRow* row = find(error);
    return row ? row->message : nullptr;
}

int resultFileValue(RunError error) {
    const RunErrorRow* row = find(error);
    return row ? row->resultValue : -code(error);
}
