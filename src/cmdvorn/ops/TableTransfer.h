#pragma once
// What the cause and alarm transfers share: the caption in the information
// output and on the interrupt dialog with its progress bar, the operator's
// interruption, the records of the table ("<object>,SE,%x" and
// "<object>,GE,%x"), the closing count, and the table file read line by line.
#include "ProgressScope.h"
#include "RunContext.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class TableTransfer {
public:
    // The bar has `range` steps, labelled "<item>: done/range".
    TableTransfer(CMDARG_C& job, zString caption, int range, const char* object, const char* item);
    TableTransfer(const TableTransfer&) = delete;
    TableTransfer& operator=(const TableTransfer&) = delete;

    // Shows " ==== <caption> ====" and opens the dialog with its bar.
    void begin();
    // Sends the record of an index, counts it and moves the bar; false when
    // the exchange failed (its error is the job's) or the operator stopped.
    bool store(int index, const std::uint8_t* record, int size);
    // Reads the record of an index and counts it; false when the exchange
    // failed (its error is the job's).
    bool fetch(int index, std::uint8_t* record, int size);
    // Moves the bar; false once the operator stopped the command (reported
    // as Interrupted).
    bool advance(int done);
    // Logs "<label> <count> <what>" and shows it after a tab.
    void finish(const char* what);

    // Opens the file for reading (a missing one is created empty), begins,
    // and hands each line to `handle` until it returns false. False, with
    // FileOpen reported, when the file cannot be opened.
    bool forEachLine(const zString& path, const std::function<bool(std::string_view)>& handle);

    // Reports a line that cannot be sent (BadParameterValue) and logs it; the transfer goes on.
    void rejectLine(const char* field, const char* value, std::string_view line);

private:
    CMDARG_C& job_;
    zString caption_;
    int range_;
    const char* object_;
    zString item_;  // "<item>:", as the bar shows it
    std::optional<ProgressScope> progress_;
};
