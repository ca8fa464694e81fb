// Answers the modal windows that a command opens, from inside their own
// message loop: a thread timer looks for the window at every tick and acts
// on it once it is there. Nothing races: the timer only fires while the
// modal loop runs, and it keeps looking until the window exists.
#ifndef KELVORIA_TEST_DIALOG_ANSWER_H
#define KELVORIA_TEST_DIALOG_ANSWER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The file dialog owned by `owner` is answered by typing each text of
// `typed` into its file name box and pressing Open after each (a folder
// first, then the names, as a user does), or by Cancel when `typed` is
// empty; the file type `filterIndex` (from 1) is chosen first when given.
// filterSeen() tells the file type box's text as the dialog showed it.
void answerFileDialog(HWND owner, const std::vector<std::string> &typed, int filterIndex = 0);
std::string filterSeen();

// The next message boxes, one after the other, are read and answered by
// pressing the buttons `pressed` in order (IDOK, IDYES, ...). A message box
// is a dialog with a text of id 0xFFFF and no file name box; it may open
// inside a file dialog's answer (the overwrite question).
struct messageBoxSeen {
    std::string caption;
    std::string text;
    std::string icon;   // "warning", "information", "error", "question" or ""
    HWND owner = NULL;
    HCURSOR cursor = NULL;  // the cursor when the box was found
};
void answerMessageBoxes(const std::vector<int> &pressed);
std::vector<messageBoxSeen> messageBoxesSeen();
bool messageBoxesAnswered();
// The last box seen, or an empty record when none was.
messageBoxSeen lastMessageBox();

// Stops every answer still waiting for its window.
void forgetAnswers();

// The popup menu that opens next is read and closed without a choice.
struct menuItemSeen {
    UINT id;        // 0 for a separator
    std::string text;
};
void answerPopupMenu();
std::vector<menuItemSeen> menuSeen();

// True once the last answer has been given (the window was found and dealt with).
bool answered();

// The dialog owned by `owner` that opens next: `act` runs once on it from
// inside its modal loop, as soon as it is shown. Independent of the answers
// above, so it can run beside them.
void actOnDialog(HWND owner, std::function<void(HWND dialog)> act);
bool actedOnDialog();

#endif
