/*
 * The listener's double size between starts: the number "DoubleSize"
 * (0 or 1, as text) in the settings key. Restored before the first window is made,
 * so that the face is laid out once at its scale, and stored at each change.
 */
#ifndef KELVORIA_STORED_DOUBLE_SIZE_H
#define KELVORIA_STORED_DOUBLE_SIZE_H

void restoreAndKeepDoubleSize();

#endif
