#include "preset_list.h"

#include "equalizer_choice.h"
#include "preset_files.h"
#include "presets.h"

#include <commdlg.h>
#include <stdio.h>
#include <string.h>

namespace {

const char FILE_FILTER[] = "Equalizer presets\0*.eqf;*.q1;*.txt\0All files\0*.*\0";
const char EXPORT_FILTER[] = "Equalizer library file\0*.eqf\0Text, values in dB\0*.txt\0";
const char *const EXPORT_EXTENSIONS[] = {".eqf", ".txt"};

void typedName(HWND list, char *name)
{
    char text[PRESET_NAME_SIZE * 2];
    int length = GetWindowTextA(list, text, sizeof(text));
    takePresetName(name, text, length < 0 ? 0 : length);
}

void addOnce(HWND list, const char *name)
{
    if (SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name)) == CB_ERR)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
}

void showName(HWND list, const char *name)
{
    fillPresetList(list);
    LRESULT at = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    if (at != CB_ERR)
        SendMessageA(list, CB_SETCURSEL, at, 0);
    else
        SetWindowTextA(list, name);
}

const char *savingProblem(presetSaving saving)
{
    switch (saving) {
    case PRESET_NAME_EMPTY: return "Type a name for the preset first.";
    case PRESET_NAME_BUILT_IN: return "That name is a built-in preset's: choose another.";
    case PRESET_LIST_FULL: return "No room for more presets: delete one first.";
    case PRESET_NOT_SAVED: return "The preset could not be saved.";
    default: return "";
    }
}

// A file dialog's path, bounded by its buffer; false when none was chosen.
bool askPresetFile(HWND owner, char *path, int size, bool saving, const char *name)
{
    memset(path, 0, size);
    if (saving)
        snprintf(path, size - 5, "%s", name);   // room for the extension
    OPENFILENAMEA dialog;
    memset(&dialog, 0, sizeof(dialog));
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = saving ? EXPORT_FILTER : FILE_FILTER;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = size - 5;
    dialog.Flags = saving ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!(saving ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog)))
        return false;
    if (saving && dialog.nFileExtension == 0 && dialog.nFilterIndex >= 1 && dialog.nFilterIndex <= 2) {
        size_t length = strnlen(path, size);
        snprintf(path + length, size - length, "%s", EXPORT_EXTENSIONS[dialog.nFilterIndex - 1]);
    }
    return true;
}

// An imported preset keeps its name unless that is a built-in one's.
void importedName(equalizerPreset &preset)
{
    if (!isBuiltInPresetName(preset.name))
        return;
    char name[PRESET_NAME_SIZE * 2];
    snprintf(name, sizeof(name), "%s (imported)", preset.name);
    takePresetName(preset.name, name, static_cast<int>(strlen(name)));
}

} // namespace

void fillPresetList(HWND list)
{
    char typed[PRESET_NAME_SIZE * 2];
    GetWindowTextA(list, typed, sizeof(typed));
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (int index = 0; index < builtInPresetCount(); ++index)
        addOnce(list, builtInPreset(index).name);
    static equalizerPreset own[USER_PRESETS_MAX];
    int count = listUserPresets(own, USER_PRESETS_MAX);
    for (int index = 0; index < count; ++index)
        addOnce(list, own[index].name);
    SetWindowTextA(list, typed);
}

void choosePresetOfList(HWND list, char *status, int size)
{
    char name[PRESET_NAME_SIZE];
    LRESULT at = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (at == CB_ERR || SendMessageA(list, CB_GETLBTEXTLEN, at, 0) >= PRESET_NAME_SIZE)
        return;
    SendMessageA(list, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(name));
    equalizerPreset preset;
    if (!findPreset(name, preset)) {
        snprintf(status, size, "That preset is gone.");
        fillPresetList(list);
        return;
    }
    chooseEqualizer(choiceOfPreset(preset, currentEqualizer()));
    snprintf(status, size, "%s", "");
}

void saveTypedPreset(HWND list, char *status, int size)
{
    char name[PRESET_NAME_SIZE];
    typedName(list, name);
    presetSaving saving = saveUserPreset(presetOfChoice(name, currentEqualizer()));
    if (saving != PRESET_SAVED) {
        snprintf(status, size, "%s", savingProblem(saving));
        return;
    }
    showName(list, name);
    snprintf(status, size, "Saved.");
}

void deleteTypedPreset(HWND list, char *status, int size)
{
    char name[PRESET_NAME_SIZE];
    typedName(list, name);
    if (isBuiltInPresetName(name))
        snprintf(status, size, "A built-in preset stays.");
    else if (!deleteUserPreset(name))
        snprintf(status, size, "No preset of yours has that name.");
    else {
        SetWindowTextA(list, "");
        fillPresetList(list);
        snprintf(status, size, "Deleted.");
    }
}

void importPresets(HWND owner, HWND list, char *status, int size)
{
    char path[MAX_PATH * 2];
    if (!askPresetFile(owner, path, sizeof(path), false, ""))
        return;
    static equalizerPreset read[USER_PRESETS_MAX];
    int count = 0;
    presetFileResult result = importPresetFile(path, read, USER_PRESETS_MAX, count);
    if (result != PRESET_FILE_READ) {
        snprintf(status, size, result == PRESET_FILE_UNREADABLE ? "The file could not be read."
                                                                : "That file holds no equalizer presets.");
        return;
    }
    int saved = 0;
    for (int index = 0; index < count; ++index) {
        importedName(read[index]);
        saved += saveUserPreset(read[index]) == PRESET_SAVED;
    }
    chooseEqualizer(choiceOfPreset(read[0], currentEqualizer()));
    showName(list, read[0].name);
    snprintf(status, size, "Imported %d of %d preset%s.", saved, count, count == 1 ? "" : "s");
}

void exportPreset(HWND owner, HWND list, char *status, int size)
{
    char name[PRESET_NAME_SIZE];
    typedName(list, name);
    char path[MAX_PATH * 2];
    if (!askPresetFile(owner, path, sizeof(path), true, name[0] ? name : "Equalizer"))
        return;
    equalizerPreset preset = presetOfChoice(name[0] ? name : "Entry1", currentEqualizer());
    snprintf(status, size, exportPresetFile(path, preset) ? "Exported." : "The file could not be written.");
}
