#include "Ui.h"

#include "QtPart.h"

#include <cstdio>

namespace qzcom {
namespace {

constexpr const char* kTitle = "WQZCom";

std::string joined(const std::string& first, const std::string& second) {
    return second.empty() ? first : first + " " + second;
}

}  // namespace

void Ui::openWindow() {
    if (settings_.disableWindow) return;
    if (const QtPart* qt = hostQtPart()) window_ = qt->openWindow() != 0;
}

void Ui::closeWindow() {
    if (!window_) return;
    if (const QtPart* qt = hostQtPart()) qt->closeWindow();
    window_ = false;
}

bool Ui::update(const ProgressFields& f) {
    if (!window_ || settings_.disableWindow) return false;
    const QtPart* qt = hostQtPart();
    return qt && qt->updateWindow(f.position, f.status.c_str(), f.workDir.c_str(),
                                  f.subStatus.c_str(), f.tagged, f.settingsFound) != 0;
}

bool Ui::stopPressed() {
    if (!window_) return false;
    const QtPart* qt = hostQtPart();
    return qt && qt->pollStop() != 0;
}

void Ui::message(const std::string& first, const std::string& second) {
    if (settings_.disableMessageBox) return;
    const std::string text = joined(first, second);
    if (const QtPart* qt = hostQtPart(); qt && qt->showMessage(kTitle, text.c_str(), 0) >= 0) return;
    std::fprintf(stderr, "%s: %s\n", kTitle, text.c_str());
}

void Ui::report(const std::string& first, const std::string& second) {
    const std::string text = joined(first, second);
    std::fprintf(stderr, "%s: %s\n", kTitle, text.c_str());
    if (settings_.disableMessageBox) return;
    if (const QtPart* qt = hostQtPart()) qt->showMessage(kTitle, text.c_str(), 0);
}

bool Ui::askYesNo(const std::string& first, const std::string& second) {
    if (settings_.disableMessageBox) return true;
    const std::string text = joined(first, second);
    if (const QtPart* qt = hostQtPart()) {
        int answer = qt->showMessage(kTitle, text.c_str(), 1);
        if (answer >= 0) return answer != 0;
    }
    std::fprintf(stderr, "%s: %s\n", kTitle, text.c_str());
    return true;
}

}  // namespace qzcom
