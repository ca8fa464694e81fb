#include "scale_choice.h"

int scaleForDpi(unsigned dpi)
{
    if (dpi < 144)
        return 1;
    if (dpi < 240)
        return 2;
    return 3;
}

int chooseScale(unsigned dpi, bool doubled)
{
    return scaleForDpi(dpi) * (doubled ? 2 : 1);
}

POINT placeKeepingCursor(POINT topLeft, POINT cursor, int oldScale, int newScale)
{
    if (oldScale < 1)
        oldScale = 1;
    POINT place = {cursor.x - MulDiv(cursor.x - topLeft.x, newScale, oldScale),
                   cursor.y - MulDiv(cursor.y - topLeft.y, newScale, oldScale)};
    return place;
}
