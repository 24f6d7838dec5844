// Fuzz target: the check tool's parts on any text. The C runtime's split of a command line is
// checked against a model kept here (the documented rules, written as a plain state machine);
// the tool's own arguments, the Parameter check's first word and the DriverDate check against
// that split; and the output writer on any bytes, to a console or a file or pipe, in any of the
// stand-in's code pages and with writes that take less than offered: everything arrives, once,
// in order, and no call is given more than the writer's buffer.
//
// Input strings (see fuzz_input.h): the command line, "LaunchApp", the output's choices
// (console or not, code page, most taken per write), and the bytes written.

#include <stdint.h>

#include <algorithm>
#include <string>
#include <vector>

#include "check_tool/command_line_split.h"
#include "check_tool/setting_checks.h"
#include "check_tool/text_output.h"
#include "check_tool/tool_arguments.h"
#include "fuzz_input.h"
#include "standin.h"

namespace {

using fuzz_input::Require;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::vector<std::string> ModelSplit(const std::string& line)
{
    std::vector<std::string> argv;
    size_t i = 0;
    std::string name;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && IsBlank(line[i])) {
            break;
        } else {
            name += line[i];
        }
    }
    argv.push_back(name);
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return argv;
        }
        std::string argument;
        quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            if (line[i] == '\\') {
                size_t count = 0;
                for (; i < line.size() && line[i] == '\\'; ++i) {
                    ++count;
                }
                const bool beforeQuote = i < line.size() && line[i] == '"';
                argument.append(beforeQuote ? count / 2 : count, '\\');
                if (beforeQuote && count % 2 == 1) {
                    argument += '"';
                    ++i;
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += line[i];
                ++i;
            }
        }
        argv.push_back(argument);
    }
}

std::string Lower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string LastComponent(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CheckSplit(const std::string& line, const std::vector<std::string>& model)
{
    SplitArguments arguments;
    SplitCommandLine(line.c_str(), arguments);
    Require(arguments.found == static_cast<int>(model.size()), "every argument counted");
    Require(arguments.stored <= kSplitArgumentCapacity, "stored within the slots");
    size_t used = 0;
    for (int i = 0; i < arguments.stored; ++i) {
        const std::string& expected = model[static_cast<size_t>(i)];
        Require(arguments.length[i] == expected.size(), "full length reported");
        Require(arguments.start[i] == used && used < kSplitTextCapacity, "stored in order");
        const std::string stored = arguments.text + arguments.start[i];
        Require(expected.compare(0, stored.size(), stored) == 0, "stored text is a prefix");
        Require(stored.size() == expected.size() || arguments.cut, "a cut is reported");
        used += stored.size() + 1;
    }
    Require(arguments.cut == (arguments.stored < arguments.found ||
                              (arguments.stored > 0 &&
                               arguments.length[arguments.stored - 1] >=
                                   kSplitTextCapacity - arguments.start[arguments.stored - 1])),
            "cut exactly when something did not fit");
}

void CheckToolArguments(const std::string& line, const std::vector<std::string>& model)
{
    char folder[260];
    const ToolArguments result = ReadToolArguments(line.c_str(), folder, sizeof(folder));
    const ToolArguments expected =
        model.size() == 1   ? kCheckOwnFolder
        : model.size() > 2  ? kTooManyArguments
        : model[1].empty()  ? kEmptyFolderGiven
        : model[1].size() >= sizeof(folder) ? kFolderTooLong
                                            : kCheckGivenFolder;
    Require(result == expected, "tool arguments as the split gives them");
    Require(std::string(folder) == (result == kCheckGivenFolder ? model[1] : std::string()),
            "folder as the split gives it");
}

void CheckFirstWord(const std::string& line, const std::string& launchApp,
                    const std::vector<std::string>& model)
{
    char firstWord[260];
    const ParameterFirstWord result =
        CheckParameterFirstWord(line.c_str(), launchApp.c_str(), firstWord, sizeof(firstWord));
    Require(std::string(firstWord) == model[0].substr(0, sizeof(firstWord) - 1),
            "first word is argv[0], cut to fit");
    const std::string application = Lower(LastComponent(launchApp));
    const std::string word = Lower(LastComponent(model[0]));
    ParameterFirstWord expected = kFirstWordNamesSomethingElse;
    if (line.empty()) {
        expected = kParameterIsEmpty;
    } else if (application.empty()) {
        expected = kApplicationNameIsEmpty;
    } else if (model[0].size() < sizeof(firstWord) &&
               (word == application ||
                (!word.empty() && word.find('.') == std::string::npos &&
                 word + ".exe" == application))) {
        expected = kFirstWordNamesApplication;
    }
    Require(result == expected, "first word compared with the application's name");
    Require((CheckDriverDateSetting(line.c_str()) & ~0x7Fu) == 0, "only known date problems");
}

void CheckOutput(const std::string& choices, const std::string& bytes)
{
    static const UINT kCodePages[] = {1252, 932, 65001};
    win32_standin::Reset();
    const bool console = fuzz_input::Choice(choices, 0, 2) == 1;
    win32_standin::SetAnsiCodePage(kCodePages[fuzz_input::Choice(choices, 1, 3)]);
    win32_standin::SetStandardOutput(console ? win32_standin::OutputTarget::Console
                                             : win32_standin::OutputTarget::FileOrPipe,
                                     fuzz_input::Choice(choices, 2, 10));

    TextWriter writer;
    StartTextWriter(writer, GetStdHandle(STD_OUTPUT_HANDLE));
    size_t offset = 0;
    for (size_t piece = 1; offset < bytes.size(); piece = piece * 3 + 1) {
        const size_t size = std::min(piece, bytes.size() - offset);
        AppendBytes(writer, bytes.data() + offset, size);
        offset += size;
    }
    FlushText(writer);

    Require(win32_standin::Faults().empty(), "no misuse of the platform");
    if (console) {
        Require(win32_standin::ConsoleOutput() == win32_standin::ConvertAnsiText(bytes),
                "the console gets the text converted in one piece");
        Require(win32_standin::ByteOutput().empty(), "no bytes to a console");
    } else {
        Require(win32_standin::ByteOutput() == bytes, "a file gets the bytes as they are");
    }
    for (const auto& call : win32_standin::Calls()) {
        if (call.function == "WriteConsoleW" || call.function == "WriteFile") {
            Require(std::stoul(call.arguments.at(1)) <= kTextWriterCapacity, "bounded writes");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string line = fuzz_input::CText(input.ConsumeRandomLengthString());
    const std::string launchApp = fuzz_input::CText(input.ConsumeRandomLengthString());
    const std::string choices = input.ConsumeRandomLengthString();
    const std::string bytes = input.ConsumeRandomLengthString();

    const std::vector<std::string> model = ModelSplit(line);
    CheckSplit(line, model);
    CheckToolArguments(line, model);
    CheckFirstWord(line, launchApp, model);
    CheckOutput(choices, bytes);
    return 0;
}
