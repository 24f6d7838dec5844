// Times the gate's own phases in one process, with the product's own code where it has a
// function for the phase: the settings reads, the device walk, and the start of and wait for
// the application. Prints the first call's time and the median of the later ones, in
// microseconds.
//
// usage: phase_times.exe <folder with detail.ini and trivial_app.exe> <class> <repetitions>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver_check/driver_probe.h"

namespace {

double NowMicroseconds()
{
    static LARGE_INTEGER frequency = {};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

template <typename Phase>
void TimePhase(const char* name, int repetitions, Phase phase)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        const double start = NowMicroseconds();
        phase();
        times.push_back(NowMicroseconds() - start);
    }
    const double first = times.front();
    std::vector<double> later(times.begin() + 1, times.end());
    std::sort(later.begin(), later.end());
    const double median = later.empty() ? first : later[later.size() / 2];
    std::printf("%s first_us=%.0f median_us=%.0f\n", name, first, median);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: phase_times.exe <folder> <class> <repetitions>\n");
        return 64;
    }
    const std::string folder = argv[1];
    const std::string className = argv[2];
    const int repetitions = std::max(2, std::atoi(argv[3]));
    const std::string settings = folder + "\\detail.ini";
    std::string application = folder + "\\trivial_app.exe";

    TimePhase("settings", repetitions, [&] {
        char value[260];
        GetPrivateProfileStringA("ZELCHECK", "Class", "DISPLAY", value, sizeof value,
                                 settings.c_str());
        GetPrivateProfileStringA("ZELCHECK", "DriverDate", "9-27-2005", value, sizeof value,
                                 settings.c_str());
        GetPrivateProfileStringA("ZELCHECK", "Enumerator", "", value, sizeof value,
                                 settings.c_str());
        GetPrivateProfileStringA("ZELCHECK", "Devices", "Last", value, sizeof value,
                                 settings.c_str());
    });
    int verdict = 0;
    TimePhase("walk", repetitions,
              [&] {
                  verdict = CheckInstalledDriver(className.c_str(), "", "9-27-2005",
                                                 kDecideByLastDevice);
              });
    TimePhase("start_and_wait", repetitions, [&] {
        char commandLine[] = "-x 1";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessA(application.c_str(), commandLine, nullptr, nullptr, FALSE, 0,
                           nullptr, nullptr, &startup, &process)) {
            WaitForSingleObject(process.hProcess, INFINITE);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    });
    std::printf("verdict=%d\n", verdict);
    return 0;
}
