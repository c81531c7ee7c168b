#pragma once
// Loads a parameter file written by the test into a fresh terminal manager
// and keeps what the run logged and what it would have shown in a box.
#include "PrmCfg.h"
#include "TextFile.h"
#include "VornMgr.h"
#include "zFile.h"
#include "zLogger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

class PrmFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("prm_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        log = std::make_unique<zLogger>((dir / "cmdvorn.log").string().c_str());
        mgr = std::make_unique<VornMgr>(*log);
        mgr->setNoticeHandler([this](const char* caption, const char* text) {
            notices.push_back(std::string(caption) + "|" + text);
        });
    }
    void TearDown() override {
        mgr.reset();
        config.reset();
        log.reset();
        std::filesystem::remove_all(dir);
    }

    std::string write(const std::string& text) {
        auto path = dir / "cmdvorn.prm";
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    bool load(const std::string& text) {
        file = std::make_unique<zFile>(write(text).c_str());
        config = std::make_unique<PrmCfg>(*file, *log);
        return config->load(*mgr, settings);
    }

    std::string logText() const { return readFile(dir / "cmdvorn.log"); }

    bool logged(const std::string& part) const { return logText().find(part) != std::string::npos; }

    std::filesystem::path dir;
    std::unique_ptr<zLogger> log;
    std::unique_ptr<VornMgr> mgr;
    std::unique_ptr<zFile> file;
    std::unique_ptr<PrmCfg> config;
    RunSettings settings;
    std::vector<std::string> notices;
};
