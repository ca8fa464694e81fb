#include "draw.h"

namespace {

const DWORD FIRST_CAPACITY = 100;   /* rectangles in a fresh batch */
const DWORD CAPACITY_STEP = 100;    /* growth of a full batch */
const DWORD FLUSH_COUNT = 2000;     /* rectangles handed over at once */

/* The batch is a movable global block laid out as RGNDATA: the 32-byte
 * header, then `capacity` rectangles. */
DWORD batchBytes(DWORD capacity)
{
    return sizeof(RGNDATAHEADER) + sizeof(RECT) * capacity;
}

void emptyBatch(RGNDATA *batch)
{
    batch->rdh.dwSize = sizeof(RGNDATAHEADER);
    batch->rdh.iType = RDH_RECTANGLES;
    batch->rdh.nCount = 0;
    batch->rdh.nRgnSize = 0;
    SetRect(&batch->rdh.rcBound, MAXLONG, MAXLONG, 0, 0);
}

/* Turns the batch into a region, unites it into the result and empties
 * the batch; its capacity stays. */
void flushBatch(RGNDATA *batch, DWORD capacity, HRGN &result)
{
    HRGN part = ExtCreateRegion(NULL, batchBytes(capacity), batch);
    if (result) {
        CombineRgn(result, result, part, RGN_OR);
        DeleteObject(part);
    } else {
        result = part;
    }
    emptyBatch(batch);
}

/* Adds one run rectangle, growing the block by CAPACITY_STEP when it is
 * full; flushes when the batch reaches FLUSH_COUNT. */
void addRun(HGLOBAL &block, RGNDATA *&batch, DWORD &capacity, HRGN &result,
            LONG left, LONG top, LONG right, LONG bottom)
{
    if (batch->rdh.nCount >= capacity) {
        GlobalUnlock(block);
        HGLOBAL grown = GlobalReAlloc(block, batchBytes(capacity + CAPACITY_STEP), GMEM_MOVEABLE);
        if (grown) {
            block = grown;
            capacity += CAPACITY_STEP;
        }
        batch = static_cast<RGNDATA *>(GlobalLock(block));
        /* No memory to grow: hand over what is there to make room. */
        if (batch->rdh.nCount >= capacity)
            flushBatch(batch, capacity, result);
    }
    RECT *rects = reinterpret_cast<RECT *>(batch->Buffer);
    RECT &bound = batch->rdh.rcBound;
    SetRect(&rects[batch->rdh.nCount], left, top, right, bottom);
    if (left < bound.left) bound.left = left;
    if (top < bound.top) bound.top = top;
    if (right > bound.right) bound.right = right;
    if (bottom > bound.bottom) bound.bottom = bottom;
    batch->rdh.nCount++;
    if (batch->rdh.nCount == FLUSH_COUNT)
        flushBatch(batch, capacity, result);
}

/* Reads the bitmap as 32-bit pixels, top row first, into fixed local
 * memory of stride * height bytes. A 32-bit device bitmap is copied as it
 * is; any other depth (a 16- or 24-bit display, a DIB section) is
 * converted by GetDIBits, which yields blue, green, red and a zero top byte,
 * so the scan never misreads a narrower pixel as a 32-bit one. */
DWORD *readPixels(HBITMAP hBmp, const BITMAP &info, LONG &stride)
{
    LONG width = info.bmWidth;
    LONG height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    stride = info.bmWidthBytes;
    while (stride % 4 != 0)
        stride++;
    bool native = info.bmBitsPixel == 32 && info.bmPlanes == 1 && stride == width * 4;
    if (!native)
        stride = width * 4;
    SIZE_T bytes = static_cast<SIZE_T>(stride) * static_cast<SIZE_T>(height);
    DWORD *pixels = static_cast<DWORD *>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, bytes ? bytes : 4));
    if (!pixels)
        return NULL;
    if (native) {
        GetBitmapBits(hBmp, static_cast<LONG>(bytes), pixels);
        return pixels;
    }
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;     /* top row first */
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(NULL);
    GetDIBits(screen, hBmp, 0, static_cast<UINT>(height), pixels, &request, DIB_RGB_COLORS);
    ReleaseDC(NULL, screen);
    /* GetDIBits leaves the top byte undefined on some systems. */
    for (SIZE_T i = 0; i < bytes / 4; i++)
        pixels[i] &= 0x00FFFFFF;
    return pixels;
}

}  // namespace

HRGN BmpToRgn(HBITMAP hBmp, unsigned long transparent)
{
    return BmpToRgnAtScale(hBmp, transparent, 1);
}

HRGN BmpToRgnAtScale(HBITMAP hBmp, unsigned long transparent, int scale)
{
    if (!hBmp || scale < 1)
        return NULL;
    BITMAP info = {};
    if (!GetObjectA(hBmp, sizeof(info), &info))
        return NULL;
    LONG stride = 0;
    DWORD *pixels = readPixels(hBmp, info, stride);
    if (!pixels)
        return NULL;
    LONG width = info.bmWidth;
    LONG height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;

    DWORD capacity = FIRST_CAPACITY;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, batchBytes(capacity));
    if (!block) {
        LocalFree(pixels);
        return NULL;
    }
    RGNDATA *batch = static_cast<RGNDATA *>(GlobalLock(block));
    emptyBatch(batch);

    HRGN result = NULL;
    for (LONG y = 0; y < height; y++) {
        const DWORD *row = reinterpret_cast<const DWORD *>(reinterpret_cast<const BYTE *>(pixels) + y * stride);
        LONG x = 0;
        while (x < width) {
            LONG x0 = x;
            while (x < width && row[x] != transparent)
                x++;
            if (x > x0)
                addRun(block, batch, capacity, result, x0 * scale, y * scale, x * scale, (y + 1) * scale);
            x++;    /* the pixel that ended the run is transparent */
        }
    }
    flushBatch(batch, capacity, result);

    GlobalUnlock(block);
    GlobalFree(block);
    LocalFree(pixels);
    return result;
}
