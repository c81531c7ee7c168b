#pragma once
// Questions on the controlling terminal. Unattended runs (no terminal) get
// the safe answers.
#include "OperatorDialogs.h"

// Answers Yes for a run without a controlling terminal when set to "1".
constexpr const char* kAssumeYesVariable = "CMDVORN_ASSUME_YES";

// Yes/No, asked on the controlling terminal when there is one; without
// one, No unless CMDVORN_ASSUME_YES=1.
bool askOnTerminal(const char* caption, const char* text);

// A file to open: the path in the choice's environment variable when it is
// set, else a path typed on the terminal (an empty line takes the proposed
// name), else the proposed name. Relative paths are in the current (data)
// directory. False when the operator ends the input instead.
bool chooseFileOnTerminal(const FileChoice& choice, zString& path);
