// How the program presents itself: skin, icon, application title, pointer.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace inboxhop {

class Form1;

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

// Applies the skin file beside the program, when there is one, to the
// window: a normal file (not a folder, not hidden, not a system file) named
// x\o.cjs in the program folder. Without it nothing happens. Throws Failure
// when the file cannot be read or applied; what was done before stays.
void ApplySkin(Form1& form);

// Sets a window's big and small icons, at the sizes the system uses for
// them, from the icon group `id` of `module`. Throws Failure when there is
// no such icon.
void SetWindowIcons(HWND window, HMODULE module, int id);

// True when the path's last-change time can be read; never fails.
bool PathExists(std::wstring_view path);

// Loads a cursor file as the window's custom pointer image. Throws Failure
// when the file is not a cursor.
void LoadPointerFile(Form1& form, std::wstring_view path);

}  // namespace inboxhop
