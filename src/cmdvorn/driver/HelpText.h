#pragma once
// The lines of the help box, in order, as both front ends show them: the
// usage, then the command table's options by help group.
#include "RunContext.h"

#include <cstdio>
#include <string>
#include <vector>

const std::vector<std::string>& helpLines();

// The help box as text: program name, version, platform, then the lines.
void printHelp(std::FILE* out, const RunState& state);

// "--help" and "--version", the words every Linux tool answers: the help
// text or "<program> <version>" on standard output, with nothing else read
// or written. False when the arguments are anything else.
bool answerStandardWord(const char* programName, int argc, char** argv);
