// The walk on a thread of its own. The walking thread gathers batches and
// the progress under one lock; the user-interface thread takes them when
// it is told that they wait, and alone writes the song list.
#include "background_scan.h"

#include "disk_scan.h"
#include "intake.h"
#include "paths.h"
#include "text.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string.h>
#include <string>
#include <thread>

namespace {

// A partial batch waits no longer than this for more songs: the list
// shows songs arriving even where they are few and far apart.
const ULONGLONG PARTIAL_BATCH_MS = 100;
// At quit a walk gets this long to stop: a folder on a network that does
// not answer holds its thread inside FindFirstFile or FindNextFile, and the
// engine's close and the windows' end still come after.
const int QUIT_WAIT_MS = 500;

struct walkRun {
    std::thread thread;
    std::unique_ptr<folderWalk> walk;   // shared with the thread until it is joined
    HWND window = NULL;
    WPARAM number = 0;                  // of the walk that runs, or ran last
    bool ended = false;                 // at quit: no walk starts any more
    ULONGLONG lastHandOver = 0;         // the walking thread's own
    std::mutex lock;                    // guards what follows
    std::condition_variable walked;     // told when `threadDone` is set
    bool threadDone = false;            // the walk's thread has posted its last word
    bool silenced = false;              // at quit: the walking thread posts nothing more
    int threadsLeft = 0;                // walking threads not yet at their end
    std::deque<std::unique_ptr<songBatch>> ready;
    walkProgress progress = {};
    void (*folderHook)(const char *folder) = nullptr;
};

// Made at the first walk and never destroyed: a thread object destroyed
// while it runs ends the process.
walkRun *madeRun;

walkRun &run()
{
    if (!madeRun)
        madeRun = new walkRun;
    return *madeRun;
}

void noteProgress(walkRun &r, const folderWalk *walk)
{
    r.progress.folders = walk->folders;
    r.progress.musicFiles = walk->musicFiles;
    r.progress.walkedBytes = walk->bytes;
}

// Walking thread: the batch joins the ones waiting, and the window is told
// when the first of them arrives (not once per batch: it takes them all).
bool handOverBatch(folderWalk *walk)
{
    walkRun &r = run();
    r.lastHandOver = GetTickCount64();
    if (walk->found.count == 0)
        return true;
    std::unique_ptr<songBatch> batch(new songBatch(walk->found));
    walk->found.count = 0;
    std::lock_guard<std::mutex> guard(r.lock);
    bool first = r.ready.empty();
    r.ready.push_back(std::move(batch));
    noteProgress(r, walk);
    // Posted under the lock, so that nothing is posted once quit has
    // silenced the walk.
    if (first && !r.silenced)
        PostMessageA(r.window, MSG_SCAN_FOUND, 0, 0);
    return true;
}

void noteFolder(folderWalk *walk, const char *folder)
{
    walkRun &r = run();
    {
        std::lock_guard<std::mutex> guard(r.lock);
        copyText(r.progress.folder, sizeof(r.progress.folder), folder);
        noteProgress(r, walk);
    }
    if (r.folderHook)
        r.folderHook(folder);
    if (walk->found.count > 0 && GetTickCount64() - r.lastHandOver >= PARTIAL_BATCH_MS)
        handOverBatch(walk);
}

void walkOnItsThread(std::string pattern, folderWalk *walk, HWND window, WPARAM number)
{
    walkFolderTree(pattern.c_str(), walk);
    handOverBatch(walk);
    walkRun &r = run();
    std::lock_guard<std::mutex> guard(r.lock);
    noteProgress(r, walk);
    if (!r.silenced)
        PostMessageA(window, MSG_SCAN_WALKED, number, 0);
    r.threadDone = true;
    --r.threadsLeft;
    r.walked.notify_all();
}

// The drive's used space, where the folder is a drive's root: what the
// walk can at most come across. 0 when it cannot be known.
unsigned long long usedSpaceOf(const char *folder)
{
    size_t length = strlen(folder);
    bool driveRoot = (length == 2 || length == 3) && folder[1] == ':' && (length == 2 || folder[2] == '\\');
    ULARGE_INTEGER free, total;
    if (!driveRoot || !GetDiskFreeSpaceExA(folder, NULL, &total, &free))
        return 0;
    return total.QuadPart - free.QuadPart;
}

// True once the walk's thread has said its last word, waiting at most
// `bound` for it.
bool walkThreadEnds(walkRun &r, std::chrono::milliseconds bound)
{
    std::unique_lock<std::mutex> guard(r.lock);
    return r.walked.wait_for(guard, bound, [&] { return r.threadDone; });
}

// A thread that does not end in time is let go with its walk: both are
// left to the process's end, never destroyed while the thread runs.
int joinWalk(std::chrono::milliseconds bound)
{
    walkRun &r = run();
    if (r.thread.joinable()) {
        if (walkThreadEnds(r, bound)) {
            r.thread.join();
        } else {
            r.thread.detach();
            r.walk.release();
        }
    }
    int taken = takeFoundSongs();
    r.walk.reset();
    return taken;
}

const std::chrono::milliseconds NO_BOUND = std::chrono::hours(24 * 365);

} // namespace

bool startWalk(HWND window, const char *folder)
{
    walkRun &r = run();
    char pattern[PATH_SIZE];
    if (r.walk || r.ended || !folderPattern(pattern, sizeof(pattern), folder))
        return false;
    r.walk.reset(new folderWalk());
    r.walk->handOver = handOverBatch;
    r.walk->enterFolder = noteFolder;
    r.window = window;
    r.lastHandOver = GetTickCount64();
    {
        std::lock_guard<std::mutex> guard(r.lock);
        r.ready.clear();
        r.progress = walkProgress();
        copyText(r.progress.folder, sizeof(r.progress.folder), folder);
        r.progress.usedBytes = usedSpaceOf(folder);
        r.threadDone = false;
        ++r.threadsLeft;
    }
    r.thread = std::thread(walkOnItsThread, std::string(pattern), r.walk.get(), window, ++r.number);
    return true;
}

bool walkRunning()
{
    return run().walk != nullptr;
}

bool isRunningWalk(WPARAM walk)
{
    return walkRunning() && walk == run().number;
}

int takeFoundSongs()
{
    walkRun &r = run();
    std::deque<std::unique_ptr<songBatch>> batches;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        batches.swap(r.ready);
    }
    int taken = 0;
    for (const std::unique_ptr<songBatch> &batch : batches) {
        int added = appendSongs(batch.get());
        taken += added;
        if (added < batch->count && r.walk)
            r.walk->stopRequested = true;   // the list is full: the rest would go nowhere
    }
    if (data.songsNumber >= MAX_SONGS && r.walk)
        r.walk->stopRequested = true;
    return taken;
}

int finishWalk()
{
    return joinWalk(NO_BOUND);
}

int cancelWalk()
{
    if (!madeRun)
        return 0;   // no walk was ever started
    walkRun &r = run();
    if (r.walk)
        r.walk->stopRequested = true;
    return joinWalk(NO_BOUND);
}

// A box shown before quit may still return into a run that would start
// the next root's walk: none starts any more. The walk that runs is asked
// to stop and waited for a moment; from here on it posts nothing.
int endWalks()
{
    if (!madeRun)
        return 0;
    walkRun &r = run();
    r.ended = true;
    {
        std::lock_guard<std::mutex> guard(r.lock);
        r.silenced = true;   // what it found meanwhile is taken below
    }
    if (r.walk)
        r.walk->stopRequested = true;
    return joinWalk(std::chrono::milliseconds(QUIT_WAIT_MS));
}

int walkThreadsLeft()
{
    if (!madeRun)
        return 0;
    walkRun &r = run();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.threadsLeft;
}

void setWalkFolderHook(void (*hook)(const char *folder))
{
    run().folderHook = hook;
}

walkProgress currentWalkProgress()
{
    walkRun &r = run();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.progress;
}
