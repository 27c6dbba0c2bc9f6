// The program's start-up, step by step, with a time stamp after each step:
// the same routines the program runs, in the order of its start-up
// sequence, linked the same way. The stamps (QueryPerformanceCounter ticks,
// comparable across processes) are written to the file named by
// INBOXHOP_PROFILE_LOG just before the process ends; Bench.exe --profile
// reads them and subtracts its own tick count from just before it started
// the process.
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
#include "app/compose_link.h"
#include "app/handoff.h"
#include "app/home_page.h"
#include "base/program_folder.h"
#include "settings/settings_store.h"
#include "ui/app_title.h"
#include "ui/appearance.h"
#include "ui/form1.h"

namespace {

struct Stamp {
    const char* step;
    LONGLONG ticks;
};
Stamp g_stamps[32];
int g_count = 0;

void Mark(const char* step) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (g_count < 32) g_stamps[g_count++] = {step, now.QuadPart};
}

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
            std::snprintf(line, sizeof(line), "%lld %s\n", static_cast<long long>(g_stamps[i].ticks), g_stamps[i].step);
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
            HFONT font = CreateFontIndirectW(&lf);
            HDC dc = GetDC(nullptr);
            HGDIOBJ old = SelectObject(dc, font);
            TEXTMETRICW tm;
            GetTextMetricsW(dc, &tm);
            SelectObject(dc, old);
            ReleaseDC(nullptr, dc);
            DeleteObject(font);
        });
    }

    // The program's own sequence from here on.
    Form1 form(instance);
    Step(window ? "create the window and its controls" : "create the window (message-only)",
         [&] { form.Create(window ? Form1::Purpose::Show : Form1::Purpose::HandOff); });
    Step("100 skin", [&] { form.ApplySkin(); });
    Step("104 caption", [&] { form.SetCaption(kProductTitle); });
    Step("104 icon", [&] { form.SetProgramIcon(); });
    Step("104 application title", [&] { SetApplicationTitle(); });
    std::wstring pointerFile;
    bool pointer = false;
    Step("106 pointer file test", [&] {
        pointerFile = ProgramFolder() + std::wstring(kPointerFile);
        pointer = PathExists(pointerFile);
    });
    if (pointer) Step("108 pointer file load", [&] { form.LoadPointerFile(pointerFile); });
    Step("110 home-page draw", [] { VisitHomePage(); });
    std::wstring choice;
    Step("128 read the choice", [&] {
        choice = GetSetting(kSettingsApplication, kSettingsSection, kOptionKey, kDefaultOption);
    });
    Step("134 mark the service (stores it)", [&] {
        for (int i = 0; i < Form1::kOptionCount; ++i) {
            if (choice == kServices[i].code && form.SelectOption(i)) {
                SaveSetting(kSettingsApplication, kSettingsSection, kOptionKey, kServices[i].code);
            }
        }
    });
    std::wstring text;
    Step("148 command line", [&] { text = CommandLineText(GetCommandLineW()); });
    if (window) {
        form.Run(SW_SHOWNORMAL);
        WriteStampsAndEnd();
    }
    Step("152 clean the link", [&] { text = CleanMailArgument(text); });
    Step("156 build the link, start COM, hand it to the shell", [&] {
        if (auto link = BuildComposeLink(choice, text)) OpenComposeLink(form.DialogOwner(), *link);
    });
    WriteStampsAndEnd();
}
