// The program's start-up, step by step, with a time stamp after each step:
// the program's own load procedure, run as the program runs it, stamped
// after each of its numbered steps and tests through the error trap's step
// hook (the numbers are the procedure's own). The stamps
// (QueryPerformanceCounter ticks, comparable across processes) are written
// to the file named by INBOXHOP_PROFILE_LOG just before the process ends;
// Bench.exe --profile reads them and subtracts its own tick count from just
// before it started the process.
//
// Modes (INBOXHOP_PROFILE_MODE):
//   (none)   a mail-link start, as the program makes it;
//   minimal  only what MinimalHandler.exe does, so that the cost of this
//            larger executable itself shows apart from the cost of the steps;
//   window   a plain start until the window is closed (the harness times
//            the showing); the first window, control and font that any
//            program pays for are created first and timed on their own.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "minimal_handoff.h"
#include "app/command_line.h"
#include "app/error_trap.h"
#include "app/program_actions.h"
#include "base/scoped.h"
#include "ui/inboxhop_window.h"

namespace {

// A stamp names its step, or gives the number of one of the load
// procedure's steps.
struct Stamp {
    const char* step;
    int line;
    LONGLONG ticks;
};
Stamp g_stamps[64];
int g_count = 0;

void Mark(const char* step, int line = 0) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (g_count < 64) g_stamps[g_count++] = {step, line, now.QuadPart};
}

void MarkStep(int line) { Mark(nullptr, line); }

// The earliest moment the executable's own code runs: before any other
// static constructor of the program.
struct FirstConstructor {
    FirstConstructor() { Mark("loader and runtime start-up"); }
} g_first __attribute__((init_priority(101)));

template <typename F>
void Step(const char* name, F&& action) {
    try {
        action();
    } catch (...) {
    }
    Mark(name);
}

[[noreturn]] void WriteStampsAndEnd() {
    wchar_t path[MAX_PATH * 2];
    if (GetEnvironmentVariableW(L"INBOXHOP_PROFILE_LOG", path, MAX_PATH * 2)) {
        std::string text;
        char line[160];
        for (int i = 0; i < g_count; ++i) {
            const Stamp& stamp = g_stamps[i];
            if (stamp.step) {
                std::snprintf(line, sizeof(line), "%lld %s\n", static_cast<long long>(stamp.ticks), stamp.step);
            } else {
                std::snprintf(line, sizeof(line), "%lld start-up line %d\n", static_cast<long long>(stamp.ticks),
                              stamp.line);
            }
            text += line;
        }
        HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    ExitProcess(0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace inboxhop;
    Mark("static constructors");
    wchar_t mode[16] = L"";
    GetEnvironmentVariableW(L"INBOXHOP_PROFILE_MODE", mode, 16);
    const bool window = std::wstring(mode) == L"window";

    if (std::wstring(mode) == L"minimal") {
        Step("CoInitializeEx", StartCom);
        Step("ShellExecuteExW", OpenComposeAddress);
        WriteStampsAndEnd();
    }

    if (window) {
        // Costs that any program pays for its first window, its first
        // control and its first font, taken apart from the main window's
        // own creation.
        HWND first = nullptr;
        Step("first window of the process", [&] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = instance;
            wc.lpszClassName = L"ProfileFirstWindow";
            RegisterClassW(&wc);
            first = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    instance, nullptr);
        });
        Step("first control (a system button)", [&] {
            CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | BS_AUTORADIOBUTTON, 0, 0, 10, 10, first, nullptr,
                            instance, nullptr);
            DestroyWindow(first);
        });
        Step("first font (Arial bold, realised)", [] {
            LOGFONTW lf = {};
            lf.lfHeight = -12;
            lf.lfWeight = FW_BOLD;
            lstrcpynW(lf.lfFaceName, L"Arial", LF_FACESIZE);
            ScopedFont font(CreateFontIndirectW(&lf));
            ScopedGetDC dc(nullptr);
            ScopedSelection selected(dc.get(), font.get());
            TEXTMETRICW tm;
            GetTextMetricsW(dc.get(), &tm);
        });
    }

    // The program's own start-up from here on, as its entry point makes it.
    Trap::SetStepHook(MarkStep);
    const std::wstring commandText = CommandLineText(GetCommandLineW());
    InboxhopWindow mainWindow(instance);
    ProgramActions procedures(mainWindow);
    Step(window ? "create the window and its controls" : "create the window (message-only)",
         [&] {
             mainWindow.Create(window ? InboxhopWindow::Purpose::Show : InboxhopWindow::Purpose::HandOff,
                               &procedures);
         });
    if (procedures.StartUp(commandText) == ProgramActions::AfterStartUp::ShowWindow) {
        // The harness times the showing; the close's own step is no start-up step.
        Trap::SetStepHook(nullptr);
        mainWindow.Run(SW_SHOWNORMAL);
    }
    WriteStampsAndEnd();
}
