#include "platform/system_library.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin_fixture.h"

namespace {

using namespace win32_standin;

class SystemLibraryTest : public StandinTest {
protected:
    void TearDown() override
    {
        ReleaseSystemLibrary(kSetupApiLibrary);
        ReleaseSystemLibrary(kUser32Library);
        StandinTest::TearDown();
    }
};

TEST_F(SystemLibraryTest, StartUpRestrictsTheSearchWithTheCallsTheSystemHas)
{
    const struct {
        bool hasSetDefaultDllDirectories;
        bool hasSetDllDirectory;
        std::vector<std::string> calls;
    } cases[] = {
        {true, true, {"SetDefaultDllDirectories 0x800", "SetDllDirectoryA "}},
        {false, true, {"SetDllDirectoryA "}},  // Windows XP SP1 to Windows 7 without its update
        {true, false, {"SetDefaultDllDirectories 0x800"}},
        {false, false, {}},  // Windows XP before SP1
    };
    for (const auto& c : cases) {
        Reset();
        SetLibrarySearchCalls(c.hasSetDefaultDllDirectories, c.hasSetDllDirectory);
        RestrictLibrarySearch();
        std::vector<std::string> calls;
        for (const Call& call : Calls()) {
            if (call.function == "SetDefaultDllDirectories" || call.function == "SetDllDirectoryA") {
                calls.push_back(call.function + " " + call.arguments.at(0));
            }
        }
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(CallsTo("GetModuleHandleA").at(0).arguments.at(0), "kernel32.dll");
        EXPECT_TRUE(CallsTo("LoadLibraryExA").empty());
    }
}

TEST_F(SystemLibraryTest, LibraryPathIsTheSystemFolderJoinedWithinTheCapacity)
{
    const std::string folder246 = "C:\\" + std::string(243, 's');
    const struct {
        std::string systemFolder;
        bool failure;
        std::string path;  // empty: no path
    } cases[] = {
        {kSystemFolder, false, std::string(kSystemFolder) + "\\setupapi.dll"},
        {folder246, false, folder246 + "\\setupapi.dll"},  // 259 characters: fits
        {folder246 + "s", false, ""},                      // 260: one too many
        {"C:\\" + std::string(256, 's'), false, ""},      // the folder alone fills the field
        {"C:\\" + std::string(300, 's'), false, ""},      // reported as the size it needs
        {kSystemFolder, true, ""},
    };
    for (const auto& c : cases) {
        Reset();
        SetSystemFolder(c.systemFolder, c.failure);
        char path[260];
        path[0] = 'x';
        EXPECT_EQ(FormSystemLibraryPath("setupapi.dll", path, sizeof(path)), !c.path.empty())
            << c.systemFolder.size();
        EXPECT_EQ(std::string(path), c.path) << c.systemFolder.size();
        EXPECT_EQ(CallsTo("GetSystemDirectoryA").at(0).arguments.at(0), "260");
    }
}

// With no system folder to take them from, no library is loaded at all: the check fails and
// there is no box either.
TEST_F(SystemLibraryTest, UnknownSystemFolderLoadsNothing)
{
    for (bool failure : {true, false}) {
        Reset();
        SetSystemFolder("C:\\" + std::string(300, 's'), failure);
        EXPECT_EQ(FindSystemFunction(kSetupDiGetClassDevsA), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
        EXPECT_EQ(FindSystemFunction(kMessageBoxA), nullptr);
        EXPECT_TRUE(CallsTo("LoadLibraryExA").empty());
    }
}

TEST_F(SystemLibraryTest, LibraryIsLoadedOnceByFullPathUntilReleased)
{
    EXPECT_NE(FindSystemFunction(kSetupDiGetClassDevsA), nullptr);
    EXPECT_NE(FindSystemFunction(kSetupDiEnumDeviceInfo), nullptr);
    ASSERT_EQ(CallsTo("LoadLibraryExA").size(), 1u);
    EXPECT_EQ(CallsTo("LoadLibraryExA").at(0).arguments,
              (std::vector<std::string>{std::string(kSystemFolder) + "\\setupapi.dll",
                                        kNullArgument, "0x8"}));
    EXPECT_EQ(LoadedLibraries(), std::vector<std::string>{"setupapi.dll"});

    ReleaseSystemLibrary(kSetupApiLibrary);
    EXPECT_TRUE(LoadedLibraries().empty());
    EXPECT_NE(FindSystemFunction(kSetupDiEnumDeviceInfo), nullptr);
    EXPECT_EQ(CallsTo("LoadLibraryExA").size(), 2u);
}

// A library lacking any function the gate uses from it is not used at all, and not kept.
TEST_F(SystemLibraryTest, LibraryMissingOrLackingAFunctionIsNotUsed)
{
    const struct {
        std::string failingLibrary;
        std::string missingFunction;
        SystemFunction asked;
        DWORD error;
    } cases[] = {
        {"setupapi.dll", "", kSetupDiClassGuidsFromNameA, ERROR_MOD_NOT_FOUND},
        {"", "SetupDiDestroyDeviceInfoList", kSetupDiClassGuidsFromNameA, ERROR_PROC_NOT_FOUND},
        {"user32.dll", "", kMessageBoxA, ERROR_MOD_NOT_FOUND},
        {"", "MessageBoxA", kMessageBoxA, ERROR_PROC_NOT_FOUND},
    };
    for (const auto& c : cases) {
        Reset();
        if (!c.failingLibrary.empty()) {
            FailLibraryLoad(c.failingLibrary);
        }
        if (!c.missingFunction.empty()) {
            RemoveLibraryFunction(c.missingFunction);
        }
        EXPECT_EQ(FindSystemFunction(c.asked), nullptr) << c.failingLibrary << c.missingFunction;
        EXPECT_EQ(GetLastError(), c.error) << c.failingLibrary << c.missingFunction;
        EXPECT_TRUE(LoadedLibraries().empty()) << c.failingLibrary << c.missingFunction;
    }
}

// The libraries that showing a box loads are loaded before USER32 by full path, and released
// with it.
TEST_F(SystemLibraryTest, BoxLibrariesComeFromTheSystemFolderAndGoWithUser32)
{
    SetSystemFolder("D:\\Win\\System32");
    EXPECT_NE(FindSystemFunction(kMessageBoxA), nullptr);
    const std::vector<Call> loads = CallsTo("LoadLibraryExA");
    ASSERT_FALSE(loads.empty());
    EXPECT_EQ(loads.back().arguments.at(0), "D:\\Win\\System32\\user32.dll");
    for (const Call& load : loads) {
        EXPECT_EQ(load.arguments.at(0).rfind("D:\\Win\\System32\\", 0), 0u) << load.arguments.at(0);
    }
    EXPECT_EQ(LoadedLibraries().size(), loads.size());
    ReleaseSystemLibrary(kUser32Library);
    EXPECT_TRUE(LoadedLibraries().empty());
}

} // namespace
