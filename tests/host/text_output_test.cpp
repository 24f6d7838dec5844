#include "check_tool/text_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin_fixture.h"

namespace {

using namespace win32_standin;

class TextOutputTest : public StandinTest {
protected:
    static void WriteAll(const std::string& text)
    {
        TextWriter writer;
        StartTextWriter(writer, GetStdHandle(STD_OUTPUT_HANDLE));
        AppendBytes(writer, text.data(), text.size());
        FlushText(writer);
    }

    static size_t LargestCall(const std::string& function, size_t argument)
    {
        size_t largest = 0;
        for (const Call& call : CallsTo(function)) {
            largest = std::max<size_t>(largest, std::stoul(call.arguments.at(argument)));
        }
        return largest;
    }
};

// Text of every kind, long enough to fill the buffer several times over.
std::string MixedText(const std::string& unit, size_t lead)
{
    std::string text(lead, 'a');
    while (text.size() < kTextWriterCapacity * 3 + 17) {
        text += unit;
    }
    return text;
}

TEST_F(TextOutputTest, AFileOrPipeGetsTheBytesAsTheyAre)
{
    const std::string text = MixedText("Caf\xE9 \x80 na\xEFve\r\n", 0) + std::string("\0z", 2);
    for (size_t limit : {0u, 7u}) {
        Reset();
        SetStandardOutput(OutputTarget::FileOrPipe, limit);
        WriteAll(text);
        EXPECT_EQ(ByteOutput(), text) << limit;
        EXPECT_TRUE(ConsoleOutput().empty());
        EXPECT_TRUE(CallsTo("MultiByteToWideChar").empty());
        EXPECT_LE(LargestCall("WriteFile", 1), kTextWriterCapacity);
    }
}

TEST_F(TextOutputTest, AConsoleGetsTheTextAsWideCharactersOfTheAnsiCodePage)
{
    const std::string text = MixedText("Caf\xE9 \x80 \x9Cuvre\r\n", 0);
    for (size_t limit : {0u, 5u}) {
        Reset();
        SetStandardOutput(OutputTarget::Console, limit);
        WriteAll(text);
        EXPECT_EQ(ConsoleOutput(), ConvertAnsiText(text)) << limit;
        EXPECT_TRUE(ByteOutput().empty());
        EXPECT_LE(LargestCall("WriteConsoleW", 1), kTextWriterCapacity);
        EXPECT_LE(LargestCall("MultiByteToWideChar", 2), kTextWriterCapacity);
    }
}

// A character of two or more bytes that the buffer's end cuts is kept back until its rest
// arrives: each offset puts a different byte of it at the end of the first buffer.
TEST_F(TextOutputTest, AConsoleNeverGetsACharacterCutByTheBuffersEnd)
{
    const struct {
        UINT codePage;
        std::string unit;
    } cases[] = {
        {932, "\x88\x9F"},             // a lead byte followed by one in the lead range
        {932, "\x82\xA0x\xB1"},        // pairs, plain letters and a half-width letter
        {65001, "\xC3\xA9"},           // two bytes
        {65001, "\xE2\x82\xAC"},       // three bytes
        {65001, "\xF0\x9F\x98\x80y"},  // four bytes, a surrogate pair when wide
    };
    for (const auto& c : cases) {
        for (size_t lead = 0; lead < 4; ++lead) {
            Reset();
            SetAnsiCodePage(c.codePage);
            SetStandardOutput(OutputTarget::Console);
            const std::string text = MixedText(c.unit, lead);
            WriteAll(text);
            EXPECT_EQ(ConsoleOutput(), ConvertAnsiText(text))
                << "code page " << c.codePage << ", offset " << lead;
        }
    }
}

TEST_F(TextOutputTest, NoStandardOutputWritesNothing)
{
    SetStandardOutput(OutputTarget::None);
    WriteAll(MixedText("text\r\n", 0));
    EXPECT_TRUE(CallsTo("WriteFile").empty());
    EXPECT_TRUE(CallsTo("WriteConsoleW").empty());
    EXPECT_TRUE(CallsTo("GetConsoleMode").empty());
}

TEST_F(TextOutputTest, AClosedPipeEndsTheWritingAtTheFirstRefusal)
{
    for (OutputTarget target : {OutputTarget::FileOrPipe, OutputTarget::Console}) {
        Reset();
        SetStandardOutput(target);
        BreakStandardOutput();
        WriteAll(MixedText("text\r\n", 0));
        EXPECT_EQ(CallsTo("WriteFile").size() + CallsTo("WriteConsoleW").size(), 1u);
    }
}

TEST_F(TextOutputTest, AppendsNumbersAndTexts)
{
    SetStandardOutput(OutputTarget::FileOrPipe);
    TextWriter writer;
    StartTextWriter(writer, GetStdHandle(STD_OUTPUT_HANDLE));
    AppendText(writer, "devices: ");
    AppendNumber(writer, 0);
    AppendText(writer, ", ");
    AppendNumber(writer, 7);
    AppendText(writer, ", ");
    AppendNumber(writer, 4294967295ul);
    AppendText(writer, "");
    FlushText(writer);
    EXPECT_EQ(ByteOutput(), "devices: 0, 7, 4294967295");
}

} // namespace
