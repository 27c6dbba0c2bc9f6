// RestoreMailLinks.dll: what the installers do about mail links, through the
// rules the program itself follows (mail_links/record.h), so that no
// installer keeps a rule of its own about commands.
//
// The Windows Installer package calls:
// - CanonicalInstallFolder (immediate, before the folders are costed):
//   INSTALLDIR in its full form, so that "\\", "\.\" and the like never
//   reach the registry;
// - RestoreMailLinks (deferred, as the system, on a removal that is no
//   upgrade), with the installation folder as CustomActionData: gives the
//   machine's mailto command back and takes away the Default-apps keys that
//   name the installation's program, and logs what it did.
// The EXE installer (installer/Inboxhop.nsi) unpacks the DLL and calls,
// through its System plug-in:
// - FullFolderPathFor: the folder /D= named, in its full form;
// - RecordMailtoCommandIn: before it writes the mailto command;
// - GiveBackMailLinksIn: at uninstall, the same as RestoreMailLinks, for the
//   installation's root; it answers what it did (RemovalAction's number) and
//   the line for the uninstaller's details.
// Nothing that fails here fails an install or a removal, and no exception
// leaves the DLL.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <string>

#include "mail_links/removal.h"

namespace {

using namespace inboxhop;

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    DWORD size = 0;
    wchar_t empty[1] = L"";
    if (MsiGetPropertyW(install, name, empty, &size) != ERROR_MORE_DATA) return L"";
    std::wstring value(++size, L'\0');
    if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return L"";
    value.resize(size);
    return value;
}

// A line in the package's verbose log (msiexec /l*v).
void Log(MSIHANDLE install, const std::wstring& text) {
    MSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, (L"RestoreMailLinks: " + text).c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
    MsiCloseHandle(record);
}

// Copies the text into a caller's buffer of `size` characters, cut short if
// need be, always ended.
void CopyOut(const std::wstring& text, wchar_t* buffer, int size) {
    if (!buffer || size <= 0) return;
    const size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
    text.copy(buffer, length);
    buffer[length] = L'\0';
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall CanonicalInstallFolder(MSIHANDLE install) {
    try {
        const std::wstring folder = Property(install, L"INSTALLDIR");
        if (!folder.empty()) MsiSetPropertyW(install, L"INSTALLDIR", (FullFolderPath(folder) + L"\\").c_str());
    } catch (...) {
    }
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall RestoreMailLinks(MSIHANDLE install) {
    try {
        const std::wstring folder = Property(install, L"CustomActionData");
        if (folder.empty()) {
            Log(install, L"no installation folder given");
        } else {
            Log(install, GiveBackMailLinks(HKEY_LOCAL_MACHINE, folder).report);
        }
    } catch (...) {
    }
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) int __stdcall FullFolderPathFor(const wchar_t* folder, wchar_t* full, int size) {
    try {
        CopyOut(FullFolderPath(folder ? folder : L""), full, size);
        return 1;
    } catch (...) {
        CopyOut(folder ? folder : L"", full, size);
        return 0;
    }
}

extern "C" __declspec(dllexport) int __stdcall RecordMailtoCommandIn(HKEY root) {
    try {
        return RecordReplacedMailtoCommand(root) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" __declspec(dllexport) int __stdcall GiveBackMailLinksIn(HKEY root, const wchar_t* folder, wchar_t* report,
                                                                  int size) {
    try {
        MailLinksGivenBack done = GiveBackMailLinks(root, folder ? folder : L"");
        CopyOut(done.report, report, size);
        return static_cast<int>(done.plan.action);
    } catch (...) {
        CopyOut(L"the mail links could not be given back", report, size);
        return -1;
    }
}
