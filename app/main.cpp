// Kelvoria's entry: everything happens in runPlayer (startup.cpp).
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int showCommand)
{
    (void)previous;
    (void)showCommand;  // the main window is shown, or kept in the tray, by the start-up mode alone
    return runPlayer(instance, arguments);
}
