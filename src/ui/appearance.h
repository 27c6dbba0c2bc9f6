// How the program presents itself: skin, icon, application title, pointer.
#pragma once

#include <string>
#include <string_view>

namespace inboxhop {

class Form1;

inline constexpr std::wstring_view kSkinFile = L"\\x\\o.cjs";
inline constexpr std::wstring_view kPointerFile = L"\\HAND-M.CUR";

// The program-wide title that captions message boxes without a caption of
// their own. The product title until SetApplicationTitle runs.
const std::wstring& ApplicationTitle();

// Makes the shortened product title the application title.
void SetApplicationTitle();

// Applies the skin file beside the program, when there is one, to the
// window. Throws Failure when the file cannot be read or applied.
void ApplySkin(Form1& form);

// Sets the window's icon to the program's own. Throws Failure on refusal.
void SetProgramIcon(Form1& form);

// True when the path's last-change time can be read; never fails.
bool PathExists(std::wstring_view path);

// Loads a cursor file as the window's custom pointer image. Throws Failure
// when the file is not a cursor.
void LoadPointerFile(Form1& form, std::wstring_view path);

}  // namespace inboxhop
