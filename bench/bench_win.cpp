// Timing harness: starts Inboxhop and the minimal programs beside it, in
// interleaved rounds. Each round times Inboxhop and its minimal program back
// to back and divides the one by the other; the report gives the median of
// those per-round ratios with their interquartile range (what the targets
// are judged on: a slow moment of the machine slows both programs of a
// round alike), and each program's own median beside them.
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
// at the end. Starting, watching and the registry are the tests' own helpers.
//
//   Bench.exe [rounds]             (default 40; 3 more rounds warm up first)
//   Bench.exe --profile [rounds]   where the hand-off's time goes: the
//                                  steps of ProfileHandOff.exe, one by one
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

using testing_support::BuildFolder;
using testing_support::StartedProcess;
using testing_support::VisibleWindowOf;

constexpr wchar_t kMailLink[] = L" \"mailto:someone@example.com\"";
constexpr wchar_t kInboxhopWindowClass[] = L"InboxhopForm1";
constexpr wchar_t kMinimalWindowClass[] = L"MinimalWindow";
constexpr int kWarmUpRounds = 3;
constexpr int kMemoryRounds = 10;

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
// stand-in browser) can be waited for before the next measurement; timed
// from just before it is started.
class Child {
public:
    Child(const std::wstring& program, const std::wstring& arguments)
        : started_(NowMs()), process_(program, L"\"" + program + L"\"" + arguments) {}

    bool ok() const { return process_.started(); }
    HANDLE process() const { return process_.handle(); }
    DWORD pid() const { return process_.pid(); }
    double started() const { return started_; }

    // Waits on the process itself, so that its end is seen at once.
    bool WaitForExit(DWORD timeoutMs) const { return WaitForSingleObject(process(), timeoutMs) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(process(), &code);
        return code;
    }
    bool WaitForJobToEmpty(DWORD timeoutMs) { return process_.WaitForJobToEmpty(timeoutMs); }

private:
    double started_;
    StartedProcess process_;
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

// Milliseconds from the start until the program's window is visible (looked
// for every millisecond: the tests' WaitUntil pauses too long between tries
// for a timing); the window is then closed and the end waited for.
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

// A value of `sorted` at fraction `q` of the way from its smallest to its
// largest, interpolating between neighbours (the quartiles for 0.25, 0.75).
double Quantile(const std::vector<double>& sorted, double q) {
    double at = q * static_cast<double>(sorted.size() - 1);
    size_t below = static_cast<size_t>(at);
    if (below + 1 >= sorted.size()) return sorted.back();
    return sorted[below] + (at - static_cast<double>(below)) * (sorted[below + 1] - sorted[below]);
}

struct Stats {
    double median, min, max, q1, q3;
};

Stats Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {Quantile(values, 0.5), values.front(), values.back(), Quantile(values, 0.25), Quantile(values, 0.75)};
}

void PrintRow(const char* name, const Stats& s) {
    std::printf("  %-22s median %8.2f ms   min %8.2f   max %8.2f\n", name, s.median, s.min, s.max);
}

// The per-round ratios of Inboxhop to its minimal program: their median,
// judged against the target, and their spread; the ratio of the two
// programs' medians beside them.
void PrintRatios(const std::vector<double>& inboxhop, const std::vector<double>& minimal, double target) {
    std::vector<double> ratios;
    for (size_t i = 0; i < inboxhop.size(); ++i) ratios.push_back(inboxhop[i] / minimal[i]);
    Stats r = Summarise(ratios);
    std::printf("  %-22s median %8.3f      IQR %.3f to %.3f (%.3f wide)   min %.3f   max %.3f\n", "per-round ratio",
                r.median, r.q1, r.q3, r.q3 - r.q1, r.min, r.max);
    std::printf("  %-22s %s (target: median of the per-round ratios <= %.2f); ratio of the medians %.3f\n", "",
                r.median <= target ? "met" : "MISSED", target, Summarise(inboxhop).median / Summarise(minimal).median);
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
    const std::wstring folder = BuildFolder();
    const std::wstring inboxhop = folder + L"\\Inboxhop.exe";
    const std::wstring handler = folder + L"\\MinimalHandler.exe";
    const std::wstring minimalWindow = folder + L"\\MinimalWindow.exe";
    const std::wstring recorder = folder + L"\\Recorder.exe";
    for (const std::wstring* p : {&inboxhop, &handler, &minimalWindow, &recorder}) {
        if (GetFileAttributesW(p->c_str()) == INVALID_FILE_ATTRIBUTES) Fail("a program is missing beside Bench.exe");
    }

    // The stand-in browser, logging to a fresh file; Gmail chosen, so that
    // Inboxhop opens the same address as the minimal handler.
    testing_support::RecorderAsBrowser browser;
    if (!browser.ok()) Fail("could not register the stand-in browser");
    testing_support::ScratchOption option;
    if (!option.Set(L"1")) Fail("could not store the service choice");

    if (profile) {
        const std::wstring profiler = folder + L"\\ProfileHandOff.exe";
        const std::wstring stamps = browser.logPath() + L".stamps";
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

    // Give the last stand-in browser a moment to write its record. Visits to
    // the maker's home page (one start in a hundred) are left out.
    size_t recorded = 0;
    testing_support::WaitUntil([&] { return (recorded = browser.Pages().size()) >= handOffs; }, 2000);

    Stats h = Summarise(handOff), mh = Summarise(minimalHandOff), w = Summarise(window), mw = Summarise(minimalWin);
    std::printf("Rounds: %d timed, each Inboxhop and its minimal program back to back, in turn first (after %d "
                "warm-up rounds)\n\n",
                rounds, kWarmUpRounds);
    std::printf("Hand-off: start with a mail link until the process ends\n");
    PrintRow("Inboxhop.exe", h);
    PrintRow("MinimalHandler.exe", mh);
    PrintRatios(handOff, minimalHandOff, 1.10);
    std::printf("\nWindow: start until the window is visible\n");
    PrintRow("Inboxhop.exe", w);
    PrintRow("MinimalWindow.exe", mw);
    PrintRatios(window, minimalWin, 1.25);
    std::printf("\nPeak working set of a hand-off (median of %d)\n", kMemoryRounds);
    std::printf("  %-22s %8.0f KiB\n", "Inboxhop.exe", peakInboxhop / 1024.0);
    std::printf("  %-22s %8.0f KiB\n", "MinimalHandler.exe", peakHandler / 1024.0);
    if (peakHandler) std::printf("  %-22s %.3f\n", "ratio", static_cast<double>(peakInboxhop) / peakHandler);
    std::printf("\nAddresses the stand-in browser received: %zu of %zu hand-offs\n", recorded, handOffs);
    return recorded == handOffs ? 0 : 1;
}
