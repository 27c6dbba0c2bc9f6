// Timing harness: starts Inboxhop and the minimal programs beside it, in
// interleaved rounds, and reports medians and ratios.
//
//   Hand-off: from CreateProcessW with a mail link until the process has
//             ended (Inboxhop.exe against MinimalHandler.exe).
//   Window:   from CreateProcessW without an argument until the program's
//             window is visible (Inboxhop.exe against MinimalWindow.exe).
//   Memory:   peak working set of one hand-off of each, in extra rounds that
//             are not timed (watching it would disturb the timing).
//
// The stand-in browser (Recorder.exe) is made the http and https handler for
// the run, so no real browser starts; every address it receives is counted
// to prove the hand-offs did their work. The previous handlers are put back
// at the end.
//
//   Bench.exe [rounds]             (default 40; 3 more rounds warm up first)
//   Bench.exe --profile [rounds]   where the hand-off's time goes: the
//                                  steps of ProfileHandOff.exe, one by one
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMailLink[] = L" \"mailto:someone@example.com\"";
constexpr wchar_t kInboxhopWindowClass[] = L"InboxhopForm1";
constexpr wchar_t kMinimalWindowClass[] = L"MinimalWindow";
constexpr int kWarmUpRounds = 3;
constexpr int kMemoryRounds = 10;

std::wstring Folder() {
    wchar_t path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, length);
    return text.substr(0, text.find_last_of(L'\\'));
}

double Frequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
}

double NowMs() {
    static const double frequency = Frequency();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / frequency;
}

// One started program, in a job of its own so that what it starts (the
// stand-in browser) can be waited for before the next measurement.
class Child {
public:
    Child(const std::wstring& program, const std::wstring& arguments) {
        job_ = CreateJobObjectW(nullptr, nullptr);
        std::wstring line = L"\"" + program + L"\"" + arguments;
        std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        started_ = NowMs();
        if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                            folder.c_str(), &startup, &info)) {
            return;
        }
        AssignProcessToJobObject(job_, info.hProcess);
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        pid_ = info.dwProcessId;
    }
    ~Child() {
        if (job_) TerminateJobObject(job_, 1);
        if (process_) CloseHandle(process_);
        if (job_) CloseHandle(job_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool ok() const { return process_ != nullptr; }
    HANDLE process() const { return process_; }
    DWORD pid() const { return pid_; }
    double started() const { return started_; }

    bool WaitForExit(DWORD timeoutMs) const { return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return code;
    }
    // Waits until nothing of the job runs any more.
    bool WaitForJobToEmpty(DWORD timeoutMs) const {
        DWORD start = GetTickCount();
        for (;;) {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
            if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr)) {
                return false;
            }
            if (info.ActiveProcesses == 0) return true;
            if (GetTickCount() - start > timeoutMs) return false;
            Sleep(2);
        }
    }

private:
    HANDLE job_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    double started_ = 0;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "bench: %s\n", what);
    std::fflush(stderr);
    std::exit(1);
}

// Milliseconds from the start until the program ended by itself.
double TimeHandOff(const std::wstring& program) {
    Child child(program, kMailLink);
    if (!child.ok()) Fail("could not start a hand-off");
    if (!child.WaitForExit(30000)) Fail("a hand-off did not end");
    double ms = NowMs() - child.started();
    if (child.ExitCode() != 0) Fail("a hand-off ended with a non-zero exit code");
    child.WaitForJobToEmpty(10000);
    return ms;
}

HWND VisibleWindowOf(DWORD pid, const wchar_t* className) {
    for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExW(nullptr, w, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// Milliseconds from the start until the program's window is visible; the
// window is then closed and the end waited for.
double TimeWindow(const std::wstring& program, const wchar_t* className) {
    Child child(program, L"");
    if (!child.ok()) Fail("could not start a window program");
    HWND window = nullptr;
    while (!(window = VisibleWindowOf(child.pid(), className))) {
        if (child.WaitForExit(0)) Fail("a window program ended before its window was shown");
        if (NowMs() - child.started() > 30000) Fail("a window did not appear");
        Sleep(1);
    }
    double ms = NowMs() - child.started();
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (!child.WaitForExit(30000)) Fail("a window program did not end when closed");
    child.WaitForJobToEmpty(10000);
    return ms;
}

// Peak working set of one hand-off, in bytes, read every millisecond while
// the process runs; 0 when no reading could be had. (Wine answers zeros for
// a process that has ended, and while it is starved by a tighter loop.)
SIZE_T PeakOfHandOff(const std::wstring& program) {
    Child child(program, kMailLink);
    if (!child.ok()) Fail("could not start a hand-off");
    SIZE_T peak = 0;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    bool ended = false;
    while (!ended) {
        ended = child.WaitForExit(0);
        if (GetProcessMemoryInfo(child.process(), &counters, sizeof(counters))) {
            peak = std::max(peak, counters.PeakWorkingSetSize);
        }
        if (!ended) Sleep(1);
    }
    child.WaitForJobToEmpty(10000);
    return peak;
}

// One run of ProfileHandOff.exe: the time of each of its steps (from the
// stamp before it), and from its last stamp until the process had ended.
struct Profile {
    std::vector<std::pair<std::string, double>> steps;
    double total = 0;
};

// `mode`: nothing (the hand-off), L"minimal" or L"window" (a plain start,
// timed until the window is visible, then closed).
Profile RunProfiled(const std::wstring& program, const wchar_t* mode, const std::wstring& log) {
    const bool window = mode && std::wstring(mode) == L"window";
    SetEnvironmentVariableW(L"INBOXHOP_PROFILE_LOG", log.c_str());
    SetEnvironmentVariableW(L"INBOXHOP_PROFILE_MODE", mode);
    DeleteFileW(log.c_str());
    Profile profile;
    double ended = 0, started = 0;
    {
        Child child(program, window ? L"" : kMailLink);
        if (!child.ok()) Fail("could not start the profiled program");
        started = child.started();
        if (window) {
            HWND shown = nullptr;
            while (!(shown = VisibleWindowOf(child.pid(), kInboxhopWindowClass))) {
                if (child.WaitForExit(0)) Fail("the profiled program ended before its window was shown");
                Sleep(1);
            }
            ended = NowMs();
            PostMessageW(shown, WM_CLOSE, 0, 0);
            if (!child.WaitForExit(30000)) Fail("the profiled window did not end when closed");
        } else {
            if (!child.WaitForExit(30000)) Fail("the profiled hand-off did not end");
            ended = NowMs();
        }
        child.WaitForJobToEmpty(10000);
    }
    SetEnvironmentVariableW(L"INBOXHOP_PROFILE_LOG", nullptr);
    SetEnvironmentVariableW(L"INBOXHOP_PROFILE_MODE", nullptr);
    FILE* file = _wfopen(log.c_str(), L"r");
    if (!file) Fail("the profiled hand-off wrote no time stamps");
    static const double frequency = Frequency();
    double previous = started;
    char line[200];
    while (std::fgets(line, sizeof(line), file)) {
        char* rest = nullptr;
        long long ticks = std::strtoll(line, &rest, 10);
        std::string step = rest && *rest == ' ' ? rest + 1 : "?";
        while (!step.empty() && (step.back() == '\n' || step.back() == '\r')) step.pop_back();
        double at = static_cast<double>(ticks) * 1000.0 / frequency;
        profile.steps.emplace_back(step, at - previous);
        previous = at;
    }
    std::fclose(file);
    profile.steps.emplace_back(window ? "show until visible" : "ExitProcess until ended", ended - previous);
    profile.total = ended - started;
    return profile;
}

struct Stats {
    double median, min, max;
};

Stats Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

// Registry values of the run, put back as they were when it ends.
class SavedValue {
public:
    SavedValue(HKEY root, std::wstring path, std::wstring name)
        : root_(root), path_(std::move(path)), name_(std::move(name)) {
        HKEY key;
        if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key, name_.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            std::vector<BYTE> data(size);
            if (RegQueryValueExW(key, name_.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
                data.resize(size);
                saved_ = std::make_pair(type, std::move(data));
            }
        }
        RegCloseKey(key);
    }
    ~SavedValue() {
        HKEY key;
        if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return;
        }
        if (saved_) {
            RegSetValueExW(key, name_.c_str(), 0, saved_->first, saved_->second.data(),
                           static_cast<DWORD>(saved_->second.size()));
        } else {
            RegDeleteValueW(key, name_.c_str());
        }
        RegCloseKey(key);
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

    bool Set(const std::wstring& text) {
        HKEY key;
        if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        LONG status = RegSetValueExW(key, name_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

private:
    HKEY root_;
    std::wstring path_;
    std::wstring name_;
    std::optional<std::pair<DWORD, std::vector<BYTE>>> saved_;
};

// Records in the stand-in browser's log (each "<length>:<text>\n"), leaving
// out visits to the maker's home page, which one start in a hundred makes.
size_t CountRecords(const std::wstring& logPath) {
    HANDLE file = CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) data.append(buffer, got);
    CloseHandle(file);
    size_t count = 0;
    for (size_t pos = 0; pos < data.size();) {
        size_t colon = data.find(':', pos);
        if (colon == std::string::npos) break;
        size_t length = std::strtoul(data.c_str() + pos, nullptr, 10);
        if (colon + 1 + length > data.size()) break;  // still being written
        if (data.substr(colon + 1, length).find("www.kestrelon.com") == std::string::npos) ++count;
        pos = colon + 1 + length + 1;
    }
    return count;
}

void PrintRow(const char* name, const Stats& s) {
    std::printf("  %-22s median %8.2f ms   min %8.2f   max %8.2f\n", name, s.median, s.min, s.max);
}

void PrintRatio(const char* what, double ratio, double target) {
    std::printf("  %-22s %.3f   (target <= %.2f: %s)\n", what, ratio, target, ratio <= target ? "met" : "MISSED");
}

}  // namespace

void PrintProfile(const char* title, const std::vector<Profile>& runs) {
    std::printf("%s (medians of %zu runs)\n", title, runs.size());
    for (size_t i = 0; i < runs.front().steps.size(); ++i) {
        std::vector<double> values;
        for (const Profile& p : runs) {
            if (i < p.steps.size()) values.push_back(p.steps[i].second);
        }
        std::printf("  %-36s %8.2f ms\n", runs.front().steps[i].first.c_str(), Summarise(values).median);
    }
    std::vector<double> totals;
    for (const Profile& p : runs) totals.push_back(p.total);
    std::printf("  %-36s %8.2f ms\n", "total", Summarise(totals).median);
}

int wmain(int argc, wchar_t** argv) {
    bool profile = argc > 1 && std::wstring(argv[1]) == L"--profile";
    if (profile) {
        --argc;
        ++argv;
    }
    int rounds = argc > 1 ? _wtoi(argv[1]) : 40;
    if (rounds < 1) rounds = 40;
    const std::wstring folder = Folder();
    const std::wstring inboxhop = folder + L"\\Inboxhop.exe";
    const std::wstring handler = folder + L"\\MinimalHandler.exe";
    const std::wstring minimalWindow = folder + L"\\MinimalWindow.exe";
    const std::wstring recorder = folder + L"\\Recorder.exe";
    for (const std::wstring* p : {&inboxhop, &handler, &minimalWindow, &recorder}) {
        if (GetFileAttributesW(p->c_str()) == INVALID_FILE_ATTRIBUTES) Fail("a program is missing beside Bench.exe");
    }

    // The stand-in browser, logging to a fresh file.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring log = std::wstring(temp) + L"inboxhop-bench-" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"INBOXHOP_RECORDER_LOG", log.c_str());
    std::vector<std::unique_ptr<SavedValue>> saved;
    for (const wchar_t* scheme : {L"http", L"https"}) {
        std::wstring base = std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open";
        saved.push_back(std::make_unique<SavedValue>(HKEY_LOCAL_MACHINE, base + L"\\command", L""));
        if (!saved.back()->Set(L"\"" + recorder + L"\" \"%1\"")) Fail("could not register the stand-in browser");
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (base + L"\\ddeexec").c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (base + L"\\ddeexec").c_str());
    }
    // Gmail chosen, so that Inboxhop opens the same address as the minimal handler.
    saved.push_back(std::make_unique<SavedValue>(
        HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Kestrelon\\Inboxhop", L"Option"));
    if (!saved.back()->Set(L"1")) Fail("could not store the service choice");

    if (profile) {
        const std::wstring profiler = folder + L"\\ProfileHandOff.exe";
        const std::wstring stamps = log + L".stamps";
        std::vector<Profile> full, minimal, shown;
        std::vector<double> real, least, realWindow, leastWindow;
        for (int round = -kWarmUpRounds; round < rounds; ++round) {
            double a = TimeHandOff(inboxhop);
            Profile f = RunProfiled(profiler, nullptr, stamps);
            Profile m = RunProfiled(profiler, L"minimal", stamps);
            double b = TimeHandOff(handler);
            double c = TimeWindow(inboxhop, kInboxhopWindowClass);
            Profile w = RunProfiled(profiler, L"window", stamps);
            double d = TimeWindow(minimalWindow, kMinimalWindowClass);
            if (round < 0) continue;
            real.push_back(a);
            least.push_back(b);
            full.push_back(f);
            minimal.push_back(m);
            realWindow.push_back(c);
            leastWindow.push_back(d);
            shown.push_back(w);
        }
        std::printf("Totals (medians of %d interleaved rounds)\n", rounds);
        std::printf("  %-36s %8.2f ms\n", "hand-off, Inboxhop.exe", Summarise(real).median);
        std::printf("  %-36s %8.2f ms\n", "hand-off, MinimalHandler.exe", Summarise(least).median);
        std::printf("  %-36s %8.2f ms\n", "window, Inboxhop.exe", Summarise(realWindow).median);
        std::printf("  %-36s %8.2f ms\n", "window, MinimalWindow.exe", Summarise(leastWindow).median);
        std::printf("\n");
        PrintProfile("ProfileHandOff.exe: the hand-off's steps", full);
        std::printf("\n");
        PrintProfile("ProfileHandOff.exe, minimal mode: the same executable doing only the minimal handler's work",
                     minimal);
        std::printf("\n");
        PrintProfile("ProfileHandOff.exe, window mode: a plain start until the window is visible", shown);
        DeleteFileW(stamps.c_str());
        DeleteFileW(log.c_str());
        return 0;
    }

    std::vector<double> handOff, minimalHandOff, window, minimalWin;
    size_t handOffs = 0;
    for (int round = -kWarmUpRounds; round < rounds; ++round) {
        // Alternate the order, so that neither program always runs first.
        double a, b, c, d;
        if (round % 2 == 0) {
            a = TimeHandOff(inboxhop);
            b = TimeHandOff(handler);
            c = TimeWindow(inboxhop, kInboxhopWindowClass);
            d = TimeWindow(minimalWindow, kMinimalWindowClass);
        } else {
            b = TimeHandOff(handler);
            a = TimeHandOff(inboxhop);
            d = TimeWindow(minimalWindow, kMinimalWindowClass);
            c = TimeWindow(inboxhop, kInboxhopWindowClass);
        }
        handOffs += 2;
        if (round < 0) continue;
        handOff.push_back(a);
        minimalHandOff.push_back(b);
        window.push_back(c);
        minimalWin.push_back(d);
    }

    SIZE_T peakInboxhop = 0, peakHandler = 0;
    std::vector<double> peaksA, peaksB;
    for (int i = 0; i < kMemoryRounds; ++i) {
        peaksA.push_back(static_cast<double>(PeakOfHandOff(inboxhop)));
        peaksB.push_back(static_cast<double>(PeakOfHandOff(handler)));
        handOffs += 2;
    }
    peakInboxhop = static_cast<SIZE_T>(Summarise(peaksA).median);
    peakHandler = static_cast<SIZE_T>(Summarise(peaksB).median);
    if (!peakInboxhop || !peakHandler) std::printf("(peak working set: the system gave no reading)\n");

    // Give the last stand-in browser a moment to write its record.
    size_t recorded = 0;
    for (int i = 0; i < 200 && (recorded = CountRecords(log)) < handOffs; ++i) Sleep(10);

    Stats h = Summarise(handOff), mh = Summarise(minimalHandOff), w = Summarise(window), mw = Summarise(minimalWin);
    std::printf("Rounds: %d timed, interleaved (after %d warm-up rounds)\n\n", rounds, kWarmUpRounds);
    std::printf("Hand-off: start with a mail link until the process ends\n");
    PrintRow("Inboxhop.exe", h);
    PrintRow("MinimalHandler.exe", mh);
    PrintRatio("ratio", h.median / mh.median, 1.10);
    std::printf("\nWindow: start until the window is visible\n");
    PrintRow("Inboxhop.exe", w);
    PrintRow("MinimalWindow.exe", mw);
    PrintRatio("ratio", w.median / mw.median, 1.25);
    std::printf("\nPeak working set of a hand-off (median of %d)\n", kMemoryRounds);
    std::printf("  %-22s %8.0f KiB\n", "Inboxhop.exe", peakInboxhop / 1024.0);
    std::printf("  %-22s %8.0f KiB\n", "MinimalHandler.exe", peakHandler / 1024.0);
    if (peakHandler) std::printf("  %-22s %.3f\n", "ratio", static_cast<double>(peakInboxhop) / peakHandler);
    std::printf("\nAddresses the stand-in browser received: %zu of %zu hand-offs\n", recorded, handOffs);
    DeleteFileW(log.c_str());
    return recorded == handOffs ? 0 : 1;
}
