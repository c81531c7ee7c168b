#pragma once
// The parameter file "cmdvorn.prm": its syntax and key look-ups, and the
// load that turns it into the run's settings and the terminal manager's
// terminals.
//
// Syntax: a ";" starts a comment (except a ";" between two apostrophes, as
// in FLDSEP=';'); lines are trimmed; a line starting with "[" is a section
// header, compared whole and without case. A key is found by comparing the
// start of each line of the section with it, without case, over the key's
// length; the first such line with an "=" wins, so readers ask for the
// longer of two names sharing a beginning first. Only the first section of
// a given header counts.
#include "ParameterLookup.h"
#include "RunSettings.h"
#include "zFile.h"
#include "zLogger.h"

#include <string_view>
#include <vector>

class RoutedVorn;
class VornMgr;

class PrmCfg : public ParameterLookup {
public:
    static constexpr const char* kGlobal = kGlobalSection;

    // file and log are borrowed. The file is only used during load(), which
    // closes it again.
    PrmCfg(zFile& file, zLogger& log);
    ~PrmCfg() override;
    PrmCfg(const PrmCfg&) = delete;
    PrmCfg& operator=(const PrmCfg&) = delete;

    // Reads the file, [Global] and the file sections into settings (reset
    // first), every terminal section into manager (emptied first), binds
    // routed terminals, then runs the manager's duplicate check and logs the
    // terminal list. False when the file cannot be read or has no terminal
    // section. Throws FndException for a missing router.
    bool load(VornMgr& manager, RunSettings& settings);

    bool getValue(std::string_view section, std::string_view key, zString& value) const override;
    bool hasSection(std::string_view section) const;

    // The file's lines after comment removal and trimming.
    int lineCount() const { return static_cast<int>(lines_.size()); }
    const zString& line(int index) const { return lines_[static_cast<std::size_t>(index)]; }

    // The interrupt number for a serial port name: [Global] <name>Irq when
    // it holds 1..16 (anything else there means none), else the default.
    int irqFor(const zString& portName) const;

    // A raw line as the syntax sees it: comment cut, blanks trimmed.
    static zString cleanLine(std::string_view raw);

private:
    bool readFile();
    void readGlobal(RunSettings& settings);
    void readFileSections(RunSettings& settings);
    // An empty FILE_NAME with a default (`defaultUsed` names it) is logged
    // as a warning.
    bool readFileSetting(const char* section, FileSetting& setting, bool withMode,
                         const char* defaultUsed = nullptr) const;
    void bindRouters(VornMgr& manager);
    int sectionLine(std::string_view section) const;

    zFile& file_;
    std::vector<zString> lines_;
    zLogger& log_;
    // Routed terminals added by this load, with their section headers.
    std::vector<std::pair<RoutedVorn*, zString>> routed_;
};
