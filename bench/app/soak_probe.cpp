// Watches a running Kelvoria from outside, for the soak (soak.sh): reads the
// song number from the main window's status line, and every ten songs
// prints what the player's process holds. Under Wine, GetGuiResources and
// GetProcessHandleCount answer 0, so the counts come another way:
//   handles  kernel handles: NtQuerySystemInformation's handle list
//            (SystemHandleInformation), the entries of the player's pid
//   gdi      live GDI objects, stock ones included: the used entries of the
//            player's GDI handle table (its PEB's GdiSharedHandleTable,
//            read with ReadProcessMemory)
//   windows  USER objects of the most common kind: the player's windows,
//            top-level and child, shown or hidden
// Lines: "sample SONG HANDLES GDI WINDOWS" at the first song seen and every
// tenth, then "done" once the last song has begun its last whole second, or
// "timeout".
//   soak_probe.exe SONGS [TIMEOUT_S]
//   soak_probe.exe --self      the counts of this process, before and after
//                              making 100 brushes and 3 windows
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
constexpr size_t kGdiHandles = 0x10000;
constexpr size_t kGdiEntrySize = 24; // Object (8), Owner (4), Unique (2), Type, Flags, UserPointer (8)
constexpr size_t kGdiTypeOffset = 14;
#ifdef _WIN64
constexpr size_t kPebGdiTableOffset = 0xF8;
#else
constexpr size_t kPebGdiTableOffset = 0x94;
#endif

struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};

int kernelHandles(DWORD pid)
{
    std::vector<BYTE> buffer(1 << 16);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(kSystemHandleInformation),
                                              buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           kInfoLengthMismatch)
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    if (status != 0)
        return -1;
    ULONG count = *reinterpret_cast<ULONG *>(buffer.data());
    // The entries follow the count at the alignment of a pointer.
    const auto *entries = reinterpret_cast<const HandleEntry *>(buffer.data() + sizeof(void *));
    int owned = 0;
    for (ULONG i = 0; i < count; ++i)
        owned += entries[i].ownerPid == pid;
    return owned;
}

int gdiObjects(HANDLE process)
{
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) != 0)
        return -1;
    void *table = nullptr;
    const BYTE *field = reinterpret_cast<const BYTE *>(basic.PebBaseAddress) + kPebGdiTableOffset;
    if (!ReadProcessMemory(process, field, &table, sizeof(table), nullptr) || !table)
        return -1;
    std::vector<BYTE> entries(kGdiHandles * kGdiEntrySize);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr))
        return -1;
    int used = 0;
    for (size_t i = 0; i < kGdiHandles; ++i)
        used += entries[i * kGdiEntrySize + kGdiTypeOffset] != 0;
    return used;
}

struct WindowCount {
    DWORD pid;
    int count;
};

BOOL CALLBACK countChild(HWND, LPARAM param)
{
    ++reinterpret_cast<WindowCount *>(param)->count;
    return TRUE;
}

BOOL CALLBACK countTopLevel(HWND window, LPARAM param)
{
    auto *windows = reinterpret_cast<WindowCount *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == windows->pid) {
        ++windows->count;
        EnumChildWindows(window, countChild, param);
    }
    return TRUE;
}

int windowsOf(DWORD pid)
{
    WindowCount windows{pid, 0};
    EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

void printCounts(const char *label, DWORD pid, HANDLE process)
{
    std::printf("%s %d %d %d\n", label, kernelHandles(pid), gdiObjects(process), windowsOf(pid));
    std::fflush(stdout);
}

int selfCheck()
{
    DWORD pid = GetCurrentProcessId();
    printCounts("before", pid, GetCurrentProcess());
    for (int i = 0; i < 100; ++i)
        CreateSolidBrush(RGB(i, 0, 0));
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, NULL, NULL, NULL);
    CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, NULL, NULL, NULL);
    CreateEventA(nullptr, FALSE, FALSE, nullptr);
    printCounts("after", pid, GetCurrentProcess());
    return 0;
}

struct Status {
    int song = 0;           // the song number of the status line, 0 before one shows
    bool lastSecond = false; // its progress shows the song's last whole second begun
};

BOOL CALLBACK readStatusLine(HWND child, LPARAM param)
{
    char text[300] = {};
    // WM_GETTEXT is carried across processes: the label's own text, as
    // "Playing...  (0' 1 / 0' 2)    n\xB0 12 / 300".
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000,
                        nullptr);
    const char *number = std::strstr(text, "n\xB0 ");
    int minutes, seconds, lengthMinutes, lengthSeconds;
    if (number) {
        auto *status = reinterpret_cast<Status *>(param);
        status->song = std::atoi(number + 3);
        const char *progress = std::strchr(text, '(');
        status->lastSecond = progress && std::sscanf(progress, "(%d' %d / %d' %d", &minutes, &seconds,
                                                     &lengthMinutes, &lengthSeconds) == 4 &&
                             minutes * 60 + seconds >= lengthMinutes * 60 + lengthSeconds - 1;
    }
    return TRUE;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--self") == 0)
        return selfCheck();
    if (argc < 2)
        return 2;
    int songs = std::atoi(argv[1]);
    DWORD timeoutMs = (argc > 2 ? std::atoi(argv[2]) : 1200) * 1000;
    DWORD start = GetTickCount();
    HWND player = NULL;
    while (!(player = FindWindowA("Kelvoria_v1.0", NULL)) && GetTickCount() - start < timeoutMs)
        Sleep(50);
    DWORD pid = 0;
    GetWindowThreadProcessId(player, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!player || !process) {
        std::printf("timeout\n");
        return 1;
    }
    int sampled = 0;
    while (GetTickCount() - start < timeoutMs) {
        Status status;
        EnumChildWindows(player, readStatusLine, reinterpret_cast<LPARAM>(&status));
        int song = status.song;
        if (song > sampled && (sampled == 0 || song % 10 == 1 || song == songs)) {
            char label[32];
            std::snprintf(label, sizeof(label), "sample %d", song);
            printCounts(label, pid, process);
            sampled = song;
        }
        if (song == songs && status.lastSecond) {
            std::printf("done\n"); // the last song has begun its last second
            std::fflush(stdout);
            return 0;
        }
        Sleep(20);
    }
    std::printf("timeout\n");
    return 1;
}
