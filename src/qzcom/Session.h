#pragma once
// The library-wide state that persists from one call to the next, and the
// services every operation uses: status updates, the Stop request, messages
// and the exchange of one request with the terminal.
#include "ConnectionString.h"
#include "Link.h"
#include "Settings.h"
#include "Ui.h"

#include <atomic>
#include <random>
#include <string>
#include <string_view>

namespace qzcom {

class Session {
public:
    Settings settings;
    LinkParams params;
    Link link;
    Ui ui{settings};
    bool stopFlag = false;            // set by Stop; cleared at the start of every call
    std::atomic<bool> stopAsked{false};  // QzcomStop from any thread, no window needed
    bool linkWanted = false;          // between a successful OPENCOM and COMCLOSE
    bool overwriteQuestionSuppressed = false;
    std::string savedDir;             // the host's current directory during a call
    std::string subStatus;            // second status line of the template transfers
    std::string diagnostic;           // written by a failed configuration send

    // Shows progress; sets the stop flag when Stop was pressed.
    void status(int position, const std::string& text);
    // For waits: true once when Stop was pressed since the last look.
    bool stopRequested();
    void message(const std::string& first, const std::string& second = {});
    // A refusal of something a terminal sent: always a line on standard
    // error, and the message box when boxes are on.
    void refuse(const std::string& why, const std::string& what);
    // The one question of the library, about overwriting `file`.
    bool confirmOverwrite(const std::string& file);

    // Opens the link of `params` again with the current settings.
    int reopen();
    // One request with NUM_RETRY attempts; `reply` receives the reply text.
    // Returns the reply code, or kLinkFailed, kConnectionReset, kTimeout,
    // kStopped, kNotOpen or kRequestTooLong (`reply` empty). Input waiting
    // on the link is discarded before every attempt, and in the tagged
    // protocol only a reply with the request's tag is taken.
    int exchange(std::string_view code, std::string_view data, std::string& reply);
    // The same, for callers that want only the code.
    int exchange(std::string_view code, std::string_view data);

private:
    StopCheck stopCheck();
    Notify notifier();
    std::minstd_rand random_{std::random_device{}()};
};

Session& session();

}  // namespace qzcom
