// Fuzzes the driver date check against a reference model kept here: MeetsMinimumDate on any two
// texts, and CheckInstalledDriver on the stand-in with devices whose "DriverDate" holds any
// bytes, terminated or not, of any type.
//
// Input strings, in order: the minimum date, the installed date (also the first device's stored
// value, bytes as given), then up to three more devices, each a type (first character) and the
// stored bytes. The last device walked decides.

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "driver_check/driver_date.h"
#include "driver_check/driver_probe.h"
#include "fuzz_input.h"
#include "platform/system_library.h"
#include "standin.h"

namespace {

const size_t kMaximumDate = 600;
const size_t kMaximumStoredValue = 80;
const int kMaximumExtraDevices = 3;
// Room the product has for a date in year-month-day order, terminator included.
const size_t kModelDateRoom = 272;
// Room the product has for a stored driver date, terminator included.
const size_t kModelStoredRoom = 64;

int64_t ModelNumber(const std::string& field)
{
    size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r'))) {
        ++i;
    }
    int64_t sign = 1;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) {
        sign = field[i] == '-' ? -1 : 1;
        ++i;
    }
    uint64_t magnitude = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + static_cast<uint64_t>(field[i] - '0');
    }
    const uint32_t low = static_cast<uint32_t>(sign < 0 ? 0 - magnitude : magnitude);
    return low > 0x7FFFFFFFu ? static_cast<int64_t>(low) - (int64_t(1) << 32)
                             : static_cast<int64_t>(low);
}

struct ModelDate {
    int64_t year = 0;
    int64_t month = 0;
    int64_t day = 0;
};

// Month, day and year are the first three non-empty "-"-separated parts; a missing part reads 0
// and is written "0". False when the date in year-month-day order would not fit the product's
// room.
bool ReadModelDate(const std::string& text, ModelDate& date)
{
    std::vector<std::string> parts;
    size_t at = 0;
    while (parts.size() < 3) {
        const size_t start = text.find_first_not_of('-', at);
        if (start == std::string::npos) {
            break;
        }
        const size_t end = text.find('-', start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos
                                                                    : end - start));
        at = end == std::string::npos ? text.size() : end;
    }
    while (parts.size() < 3) {
        parts.push_back("0");
    }
    const size_t reorderedLength = parts[0].size() + parts[1].size() + parts[2].size() + 2;
    if (reorderedLength + 1 > kModelDateRoom) {
        return false;
    }
    date.month = ModelNumber(parts[0]);
    date.day = ModelNumber(parts[1]);
    date.year = ModelNumber(parts[2]);
    return true;
}

int ModelMeetsMinimumDate(const std::string& installed, const std::string& minimum)
{
    ModelDate have;
    ModelDate need;
    if (!ReadModelDate(installed, have) || !ReadModelDate(minimum, need)) {
        return 0;
    }
    if (have.year != need.year) {
        return have.year > need.year ? 1 : 0;
    }
    if (have.month != need.month) {
        return have.month > need.month ? 1 : 0;
    }
    return have.day >= need.day ? 1 : 0;
}

// One device's verdict from the bytes stored as its "DriverDate": more than the room fails, the
// text ends at the first NUL within what is stored, and text that fills the room fails.
int ModelDeviceVerdict(const std::string& stored, const std::string& minimum)
{
    if (stored.size() > kModelStoredRoom) {
        return 0;
    }
    const std::string text = stored.substr(0, stored.find('\0'));
    if (text.size() >= kModelStoredRoom) {
        return 0;
    }
    return ModelMeetsMinimumDate(text, minimum);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace fuzz_input;
    using namespace win32_standin;
    FuzzedDataProvider input(data, size);
    const std::string minimum = CText(input.ConsumeRandomLengthString(kMaximumDate));
    const std::string installedBytes = input.ConsumeRandomLengthString(kMaximumDate);
    const std::string installed = CText(installedBytes);

    const auto installedCopy = ExactCopy(installed);
    const auto minimumCopy = ExactCopy(minimum);
    const int verdict = MeetsMinimumDate(installedCopy.get(), minimumCopy.get());
    const int expected = ModelMeetsMinimumDate(installed, minimum);
    if (verdict != expected) {
        fprintf(stderr, "MeetsMinimumDate(\"%s\", \"%s\") = %d, model says %d\n",
                installed.c_str(), minimum.c_str(), verdict, expected);
    }
    Require(verdict == expected, "MeetsMinimumDate differs from the reference model");

    // The probe: devices of one class, the last one walked deciding.
    Reset();
    const GUID displayClass = MakeGuid(0x4D36E968);
    AddDeviceClass("DISPLAY", {displayClass});
    std::vector<std::string> stored = {installedBytes.substr(0, kMaximumStoredValue)};
    std::vector<DWORD> types = {REG_SZ};
    for (int i = 0; i < kMaximumExtraDevices && input.remaining_bytes() > 0; ++i) {
        const std::string type = input.ConsumeRandomLengthString(1);
        types.push_back(type.empty() ? REG_SZ : static_cast<unsigned char>(type[0]));
        stored.push_back(input.ConsumeRandomLengthString(kMaximumStoredValue));
    }
    for (size_t i = 0; i < stored.size(); ++i) {
        Device device;
        device.driverValues["DriverDate"] = RawValue(types[i], stored[i]);
        AddDevice(displayClass, device);
    }
    const int probeVerdict =
        CheckInstalledDriver("DISPLAY", "", minimumCopy.get(), kDecideByLastDevice);
    ReleaseSystemLibrary(kSetupApiLibrary);  // as the run sequence does after the check
    const int probeExpected = ModelDeviceVerdict(stored.back(), minimum);
    if (probeVerdict != probeExpected) {
        fprintf(stderr, "CheckInstalledDriver against \"%s\", last stored value %zu bytes: %d, "
                        "model says %d\n",
                minimum.c_str(), stored.back().size(), probeVerdict, probeExpected);
    }
    Require(probeVerdict == probeExpected, "CheckInstalledDriver differs from the reference model");
    Require(OpenHandles().empty(), "the probe left a handle or key open");
    Require(Faults().empty(), "the probe misused the platform");
    return 0;
}
