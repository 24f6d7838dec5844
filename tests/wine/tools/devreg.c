/*
 * devreg: registers test device setup classes and devices in the Wine
 * registry, so the launch gate's SetupDi calls see them.
 *
 * usage: devreg.exe <command> [args...] [+ <command> [args...]]...
 *
 * Several commands may be chained with a lone "+" so that a whole scenario
 * costs one process start. Commands run in order; the first failure stops
 * the run with exit status 1 (usage errors: 64).
 *
 *   set <ClassName> <GUID> [device...]
 *       Removes the test devices of <GUID> (as "clear" does), makes sure
 *       HKLM\System\CurrentControlSet\Control\Class\{GUID} exists with
 *       "Class"=<ClassName>, then adds one device per [device] argument,
 *       in order, as
 *         Enum\ZTEST\CLS_<GUID>\0000, \0001, ... (one per argument, in order)
 *       with "ClassGUID"={GUID} and "Driver"={GUID}\NNNN, where NNNN is the
 *       first free driver key index under the class key. The driver key gets
 *       the value "DriverDate" described by the argument:
 *         <text>          REG_SZ <text>, e.g. 9-27-2005
 *         sz:<text>       REG_SZ <text> (any text, also empty or a keyword)
 *         expand:<text>   REG_EXPAND_SZ <text>
 *         dword:<n>       REG_DWORD <n>
 *         bin:<text>      REG_BINARY, the text's bytes without terminator
 *         multi:<text>    REG_MULTI_SZ holding the one string <text>
 *         none            driver key without a "DriverDate" value
 *         nokey           "Driver" names a driver key that does not exist
 *                         ({GUID}\M<nnnn>)
 *         nodriver        the device has no "Driver" value at all
 *         @<n>:<value>    the driver key is NNNN = <n> (decimal, 4 digits),
 *                         not the first free one; <value> as above
 *         in:<ENUM>:<value>
 *                         the device is Enum\<ENUM>\CLS_<GUID>\NNNN, listed
 *                         by the enumerator <ENUM> instead of ZTEST (made,
 *                         and marked as ours, when it does not exist);
 *                         <value> as above
 *       Wine walks the enumerators in registry order (sorted by name, "PCI"
 *       before "ROOT" before "ZTEST") and the devices of one enumerator in
 *       argument order, so with every device under ZTEST the last argument is
 *       the last device enumerated.
 *   clear <GUID>
 *       Deletes Enum\<any enumerator>\CLS_<GUID> and the driver keys this
 *       tool created for it, and an enumerator key it made once empty;
 *       deletes the class key too if this tool created it.
 *   list <ClassName>
 *       Runs SetupDiClassGuidsFromNameA, SetupDiGetClassDevsA(DIGCF_PRESENT),
 *       SetupDiEnumDeviceInfo and SetupDiOpenDevRegKey(DIREG_DRV, KEY_READ)
 *       and prints, one line each:
 *         guids=<n>
 *         guid<i>=<GUID>
 *         device<j>=<instance id>|<result>
 *       where <result> is "DriverDate=<text>" for a REG_SZ value,
 *       "type=<n>" for another type, "novalue" or "nokey".
 *       Then "devices=<count>".
 *
 * <GUID> may be given with or without braces, in any case.
 */
#define _WIN32_WINNT 0x0601
#include <windows.h>
#include <setupapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define CLASS_ROOT "System\\CurrentControlSet\\Control\\Class"
#define ENUM_ROOT "System\\CurrentControlSet\\Enum"
#define TEST_ENUMERATOR "ZTEST"
#define MARK_CLASS "GateTestCreatedClass"
#define MARK_DRIVER "GateTestCreatedDriverKey"
#define MARK_ENUM "GateTestCreatedEnumerator"
#define MAX_ENUMERATORS 256

/* Normalises a GUID argument to "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". */
static int parse_guid(const char *arg, char out[39])
{
    const char *p = arg;
    size_t len = strlen(arg), i;
    if (len == 38 && arg[0] == '{' && arg[37] == '}') {
        p = arg + 1;
        len = 36;
    }
    if (len != 36)
        return 0;
    out[0] = '{';
    for (i = 0; i < 36; i++) {
        char c = p[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-')
                return 0;
        } else if (c >= 'a' && c <= 'f') {
            c = (char)(c - 'a' + 'A');
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return 0;
        }
        out[i + 1] = c;
    }
    out[37] = '}';
    out[38] = '\0';
    return 1;
}

static void device_parent_path(const char *enumerator, const char *guid, char *out, size_t size)
{
    /* guid is "{...}"; the device id uses it without braces */
    snprintf(out, size, ENUM_ROOT "\\%s\\CLS_%.36s", enumerator, guid + 1);
}

static int fail(const char *what, LONG err)
{
    fprintf(stderr, "devreg: %s failed: error %ld\n", what, (long)err);
    return 1;
}

/* Deletes the test devices of <guid> under one enumerator, with the driver keys they point at
   if this tool made them, and the enumerator's key too if this tool made it and it is empty. */
static int clear_enumerator(const char *enumerator, const char *guid)
{
    char parent[256], path[512];
    HKEY devs, enum_key;
    LONG r;
    DWORD i;

    device_parent_path(enumerator, guid, parent, sizeof parent);
    r = RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_READ, &devs);
    if (r == ERROR_SUCCESS) {
        /* Delete the driver keys these devices point at, if we made them. */
        for (i = 0;; i++) {
            char inst[64], driver[128];
            DWORD inst_len = sizeof inst, drv_size = sizeof driver, type = 0;
            HKEY dev, drv;
            if (RegEnumKeyExA(devs, i, inst, &inst_len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                break;
            if (RegOpenKeyExA(devs, inst, 0, KEY_READ, &dev) != ERROR_SUCCESS)
                continue;
            if (RegQueryValueExA(dev, "Driver", NULL, &type, (BYTE *)driver, &drv_size) ==
                    ERROR_SUCCESS && type == REG_SZ && drv_size < sizeof driver) {
                driver[drv_size] = '\0';
                snprintf(path, sizeof path, CLASS_ROOT "\\%s", driver);
                if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &drv) == ERROR_SUCCESS) {
                    int ours = RegQueryValueExA(drv, MARK_DRIVER, NULL, NULL, NULL, NULL) ==
                               ERROR_SUCCESS;
                    RegCloseKey(drv);
                    if (ours) {
                        r = RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
                        if (r != ERROR_SUCCESS)
                            return fail("deleting driver key", r);
                    }
                }
            }
            RegCloseKey(dev);
        }
        RegCloseKey(devs);
        /* With a subkey name, RegDeleteTree removes that key as well. */
        r = RegDeleteTreeA(HKEY_LOCAL_MACHINE, parent);
        if (r != ERROR_SUCCESS)
            return fail("deleting device keys", r);
    }

    snprintf(path, sizeof path, ENUM_ROOT "\\%s", enumerator);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &enum_key) == ERROR_SUCCESS) {
        DWORD subkeys = 1;
        int ours = RegQueryValueExA(enum_key, MARK_ENUM, NULL, NULL, NULL, NULL) ==
                   ERROR_SUCCESS;
        RegQueryInfoKeyA(enum_key, NULL, NULL, NULL, &subkeys, NULL, NULL, NULL, NULL, NULL,
                         NULL, NULL);
        RegCloseKey(enum_key);
        if (ours && subkeys == 0) {
            r = RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
            if (r != ERROR_SUCCESS)
                return fail("deleting enumerator key", r);
        }
    }
    return 0;
}

static int cmd_clear(const char *guid)
{
    char path[512];
    static char enumerators[MAX_ENUMERATORS][64];
    HKEY enum_root, cls;
    LONG r;
    DWORD i, count = 0;
    int rc;

    /* The names first: clearing may delete an enumerator's key. */
    r = RegOpenKeyExA(HKEY_LOCAL_MACHINE, ENUM_ROOT, 0, KEY_READ, &enum_root);
    if (r == ERROR_SUCCESS) {
        for (i = 0; count < MAX_ENUMERATORS; i++) {
            DWORD length = sizeof enumerators[0];
            if (RegEnumKeyExA(enum_root, i, enumerators[count], &length, NULL, NULL, NULL,
                              NULL) != ERROR_SUCCESS)
                break;
            count++;
        }
        RegCloseKey(enum_root);
    }
    for (i = 0; i < count; i++) {
        if ((rc = clear_enumerator(enumerators[i], guid)) != 0)
            return rc;
    }

    snprintf(path, sizeof path, CLASS_ROOT "\\%s", guid);
    r = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &cls);
    if (r == ERROR_SUCCESS) {
        int ours = RegQueryValueExA(cls, MARK_CLASS, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
        RegCloseKey(cls);
        if (ours) {
            r = RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
            if (r != ERROR_SUCCESS)
                return fail("deleting class key", r);
        }
    }
    return 0;
}

static LONG set_sz(HKEY key, const char *name, DWORD type, const char *text)
{
    return RegSetValueExA(key, name, 0, type, (const BYTE *)text, (DWORD)strlen(text) + 1);
}

/* Creates the first free Control\Class\{GUID}\NNNN key; returns its index. */
static LONG new_driver_key(HKEY cls, HKEY *out, unsigned *index)
{
    unsigned i;
    for (i = 0; i < 10000; i++) {
        char name[8];
        DWORD disp = 0;
        LONG r;
        snprintf(name, sizeof name, "%04u", i);
        r = RegCreateKeyExA(cls, name, 0, NULL, 0, KEY_ALL_ACCESS, NULL, out, &disp);
        if (r != ERROR_SUCCESS)
            return r;
        if (disp == REG_CREATED_NEW_KEY) {
            *index = i;
            return ERROR_SUCCESS;
        }
        RegCloseKey(*out);
    }
    return ERROR_NO_MORE_ITEMS;
}

/* Makes sure Enum\<enumerator> exists, marking it when this tool creates it. */
static LONG open_enumerator(const char *enumerator)
{
    char path[256];
    HKEY key;
    DWORD disp = 0, one = 1;
    LONG r;
    snprintf(path, sizeof path, ENUM_ROOT "\\%s", enumerator);
    r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, &disp);
    if (r != ERROR_SUCCESS)
        return r;
    if (disp == REG_CREATED_NEW_KEY)
        r = RegSetValueExA(key, MARK_ENUM, 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    RegCloseKey(key);
    return r;
}

static int add_device(HKEY cls, const char *guid, unsigned n, const char *value_arg)
{
    char path[512], driver[64], enumerator[64] = TEST_ENUMERATOR;
    HKEY dev, drv;
    unsigned index = 0;
    LONG r;
    DWORD one = 1;

    if (strncmp(value_arg, "in:", 3) == 0) {
        /* "in:<enumerator>:<value>": the device is listed by that enumerator */
        const char *colon = strchr(value_arg + 3, ':');
        size_t length = colon == NULL ? 0 : (size_t)(colon - (value_arg + 3));
        if (length == 0 || length >= sizeof enumerator)
            return fail("parsing in:<enumerator>:<value>", ERROR_INVALID_PARAMETER);
        memcpy(enumerator, value_arg + 3, length);
        enumerator[length] = '\0';
        value_arg = colon + 1;
    }
    r = open_enumerator(enumerator);
    if (r != ERROR_SUCCESS)
        return fail("creating enumerator key", r);
    device_parent_path(enumerator, guid, path, sizeof path);
    snprintf(path + strlen(path), sizeof path - strlen(path), "\\%04u", n);
    r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &dev, NULL);
    if (r != ERROR_SUCCESS)
        return fail("creating device key", r);
    r = set_sz(dev, "ClassGUID", REG_SZ, guid);
    if (r == ERROR_SUCCESS)
        r = set_sz(dev, "DeviceDesc", REG_SZ, "Launch gate test device");
    if (r != ERROR_SUCCESS) {
        RegCloseKey(dev);
        return fail("writing device values", r);
    }
    if (strcmp(value_arg, "nodriver") == 0) {
        RegCloseKey(dev);
        return 0;
    }

    if (strcmp(value_arg, "nokey") == 0) {
        /* A driver key name that this tool never creates. */
        snprintf(driver, sizeof driver, "%s\\M%04u", guid, n);
        r = set_sz(dev, "Driver", REG_SZ, driver);
        RegCloseKey(dev);
        return r == ERROR_SUCCESS ? 0 : fail("writing Driver", r);
    }

    if (value_arg[0] == '@') {
        /* "@<n>:<value>": the driver key is \NNNN with that number, whatever the
           device's position, as when drivers were installed in another order. */
        char *rest = NULL;
        char name[8];
        index = (unsigned)strtoul(value_arg + 1, &rest, 10);
        if (rest == NULL || *rest != ':' || index > 9999) {
            RegCloseKey(dev);
            return fail("parsing @<n>:<value>", ERROR_INVALID_PARAMETER);
        }
        value_arg = rest + 1;
        snprintf(name, sizeof name, "%04u", index);
        r = RegCreateKeyExA(cls, name, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &drv, NULL);
    } else {
        r = new_driver_key(cls, &drv, &index);
    }
    if (r != ERROR_SUCCESS) {
        RegCloseKey(dev);
        return fail("creating driver key", r);
    }
    snprintf(driver, sizeof driver, "%s\\%04u", guid, index);
    r = set_sz(dev, "Driver", REG_SZ, driver);
    RegCloseKey(dev);
    if (r != ERROR_SUCCESS) {
        RegCloseKey(drv);
        return fail("writing Driver", r);
    }

    r = RegSetValueExA(drv, MARK_DRIVER, 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    if (r == ERROR_SUCCESS) {
        if (strcmp(value_arg, "none") == 0) {
            /* no value */
        } else if (strncmp(value_arg, "sz:", 3) == 0) {
            r = set_sz(drv, "DriverDate", REG_SZ, value_arg + 3);
        } else if (strncmp(value_arg, "expand:", 7) == 0) {
            r = set_sz(drv, "DriverDate", REG_EXPAND_SZ, value_arg + 7);
        } else if (strncmp(value_arg, "bin:", 4) == 0) {
            /* the text's bytes as REG_BINARY, with no terminator */
            r = RegSetValueExA(drv, "DriverDate", 0, REG_BINARY, (const BYTE *)value_arg + 4,
                               (DWORD)strlen(value_arg + 4));
        } else if (strncmp(value_arg, "multi:", 6) == 0) {
            /* one string of REG_MULTI_SZ: the text, its terminator and the list's */
            char multi[1024];
            size_t length = strlen(value_arg + 6);
            if (length + 2 > sizeof multi) {
                r = ERROR_INVALID_PARAMETER;
            } else {
                memcpy(multi, value_arg + 6, length);
                multi[length] = '\0';
                multi[length + 1] = '\0';
                r = RegSetValueExA(drv, "DriverDate", 0, REG_MULTI_SZ, (const BYTE *)multi,
                                   (DWORD)length + 2);
            }
        } else if (strncmp(value_arg, "dword:", 6) == 0) {
            DWORD v = strtoul(value_arg + 6, NULL, 0);
            r = RegSetValueExA(drv, "DriverDate", 0, REG_DWORD, (const BYTE *)&v, sizeof v);
        } else {
            r = set_sz(drv, "DriverDate", REG_SZ, value_arg);
        }
    }
    RegCloseKey(drv);
    if (r != ERROR_SUCCESS)
        return fail("writing DriverDate", r);

    return 0;
}

static int cmd_set(const char *name, const char *guid, int ndev, char **devs)
{
    char path[256];
    HKEY cls;
    DWORD disp = 0, one = 1;
    LONG r;
    int i, rc;

    if ((rc = cmd_clear(guid)) != 0)
        return rc;
    snprintf(path, sizeof path, CLASS_ROOT "\\%s", guid);
    r = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &cls, &disp);
    if (r != ERROR_SUCCESS)
        return fail("creating class key", r);
    r = set_sz(cls, "Class", REG_SZ, name);
    if (r == ERROR_SUCCESS && disp == REG_CREATED_NEW_KEY)
        r = RegSetValueExA(cls, MARK_CLASS, 0, REG_DWORD, (const BYTE *)&one, sizeof one);
    if (r != ERROR_SUCCESS) {
        RegCloseKey(cls);
        return fail("writing class values", r);
    }
    for (i = 0; i < ndev; i++) {
        if ((rc = add_device(cls, guid, (unsigned)i, devs[i])) != 0) {
            RegCloseKey(cls);
            return rc;
        }
    }
    RegCloseKey(cls);
    return 0;
}

static int cmd_list(const char *name)
{
    GUID guids[16];
    DWORD n = 0, i, count = 0;
    HDEVINFO set;
    SP_DEVINFO_DATA data;

    if (!SetupDiClassGuidsFromNameA(name, guids, 16, &n)) {
        printf("guids=error %lu\n", (unsigned long)GetLastError());
        return 0;
    }
    printf("guids=%lu\n", (unsigned long)n);
    for (i = 0; i < n && i < 16; i++) {
        const GUID *g = &guids[i];
        printf("guid%lu={%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}\n",
               (unsigned long)i, (unsigned long)g->Data1, g->Data2, g->Data3, g->Data4[0],
               g->Data4[1], g->Data4[2], g->Data4[3], g->Data4[4], g->Data4[5], g->Data4[6],
               g->Data4[7]);
    }
    if (n == 0) {
        printf("devices=0\n");
        return 0;
    }
    set = SetupDiGetClassDevsA(&guids[0], NULL, NULL, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) {
        printf("devices=error %lu\n", (unsigned long)GetLastError());
        return 0;
    }
    data.cbSize = sizeof data;
    for (i = 0; SetupDiEnumDeviceInfo(set, i, &data); i++) {
        char id[512] = "", value[512];
        DWORD size = sizeof value - 1, type = 0;
        HKEY key;
        SetupDiGetDeviceInstanceIdA(set, &data, id, sizeof id, NULL);
        printf("device%lu=%s|", (unsigned long)i, id);
        key = SetupDiOpenDevRegKey(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) {
            printf("nokey\n");
        } else {
            if (RegQueryValueExA(key, "DriverDate", NULL, &type, (BYTE *)value, &size) !=
                ERROR_SUCCESS) {
                printf("novalue\n");
            } else if (type == REG_SZ) {
                value[size] = '\0';
                printf("DriverDate=%s\n", value);
            } else {
                printf("type=%lu\n", (unsigned long)type);
            }
            RegCloseKey(key);
        }
        count++;
    }
    SetupDiDestroyDeviceInfoList(set);
    printf("devices=%lu\n", (unsigned long)count);
    return 0;
}

static int usage(void)
{
    fprintf(stderr, "usage: devreg.exe set <ClassName> <GUID> [device...] | clear <GUID> |"
                    " list <ClassName>   (chain with +)\n");
    return 64;
}

int main(int argc, char **argv)
{
    int start = 1;
    while (start < argc) {
        int end = start, nargs, rc;
        char guid[39];
        char **a = argv + start;
        while (end < argc && strcmp(argv[end], "+") != 0)
            end++;
        nargs = end - start;
        if (nargs == 0)
            return usage();
        if (strcmp(a[0], "set") == 0 && nargs >= 3) {
            if (!parse_guid(a[2], guid))
                return usage();
            rc = cmd_set(a[1], guid, nargs - 3, a + 3);
        } else if (strcmp(a[0], "clear") == 0 && nargs == 2) {
            if (!parse_guid(a[1], guid))
                return usage();
            rc = cmd_clear(guid);
        } else if (strcmp(a[0], "list") == 0 && nargs == 2) {
            rc = cmd_list(a[1]);
        } else {
            return usage();
        }
        fflush(stdout);
        if (rc != 0)
            return rc;
        start = end + 1;
    }
    if (argc < 2)
        return usage();
    return 0;
}
