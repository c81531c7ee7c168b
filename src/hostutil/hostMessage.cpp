#include "hostMessage.h"

#include "qtPart.h"

#include <cstdio>

namespace hostutil {

namespace {
constexpr const char* kTitle = "Div Uvedad";
}

void showMessage(const std::string& text) {
    // Only a host that already runs Qt can have an application to show a box
    // in; everyone else is spared loading Qt.
    if (hostHasQt()) {
        const QtPart* qt = loadQtPart();
        if (qt && qt->showMessage(kTitle, text.c_str())) return;
    }
    std::fprintf(stderr, "%s: %s\n", kTitle, text.c_str());
}

}  // namespace hostutil
