#include "check_tool/command_line_split.h"

namespace {

// Where an argument's characters go: as many as fit, the rest only counted.
struct ArgumentSink {
    char* text;
    size_t capacity;
    size_t length;
};

void PutCharacter(ArgumentSink& sink, char character)
{
    if (sink.capacity > 0 && sink.length < sink.capacity - 1) {
        sink.text[sink.length] = character;
    }
    ++sink.length;
}

void PutBackslashes(ArgumentSink& sink, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        PutCharacter(sink, '\\');
    }
}

void EndArgument(ArgumentSink& sink, size_t& length)
{
    if (sink.capacity > 0) {
        sink.text[sink.length < sink.capacity ? sink.length : sink.capacity - 1] = '\0';
    }
    length = sink.length;
}

bool IsArgumentBlank(char character)
{
    return character == ' ' || character == '\t';
}

} // namespace

const char* ReadProgramName(const char* commandLine, char* argument, size_t capacity,
                            size_t& length)
{
    ArgumentSink sink = {argument, capacity, 0};
    const char* cursor = commandLine;
    bool inQuotes = false;
    while (*cursor != '\0' && (inQuotes || !IsArgumentBlank(*cursor))) {
        if (*cursor == '"') {
            inQuotes = !inQuotes;
        } else {
            PutCharacter(sink, *cursor);
        }
        ++cursor;
    }
    EndArgument(sink, length);
    return cursor;
}

const char* ReadNextArgument(const char* cursor, char* argument, size_t capacity,
                             size_t& length)
{
    while (IsArgumentBlank(*cursor)) {
        ++cursor;
    }
    if (*cursor == '\0') {
        length = 0;
        if (capacity > 0) {
            argument[0] = '\0';
        }
        return nullptr;
    }
    ArgumentSink sink = {argument, capacity, 0};
    bool inQuotes = false;
    for (;;) {
        size_t backslashes = 0;
        while (*cursor == '\\') {
            ++backslashes;
            ++cursor;
        }
        if (*cursor == '"') {
            PutBackslashes(sink, backslashes / 2);
            if (backslashes % 2 == 1) {
                PutCharacter(sink, '"');
                ++cursor;
            } else if (inQuotes && cursor[1] == '"') {
                PutCharacter(sink, '"');
                cursor += 2;
            } else {
                inQuotes = !inQuotes;
                ++cursor;
            }
            continue;
        }
        PutBackslashes(sink, backslashes);
        if (*cursor == '\0' || (!inQuotes && IsArgumentBlank(*cursor))) {
            break;
        }
        PutCharacter(sink, *cursor);
        ++cursor;
    }
    EndArgument(sink, length);
    return cursor;
}

void SplitCommandLine(const char* commandLine, SplitArguments& arguments)
{
    arguments.stored = 0;
    arguments.found = 0;
    arguments.cut = false;
    arguments.text[0] = '\0';

    size_t used = 0;
    const char* cursor = commandLine;
    for (bool programName = true;; programName = false) {
        const size_t room = kSplitTextCapacity - used;
        const bool slotFree = arguments.stored < kSplitArgumentCapacity;
        char* place = arguments.text + used;
        size_t length = 0;
        cursor = programName ? ReadProgramName(cursor, place, slotFree ? room : 0, length)
                             : ReadNextArgument(cursor, place, slotFree ? room : 0, length);
        if (cursor == nullptr) {
            break;
        }
        ++arguments.found;
        // Once one argument is cut or left out, later ones are left out too, so that the
        // stored ones are always argv[0] onwards without a gap.
        if (!slotFree || arguments.cut || room == 0) {
            arguments.cut = true;
            continue;
        }
        arguments.start[arguments.stored] = used;
        arguments.length[arguments.stored] = length;
        ++arguments.stored;
        if (length >= room) {
            arguments.cut = true;
            used = kSplitTextCapacity;
        } else {
            used += length + 1;
        }
    }
}
