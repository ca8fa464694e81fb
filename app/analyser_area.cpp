#include "analyser_area.h"

#include "fmod.h"
#include "focus_mark.h"
#include "frequency_bars.h"
#include "registry_values.h"
#include "transport.h"
#include "window_scale.h"

#include <string.h>

namespace {

const int WIDTH = ANALYSER_RIGHT - ANALYSER_LEFT + 1;
const int HEIGHT = ANALYSER_BOTTOM - ANALYSER_TOP + 1;
// What is drawn keeps one pixel clear inside the recess's rim, in the
// picture's own coordinates.
const int INNER_LEFT = 2, INNER_TOP = 2;
const int INNER_WIDTH = WIDTH - 4, INNER_HEIGHT = HEIGHT - 4;
const int INNER_BOTTOM = INNER_TOP + INNER_HEIGHT - 1;

const int BAR_WIDTH = 2, BAR_PITCH = 3;
const int BAR_COUNT = (INNER_WIDTH + 1) / BAR_PITCH;
static_assert(BAR_COUNT <= BARS_MAX, "every bar has its band");
const int BARS_LEFT = INNER_LEFT + (INNER_WIDTH - (BAR_COUNT * BAR_PITCH - 1)) / 2;

// The scope shows the newest 7 ms: a few periods of a voice or a tone,
// where the bars' whole 23 ms would blur into a band.
const int SCOPE_FRAMES_PER_COLUMN = 12;
const int SCOPE_FRAMES = INNER_WIDTH * SCOPE_FRAMES_PER_COLUMN;

// How many frame ticks (10 ms each) a covered area waits before it is
// looked at again, should no repaint have said it was uncovered.
const int RECHECK_TICKS = 100;

const COLORREF ACCENT = RGB(70, 212, 224);
const COLORREF ACCENT_DEEP = RGB(28, 128, 150);

const char *const MODE_NAMES[] = {"Bars", "Scope", "Off"};
const char MODE_SETTING[] = "Analyser";

struct surface {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

struct analyserState {
    analyserMode mode;
    HDC skin;           // the main window's, not ours to free
    surface picture;    // what the area shows, without the focus mark
    surface lit;        // every bar at full height, in its colours
    HBRUSH peakBrush;
    HPEN linePen, middlePen;
    bool running;
    bool shown;         // the picture is on the window, not the empty recess
    bool covered;
    int ticksCovered;
    frequencyBars bars;
    short heard[BARS_FRAMES * 2];
    scopeColumn columns[INNER_WIDTH];
    POINT segments[INNER_WIDTH * 2];
    DWORD segmentPoints[INNER_WIDTH];
};
analyserState state;

const RECT AREA = {ANALYSER_LEFT, ANALYSER_TOP, ANALYSER_RIGHT + 1, ANALYSER_BOTTOM + 1};

surface makeSurface(HDC like)
{
    surface s;
    s.dc = CreateCompatibleDC(like);
    s.bitmap = CreateCompatibleBitmap(like, WIDTH, HEIGHT);
    s.previous = s.dc && s.bitmap ? SelectObject(s.dc, s.bitmap) : NULL;
    return s;
}

void freeSurface(surface &s)
{
    if (s.dc && s.previous)
        SelectObject(s.dc, s.previous);
    if (s.bitmap)
        DeleteObject(s.bitmap);
    if (s.dc)
        DeleteDC(s.dc);
    s = surface{};
}

COLORREF mix(COLORREF a, COLORREF b, int part, int whole)
{
    auto channel = [part, whole](int x, int y) { return x + (y - x) * part / whole; };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

// Bright at the top, deep at the bottom: a bar shows as much of it as its
// level reaches, copied, so that no frame draws a gradient.
void paintLitBars(HDC dc)
{
    for (int row = 0; row < INNER_HEIGHT; ++row) {
        HBRUSH brush = CreateSolidBrush(mix(ACCENT, ACCENT_DEEP, row, INNER_HEIGHT - 1));
        RECT line = {0, INNER_TOP + row, WIDTH, INNER_TOP + row + 1};
        FillRect(dc, &line, brush);
        DeleteObject(brush);
    }
}

analyserMode storedMode()
{
    char text[16] = "";
    if (readText(SETTINGS_KEY, MODE_SETTING, text, sizeof(text)))
        for (int mode = ANALYSER_BARS; mode <= ANALYSER_OFF; ++mode)
            if (lstrcmpiA(text, MODE_NAMES[mode]) == 0)
                return static_cast<analyserMode>(mode);
    return ANALYSER_BARS;
}

int rowsOf(float level)
{
    int rows = static_cast<int>(level * INNER_HEIGHT + 0.5f);
    return rows < 0 ? 0 : rows > INNER_HEIGHT ? INNER_HEIGHT : rows;
}

void drawBars(HDC dc, int frames)
{
    measureBars(state.bars, state.heard, frames);
    for (int b = 0; b < state.bars.count; ++b) {
        int x = BARS_LEFT + b * BAR_PITCH;
        int rows = rowsOf(state.bars.levels[b]);
        if (rows > 0)
            BitBlt(dc, x, INNER_BOTTOM + 1 - rows, BAR_WIDTH, rows, state.lit.dc, x, INNER_BOTTOM + 1 - rows,
                   SRCCOPY);
        int peak = rowsOf(state.bars.peaks[b]);
        if (peak > 0) {
            RECT mark = {x, INNER_BOTTOM + 1 - peak, x + BAR_WIDTH, INNER_BOTTOM + 2 - peak};
            FillRect(dc, &mark, state.peakBrush);
        }
    }
}

int scopeRow(float value)
{
    const int middle = INNER_TOP + INNER_HEIGHT / 2, half = INNER_HEIGHT / 2;
    int row = middle - static_cast<int>(value * half + (value < 0 ? -0.5f : 0.5f));
    return row < INNER_TOP ? INNER_TOP : row > INNER_BOTTOM ? INNER_BOTTOM : row;
}

void drawScope(HDC dc, int frames)
{
    int used = frames < SCOPE_FRAMES ? frames : SCOPE_FRAMES;
    measureScope(state.heard + (frames - used) * 2, used, state.columns, INNER_WIDTH);
    HGDIOBJ previous = SelectObject(dc, state.middlePen);
    MoveToEx(dc, INNER_LEFT, INNER_TOP + INNER_HEIGHT / 2, NULL);
    LineTo(dc, INNER_LEFT + INNER_WIDTH, INNER_TOP + INNER_HEIGHT / 2);
    SelectObject(dc, state.linePen);
    for (int c = 0; c < INNER_WIDTH; ++c) {
        // A line's last pixel is not drawn: one more row takes in the low end.
        state.segments[c * 2] = POINT{INNER_LEFT + c, scopeRow(state.columns[c].high)};
        state.segments[c * 2 + 1] = POINT{INNER_LEFT + c, scopeRow(state.columns[c].low) + 1};
        state.segmentPoints[c] = 2;
    }
    PolyPolyline(dc, state.segments, state.segmentPoints, INNER_WIDTH);
    SelectObject(dc, previous);
}

void composePicture()
{
    HDC dc = state.picture.dc;
    BitBlt(dc, 0, 0, WIDTH, HEIGHT, state.skin, ANALYSER_LEFT, ANALYSER_TOP, SRCCOPY);
    int frames = Kelvoria_GetHeardSamples(state.heard, BARS_FRAMES);
    if (frames < 0)
        frames = 0;
    if (frames > BARS_FRAMES)
        frames = BARS_FRAMES;
    if (state.mode == ANALYSER_BARS)
        drawBars(dc, frames);
    else
        drawScope(dc, frames);
}

// The focus mark is drawn with XOR: drawn once on the picture before it is
// shown and once after, the picture is left without it. At a larger scale
// the mark is drawn on the window over the stretched picture instead.
void markFocus(HWND window)
{
    if (windowScale(window) != 1)
        return;
    POINT origin;
    SetViewportOrgEx(state.picture.dc, -ANALYSER_LEFT, -ANALYSER_TOP, &origin);
    drawFocusMark(window, state.picture.dc);
    SetViewportOrgEx(state.picture.dc, origin.x, origin.y, NULL);
}

// One picture onto the window; false, drawing nothing, when no pixel of
// the area can be seen.
// The picture at the window's scale, its pixels as whole squares.
void copyPicture(HWND window, HDC dc)
{
    int n = windowScale(window);
    copyAtScale(dc, ANALYSER_LEFT * n, ANALYSER_TOP * n, WIDTH, HEIGHT, state.picture.dc, 0, 0, n);
}

bool drawNow(HWND window)
{
    HDC dc = GetDC(window);
    if (!dc)
        return false;
    int n = windowScale(window);
    RECT area = {AREA.left * n, AREA.top * n, AREA.right * n, AREA.bottom * n};
    bool seen = RectVisible(dc, &area) != FALSE;
    if (seen) {
        composePicture();
        markFocus(window);
        copyPicture(window, dc);
        markFocus(window);
        if (n != 1)
            drawFocusMark(window, dc);
        state.shown = true;
    }
    ReleaseDC(window, dc);
    return seen;
}

void setRunning(HWND window, bool run)
{
    if (run == state.running)
        return;
    if (run)
        state.running = SetTimer(window, ANALYSER_TIMER, ANALYSER_TICK_MS, NULL) != 0;
    else {
        KillTimer(window, ANALYSER_TIMER);
        state.running = false;
    }
}

// Once, when the area stops showing anything: the skin's recess comes back
// through the window's own painting.
void showEmpty(HWND window)
{
    clearBars(state.bars);
    if (!state.shown)
        return;
    state.shown = false;
    InvalidateRect(window, &AREA, TRUE);
}

} // namespace

void createAnalyser(HWND window, HDC skinSurface)
{
    destroyAnalyser(window);
    state.mode = storedMode();
    state.skin = skinSurface;
    HDC like = GetDC(window);
    state.picture = makeSurface(like);
    state.lit = makeSurface(like);
    ReleaseDC(window, like);
    if (state.lit.dc)
        paintLitBars(state.lit.dc);
    state.peakBrush = CreateSolidBrush(ACCENT);
    state.linePen = CreatePen(PS_SOLID, 1, ACCENT);
    state.middlePen = CreatePen(PS_SOLID, 1, ACCENT_DEEP);
    setUpBars(state.bars, BAR_COUNT, ANALYSER_RATE);
}

void destroyAnalyser(HWND window)
{
    setRunning(window, false);
    freeSurface(state.picture);
    freeSurface(state.lit);
    if (state.peakBrush)
        DeleteObject(state.peakBrush);
    if (state.linePen)
        DeleteObject(state.linePen);
    if (state.middlePen)
        DeleteObject(state.middlePen);
    state.peakBrush = NULL;
    state.linePen = state.middlePen = NULL;
    state.skin = NULL;
    state.shown = state.covered = false;
}

bool inAnalyserArea(int x, int y)
{
    return x >= ANALYSER_LEFT && x <= ANALYSER_RIGHT && y >= ANALYSER_TOP && y <= ANALYSER_BOTTOM;
}

void cycleAnalyserMode(HWND window)
{
    state.mode = static_cast<analyserMode>((state.mode + 1) % 3);
    writeText(SETTINGS_KEY, MODE_SETTING, MODE_NAMES[state.mode]);
    clearBars(state.bars);
    if (state.picture.dc && state.mode != ANALYSER_OFF && FSOUND_IsPlaying(0))
        drawNow(window);    // a paused song shows its last frames in the new mode too
    analyserFollow(window);
}

analyserMode analyserModeNow()
{
    return state.mode;
}

void analyserFollow(HWND window)
{
    if (!state.picture.dc)
        return;
    if (state.mode == ANALYSER_OFF || !FSOUND_IsPlaying(0)) {
        setRunning(window, false);
        showEmpty(window);
        return;
    }
    if (state.covered && ++state.ticksCovered >= RECHECK_TICKS)
        state.covered = false;
    setRunning(window, !transportPaused() && !state.covered && IsWindowVisible(window) && !IsIconic(window));
}

void analyserWindowChanged(HWND window)
{
    state.covered = false;
    analyserFollow(window);
}

void analyserTick(HWND window)
{
    if (!state.running)
        return;
    if (!drawNow(window)) {
        state.covered = true;
        state.ticksCovered = 0;
        setRunning(window, false);
    }
}

void paintAnalyser(HWND window, HDC dc)
{
    state.covered = false;  // part of the window was shown again
    if (state.shown && state.picture.dc)
        copyPicture(window, dc);
}

bool analyserRunning()
{
    return state.running;
}
