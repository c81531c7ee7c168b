#pragma once
// Fixture of the end-to-end tests that talk to the simulator: starts it on a
// free TCP port with a wire log and a state file written when it stops, and
// removes its scratch files afterwards.
#include "ToolInstall.h"
#include "VornSimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

class SimulatorTest : public ::testing::Test {
protected:
    void runSimulator(std::vector<std::string> args) {
        std::vector<std::string> all = {"--tcp", "0", "--wire-log", wireLog, "--state-out", stateOut};
        all.insert(all.end(), args.begin(), args.end());
        sim = std::make_unique<vornsim::VornSimProcess>(all);
        ASSERT_TRUE(sim->start()) << sim->error();
    }
    std::string stopAndReadState() {
        sim->stop();
        return readFile(stateOut);
    }
    // A scratch file of this test, removed when it ends.
    std::string scratch(const std::string& suffix) {
        std::string path = base_ + suffix;
        scratchFiles_.push_back(path);
        return path;
    }

    void TearDown() override {
        sim.reset();
        for (const auto& path : scratchFiles_) std::filesystem::remove(path);
    }

private:
    std::string base_ = std::filesystem::temp_directory_path() / ("sim_" + std::to_string(getpid()));
    std::vector<std::string> scratchFiles_;

protected:
    std::string wireLog = scratch("_wire.log");
    std::string stateOut = scratch("_state.json");
    std::unique_ptr<vornsim::VornSimProcess> sim;
};
