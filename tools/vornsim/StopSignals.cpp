#include "StopSignals.h"

#include <initializer_list>

namespace vornsim {
namespace {

volatile std::sig_atomic_t requested = 0;
void onStopSignal(int) { requested = 1; }

}  // namespace

sigset_t catchStopSignals() {
    sigset_t stopSignals, unblocked;
    sigemptyset(&stopSignals);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stopSignals, s);
    sigprocmask(SIG_BLOCK, &stopSignals, &unblocked);
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &action, nullptr);
    return unblocked;
}

const volatile std::sig_atomic_t& stopRequested() { return requested; }

}  // namespace vornsim
