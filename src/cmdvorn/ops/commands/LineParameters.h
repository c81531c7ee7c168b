#pragma once
// The operating parameters of a newer-model terminal, asked one by one with
// "@CFG nn" and shown as the terminal answers them.
#include "RunContext.h"

// The parameter report of models 6 and 7 (-pg); the parameter command
// hands these models over to it.
void newerModelParametersCommand(CMDARG_C& job);
