/*
 * The frame shared by the five skinned windows: skin loading with its
 * one-time guard, the outline, painting, right-button dragging with the
 * timer-sampled offset, the cursors and the main window's teardown.
 *
 * Each window procedure keeps its own frame statics under the same names,
 *     static bool holding;  static RECT rc;  static POINT lp;
 *     static int dx, dy;
 * plus its skin and outline with their guards, and hands them to these
 * procedures together with its row of the window table below. A dialog
 * window then reads, for example:
 *
 *     INT_PTR CALLBACK PlaylistProc(HWND w, UINT msg, WPARAM wp, LPARAM lp_)
 *     {
 *         static HBITMAP PhBmp;  static bool PhBmpLoaded;
 *         static HRGN Pregion;   static bool PregionMade;
 *         static bool holding; static RECT rc; static POINT lp;
 *         static int dx, dy;
 *         loadSkinOnce(PhBmp, PhBmpLoaded, playlistWindow);
 *         buildOutlineOnce(Pregion, PregionMade, PhBmp, playlistWindow.transparent);
 *         switch (msg) {
 *         case WM_INITDIALOG: giveOutline(w, Pregion); startFrameTimer(w); ...
 *         case WM_PAINT:      paintSkin(w, PhBmp); return TRUE;
 *         case WM_TIMER:      sampleCursorOffset(w, rc, lp, dx, dy); return TRUE;
 *         case WM_RBUTTONDOWN: beginDrag(holding); return TRUE;
 *         case WM_RBUTTONUP:  endDrag(holding); return TRUE;
 *         case WM_MOUSEMOVE:  followDrag(w, holding, rc, lp, dx, dy, playlistWindow);
 *                             { POINT at = cursorOffset(rc, lp); ... hit areas ... }
 *         }
 *     }
 *
 * The main window instead keeps its skin on a memory surface for its whole
 * life: keepSkinOnSurface at WM_CREATE, eraseWithSkin at WM_ERASEBKGND,
 * skinBehindChild at WM_CTLCOLORSTATIC, releaseSkinSurface at WM_DESTROY.
 */
#ifndef KELVORIA_SKIN_FRAME_H
#define KELVORIA_SKIN_FRAME_H

#include <windows.h>

/* One row of the window table: the skin each window is drawn from, the
 * colour cut away from its outline, and the fixed size it is given while
 * it is dragged. */
struct skinnedWindow {
    const char *skinFile;       /* relative to the current directory, else to the program's */
    unsigned long transparent;  /* 0x00RRGGBB as the region builder reads pixels */
    int width;
    int height;
};

extern const skinnedWindow mainWindow;      /* "Skins/Skin.bmp", black, 600 x 119 */
extern const skinnedWindow playlistWindow;  /* "Skins/Playlist2.bmp", black, 353 x 295 */
extern const skinnedWindow settingsWindow;  /* "Skins/Settings.bmp", grey 79, 540 x 295 */
extern const skinnedWindow searchWindow;    /* "Skins/Search.bmp", grey 79, 350 x 255 */
extern const skinnedWindow equalizerWindow; /* "Skins/Equalizer.bmp", black, 353 x 160 */

/* ---- Skin and outline ---------------------------------------------- */

/* LoadImageA of the window's skin file at its natural size, no colour
 * conversion. The path is taken relative to the current directory first,
 * then relative to the program file's folder. A file is passed over when it
 * is not a whole bitmap file (cut short, a header promising more than the
 * file holds, an unknown format) or its picture is smaller than
 * table.width x table.height; null when neither place has a usable one. */
HBITMAP loadSkin(const skinnedWindow &table);

/* Loads the skin the first time it is called for this guard, never again:
 * a missing file stays missing for the run. */
void loadSkinOnce(HBITMAP &skin, bool &loadedOnce, const skinnedWindow &table);

/* Builds the outline the first time it is called for this guard. */
void buildOutlineOnce(HRGN &region, bool &builtOnce, HBITMAP skin, unsigned long transparent);

/* SetWindowRgn(window, region, TRUE): the window owns the region from now
 * on. A null region leaves the window its full rectangle. */
void giveOutline(HWND window, HRGN region);

/* A new region equal to `region` (null for null), for a window that is
 * created anew at every opening and would otherwise destroy the kept one. */
HRGN outlineCopy(HRGN region);

/* SetTimer(window, 0, 0, NULL): timer 0 at the system's shortest period.
 * The timers of the other frame windows are restarted with it, at the same
 * moment and with the same period, so that all of them fall due together:
 * one wake-up of the thread then serves every window's tick, where timers
 * started at different moments wake it once each, and under Wine a wake-up
 * is the dearest part of an idle tick. */
#define FRAME_TIMERS_MAX 8
void startFrameTimer(HWND window);

/* KillTimer(window, 0), and the window's timer is no longer restarted with
 * the others. */
void stopFrameTimer(HWND window);

/* ---- Painting ------------------------------------------------------- */

/* Where the client area starts inside the window: (1, 1) for the dialogs,
 * whose templates carry WS_BORDER, (0, 0) for the main window. */
POINT clientOrigin(HWND window);

/* width x height pixels of `source` from (fromX, fromY) onto `target` at
 * (x, y), each pixel a square of scale x scale: nearest-neighbour copying
 * keeps every edge sharp, where any smoothing would blur the pixel art. */
void copyAtScale(HDC target, int x, int y, int width, int height, HDC source, int fromX, int fromY, int scale);

/* Main window, WM_CREATE: a memory surface compatible with the window's
 * that holds `skin` for the window's life; hOldBmp keeps what it held. */
void keepSkinOnSurface(HWND window, HBITMAP skin, HDC &hdcBis, HBITMAP &hOldBmp);

/* Main window, WM_ERASEBKGND: one copy of width x height from hdcBis, at
 * the window's scale (window_scale.h), as every copy of a skin here is.
 * Returns 1, the value the message handler returns. */
LRESULT eraseWithSkin(HWND window, HDC target, HDC hdcBis, const skinnedWindow &table);

/* Main window, WM_CTLCOLORSTATIC: the piece of skin behind the child as
 * its background, transparent text mode, white text. Returns the hollow
 * brush, the handler's result. */
HBRUSH skinBehindChild(HWND window, HDC childDc, HWND child, HDC hdcBis);

/* Main window, WM_DESTROY: restores hOldBmp, deletes hdcBis and the skin,
 * and clears all three. */
void releaseSkinSurface(HDC &hdcBis, HBITMAP &hOldBmp, HBITMAP &skin);

/* Dialog windows, WM_PAINT: the whole skin from a temporary memory
 * surface, inside BeginPaint/EndPaint, placed so that skin pixel (x, y)
 * lies at window pixel (x, y) like the outline, whatever border the
 * dialog template gives the window. */
void paintSkin(HWND window, HBITMAP skin);

/* Paints the whole skin at once outside WM_PAINT (the main window after
 * its file dialog): the window and its children are invalidated first so
 * that the copy is not clipped to what the dialog happened to cover and the
 * children draw themselves again on top of it. */
void repaintSkinNow(HWND window, HBITMAP skin);

/* Settings and search windows, WM_CTLCOLORSTATIC: the stock white brush. */
HBRUSH whiteControlBrush();

/* ---- Dragging and cursors --------------------------------------------- */

/* Timer tick: rc read afresh, lp the cursor where it stood when the tick
 * left the queue (GetMessagePos), (dx, dy) = lp - top-left of rc. A test
 * delivers its ticks through the queue (tests/support/queued_tick.h). */
void sampleCursorOffset(HWND window, RECT &rc, POINT &lp, int &dx, int &dy);

/* WM_RBUTTONDOWN: the drag starts, with the four-way arrow. */
void beginDrag(bool &holding);

/* WM_MOUSEMOVE: rc and lp read afresh; while holding, the four-way arrow
 * and the window moved so that the cursor keeps the offset (dx, dy) of the
 * last tick, at the table's fixed size, shown and raised. */
void followDrag(HWND window, bool holding, RECT &rc, POINT &lp, int dx, int dy,
                const skinnedWindow &table);

/* WM_RBUTTONUP: the drag ends; the cursor is left as it is (the main
 * window shows the arrow again with showArrowCursor). */
void endDrag(bool &holding);

/* The cursor in skin pixels from the last reading of rc and lp, which is
 * what the tool windows test their hit areas against. */
POINT cursorOffset(HWND window, const RECT &rc, const POINT &lp);

/* WM_LBUTTONDOWN: reads rc and lp now and gives the cursor in skin
 * pixels, for the click areas. */
POINT readCursorInWindow(HWND window, RECT &rc, POINT &lp);

/* Hit-area test with both bounds included. */
bool inArea(int x, int y, int left, int right, int top, int bottom);

void showArrowCursor();
void showDragCursor();
void showHandCursor();

#endif
