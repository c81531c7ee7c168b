#pragma once
// Programming errors end the program after naming the broken condition,
// the source file and the line.
#include <cstdio>
#include <cstdlib>

namespace fnd {
[[noreturn]] inline void assertionFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}
}  // namespace fnd

#define zASSERT(cond) ((cond) ? static_cast<void>(0) : ::fnd::assertionFailed(#cond, __FILE__, __LINE__))
