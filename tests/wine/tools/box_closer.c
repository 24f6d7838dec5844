/*
 * box_closer: finds a message box, reports what it shows, and presses OK
 * (or the button asked for).
 *
 * usage: box_closer.exe <timeout_ms> [caption] [-v] [-n] [-p <button>]
 *
 * Waits up to <timeout_ms> for a visible top-level dialog window (class
 * "#32770") whose caption is exactly [caption] (default "Warning"), then
 * prints to stdout (LF line ends):
 *
 *   found=1
 *   caption=<caption>
 *   text=<message text>
 *   text_len=<byte length of the message text>
 *   icons=<number of visible icon controls that hold an icon>
 *   buttons=<number of child windows of class "Button">
 *   button0=<caption of first button>      (one line per button)
 *   ...
 *   default=<caption of the default button> (empty if there is none)
 *   rect=<left>,<top>,<width>,<height>
 *   pressed=<caption of the button pressed> (with -p)
 *   closed=1|0                              (box gone after pressing OK)
 *
 * The message text is the text of the "Static" child that is not an icon
 * (under Wine 8 its control id is 0xFFFF; the lookup does not depend on the
 * id). "-v" also prints every child window;
 * "-n" reports the box (with its screen rectangle) and leaves it open;
 * "-p <button>" presses the button of that caption instead of OK, compared
 * without regard to case and to the "&" marking its access key ("-p No").
 *
 * Exit status: 0 found and closed, 2 not found in time, 3 found but it did
 * not close in time, 4 found without the button asked for (left open), 1
 * usage error. If nothing is found it prints "found=0".
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_BUTTONS 16

struct box_info {
    int verbose;
    char text[4096];
    int have_text;
    int icons; /* icon controls that are visible and hold an icon */
    int buttons;
    HWND button_hwnd[MAX_BUTTONS];
    char button_text[MAX_BUTTONS][256];
};

/* Text of a window that may belong to another process. */
static void window_text(HWND hwnd, char *out, int size)
{
    DWORD_PTR got = 0;
    out[0] = '\0';
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, (WPARAM)size, (LPARAM)out,
                             SMTO_ABORTIFHUNG, 2000, &got) || got == 0)
        GetWindowTextA(hwnd, out, size);
    out[size - 1] = '\0';
}

static BOOL CALLBACK on_child(HWND hwnd, LPARAM param)
{
    struct box_info *info = (struct box_info *)param;
    char cls[64] = "";
    char text[4096];
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);

    GetClassNameA(hwnd, cls, sizeof cls);
    window_text(hwnd, text, sizeof text);
    if (info->verbose)
        printf("child class=%s id=%d style=0x%08lx visible=%d text=%s\n", cls,
               GetDlgCtrlID(hwnd), (unsigned long)style, IsWindowVisible(hwnd) ? 1 : 0, text);

    if (lstrcmpiA(cls, "Button") == 0) {
        if (info->buttons < MAX_BUTTONS) {
            info->button_hwnd[info->buttons] = hwnd;
            strcpy(info->button_text[info->buttons], text[0] ? text : "");
            info->button_text[info->buttons][255] = '\0';
        }
        info->buttons++;
    } else if (lstrcmpiA(cls, "Static") == 0) {
        int kind = style & SS_TYPEMASK;
        if (kind == SS_ICON && IsWindowVisible(hwnd)) {
            DWORD_PTR icon = 0;
            SendMessageTimeoutA(hwnd, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
            if (icon != 0)
                info->icons++;
        }
        if (kind != SS_ICON && kind != SS_BITMAP && !info->have_text) {
            strcpy(info->text, text);
            info->have_text = 1;
        }
    }
    return TRUE;
}

/* Compares a button's caption with a wanted name, skipping the "&" of its access key. */
static int caption_is(const char *caption, const char *wanted)
{
    char plain[256];
    size_t n = 0;
    for (; *caption && n + 1 < sizeof plain; caption++) {
        if (*caption != '&')
            plain[n++] = *caption;
    }
    plain[n] = '\0';
    return lstrcmpiA(plain, wanted) == 0;
}

/* The box's default button: the one the dialog names, else one drawn as the default. */
static int default_button(struct box_info *info, HWND box)
{
    DWORD_PTR result = 0;
    int i;
    if (SendMessageTimeoutA(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) &&
        HIWORD(result) == DC_HASDEFID) {
        for (i = 0; i < info->buttons && i < MAX_BUTTONS; i++) {
            if (GetDlgCtrlID(info->button_hwnd[i]) == (int)LOWORD(result))
                return i;
        }
    }
    for (i = 0; i < info->buttons && i < MAX_BUTTONS; i++) {
        if ((GetWindowLongA(info->button_hwnd[i], GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return i;
    }
    return -1;
}

static HWND find_box(const char *caption)
{
    HWND hwnd = NULL;
    while ((hwnd = FindWindowExA(NULL, hwnd, "#32770", caption)) != NULL) {
        if (IsWindowVisible(hwnd))
            return hwnd;
    }
    return NULL;
}

int main(int argc, char **argv)
{
    const char *caption = "Warning";
    struct box_info info;
    DWORD timeout, start;
    HWND box = NULL, ok = NULL;
    int i, closed = 0, leave_open = 0, defaulted, press_id = IDOK;
    const char *press = NULL;
    RECT rect;

    memset(&info, 0, sizeof info);
    if (argc < 2) {
        fprintf(stderr, "usage: box_closer.exe <timeout_ms> [caption] [-v] [-n] [-p <button>]\n");
        return 1;
    }
    timeout = strtoul(argv[1], NULL, 10);
    for (i = 2; i < argc; i++) {
        if (strcmp(argv[i], "-v") == 0)
            info.verbose = 1;
        else if (strcmp(argv[i], "-n") == 0)
            leave_open = 1;
        else if (strcmp(argv[i], "-p") == 0 && i + 1 < argc)
            press = argv[++i];
        else
            caption = argv[i];
    }

    start = GetTickCount();
    for (;;) {
        box = find_box(caption);
        if (box || GetTickCount() - start >= timeout)
            break;
        Sleep(20);
    }
    if (!box) {
        printf("found=0\n");
        fflush(stdout);
        return 2;
    }

    /* Let the dialog finish initialising before reading it. */
    Sleep(50);
    EnumChildWindows(box, on_child, (LPARAM)&info);

    printf("found=1\ncaption=%s\ntext=%s\ntext_len=%u\nicons=%d\nbuttons=%d\n", caption,
           info.text, (unsigned)strlen(info.text), info.icons, info.buttons);
    for (i = 0; i < info.buttons && i < MAX_BUTTONS; i++) {
        printf("button%d=%s\n", i, info.button_text[i]);
        if (press == NULL && GetDlgCtrlID(info.button_hwnd[i]) == IDOK)
            ok = info.button_hwnd[i];
        if (press != NULL && ok == NULL && caption_is(info.button_text[i], press)) {
            ok = info.button_hwnd[i];
            press_id = GetDlgCtrlID(ok);
        }
    }
    defaulted = default_button(&info, box);
    printf("default=%s\n", defaulted >= 0 ? info.button_text[defaulted] : "");
    if (GetWindowRect(box, &rect))
        printf("rect=%ld,%ld,%ld,%ld\n", (long)rect.left, (long)rect.top,
               (long)(rect.right - rect.left), (long)(rect.bottom - rect.top));
    fflush(stdout);
    if (leave_open)
        return 0;
    if (press != NULL) {
        if (ok == NULL) {
            printf("pressed=\n");
            fflush(stdout);
            return 4;
        }
        printf("pressed=%s\n", press);
    }

    PostMessageA(box, WM_COMMAND, MAKEWPARAM(press_id, BN_CLICKED), (LPARAM)ok);
    start = GetTickCount();
    while (GetTickCount() - start < 5000) {
        if (!IsWindow(box) || !IsWindowVisible(box)) {
            closed = 1;
            break;
        }
        Sleep(20);
    }
    printf("closed=%d\n", closed);
    fflush(stdout);
    return closed ? 0 : 3;
}
