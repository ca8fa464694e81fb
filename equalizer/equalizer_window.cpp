#include "equalizer_window.h"

#include "equalizer_choice.h"
#include "frame.h"
#include "window_scale.h"
#include "globals.h"
#include "preset_list.h"
#include "registry_values.h"
#include "accessible_areas.h"
#include "window_areas.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// The close area, in window coordinates, bounds included.
const int HIDE_LEFT = 324, HIDE_RIGHT = 344, HIDE_TOP = 9, HIDE_BOTTOM = 16;

// Where each control stands on the skin's card, in window coordinates.
struct controlPlace {
    int id;
    const char *className;
    const char *text;
    DWORD style;
    int x, y, width, height;
};
const DWORD CHECK = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD BUTTON = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD SLIDER = WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBS_VERT | TBS_BOTH | TBS_NOTICKS;
const DWORD PRESETS = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
const int SLIDER_TOP = 50, SLIDER_HEIGHT = 70, SLIDER_WIDTH = 24;
const int BAND_LEFT = 50, BAND_PITCH = 29;
const controlPlace CONTROLS[] = {
    {EQUALIZER_ON, "BUTTON", "On", CHECK, 16, 29, 40, 16},
    {EQUALIZER_AUTO, "BUTTON", "Auto", CHECK, 60, 29, 50, 16},
    {EQUALIZER_PRESETS, "COMBOBOX", "", PRESETS, 118, 28, 140, 220},
    {EQUALIZER_SAVE, "BUTTON", "Save", BUTTON, 262, 28, 38, 20},
    {EQUALIZER_DELETE, "BUTTON", "Delete", BUTTON, 302, 28, 38, 20},
    {EQUALIZER_IMPORT, "BUTTON", "Import...", BUTTON, 16, 132, 60, 18},
    {EQUALIZER_EXPORT, "BUTTON", "Export...", BUTTON, 80, 132, 60, 18},
    {EQUALIZER_STATUS, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_ENDELLIPSIS, 146, 134, 192, 14},
};

// The areas for the keyboard and screen readers, in reading order: the
// close area, the switches and presets, the sliders from the left, the files.
const int AREAS = 1 + 6 + EQUALIZER_BANDS + 2;
windowArea areas[AREAS];

void describeEqualizerAreas(HWND window);

HWND control(HWND window, int id)
{
    return GetDlgItem(window, id);
}

HWND sliderOf(HWND window, int band)
{
    return control(window, band < 0 ? EQUALIZER_PREAMP : EQUALIZER_FIRST_BAND + band);
}

HWND createControl(HWND window, POINT origin, int id, const char *className, const char *text, DWORD style, int x,
                   int y, int width, int height)
{
    HWND made = CreateWindowExA(0, className, text, style, x - origin.x, y - origin.y, width, height, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), hInst, NULL);
    SendMessageA(made, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return made;
}

void createSlider(HWND window, POINT origin, int band)
{
    int x = band < 0 ? 14 : BAND_LEFT + band * BAND_PITCH;
    const char *name = band < 0 ? "Pre-amplification" : EQUALIZER_BAND_NAMES[band];
    HWND slider = createControl(window, origin, band < 0 ? EQUALIZER_PREAMP : EQUALIZER_FIRST_BAND + band,
                                TRACKBAR_CLASSA, name, SLIDER, x, SLIDER_TOP, SLIDER_WIDTH, SLIDER_HEIGHT);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, EQUALIZER_SLIDER_STEPS));
    SendMessageA(slider, TBM_SETLINESIZE, 0, 1);
    SendMessageA(slider, TBM_SETPAGESIZE, 0, 6);
}

void createControls(HWND window)
{
    INITCOMMONCONTROLSEX bars = {sizeof(bars), ICC_BAR_CLASSES};
    InitCommonControlsEx(&bars);
    POINT origin = clientOrigin(window);
    for (const controlPlace &place : CONTROLS)
        createControl(window, origin, place.id, place.className, place.text, place.style, place.x, place.y,
                      place.width, place.height);
    for (int band = -1; band < EQUALIZER_BANDS; ++band)
        createSlider(window, origin, band);
    SendMessageA(control(window, EQUALIZER_PRESETS), CB_LIMITTEXT, 120, 0);
    fillPresetList(control(window, EQUALIZER_PRESETS));
}

int hundredthsOfSlider(HWND slider)
{
    return hundredthsOfSliderPlace(static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0)));
}

// What the controls show, from the equalizer as it is.
void showChoice(HWND window)
{
    const equalizerChoice &choice = currentEqualizer();
    CheckDlgButton(window, EQUALIZER_ON, choice.on ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, EQUALIZER_AUTO, choice.autoPreamp ? BST_CHECKED : BST_UNCHECKED);
    for (int band = -1; band < EQUALIZER_BANDS; ++band) {
        HWND slider = sliderOf(window, band);
        int place = sliderPlaceOfHundredths(band < 0 ? choice.preamp : choice.bands[band]);
        if (SendMessageA(slider, TBM_GETPOS, 0, 0) != place) {
            SendMessageA(slider, TBM_SETPOS, TRUE, place);
            NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, accessibleChildOf(window, slider));
        }
    }
}

// What the controls hold, as a choice.
equalizerChoice choiceShown(HWND window)
{
    equalizerChoice choice = currentEqualizer();
    choice.on = IsDlgButtonChecked(window, EQUALIZER_ON) == BST_CHECKED;
    choice.autoPreamp = IsDlgButtonChecked(window, EQUALIZER_AUTO) == BST_CHECKED;
    choice.preamp = hundredthsOfSlider(sliderOf(window, -1));
    for (int band = 0; band < EQUALIZER_BANDS; ++band)
        choice.bands[band] = hundredthsOfSlider(sliderOf(window, band));
    return choice;
}

void followEqualizer(equalizerChange, void *context)
{
    showChoice(static_cast<HWND>(context));
}

void writeSliderValue(HWND slider, char *text, int size)
{
    int hundredths = hundredthsOfSlider(slider);
    writeDecibels(text, size, hundredths);
    const equalizerChoice &choice = currentEqualizer();
    int heard = preampHeard(choice);
    if (GetDlgCtrlID(slider) == EQUALIZER_PREAMP && choice.on && heard != hundredths) {
        size_t used = strnlen(text, size);
        char lowered[16];
        writeDecibels(lowered, sizeof(lowered), heard);
        snprintf(text + used, size - used, ", %s heard", lowered);
    }
}

void showStatus(HWND window, const char *status)
{
    HWND label = control(window, EQUALIZER_STATUS);
    SetWindowTextA(label, status);
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, accessibleChildOf(window, label));
}

void hide(HWND window)
{
    ShowWindow(window, SW_HIDE);
}

// The place is kept as "x,y" of the top-left corner.
void keepPlace(HWND window)
{
    RECT rc;
    if (!GetWindowRect(window, &rc))
        return;
    char text[32];
    snprintf(text, sizeof(text), "%ld,%ld", static_cast<long>(rc.left), static_cast<long>(rc.top));
    writeText(SETTINGS_KEY, "EqualizerPlace", text);
}

// Back where it was, if that still lies on a monitor; else beside the
// main window.
void takeKeptPlace(HWND window, const skinnedWindow &table)
{
    RECT main = {404, 618, 1004, 737};
    GetWindowRect(hwnd, &main);
    RECT place = {main.left, main.top - table.height - 4, 0, 0};
    char text[32];
    long x = 0, y = 0;
    char *end = nullptr;
    if (readText(SETTINGS_KEY, "EqualizerPlace", text, sizeof(text))) {
        x = strtol(text, &end, 10);
        if (*end == ',') {
            char *last = nullptr;
            y = strtol(end + 1, &last, 10);
            RECT kept = {x, y, x + table.width, y + table.height};
            if (*last == '\0' && MonitorFromRect(&kept, MONITOR_DEFAULTTONULL))
                place = kept;
        }
    }
    SetWindowPos(window, NULL, place.left, place.top, table.width, table.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void runCommand(HWND window, WORD id, WORD code)
{
    char status[160] = "";
    HWND list = control(window, EQUALIZER_PRESETS);
    switch (id) {
    case EQUALIZER_CMD_HIDE:
    case IDCANCEL: hide(window); return;
    case EQUALIZER_ON:
    case EQUALIZER_AUTO: chooseEqualizer(choiceShown(window)); return;
    case EQUALIZER_PRESETS:
        if (code != CBN_SELCHANGE)
            return;
        choosePresetOfList(list, status, sizeof(status));
        break;
    case EQUALIZER_SAVE: saveTypedPreset(list, status, sizeof(status)); break;
    case EQUALIZER_DELETE: deleteTypedPreset(list, status, sizeof(status)); break;
    case EQUALIZER_IMPORT: importPresets(window, list, status, sizeof(status)); break;
    case EQUALIZER_EXPORT: exportPreset(window, list, status, sizeof(status)); break;
    default: return;
    }
    showStatus(window, status);
}

// Controls named null read their own text.
const struct {
    const char *name;
    int id;
} READING_ORDER[] = {
    {nullptr, EQUALIZER_ON},      {nullptr, EQUALIZER_AUTO},   {"Preset", EQUALIZER_PRESETS},
    {nullptr, EQUALIZER_SAVE},    {nullptr, EQUALIZER_DELETE}, {"Pre-amplification", EQUALIZER_PREAMP},
};

void describeEqualizerAreas(HWND window)
{
    int count = 0;
    areas[count++] = windowArea{"Close", HIDE_LEFT, HIDE_RIGHT, HIDE_TOP, HIDE_BOTTOM, WM_COMMAND,
                                EQUALIZER_CMD_HIDE, 0};
    for (const auto &entry : READING_ORDER)
        areas[count++] = windowArea{entry.name, 0, 0, 0, 0, 0, 0, entry.id};
    for (int band = 0; band < EQUALIZER_BANDS; ++band)
        areas[count++] = windowArea{EQUALIZER_BAND_NAMES[band], 0, 0, 0, 0, 0, 0, EQUALIZER_FIRST_BAND + band};
    areas[count++] = windowArea{nullptr, 0, 0, 0, 0, 0, 0, EQUALIZER_IMPORT};
    areas[count++] = windowArea{nullptr, 0, 0, 0, 0, 0, 0, EQUALIZER_EXPORT};
    describeWindowAreas(window, "Equalizer", areas, count, writeSliderValue);
}

} // namespace

int sliderPlaceOfHundredths(int hundredths)
{
    int held = hundredths < -EQUALIZER_LIMIT ? -EQUALIZER_LIMIT : hundredths > EQUALIZER_LIMIT ? EQUALIZER_LIMIT : hundredths;
    int halves = held >= 0 ? (held + 25) / 50 : -((-held + 25) / 50);
    return EQUALIZER_SLIDER_STEPS / 2 - halves;
}

int hundredthsOfSliderPlace(int place)
{
    int held = place < 0 ? 0 : place > EQUALIZER_SLIDER_STEPS ? EQUALIZER_SLIDER_STEPS : place;
    return (EQUALIZER_SLIDER_STEPS / 2 - held) * 50;
}

void writeDecibels(char *text, int size, int hundredths)
{
    snprintf(text, size, "%c%d.%d dB", hundredths < 0 ? '-' : '+', abs(hundredths) / 100, abs(hundredths) % 100 / 10);
}

INT_PTR CALLBACK EqualizerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static HBITMAP EqBmp;
    static bool EqBmpLoaded;
    static HRGN Eqregion;
    static bool EqregionMade;
    static bool holding;
    static RECT rc;
    static POINT lp;
    static int dx, dy;

    loadSkinOnce(EqBmp, EqBmpLoaded, equalizerWindow);
    buildOutlineOnce(Eqregion, EqregionMade, EqBmp, equalizerWindow.transparent);

    INT_PTR answered;
    if (answerDialogAreaMessage(window, message, wParam, lParam, answered))
        return answered;
    if (answerScaleMessage(window, message, wParam, lParam))
        return TRUE;

    switch (message) {
    case WM_INITDIALOG:
        takeKeptPlace(window, equalizerWindow);
        giveOutline(window, Eqregion);
        createControls(window);
        describeEqualizerAreas(window);
        showChoice(window);
        listenToEqualizer(followEqualizer, window);
        startFrameTimer(window);
        followScale(window, equalizerWindow, EqBmp);
        return TRUE;
    case WM_PAINT:
        paintSkin(window, EqBmp);
        return TRUE;
    case WM_CLOSE:
        hide(window);
        return TRUE;
    case WM_COMMAND:
        runCommand(window, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_VSCROLL:
        // Every step of a drag is heard at once, not only where it ends.
        chooseEqualizer(choiceShown(window));
        if (lParam)
            NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT,
                           accessibleChildOf(window, reinterpret_cast<HWND>(lParam)));
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return reinterpret_cast<INT_PTR>(whiteControlBrush());
    case WM_TIMER:
        sampleCursorOffset(window, rc, lp, dx, dy);
        return TRUE;
    case WM_MOUSEMOVE:
        followDrag(window, holding, rc, lp, dx, dy, equalizerWindow);
        return TRUE;
    case WM_LBUTTONDOWN: {
        POINT at = readCursorInWindow(window, rc, lp);
        if (inArea(at.x, at.y, HIDE_LEFT, HIDE_RIGHT, HIDE_TOP, HIDE_BOTTOM))
            hide(window);
        return TRUE;
    }
    case WM_RBUTTONDOWN:
        beginDrag(holding);
        return TRUE;
    case WM_RBUTTONUP:
        endDrag(holding);
        keepPlace(window);
        return TRUE;
    case WM_APPCOMMAND:     // a media key while this window has the focus
        SendMessageA(hwnd, message, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}
