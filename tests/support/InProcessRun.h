#pragma once
// What an operation needs to run inside a test process: a run context with
// its log, a terminal manager (empty, or filled from a parameter file by
// load()), an information output and an interrupt dialog nobody sees and
// nobody presses.
#include "BreakDialog.h"
#include "InfoOutput.h"
#include "PrmCfg.h"
#include "RunContext.h"
#include "VornMgr.h"

#include <string>

class SilentDialog : public BREAKDLG_C {
public:
    void open(const char*, int, int) override {}
    bool pump() override { return false; }
    void setText(const char*) override {}
    void addLine(const char*) override {}
    void showBar(int, unsigned) override {}
    void setBar(int, const char*) override {}
    void close() override {}
};

struct InProcessRun {
    explicit InProcessRun(const std::string& logPath, const std::string& parameterPath = "")
        : log(zString(logPath.c_str())), parameterFile(zString(parameterPath.c_str())) {}

    // Creates the terminals of the parameter file.
    bool load() { return parameters.load(manager, settings); }

    zLogger log;
    VornMgr manager{log};
    zFile parameterFile;
    PrmCfg parameters{parameterFile, log};
    RunSettings settings;
    SilentDialog dialog;
    InfoOutput info{log};
    RunState state;
    RunContext context{log, manager, parameters, settings, dialog, info, state};
};
