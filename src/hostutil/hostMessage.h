#pragma once
// Tells the user about a failure: in a message box when the host is a running
// Qt application, otherwise on standard error (a library has no window).
#include <string>

namespace hostutil {

void showMessage(const std::string& text);

}  // namespace hostutil
