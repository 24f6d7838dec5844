// Fuzzes MeetsMinimum against a reference model kept here: any installed and required text, any
// separators, field counts 0 to 5 and a few beyond.
//
// Input strings, in order: the count (first character: a digit 0-5 is that count, any other
// byte picks from kOtherCounts), the separators, the installed text, the required text.

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "driver_check/meets_minimum.h"
#include "fuzz_input.h"

namespace {

const size_t kMaximumText = 600;
const int kOtherCounts[] = {0, 1, 2, 3, 4, 5, -1, INT32_MIN, INT32_MAX};

// The model's own reading: fields are the non-empty runs of characters that are not separators.
std::vector<std::string> ModelSplit(const std::string& text, const std::string& separators)
{
    std::vector<std::string> fields;
    std::string field;
    for (const char c : text) {
        if (separators.find(c) == std::string::npos) {
            field += c;
        } else if (!field.empty()) {
            fields.push_back(field);
            field.clear();
        }
    }
    if (!field.empty()) {
        fields.push_back(field);
    }
    return fields;
}

// atoi's reading with 64-bit arithmetic: blanks, one sign, digits; the result is then taken
// modulo 2^32 and read as a signed 32-bit number.
int64_t ModelNumber(const std::string& field)
{
    const std::string blanks = " \t\n\v\f\r";
    size_t i = 0;
    while (i < field.size() && blanks.find(field[i]) != std::string::npos) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    uint64_t magnitude = 0;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
        magnitude = magnitude * 10 + static_cast<uint64_t>(field[i] - '0');
        ++i;
    }
    const uint64_t value = negative ? 0 - magnitude : magnitude;
    const uint64_t low = value & 0xFFFFFFFFull;
    return low >= 0x80000000ull ? static_cast<int64_t>(low) - 0x100000000ll
                                : static_cast<int64_t>(low);
}

int ModelMeetsMinimum(const std::string& installed, const std::string& required,
                      const std::string& separators, int count)
{
    const std::vector<std::string> have = ModelSplit(installed, separators);
    const std::vector<std::string> need = ModelSplit(required, separators);
    const int compared = count <= 0 ? 0 : (count > 4 ? 4 : count);
    for (int i = 0; i < compared; ++i) {
        const size_t at = static_cast<size_t>(i);
        const int64_t a = at < have.size() ? ModelNumber(have[at]) : 0;
        const int64_t b = at < need.size() ? ModelNumber(need[at]) : 0;
        if (a != b) {
            return a > b ? 1 : 0;
        }
    }
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace fuzz_input;
    FuzzedDataProvider input(data, size);
    const std::string countToken = input.ConsumeRandomLengthString(4);
    const std::string separators = CText(input.ConsumeRandomLengthString(8));
    const std::string installed = CText(input.ConsumeRandomLengthString(kMaximumText));
    const std::string required = CText(input.ConsumeRandomLengthString(kMaximumText));

    int count = 0;
    if (!countToken.empty()) {
        const char c = countToken[0];
        count = (c >= '0' && c <= '5')
                    ? c - '0'
                    : kOtherCounts[Choice(countToken, 0, sizeof(kOtherCounts) / sizeof(int))];
    }

    const auto installedCopy = ExactCopy(installed);
    const auto requiredCopy = ExactCopy(required);
    const auto separatorsCopy = ExactCopy(separators);
    const int verdict =
        MeetsMinimum(installedCopy.get(), requiredCopy.get(), separatorsCopy.get(), count);
    const int expected = ModelMeetsMinimum(installed, required, separators, count);
    if (verdict != expected) {
        fprintf(stderr, "MeetsMinimum(\"%s\", \"%s\", \"%s\", %d) = %d, model says %d\n",
                installed.c_str(), required.c_str(), separators.c_str(), count, verdict,
                expected);
    }
    Require(verdict == expected, "MeetsMinimum differs from the reference model");
    Require(installed == installedCopy.get() && required == requiredCopy.get() &&
                separators == separatorsCopy.get(),
            "MeetsMinimum changed its input");
    return 0;
}
