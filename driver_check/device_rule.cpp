#include "driver_check/device_rule.h"

namespace {

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesIgnoringCase(const char* text, const char* lowerName)
{
    unsigned i = 0;
    for (; lowerName[i] != '\0'; ++i) {
        if (LowerAscii(text[i]) != lowerName[i]) {
            return false;
        }
    }
    return text[i] == '\0';
}

} // namespace

DeviceRule ReadDeviceRule(const char* name)
{
    if (MatchesIgnoringCase(name, "any")) {
        return kDecideByAnyDevice;
    }
    if (MatchesIgnoringCase(name, "all")) {
        return kDecideByAllDevices;
    }
    return kDecideByLastDevice;
}

void StartDeviceVerdicts(DeviceRule rule, DeviceVerdicts& verdicts)
{
    verdicts.rule = rule;
    verdicts.anyWalked = 0;
    verdicts.lastVerdict = 0;
    verdicts.anyMet = 0;
    verdicts.allMet = 1;
}

void AddDeviceVerdict(DeviceVerdicts& verdicts, int verdict)
{
    const int met = verdict == 1 ? 1 : 0;
    verdicts.anyWalked = 1;
    verdicts.lastVerdict = met;
    verdicts.anyMet = verdicts.anyMet | met;
    verdicts.allMet = verdicts.allMet & met;
}

int DecideDeviceVerdicts(const DeviceVerdicts& verdicts)
{
    if (verdicts.anyWalked == 0) {
        return 0;
    }
    switch (verdicts.rule) {
    case kDecideByAnyDevice:
        return verdicts.anyMet;
    case kDecideByAllDevices:
        return verdicts.allMet;
    case kDecideByLastDevice:
        break;
    }
    return verdicts.lastVerdict;
}
