// Tags read on a thread of their own. The user-interface thread asks and
// writes the names back; the tag thread only opens songs through the
// engine, which serialises its calls, and touches no list.
#include "tag_reader.h"

#include "songlist.h"

#include "song_events.h"
#include "tags.h"
#include "track_address.h"
#include "text.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string.h>
#include <thread>
#include <windows.h>

namespace {

const UINT_PTR ANNOUNCE_TIMER = 1;
const UINT ANNOUNCE_EVERY_MS = 250;
// Answers wait up to this long to go back together: one message per answer
// would cost the user-interface thread more than the reading.
const ULONGLONG ANSWERS_EVERY_MS = 50;

struct tagRequest {
    int slot;
    bool tagged;                // the answer: `name` is the tags' name
    char path[PATH_SIZE];
    char name[NAME_SIZE];       // shown now; the tags' name once read
};

struct tagReading {
    std::thread thread;
    HWND window = NULL;         // message-only, the user-interface thread's
    bool announcePending = false;
    int waiting = 0;            // asked and not written back; the user-interface thread's
    std::mutex lock;            // guards what follows
    std::condition_variable wake;
    bool quit = false;
    bool ended = false;         // the thread has left its loop
    bool answersPosted = false;     // MSG_TAGS_READ is on its way
    ULONGLONG answersPostedAt = 0;
    std::deque<tagRequest> asked;
    std::deque<tagRequest> read;
};

// Made at the first request and never destroyed: a thread object
// destroyed while it runs ends the process.
tagReading *madeReading;

tagReading &reading()
{
    if (!madeReading)
        madeReading = new tagReading;
    return *madeReading;
}

void readOnItsThread()
{
    tagReading &t = reading();
    for (;;) {
        tagRequest request;
        {
            std::unique_lock<std::mutex> guard(t.lock);
            t.wake.wait(guard, [&] { return t.quit || !t.asked.empty(); });
            if (t.quit) {
                t.ended = true;
                t.wake.notify_all();
                return;
            }
            request = t.asked.front();
            t.asked.pop_front();
        }
        char name[NAME_SIZE];
        request.tagged = tagNameOf(request.path, request.name, name, sizeof(name));
        if (request.tagged)
            memcpy(request.name, name, sizeof(name));
        bool post;
        {
            std::lock_guard<std::mutex> guard(t.lock);
            t.read.push_back(request);
            ULONGLONG now = GetTickCount64();
            post = !t.answersPosted && (t.asked.empty() || now - t.answersPostedAt >= ANSWERS_EVERY_MS);
            if (post) {
                t.answersPosted = true;
                t.answersPostedAt = now;
            }
        }
        if (post)
            PostMessageA(t.window, MSG_TAGS_READ, 0, 0);
    }
}

void announceNames()
{
    tagReading &t = reading();
    KillTimer(t.window, ANNOUNCE_TIMER);
    t.announcePending = false;
    announceSongList(NAMES_CHANGED);
}

// A name goes back only to the song it was read for: the list may have
// been cleared or refilled meanwhile.
bool writeBack(const tagRequest &answer)
{
    return answer.tagged && renameSong(answer.slot, answer.path, answer.name);
}

void takeReadTags()
{
    tagReading &t = reading();
    std::deque<tagRequest> answers;
    {
        std::lock_guard<std::mutex> guard(t.lock);
        answers.swap(t.read);
        t.answersPosted = false;
    }
    for (const tagRequest &answer : answers)
        t.announcePending |= writeBack(answer);
    t.waiting -= static_cast<int>(answers.size());
    if (t.announcePending && t.waiting == 0)
        announceNames();
    else if (t.announcePending)
        SetTimer(t.window, ANNOUNCE_TIMER, ANNOUNCE_EVERY_MS, NULL);    // a pending timer is not moved on
}

LRESULT CALLBACK TagsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == MSG_TAGS_READ) {
        takeReadTags();
        return 0;
    }
    if (message == WM_TIMER && wParam == ANNOUNCE_TIMER) {
        announceNames();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void startTagThread(tagReading &t)
{
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof(windowClass));
    windowClass.lpfnWndProc = TagsProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "KelvoriaTags";
    RegisterClassA(&windowClass);
    t.window = CreateWindowExA(0, "KelvoriaTags", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                               windowClass.hInstance, NULL);
    t.thread = std::thread(readOnItsThread);
}

} // namespace

void readTagsLater(int slot, const char *path, const char *name)
{
    tagReading &t = reading();
    if (t.quit)
        return;     // after quit: no thread starts again (only this thread writes it)
    if (isTrackAddress(path))
        return;     // an album's track keeps the name its cue sheet gave it
    if (!t.thread.joinable())
        startTagThread(t);
    tagRequest request;
    request.slot = slot;
    request.tagged = false;
    copyText(request.path, sizeof(request.path), path);
    copyText(request.name, sizeof(request.name), name);
    bool idle;
    {
        std::lock_guard<std::mutex> guard(t.lock);
        if (t.quit)
            return;
        idle = t.asked.empty();     // else the thread finds this one after the others
        t.asked.push_back(request);
    }
    ++t.waiting;
    if (idle)
        t.wake.notify_one();
}

int tagsWaiting()
{
    return madeReading ? madeReading->waiting : 0;
}

void stopReadingTags(unsigned waitMs)
{
    if (!madeReading)
        return;     // no tags were ever asked for
    tagReading &t = reading();
    bool ended;
    {
        std::unique_lock<std::mutex> guard(t.lock);
        t.quit = true;
        t.asked.clear();
        t.wake.notify_all();
        ended = !t.thread.joinable() ||
                t.wake.wait_for(guard, std::chrono::milliseconds(waitMs), [&] { return t.ended; });
    }
    if (t.thread.joinable()) {
        if (ended)
            t.thread.join();
        else
            t.thread.detach();  // inside a read that does not answer; it writes nothing after this
    }
    t.waiting = 0;
    KillTimer(t.window, ANNOUNCE_TIMER);
    DestroyWindow(t.window);    // answers still posted to it go nowhere
    t.window = NULL;
}
