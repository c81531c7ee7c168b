#pragma once
// What the card format and fingerprint tests share: the information lines a
// command showed, and an interrupt dialog that records what it was shown
// and stops the command when told to.
#include "InfoOutput.h"
#include "BreakDialog.h"

#include <string>
#include <vector>

class InfoLines : public InfoSink {
public:
    void addInfoLine(const char* line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

class RecordingDialog : public BREAKDLG_C {
public:
    void open(const char* text, int, int) override {
        opened.emplace_back(text ? text : "");
        isOpen = true;
    }
    bool pump() override { return ++pumps == stopAtPump; }
    void setText(const char* text) override { texts.emplace_back(text); }
    void addLine(const char* text) override { texts.emplace_back(text); }
    void showBar(int r, unsigned) override { range = r; }
    void setBar(int position, const char* text) override {
        positions.push_back(position);
        if (text) texts.emplace_back(text);
    }
    void close() override { isOpen = false; }

    int stopAtPump = 0;  // 0: the operator never stops
    int pumps = 0;
    int range = -1;
    bool isOpen = false;
    std::vector<std::string> opened, texts;
    std::vector<int> positions;
};
