#include "check_tool/text_output.h"

namespace {

const UINT kUtf8CodePage = 65001;

bool IsUsableHandle(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// How many of the `size` bytes form whole characters of the code page: a double-byte
// character or UTF-8 sequence that the end cuts is left for the next write.
size_t MeasureWholeCharacters(const char* text, size_t size, UINT codePage)
{
    if (codePage == kUtf8CodePage) {
        size_t start = size;
        size_t continuation = 0;
        while (start > 0 && continuation < 3 &&
               (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) {
            --start;
            ++continuation;
        }
        if (start == 0) {
            return size;
        }
        const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
        const size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        return needed > continuation + 1 ? start - 1 : size;
    }
    size_t whole = 0;
    while (whole < size) {
        const BYTE byte = static_cast<BYTE>(text[whole]);
        const bool lead = byte >= 0x80 && IsDBCSLeadByte(byte);
        if (lead && whole + 1 == size) {
            break;
        }
        whole += lead ? 2 : 1;
    }
    return whole;
}

void WriteBytes(TextWriter& writer, const char* text, size_t size)
{
    size_t done = 0;
    while (done < size) {
        DWORD written = 0;
        const DWORD wanted = static_cast<DWORD>(size - done);
        if (!WriteFile(writer.target, text + done, wanted, &written, nullptr) || written == 0 ||
            written > wanted) {
            writer.failed = true;
            return;
        }
        done += written;
    }
}

// Every byte gives at most one wide character in every ANSI code page (a double-byte character
// gives one, a UTF-8 sequence of n bytes one or two), so the wide buffer needs no more room than
// the text has bytes.
void WriteConsoleText(TextWriter& writer, const char* text, size_t size)
{
    WCHAR wide[kTextWriterCapacity];
    if (size == 0) {
        return;
    }
    const int converted = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), wide,
                                              static_cast<int>(kTextWriterCapacity));
    if (converted <= 0 || static_cast<size_t>(converted) > kTextWriterCapacity) {
        writer.failed = true;
        return;
    }
    size_t done = 0;
    const size_t total = static_cast<size_t>(converted);
    while (done < total) {
        DWORD written = 0;
        const DWORD wanted = static_cast<DWORD>(total - done);
        if (!WriteConsoleW(writer.target, wide + done, wanted, &written, nullptr) ||
            written == 0 || written > wanted) {
            writer.failed = true;
            return;
        }
        done += written;
    }
}

// Writes the gathered text: all of it, or with `keepCutCharacter` all but a character that the
// buffer's end cuts, which moves to the buffer's start.
void WriteGathered(TextWriter& writer, bool keepCutCharacter)
{
    size_t ready = writer.length;
    if (writer.toConsole && keepCutCharacter) {
        ready = MeasureWholeCharacters(writer.text, writer.length, writer.codePage);
        if (ready == 0) {
            ready = writer.length;  // never keep back a whole buffer
        }
    }
    if (!writer.failed && IsUsableHandle(writer.target)) {
        if (writer.toConsole) {
            WriteConsoleText(writer, writer.text, ready);
        } else {
            WriteBytes(writer, writer.text, ready);
        }
    }
    for (size_t i = ready; i < writer.length; ++i) {
        writer.text[i - ready] = writer.text[i];
    }
    writer.length -= ready;
}

void AppendCharacter(TextWriter& writer, char character)
{
    if (writer.length == kTextWriterCapacity) {
        WriteGathered(writer, true);
    }
    writer.text[writer.length] = character;
    ++writer.length;
}

} // namespace

void StartTextWriter(TextWriter& writer, HANDLE target)
{
    writer.target = target;
    writer.failed = false;
    writer.length = 0;
    DWORD mode = 0;
    writer.toConsole = IsUsableHandle(target) && GetConsoleMode(target, &mode) != FALSE;
    writer.codePage = writer.toConsole ? GetACP() : 0;
}

void AppendBytes(TextWriter& writer, const char* text, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        AppendCharacter(writer, text[i]);
    }
}

// Appends as it reads: a measuring loop first would be turned into a call of the C runtime's
// strlen by the compiler.
void AppendText(TextWriter& writer, const char* text)
{
    for (const char* cursor = text; *cursor != '\0'; ++cursor) {
        AppendCharacter(writer, *cursor);
    }
}

void AppendNumber(TextWriter& writer, unsigned long number)
{
    char digits[24];
    size_t count = 0;
    do {
        digits[count] = static_cast<char>('0' + number % 10);
        ++count;
        number /= 10;
    } while (number != 0);
    char ordered[24];
    for (size_t i = 0; i < count; ++i) {
        ordered[i] = digits[count - 1 - i];
    }
    AppendBytes(writer, ordered, count);
}

void FlushText(TextWriter& writer)
{
    WriteGathered(writer, false);
}
