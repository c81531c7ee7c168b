#pragma once
// Every export runs its body through this: nothing thrown inside the library
// (memory exhausted included) may unwind into the host, which would end it.
// The export returns its documented failure code instead.
#include <cstdio>
#include <exception>

namespace hostutil {

template <class Body>
int guarded(const char* exportName, int failure, Body body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "MIRTADLL %s: %s\n", exportName, e.what());
    } catch (...) {
        std::fprintf(stderr, "MIRTADLL %s: unexpected failure\n", exportName);
    }
    return failure;
}

}  // namespace hostutil
