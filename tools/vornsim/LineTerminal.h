#pragma once
// The plain-text side of the newer models (codes 6 and 7): "@DIR" lists the
// stored files (one per day, named MMDD.PRE, with their line counts),
// "@TYPE <file>" echoes the command and dumps the file's lines, "%%3"
// deletes every stored punch, "@CFG <n>" answers "@CFG <n> <value>", "%XI"
// the version text. A listing or dump ends with a line holding EOT alone.
// Other texts get no answer.
//
// A dumped line is "HHMM", then by parameter 23 (model 7 only) the direction
// ('1' in, '0' out), the cause digit(s), then the part of the badge code
// that parameters 7 (start) and 8 (length) select. The badge code is
// "0000", the company in two digits, "000", the employee in six digits.
#include "TerminalState.h"

#include <string>
#include <vector>

namespace vornsim {

bool isLineModel(int model);

// The answer lines, without line ends; empty for no answer.
std::vector<std::string> answerLineCommand(Terminal& terminal, const std::string& text);

// The stored file a punch belongs to, and its line.
std::string lineFileName(const Transaction& punch);
std::string punchLine(const Terminal& terminal, const Transaction& punch);

// The value of "@CFG n": the terminal's setting, else the default.
std::string lineParameter(const Terminal& terminal, int number);

}  // namespace vornsim
