// Hostile media files through fmod.dll: mutated copies of the generated
// fixtures of every kind the engine plays (mp3, wav, wma, ogg, flac, m4a,
// opus, aac; tagged and untagged), each passed through the calls the player
// makes, in its order:
//   FSOUND_SetOutput(nosound), FSOUND_Init, FSOUND_Stream_Open, the tag
//   fields, FSOUND_Stream_Play, FSOUND_Stream_SetTime to the middle and near
//   the end, FSOUND_StopSound, FSOUND_Stream_Close, FSOUND_Close.
// Each file gets an engine of its own, so that whatever a file leaves behind
// shows in its own FSOUND_Close.
//
// The files are run in a child process that says on its standard output
// which call it is about to make. The parent counts a child that dies as a
// crash and a call that has not returned after kCallLimitMs as a hang, names
// the file (kind, index, seed, what was done to it), keeps the file, and goes
// on with a new child from the next file.
//   engine_media_fuzz.exe FIXTURE_DIR WORK_DIR [--seed N] [--count N] [--first N] [--kind KIND]
// A short run is a test (engine_media_fuzz); bench/engine/run.sh runs ten
// thousand files.
// Exit status 0 when no file crashed, hung or got a wrong answer.
#include "fmod.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kCallLimitMs = 5000;  // a call slower than this is a hang
constexpr DWORD kFileLimitMs = 15000; // and so is a file that takes longer
constexpr DWORD kPollMs = 30;         // how long playing is watched after each seek

struct Fixture {
    const char *kind; // the extension
    const char *name;
    bool tagged;
};

// Every kind, tagged and untagged, as tests/fixtures/make-engine-fixtures.sh makes them.
const Fixture kFixtures[] = {
    {"mp3", "tagged.mp3", true},   {"mp3", "plain.mp3", false},   {"mp3", "id3v1.mp3", true},
    {"mp3", "headerless.mp3", false}, {"mp3", "ape.mp3", true},   {"mp3", "vbr.mp3", false},
    {"mp3", "id3v2.mp3", true},    {"mp3", "long.mp3", false},
    {"wav", "tagged.wav", true},   {"wav", "mono8.wav", false},   {"wav", "adpcm_ms.wav", false},
    {"wav", "adpcm_ima.wav", false},
    {"wma", "tagged.wma", true},   {"wma", "plain.wma", false},
    {"ogg", "tagged.ogg", true},   {"ogg", "flac.ogg", true},     {"ogg", "plain.ogg", false},
    {"flac", "tagged.flac", true}, {"flac", "plain.flac", false},
    {"m4a", "tagged.m4a", true},   {"m4a", "alac.m4a", true},     {"m4a", "plain.m4a", false},
    {"opus", "tagged.opus", true}, {"opus", "plain.opus", false}, {"opus", "ambisonic.opus", false},
    {"aac", "id3v2.aac", true},    {"aac", "ape.aac", true},      {"aac", "plain.aac", false},
    {"wv", "tagged.wv", true},     {"wv", "plain.wv", false},
};
// In the order of the player's kinds table (Monkey's Audio has no seed here:
// Debian's ffmpeg cannot write it).
const char *const kKinds[] = {"mp3", "wav", "wma", "ogg", "flac", "m4a", "opus", "aac", "wv"};
constexpr int kKindCount = sizeof kKinds / sizeof kKinds[0];

int kindIndex(const char *kind)
{
    for (int i = 0; i < kKindCount; ++i)
        if (std::strcmp(kind, kKinds[i]) == 0)
            return i;
    return -1;
}

// splitmix64: the same numbers on every machine for a seed.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. bound - 1 (0 when bound is 0).
    size_t below(size_t bound) { return bound ? static_cast<size_t>(next() % bound) : 0; }
    bool chance(int percent) { return below(100) < static_cast<size_t>(percent); }

private:
    uint64_t state_;
};

// Places the mutations aim at: the starts of the headers and tags each kind
// carries, where a single wrong field changes what the file claims to be.
std::vector<size_t> headerMarks(const std::vector<uint8_t> &data)
{
    static const std::string kMagic[] = {
        "RIFF", "WAVE", "fmt ", "data", "fact", "LIST", "OggS", "\x01vorbis", "\x03vorbis", "ID3", "TAG",
        "APETAGEX", "Xing", "Info", "LAME", "fLaC", "\x7f" "FLAC", "OpusHead", "OpusTags", "ftyp", "moov",
        "mdhd", "stsd", "mp4a", "alac", "esds", "stts", "stsz", "stco", "ilst",
        std::string("\x30\x26\xB2\x75", 4), // ASF header object
        std::string("\xA1\xDC\xAB\x8C", 4), // ASF file properties
        std::string("\x91\x07\xDC\xB7", 4), // ASF stream properties
        std::string("\x36\x26\xB2\x75", 4), // ASF data object
    };
    std::vector<size_t> marks;
    for (const std::string &magic : kMagic) {
        auto at = data.begin();
        while ((at = std::search(at, data.end(), magic.begin(), magic.end())) != data.end() && marks.size() < 256) {
            marks.push_back(static_cast<size_t>(at - data.begin()));
            ++at;
        }
    }
    // The first MPEG audio or ADTS frame header.
    for (size_t i = 0; i + 1 < data.size() && i < 16384; ++i)
        if (data[i] == 0xFF && (data[i + 1] & 0xE0) == 0xE0) {
            marks.push_back(i);
            break;
        }
    return marks;
}

// A position, more often than not in the first 4 KB where the headers are.
size_t somewhere(Random &random, size_t size)
{
    return random.chance(50) ? random.below(std::min<size_t>(size, 4096)) : random.below(size);
}

// Applies one to three mutations; returns what was done, to name the file.
std::string mutate(std::vector<uint8_t> &data, Random &random)
{
    std::string done;
    int count = 1 + static_cast<int>(random.below(3));
    for (int m = 0; m < count && !data.empty(); ++m) {
        char what[96];
        size_t size = data.size();
        switch (random.below(6)) {
        case 0: { // bit flips
            int flips = 1 + static_cast<int>(random.below(16));
            for (int i = 0; i < flips; ++i)
                data[somewhere(random, size)] ^= static_cast<uint8_t>(1u << random.below(8));
            std::snprintf(what, sizeof what, "%d bit flips", flips);
            break;
        }
        case 1: { // an overwritten run
            size_t at = somewhere(random, size);
            size_t length = std::min<size_t>(1 + random.below(512), size - at);
            int fill = static_cast<int>(random.below(3)); // noise, zeros, ones
            for (size_t i = 0; i < length; ++i)
                data[at + i] = fill == 0 ? static_cast<uint8_t>(random.next()) : fill == 1 ? 0x00 : 0xFF;
            std::snprintf(what, sizeof what, "%zu bytes at %zu overwritten", length, at);
            break;
        }
        case 2: { // cut
            size_t keep = random.chance(30) ? random.below(std::min<size_t>(size, 512)) : random.below(size);
            data.resize(keep);
            std::snprintf(what, sizeof what, "cut to %zu bytes", keep);
            break;
        }
        case 3: { // a duplicated block
            size_t from = random.below(size);
            size_t length = std::min<size_t>(1 + random.below(65536), size - from);
            size_t to = somewhere(random, size);
            std::vector<uint8_t> block(data.begin() + from, data.begin() + from + length);
            data.insert(data.begin() + to, block.begin(), block.end());
            std::snprintf(what, sizeof what, "%zu bytes from %zu copied to %zu", length, from, to);
            break;
        }
        case 4: { // a deleted block
            size_t at = somewhere(random, size);
            size_t length = std::min<size_t>(1 + random.below(65536), size - at);
            data.erase(data.begin() + at, data.begin() + at + length);
            std::snprintf(what, sizeof what, "%zu bytes at %zu deleted", length, at);
            break;
        }
        default: { // a header field set to an extreme value
            std::vector<size_t> marks = headerMarks(data);
            size_t at = marks.empty() ? 0 : marks[random.below(marks.size())];
            at += 2 * random.below(24); // the fields of these headers lie on even offsets
            static const uint32_t kExtremes[] = {0,          1,          0x7F,        0x80,        0xFF,
                                                 0x7FFF,     0x8000,     0xFFFF,      0x00FFFFFF,  0x01000000,
                                                 0x10000000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
            uint32_t value = kExtremes[random.below(sizeof kExtremes / sizeof kExtremes[0])];
            int width = random.chance(50) ? 4 : random.chance(50) ? 2 : 1;
            bool bigEndian = random.chance(40);
            if (width < 4)
                value &= (1u << (8 * width)) - 1;
            for (int i = 0; i < width && at + static_cast<size_t>(i) < size; ++i) {
                int shift = 8 * (bigEndian ? width - 1 - i : i);
                data[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> shift);
            }
            std::snprintf(what, sizeof what, "%d-byte %s field at %zu set to 0x%X", width,
                          bigEndian ? "big-endian" : "little-endian", at, static_cast<unsigned>(value));
            break;
        }
        }
        if (!done.empty())
            done += "; ";
        done += what;
    }
    return done;
}

// ---------------------------------------------------------------------------
// The child: runs the files and says what it does, one line at a time.

HANDLE gOut;

void say(const char *format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    length = std::clamp(length, 0, static_cast<int>(sizeof line) - 2);
    line[length] = '\n';
    DWORD written;
    WriteFile(gOut, line, static_cast<DWORD>(length + 1), &written, nullptr);
}

LONG WINAPI onCrash(EXCEPTION_POINTERS *info)
{
    say("X 0x%08lX", static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Times one call; tells the parent about it first.
class Calls {
public:
    explicit Calls(int index) : index_(index) { QueryPerformanceFrequency(&frequency_); }
    template <typename F> auto operator()(const char *name, F call)
    {
        say("C %d %s", index_, name);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        auto result = call();
        QueryPerformanceCounter(&end);
        double ms = (end.QuadPart - start.QuadPart) * 1000.0 / frequency_.QuadPart;
        if (ms > slowestMs) {
            slowestMs = ms;
            slowest = name;
        }
        return result;
    }
    double slowestMs = 0;
    const char *slowest = "none";

private:
    int index_;
    LARGE_INTEGER frequency_;
};

struct Answers {
    int wrong = 0;
    void check(bool ok, int index, const char *what)
    {
        if (!ok) {
            ++wrong;
            say("W %d %s", index, what);
        }
    }
};

// Plays on for up to kPollMs the way the player's timer would look at it.
void watchPlaying(Calls &call, FSOUND_STREAM *stream, int length, int index, Answers &answers)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kPollMs) {
        int time = call("FSOUND_Stream_GetTime", [&] { return FSOUND_Stream_GetTime(stream); });
        answers.check(time >= 0 && time <= length, index, "time outside 0..length");
        if (!call("FSOUND_IsPlaying", [] { return FSOUND_IsPlaying(0); }))
            break;
        Sleep(5);
    }
}

bool readAll(const std::string &path, std::vector<uint8_t> &data)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    data.clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        data.insert(data.end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

bool writeAll(const std::string &path, const std::vector<uint8_t> &data)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    return std::fclose(file) == 0 && ok;
}

// The kinds take turns (unless one is asked for); within a kind, tagged and
// untagged files too.
const Fixture &fixtureFor(int index, int onlyKind, Random &random)
{
    const char *kind = kKinds[onlyKind >= 0 ? onlyKind : index % kKindCount];
    bool tagged = (index / kKindCount) % 2 == 0;
    std::vector<const Fixture *> choices;
    for (const Fixture &fixture : kFixtures)
        if (std::strcmp(fixture.kind, kind) == 0 && fixture.tagged == tagged)
            choices.push_back(&fixture);
    return *choices[random.below(choices.size())];
}

std::string fileName(const std::string &work, const char *kind, int index)
{
    char name[64];
    std::snprintf(name, sizeof name, "\\fuzz-%s-%d.%s", kind, index, kind);
    return work + name;
}

int runChild(const std::string &fixtures, const std::string &work, uint64_t seed, int first, int count,
             int onlyKind)
{
    gOut = GetStdHandle(STD_OUTPUT_HANDLE);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(onCrash);
    for (int index = first; index < first + count; ++index) {
        Random random(seed * 1000003u + static_cast<uint64_t>(index));
        const Fixture &fixture = fixtureFor(index, onlyKind, random);
        std::vector<uint8_t> data;
        if (!readAll(fixtures + "\\" + fixture.name, data)) {
            say("E %d cannot read %s", index, fixture.name);
            return 2;
        }
        std::string mutation = mutate(data, random);
        std::string path = fileName(work, fixture.kind, index);
        if (!writeAll(path, data)) {
            say("E %d cannot write %s", index, path.c_str());
            return 2;
        }
        say("F %d %s %s: %s", index, fixture.kind, fixture.name, mutation.c_str());

        Calls call(index);
        Answers answers;
        FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
        call("FSOUND_Init", [] { return FSOUND_Init(44100, 32, 0); });
        FSOUND_STREAM *stream = call("FSOUND_Stream_Open", [&] { return FSOUND_Stream_Open(path.c_str(), 0, 0, 0); });
        if (stream) {
            int fields = 0;
            if (call("FSOUND_Stream_GetNumTagFields", [&] { return FSOUND_Stream_GetNumTagFields(stream, &fields); }))
                for (int i = 0; i < fields; ++i) {
                    int type = 0, length = 0;
                    char *name = nullptr;
                    void *value = nullptr;
                    bool got = call("FSOUND_Stream_GetTagField", [&] {
                        return FSOUND_Stream_GetTagField(stream, i, &type, &name, &value, &length);
                    });
                    answers.check(got && name && (value || length == 0) && length >= 0, index, "a bad tag field");
                    // Touch every byte the player may read.
                    volatile size_t sum = name ? std::strlen(name) : 0;
                    for (int b = 0; value && b < length; ++b)
                        sum = sum + static_cast<const unsigned char *>(value)[b];
                }
            int length = call("FSOUND_Stream_GetLengthMs", [&] { return FSOUND_Stream_GetLengthMs(stream); });
            answers.check(length >= 0, index, "a negative length");
            answers.check(call("FSOUND_Stream_Play", [&] { return FSOUND_Stream_Play(0, stream); }) == 0, index,
                          "Play refused an open stream");
            call("FSOUND_SetVolume", [] { return FSOUND_SetVolume(0, 255); });
            for (int at : {length / 2, std::max(length - 1000, 0)}) {
                answers.check(call("FSOUND_Stream_SetTime", [&] { return FSOUND_Stream_SetTime(stream, at); }) != 0,
                              index, "SetTime refused an open stream");
                watchPlaying(call, stream, length, index, answers);
            }
            call("FSOUND_StopSound", [] { return FSOUND_StopSound(0); });
            answers.check(!FSOUND_IsPlaying(0), index, "still playing after StopSound");
            call("FSOUND_Stream_Close", [&] { return FSOUND_Stream_Close(stream); });
        }
        call("FSOUND_Close", [] {
            FSOUND_Close();
            return 0;
        });
        say("D %d %d %d %s %.1f", index, stream ? 1 : 0, answers.wrong, call.slowest, call.slowestMs);
        DeleteFileA(path.c_str()); // files that crashed or hung stay, to be run again
    }
    return 0;
}

// ---------------------------------------------------------------------------
// The parent: runs children, watches them, counts.

struct Tally {
    int files = 0, opened = 0, crashes = 0, hangs = 0, wrong = 0;
    int perKind[kKindCount] = {};
    double slowestMs = 0;
    std::string slowest = "none";
};

struct ChildState {
    int index = -1;        // the file in hand
    int kind = 0;
    std::string about;     // what the file is
    std::string call;      // the call in progress
    DWORD fileStart = 0;
    DWORD callStart = 0;
    bool fileDone = true;
};

void report(const char *what, const ChildState &state, uint64_t seed, const std::string &work, const char *detail)
{
    std::printf("%s: file %d (seed %llu; %s) in %s%s; kept as %s\n", what, state.index,
                static_cast<unsigned long long>(seed), state.about.c_str(), state.call.c_str(), detail,
                fileName(work, kKinds[state.kind], state.index).c_str());
    std::fflush(stdout);
}

void onLine(const char *line, ChildState &state, Tally &tally, uint64_t seed)
{
    int index = 0;
    char call[64] = {};
    int opened = 0, wrong = 0;
    double ms = 0;
    switch (line[0]) {
    case 'F':
        if (std::sscanf(line, "F %d %7s", &index, call) == 2) {
            state.index = index;
            state.kind = std::max(kindIndex(call), 0);
            const char *about = std::strchr(line + 2, ' ');
            state.about = about ? about + 1 : "";
            state.fileDone = false;
            state.fileStart = state.callStart = GetTickCount();
            state.call = "mutation";
        }
        break;
    case 'C':
        if (std::sscanf(line, "C %d %63s", &index, call) == 2) {
            state.call = call;
            state.callStart = GetTickCount();
        }
        break;
    case 'W':
        std::printf("WRONG ANSWER: file %d (seed %llu; %s): %s\n", state.index, static_cast<unsigned long long>(seed),
                    state.about.c_str(), std::strchr(line + 2, ' ') ? std::strchr(line + 2, ' ') + 1 : "");
        break;
    case 'D':
        if (std::sscanf(line, "D %d %d %d %63s %lf", &index, &opened, &wrong, call, &ms) == 5) {
            ++tally.files;
            ++tally.perKind[state.kind];
            tally.opened += opened;
            tally.wrong += wrong;
            if (ms > tally.slowestMs) {
                tally.slowestMs = ms;
                tally.slowest = std::string(call) + " on file " + std::to_string(index) + " (" + state.about + ")";
            }
            state.fileDone = true;
            state.call = "between files";
        }
        break;
    case 'E':
        std::printf("driver: %s\n", line + 2);
        break;
    default:
        break;
    }
}

// Runs one child from `first`; returns the next file to run.
int runOneChild(const std::string &self, const std::string &fixtures, const std::string &work, uint64_t seed,
                int first, int end, int onlyKind, Tally &tally, bool &broken)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        broken = true;
        return end;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string command = "\"" + self + "\" --child \"" + fixtures + "\" \"" + work + "\" " + std::to_string(seed) +
                          " " + std::to_string(first) + " " + std::to_string(end - first) + " " + std::to_string(onlyKind);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        std::printf("driver: cannot start %s\n", self.c_str());
        broken = true;
        return end;
    }

    ChildState state;
    std::string pending;
    int next = end;
    for (;;) {
        DWORD available = 0;
        bool pipeOpen = PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) != 0;
        if (available) {
            char buffer[4096];
            DWORD got = 0;
            if (ReadFile(readEnd, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr))
                pending.append(buffer, got);
            size_t newline;
            while ((newline = pending.find('\n')) != std::string::npos) {
                std::string text = pending.substr(0, newline);
                pending.erase(0, newline + 1);
                if (text[0] == 'X') {
                    ++tally.crashes;
                    report("CRASH", state, seed, work, (", exception " + text.substr(2)).c_str());
                } else
                    onLine(text.c_str(), state, tally, seed);
            }
            continue;
        }
        if (!pipeOpen) {
            // The child is gone. Anything but the end of its files is a crash.
            WaitForSingleObject(process.hProcess, kCallLimitMs);
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            if (code == 2)
                broken = true;
            else if (!state.fileDone) {
                if (code != 3) { // 3: the crash was reported already
                    ++tally.crashes;
                    char detail[64];
                    std::snprintf(detail, sizeof detail, ", exit code 0x%08lX", static_cast<unsigned long>(code));
                    report("CRASH", state, seed, work, detail);
                }
                next = state.index + 1;
            }
            break;
        }
        DWORD now = GetTickCount();
        if (!state.fileDone && (now - state.callStart > kCallLimitMs || now - state.fileStart > kFileLimitMs)) {
            ++tally.hangs;
            char detail[64];
            std::snprintf(detail, sizeof detail, ", no answer after %lu ms", static_cast<unsigned long>(now - state.callStart));
            report("HANG", state, seed, work, detail);
            TerminateProcess(process.hProcess, 4);
            WaitForSingleObject(process.hProcess, INFINITE);
            next = state.index + 1;
            break;
        }
        Sleep(2);
    }
    CloseHandle(readEnd);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return next;
}

int runParent(const std::string &fixtures, const std::string &work, uint64_t seed, int first, int count,
              int onlyKind)
{
    char self[MAX_PATH];
    DWORD got = GetModuleFileNameA(nullptr, self, sizeof self);
    if (got == 0 || got >= sizeof self)
        return 2;
    CreateDirectoryA(work.c_str(), nullptr);
    Tally tally;
    bool broken = false;
    DWORD start = GetTickCount();
    int next = first;
    while (next < first + count && !broken)
        next = runOneChild(self, fixtures, work, seed, next, first + count, onlyKind, tally, broken);
    double seconds = (GetTickCount() - start) / 1000.0;
    std::string perKind;
    for (int kind = 0; kind < kKindCount; ++kind)
        perKind += (kind ? ", " : "") + std::string(kKinds[kind]) + " " + std::to_string(tally.perKind[kind]);
    std::printf("engine fuzz: seed %llu, files %d (%s), opened %d, crashes %d, hangs %d, wrong answers %d, "
                "time %.1f s (%.1f ms a file)\n",
                static_cast<unsigned long long>(seed), tally.files + tally.crashes + tally.hangs, perKind.c_str(),
                tally.opened, tally.crashes, tally.hangs, tally.wrong, seconds, seconds * 1000.0 / std::max(count, 1));
    std::printf("engine fuzz: slowest call %.1f ms: %s\n", tally.slowestMs, tally.slowest.c_str());
    if (broken)
        std::printf("engine fuzz: the driver could not run every file\n");
    return broken || tally.crashes || tally.hangs || tally.wrong ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return argc != 8 ? 2
                         : runChild(argv[2], argv[3], std::strtoull(argv[4], nullptr, 10), std::atoi(argv[5]),
                                    std::atoi(argv[6]), std::atoi(argv[7]));
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FIXTURE_DIR WORK_DIR [--seed N] [--count N] [--first N] [--kind K]\n", argv[0]);
        return 2;
    }
    uint64_t seed = 13;
    int count = 300, first = 0, onlyKind = -1;
    for (int i = 3; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seed") == 0)
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--count") == 0)
            count = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--first") == 0)
            first = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--kind") == 0)
            onlyKind = kindIndex(argv[i + 1]);
    }
    return runParent(argv[1], argv[2], seed, first, count, onlyKind);
}
