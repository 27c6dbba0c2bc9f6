// How the program presents itself: skin, icon, application title, pointer.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace inboxhop {

inline constexpr std::wstring_view kSkinFile = L"\\x\\o.cjs";
inline constexpr std::wstring_view kPointerFile = L"\\HAND-M.CUR";

// The program's icon group in the executable's resources. It has the lowest
// id, so the shell shows it as the program's icon.
inline constexpr int kProgramIconId = 1;

// The program-wide title that captions message boxes without a caption of
// their own. The product title until SetApplicationTitle runs.
const std::wstring& ApplicationTitle();

// Makes the shortened product title the application title.
void SetApplicationTitle();

// Sets a window's big and small icons, at the sizes the system uses for
// them, from the icon group `id` of `module`. Throws Failure when there is
// no such icon.
void SetWindowIcons(HWND window, HMODULE module, int id);

// True when the path's last-change time can be read; never fails.
bool PathExists(std::wstring_view path);

}  // namespace inboxhop
