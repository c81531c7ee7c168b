#pragma once
// What the cause and alarm transfers share: the caption in the information
// window and on the interrupt dialog with its progress bar, the operator's
// interruption, the closing count, and the table file read line by line.
#include "RunContext.h"

#include <functional>
#include <string_view>

class TableTransfer {
public:
    // Shows " ==== <caption> ====" and opens the dialog with a bar of `range`.
    TableTransfer(CMDARG_C& job, const zString& caption, int range);
    ~TableTransfer();
    TableTransfer(const TableTransfer&) = delete;
    TableTransfer& operator=(const TableTransfer&) = delete;

    // Moves the bar, labelled "<item>: done/range"; false once the operator
    // stopped the command (reported as Interrupted).
    bool advance(const char* item, int done);
    // Logs "<label> <count> <what>" and shows it after a tab.
    void finish(const char* what);

    // Opens the file for reading (a missing one is created empty) and hands
    // each line to `handle` until it returns false. False, with FileOpen
    // reported, when the file cannot be opened.
    bool forEachLine(const zString& path, const std::function<bool(std::string_view)>& handle);

    // Reports a line that cannot be sent (BadParameterValue) and logs it; the transfer goes on.
    void rejectLine(const char* field, const char* value, std::string_view line);

private:
    CMDARG_C& job_;
    int range_;
};
