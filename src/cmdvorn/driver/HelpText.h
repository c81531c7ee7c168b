#pragma once
// The lines of the help box, in order, as both front ends show them.
#include <span>

std::span<const char* const> helpLines();
