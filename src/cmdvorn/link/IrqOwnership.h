#pragma once
// The old PC rule that two COMn ports sharing an interrupt line cannot both
// be open: opening one closes the other. Kept for the parameter files that
// rely on it; device paths share no interrupt unless configured to.
#include "zCommDev.h"

class IrqOwnership {
public:
    // Interrupt numbers 1..kMaxIrq; 0 is none.
    static constexpr int kMaxIrq = 16;

    // "COMn", n any count of digits, in any letter case.
    static bool isComName(const zString& portName);
    // 4 for an odd fourth character of a COMn name, else 3; 0 for other names.
    static int defaultIrq(const zString& portName);

    // Makes port the holder of irq, closing the port that held it before.
    // Does nothing for no interrupt (0) or one out of range.
    static void claim(int irq, zCommDev* port);
    // Frees irq when port holds it.
    static void release(int irq, const zCommDev* port);
};
