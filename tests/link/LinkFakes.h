#pragma once
// What the link tests put in place of the log's window list and of the
// interrupt dialog, so they can see what a link logged and showed.
#include "BreakDialog.h"
#include "zLogger.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct LogLines : zLogSink {
    std::vector<std::string> lines;
    void addLogLine(const char* line) override { lines.emplace_back(line); }
    int count(const std::string& part) const {
        int n = 0;
        for (const auto& l : lines) n += l.find(part) != std::string::npos;
        return n;
    }
    bool has(const std::string& part) const { return count(part) > 0; }
    std::string all() const {
        std::string text;
        for (const auto& l : lines) text += l + "\n";
        return text;
    }
};

// Records what a link shows; the operator presses "Esce" at the given pump.
struct FakeDialog : BREAKDLG_C {
    std::atomic<int> stopAtPump = 0;  // 0: never; a test may set it from another thread
    int pumps = 0, opens = 0, closes = 0, barRange = -1, barPosition = -1;
    unsigned barColour = 0;
    std::string caption;
    std::vector<std::string> lines;  // added lines
    void open(const char* text, int, int) override {
        ++opens;
        caption = text ? text : "";
    }
    bool pump() override { return stopAtPump != 0 && ++pumps >= stopAtPump; }
    void setText(const char* text) override { show(text ? text : ""); }
    void addLine(const char* text) override { lines.emplace_back(text); }
    void showBar(int range, unsigned colour) override {
        barRange = range;
        if (colour) barColour = colour;  // 0 keeps the colour it has
    }
    void setBar(int position, const char* text) override {
        barPosition = position;
        if (text) show(text);
    }
    void close() override { ++closes; }
    bool showed(const std::string& text) const {
        std::lock_guard<std::mutex> hold(mutex_);
        for (const auto& t : texts_)
            if (t == text) return true;
        return false;
    }
    // For the far end of a link, played on another thread: waits until the
    // link has shown the text.
    bool waitUntilShown(const std::string& text, int timeoutMs = 5000) const {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!showed(text) && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return showed(text);
    }

private:
    void show(const char* text) {
        std::lock_guard<std::mutex> hold(mutex_);
        texts_.emplace_back(text);
    }
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;  // every text shown, in order
};
