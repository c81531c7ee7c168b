#pragma once
// The interrupt dialog of a run whose links work side by side. Each link's
// thread has a dialog of its own (LinkDialog); the board shows every open
// one on the front end's dialog as one line, "[1] 340/1000 [4] 12/80"
// (terminal number, records so far, records in all), and once the operator
// has stopped, every link's dialog says so until the run ends.
//
// Thread-safe, and cheap for a link that moves its bar at every record: a
// dialog's own lock is taken by its thread and, when the board draws (at
// most every kRedrawEvery), by the board; the front end's dialog is asked
// about the operator's stop at most every kPollEvery. Only the board
// touches the front end's dialog.
#include "BreakDialog.h"
#include "BreakText.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

class LinkDialog;

class LinkBoard {
public:
    // Opens the front end's dialog for the whole run; closed by the destructor.
    explicit LinkBoard(BREAKDLG_C& frontEnd);
    ~LinkBoard();
    LinkBoard(const LinkBoard&) = delete;
    LinkBoard& operator=(const LinkBoard&) = delete;

    // True from the operator's stop on, for every link; the front end is
    // asked at most every kPollEvery.
    bool stopRequested();
    // The line as it stands.
    std::string line();

private:
    friend class LinkDialog;
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kRedrawEvery{100};
    static constexpr std::chrono::milliseconds kPollEvery{50};

    // A change of what is open shows at once, a moving bar at most every
    // kRedrawEvery. The caller holds no dialog's lock.
    void changed(bool structure);
    // Caller holds mutex_.
    std::string lineLocked() const;

    std::mutex mutex_;  // the list, the front end's dialog
    BREAKDLG_C& frontEnd_;
    std::vector<const LinkDialog*> dialogs_;
    std::atomic<bool> stopped_{false};
    std::atomic<Clock::rep> drawn_{0};
    std::atomic<Clock::rep> polled_{0};
};

class LinkDialog : public BREAKDLG_C {
public:
    explicit LinkDialog(LinkBoard& board);
    ~LinkDialog() override;
    LinkDialog(const LinkDialog&) = delete;
    LinkDialog& operator=(const LinkDialog&) = delete;

    // The terminal the link works for now, shown before its progress.
    void setTerminal(int number);

    void open(const char* text = nullptr, int x = -1, int y = -1) override;
    bool pump() override;
    void setText(const char* text) override;
    void addLine(const char* text) override;
    void showBar(int range, unsigned colour = 0) override;
    void setBar(int position, const char* text = nullptr) override;
    void close() override;

private:
    friend class LinkBoard;
    // What the board shows for this link; takes the dialog's lock.
    std::string shown() const;
    bool isOpen() const;

    LinkBoard& board_;
    mutable std::mutex mutex_;  // everything below
    int terminal_ = 0;
    bool open_ = false;
    bool hasBar_ = false;
    int range_ = 0;
    int position_ = 0;
    BreakText text_;
};
