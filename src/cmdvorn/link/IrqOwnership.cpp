#include "IrqOwnership.h"

#include <mutex>

namespace {

// Which open port holds each interrupt number (index 1..16).
std::mutex ownerMutex;
zCommDev* owner[IrqOwnership::kMaxIrq + 1] = {};

bool inRange(int irq) { return irq >= 1 && irq <= IrqOwnership::kMaxIrq; }

}  // namespace

bool IrqOwnership::isComName(const zString& name) {
    if (name.length() < 4 || !name.left(3).equalsNoCase("COM")) return false;
    for (int i = 3; i < name.length(); ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

int IrqOwnership::defaultIrq(const zString& portName) {
    if (!isComName(portName)) return 0;
    int digit = portName[3] - '0';
    return digit % 2 == 1 ? 4 : 3;
}

void IrqOwnership::claim(int irq, zCommDev* port) {
    if (!inRange(irq)) return;
    zCommDev* other = nullptr;
    {
        std::lock_guard<std::mutex> hold(ownerMutex);
        other = owner[irq];
    }
    // Outside the table's lock: the other port's close releases its entry.
    if (other && other != port) other->close();
    std::lock_guard<std::mutex> hold(ownerMutex);
    owner[irq] = port;
}

void IrqOwnership::release(int irq, const zCommDev* port) {
    std::lock_guard<std::mutex> hold(ownerMutex);
    if (inRange(irq) && owner[irq] == port) owner[irq] = nullptr;
}
