/*
 * Screen readers on the described windows (window_areas.h):
 * answerGetObject gives WM_GETOBJECT for OBJID_CLIENT an IAccessible whose
 * children are the entries and then the other controls: skin areas as
 * push buttons (default action: the click), a trackbar as a slider whose
 * value the window gives, labels as text, other controls with the role of
 * their kind, each with its rectangle on the screen.
 */
#ifndef KELVORIA_SKIN_ACCESSIBLE_AREAS_H
#define KELVORIA_SKIN_ACCESSIBLE_AREAS_H

#include <windows.h>

/* WM_GETOBJECT: true with `result` set when the window answers. */
bool answerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT &result);

/* WM_GETOBJECT for a dialog procedure: the result goes in DWLP_MSGRESULT;
 * returns the procedure's own result. */
INT_PTR answerDialogGetObject(HWND window, WPARAM wParam, LPARAM lParam);

/* The messages every skinned dialog answers alike for its areas: the focus
 * mark following the focus (WM_SETFOCUS, WM_KILLFOCUS) and its accessible
 * object (WM_GETOBJECT). True, with the dialog procedure's result in
 * `result`, when `message` is one of them. */
bool answerDialogAreaMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR &result);

#endif
