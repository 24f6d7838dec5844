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

bool NamesDeviceRule(const char* name)
{
    return MatchesIgnoringCase(name, "last") || MatchesIgnoringCase(name, "any") ||
           MatchesIgnoringCase(name, "all");
}

void StartDeviceVerdicts(DeviceRule rule, DeviceVerdicts& verdicts)
{
    verdicts.rule = rule;
    verdicts.anyWalked = 0;
    verdicts.lastVerdict = 0;
    verdicts.anyMet = 0;
    verdicts.allMet = 1;
    verdicts.walked = 0;
    verdicts.firstMet = 0;
    verdicts.firstUnmet = 0;
}

void AddDeviceVerdict(DeviceVerdicts& verdicts, int verdict)
{
    const int met = verdict == 1 ? 1 : 0;
    if (met == 1 && verdicts.anyMet == 0) {
        verdicts.firstMet = verdicts.walked;
    }
    if (met == 0 && verdicts.allMet == 1) {
        verdicts.firstUnmet = verdicts.walked;
    }
    ++verdicts.walked;
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

DecidingDevices FindDecidingDevices(const DeviceVerdicts& verdicts, unsigned long& position)
{
    position = 0;
    if (verdicts.anyWalked == 0) {
        return kNoDeviceWalked;
    }
    switch (verdicts.rule) {
    case kDecideByAnyDevice:
        position = verdicts.firstMet;
        return verdicts.anyMet == 1 ? kFirstMeetingDecided : kNoDeviceMet;
    case kDecideByAllDevices:
        position = verdicts.firstUnmet;
        return verdicts.allMet == 1 ? kEveryDeviceMet : kFirstNotMeetingDecided;
    case kDecideByLastDevice:
        break;
    }
    position = verdicts.walked - 1;
    return kLastDeviceDecided;
}
