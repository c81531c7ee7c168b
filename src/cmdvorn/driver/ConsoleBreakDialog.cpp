#include "ConsoleBreakDialog.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<int> gInterrupts{0};

void onInterrupt(int) {
    if (gInterrupts.fetch_add(1) + 1 >= 3) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
}

}  // namespace

void ConsoleBreakDialog::installInterruptHandler() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

ConsoleBreakDialog::ConsoleBreakDialog(int fd) : fd_(fd), interactive_(isatty(fd) == 1) {}

void ConsoleBreakDialog::open(const char* text, int, int) {
    open_ = true;
    cancelled_ = false;
    hasBar_ = false;
    range_ = position_ = 0;
    text_.clear();
    if (text) setText(text);
}

bool ConsoleBreakDialog::pump() {
    if (!open_) return false;
    if (gInterrupts.load() > 0) {
        gInterrupts.store(0);
        cancelled_ = true;
    }
    return cancelled_;
}

void ConsoleBreakDialog::setText(const char* text) {
    text_.set(text);
    redraw();
}

void ConsoleBreakDialog::addLine(const char* text) {
    text_.addLine(text);
    redraw();
}

void ConsoleBreakDialog::showBar(int range, unsigned) {
    hasBar_ = true;
    range_ = range;
    position_ = 0;
    redraw();
}

void ConsoleBreakDialog::setBar(int position, const char* text) {
    position_ = position;
    if (text)
        setText(text);
    else
        redraw();
}

void ConsoleBreakDialog::close() {
    if (open_ && interactive_) dprintf(fd_, "\r\033[K");
    open_ = false;
    cancelled_ = false;
}

void ConsoleBreakDialog::redraw() {
    if (!open_ || !interactive_) return;
    // The last non-empty line of the text area, with the bar's percentage.
    std::string last = text_.lastLine();
    if (hasBar_) {
        int range = range_ > 0 ? range_ : 1;
        int pos = position_ > range ? range : (position_ < 0 ? 0 : position_);
        dprintf(fd_, "\r\033[K%s %3d%%", last.c_str(), pos * 100 / range);
    } else {
        dprintf(fd_, "\r\033[K%s", last.c_str());
    }
}
