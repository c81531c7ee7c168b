// Feeds arbitrary parameter files to the loader: every outcome must be a
// load result or the missing-router exception, never a crash.
#include "FndException.h"
#include "PrmCfg.h"
#include "VornMgr.h"
#include "zFile.h"
#include "zLogger.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static zLogger log("/dev/null");
    static const std::string path = "/tmp/fuzz_parameter_file_" + std::to_string(getpid()) + ".prm";
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    zFile file(path.c_str());
    VornMgr manager(log);
    manager.setNoticeHandler(nullptr);
    RunSettings settings;
    try {
        PrmCfg(file, log).load(manager, settings);
    } catch (const FndException&) {
    }
    for (int i = 0; i < manager.terminalCount(); ++i)
        if (manager.terminalAt(i)->label().isEmpty()) __builtin_trap();
    return 0;
}
