#pragma once

// Shared set-up for tests that run the program's logic on the Win32 stand-in.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin.h"

class StandinTest : public testing::Test {
protected:
    void SetUp() override { win32_standin::Reset(); }

    // After every run: every handle, key and library closed, no misuse of the platform seen,
    // and every library loaded by its full path with its dependencies taken from its folder.
    void TearDown() override
    {
        EXPECT_TRUE(win32_standin::OpenHandles().empty()) << "handles left open";
        EXPECT_TRUE(win32_standin::LoadedLibraries().empty()) << "libraries left loaded";
        for (const auto& load : win32_standin::CallsTo("LoadLibraryExA")) {
            EXPECT_EQ(load.arguments.at(2), "0x8") << load.arguments.at(0);
        }
        for (const std::string& fault : win32_standin::Faults()) {
            ADD_FAILURE() << "platform misuse: " << fault;
        }
    }

    // File names of the libraries loaded, in order.
    static std::vector<std::string> LoadedLibraryNames()
    {
        std::vector<std::string> names;
        for (const auto& load : win32_standin::CallsTo("LoadLibraryExA")) {
            const std::string& path = load.arguments.at(0);
            names.push_back(path.substr(path.rfind('\\') + 1));
        }
        return names;
    }

    // Position in the call record of the `nth` call (from 0) of `function`; past the end if none.
    static size_t IndexOfCall(const std::string& function, size_t nth)
    {
        const auto& calls = win32_standin::Calls();
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].function == function && nth-- == 0) {
                return i;
            }
        }
        return calls.size();
    }

    // The calls of the program's own logic, in order: how it reached the system libraries
    // (their folder, loading, lookups and release) is left out.
    static std::vector<std::string> CalledFunctions()
    {
        std::vector<std::string> names;
        for (const auto& call : win32_standin::Calls()) {
            if (call.function != "GetSystemDirectoryA" && call.function != "LoadLibraryExA" &&
                call.function != "GetProcAddress" && call.function != "FreeLibrary") {
                names.push_back(call.function);
            }
        }
        return names;
    }
};
