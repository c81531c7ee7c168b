#include "zDeadline.h"

#include <climits>
#include <thread>

namespace fnd {

void sleepMs(long ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int Deadline::msLeft() const {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(at_ - Clock::now()).count();
    if (left <= 0) return 0;
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

}  // namespace fnd
