#include "LinkProgress.h"

#include <algorithm>
#include <cstdio>

namespace {

// Room for a text without a bar, so that several links fit on one line.
constexpr std::size_t kTextShown = 24;

}  // namespace

LinkBoard::LinkBoard(BREAKDLG_C& frontEnd) : frontEnd_(frontEnd) { frontEnd_.open(); }

LinkBoard::~LinkBoard() { frontEnd_.close(); }

bool LinkBoard::stopRequested() {
    if (stopped_.load()) return true;
    const Clock::rep now = Clock::now().time_since_epoch().count();
    const Clock::rep every = std::chrono::duration_cast<Clock::duration>(kPollEvery).count();
    if (now - polled_.load() < every) return false;
    // Another link asking just now asks for this one too.
    std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return stopped_.load();
    polled_.store(now);
    if (frontEnd_.pump()) stopped_.store(true);
    return stopped_.load();
}

std::string LinkBoard::line() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lineLocked();
}

std::string LinkBoard::lineLocked() const {
    std::string text;
    for (const LinkDialog* dialog : dialogs_) {
        if (!dialog->isOpen()) continue;
        if (!text.empty()) text += ' ';
        text += dialog->shown();
    }
    return text;
}

void LinkBoard::changed(bool structure) {
    const Clock::rep every = std::chrono::duration_cast<Clock::duration>(kRedrawEvery).count();
    if (!structure && Clock::now().time_since_epoch().count() - drawn_.load() < every) return;
    std::lock_guard<std::mutex> lock(mutex_);
    drawn_.store(Clock::now().time_since_epoch().count());
    frontEnd_.setText(lineLocked().c_str());
}

LinkDialog::LinkDialog(LinkBoard& board) : board_(board) {
    std::lock_guard<std::mutex> lock(board_.mutex_);
    board_.dialogs_.push_back(this);
}

LinkDialog::~LinkDialog() {
    {
        std::lock_guard<std::mutex> lock(board_.mutex_);
        std::erase(board_.dialogs_, this);
    }
    board_.changed(true);
}

void LinkDialog::setTerminal(int number) {
    std::lock_guard<std::mutex> lock(mutex_);
    terminal_ = number;
}

bool LinkDialog::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

std::string LinkDialog::shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    char text[64];
    if (hasBar_) {
        std::snprintf(text, sizeof text, "[%d] %d/%d", terminal_, std::clamp(position_, 0, std::max(range_, 0)),
                      range_);
    } else {
        const std::string last = text_.lastLine();
        const std::size_t start = std::min(last.find_first_not_of(' '), last.size());
        std::snprintf(text, sizeof text, "[%d] %.*s", terminal_, static_cast<int>(kTextShown), last.c_str() + start);
    }
    return text;
}

void LinkDialog::open(const char* text, int, int) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        hasBar_ = false;
        range_ = position_ = 0;
        text_.clear();
        if (text) text_.set(text);
    }
    board_.changed(true);
}

// Every link sees the operator's stop, whether or not it shows progress.
bool LinkDialog::pump() { return board_.stopRequested(); }

void LinkDialog::setText(const char* text) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        text_.set(text);
    }
    board_.changed(false);
}

void LinkDialog::addLine(const char* text) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        text_.addLine(text);
    }
    board_.changed(false);
}

void LinkDialog::showBar(int range, unsigned) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hasBar_ = true;
        range_ = range;
        position_ = 0;
    }
    board_.changed(true);
}

void LinkDialog::setBar(int position, const char* text) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        position_ = position;
        if (text) text_.set(text);
    }
    board_.changed(false);
}

void LinkDialog::close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = false;
    }
    board_.changed(true);
}
