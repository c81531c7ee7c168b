#pragma once
// The run error codes: what an exchange, a command or the command line can
// end with. The values are the numbers the log, the result file and the
// calling applications know.

enum class RunError : int {
    None = 0,
    InvalidParameter = 87,  // an unknown option or no command on the command line
    UnknownCommand = 101,
    BadTerminalNumber = 102,
    ParameterMissing = 103,
    RetryTimeout = 104,
    Interrupted = 106,  // the operator's stop
    BadParameterValue = 107,
    FileOpen = 108,
    FileClose = 109,
    FileRead = 110,
    FileWrite = 111,
    BadPort = 120,
    PortMissing = 121,
    PortInUse = 122,
    NoMemory = 123,
    BadByteSize = 124,
    BadBaudRate = 125,
    PortOpen = 126,
    Modem = 127,
    Write = 130,
    Read = 131,
    Timeout = 132,
    TerminalWarning = 133,  // a 'W' reply
    TerminalError = 134,    // an 'E' reply
    BadCrc = 135,
    OutOfSequence = 136,
    BadTelegram = 137,
};

constexpr int code(RunError error) { return static_cast<int>(error); }

// Text of a code's message, or nullptr for a code without one
// (InvalidParameter and anything not in the table).
const char* runErrorMessage(RunError error);

// What the result file reports for a run error (-200 for a bad command
// line, -1 for a time-out, the code negated when not in the table).
int resultFileValue(RunError error);
