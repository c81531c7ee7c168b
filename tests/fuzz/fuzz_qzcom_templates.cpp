// Feeds arbitrary bytes, as a terminal could send them, to the template
// lists and group headers: the badge list, the template file names and the
// finger counts. Every name that passes must be a plain file name and every
// count must lie within its stated maximum.
#include "PlainName.h"
#include "TemplateLists.h"
#include "TextFile.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/fuzz_qzcom_templates." + std::to_string(getpid());
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    if (auto badges = qzcom::readBadgeList(path); badges && static_cast<long>(badges->size()) > qzcom::kMostListedBadges)
        __builtin_trap();
    qzcom::LineReader in(path);
    while (auto line = in.next(qzcom::kTemplateLineLimit)) {
        for (auto variant : {qzcom::ReaderVariant::UpperFiles, qzcom::ReaderVariant::LowerFiles}) {
            auto name = qzcom::templateName(*line, variant);
            if (name && (!qzcom::isPlainFileName(*name) || name->find('/') != std::string::npos ||
                         name->find("..") != std::string::npos))
                __builtin_trap();
        }
        if (auto fingers = qzcom::groupFingers(*line); fingers && *fingers > qzcom::kMostFingers) __builtin_trap();
    }
    return 0;
}
