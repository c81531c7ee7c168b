#pragma once
// SIGTERM, SIGINT and SIGHUP set a flag. They are blocked except while the
// poll loop waits (with the returned mask), so a stop is never missed.
#include <csignal>

namespace vornsim {

sigset_t catchStopSignals();
const volatile std::sig_atomic_t& stopRequested();

}  // namespace vornsim
