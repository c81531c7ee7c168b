#pragma once
// What this test program synced and what it sent on sockets, in order:
// for each fsync the file's path and size at that moment, for each send
// the bytes.
#include <string>
#include <sys/types.h>
#include <vector>

struct SyncEvent {
    enum Kind { Sync, Send } kind = Sync;
    std::string path;  // Sync: the file
    long long size = 0;  // Sync: its size then
    std::string bytes;  // Send
};

std::vector<SyncEvent> syncEvents();
void forgetSyncEvents();
