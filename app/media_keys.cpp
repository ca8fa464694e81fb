// The media keys as global hot keys and as application commands.
#include "media_keys.h"

#include "messages.h"

namespace {

struct mediaKey {
    int hotKeyId;       // ids 0x0000 to 0xBFFF are the program's own
    UINT virtualKey;
    short appCommand;
    int command;
};

const mediaKey mediaKeys[] = {
    {1, VK_MEDIA_PLAY_PAUSE, APPCOMMAND_MEDIA_PLAY_PAUSE, CMD_TOGGLE},
    {2, VK_MEDIA_STOP, APPCOMMAND_MEDIA_STOP, CMD_STOP},
    {3, VK_MEDIA_NEXT_TRACK, APPCOMMAND_MEDIA_NEXTTRACK, CMD_NEXT},
    {4, VK_MEDIA_PREV_TRACK, APPCOMMAND_MEDIA_PREVIOUSTRACK, CMD_PREVIOUS},
};

} // namespace

// A key that cannot be registered (another program holds it) is left to
// that program without a word.
void registerMediaKeys(HWND window)
{
    for (const mediaKey &key : mediaKeys)
        RegisterHotKey(window, key.hotKeyId, 0, key.virtualKey);
}

void releaseMediaKeys(HWND window)
{
    for (const mediaKey &key : mediaKeys)
        UnregisterHotKey(window, key.hotKeyId);
}

int commandOfHotKey(WPARAM id)
{
    for (const mediaKey &key : mediaKeys)
        if (static_cast<WPARAM>(key.hotKeyId) == id)
            return key.command;
    return 0;
}

int commandOfAppCommand(LPARAM lParam)
{
    short appCommand = GET_APPCOMMAND_LPARAM(lParam);
    for (const mediaKey &key : mediaKeys)
        if (key.appCommand == appCommand)
            return key.command;
    return 0;
}
