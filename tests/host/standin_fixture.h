#pragma once

// Shared set-up for tests that run the program's logic on the Win32 stand-in.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin.h"

class StandinTest : public testing::Test {
protected:
    void SetUp() override { win32_standin::Reset(); }

    // After every run: every handle and key closed, and no misuse of the platform seen.
    void TearDown() override
    {
        EXPECT_TRUE(win32_standin::OpenHandles().empty()) << "handles left open";
        for (const std::string& fault : win32_standin::Faults()) {
            ADD_FAILURE() << "platform misuse: " << fault;
        }
    }

    static std::vector<std::string> CalledFunctions()
    {
        std::vector<std::string> names;
        for (const auto& call : win32_standin::Calls()) {
            names.push_back(call.function);
        }
        return names;
    }
};
