// RestoreMailLinks.dll: the installers' way to the one owner of the
// mail-link registration and its undo (src/mail_links), so that no installer
// keeps a rule of its own about commands, records or keys.
//
// The Windows Installer package calls:
// - CanonicalInstallFolder (immediate, before the folders are costed):
//   INSTALLDIR in its full form, so that "\\", "\.\" and the like never
//   reach the registry;
// - RestoreMailLinks (deferred, as the system) and RestoreUserMailLinks
//   (deferred, as the user who removes), on a removal that is no upgrade,
//   with the installation folder as CustomActionData: the removal for the
//   machine and for that user. Each logs its one line, and fails the removal
//   (which Windows Installer then rolls back) when the mail links could not
//   be removed.
// The EXE installer (installer/Inboxhop.nsi) unpacks the DLL and calls,
// through its System plug-in, each answering 1 on success:
// - FullFolderPathFor: the folder /D= named, in its full form;
// - CheckInstallFolder: whether a folder may take an installation, with the
//   message saying why not;
// - ApplyMailLinksIn: the registration for the mode's root, as a transaction;
// - RemoveMailLinksIn: the removal for the mode's root (for the machine, the
//   uninstalling user's own registration too), all or nothing.
// No exception leaves the DLL.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <algorithm>
#include <string>

#include "mail_links/record_store.h"
#include "mail_links/registration.h"
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

// One root's removal for the package, logged; a failure fails the removal.
UINT RemoveForPackage(MSIHANDLE install, HKEY root) {
    try {
        const std::wstring folder = Property(install, L"CustomActionData");
        if (folder.empty()) {
            Log(install, L"no installation folder given");
            return ERROR_INSTALL_FAILURE;
        }
        const MailLinksRemoved done = RemoveMailLinks({root}, folder);
        Log(install, (root == HKEY_CURRENT_USER ? L"for this user: " : L"") + done.report);
        return done.done ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
    } catch (...) {
        return ERROR_INSTALL_FAILURE;
    }
}

extern "C" __declspec(dllexport) UINT __stdcall RestoreMailLinks(MSIHANDLE install) {
    return RemoveForPackage(install, HKEY_LOCAL_MACHINE);
}

extern "C" __declspec(dllexport) UINT __stdcall RestoreUserMailLinks(MSIHANDLE install) {
    return RemoveForPackage(install, HKEY_CURRENT_USER);
}

namespace {

// One call of the EXE installer's: `work` answers 1 or 0 and the text for the
// caller's buffer of `size` characters. No exception leaves the DLL: one
// answers 0, with `failed` as the text.
template <typename Work>
int Answer(wchar_t* buffer, int size, const std::wstring& failed, Work work) {
    try {
        std::wstring text;
        const int result = work(text);
        CopyOut(text, buffer, size);
        return result;
    } catch (...) {
        CopyOut(failed, buffer, size);
        return 0;
    }
}

}  // namespace

extern "C" __declspec(dllexport) int __stdcall FullFolderPathFor(const wchar_t* folder, wchar_t* full, int size) {
    const std::wstring given = folder ? folder : L"";
    return Answer(full, size, given, [&](std::wstring& text) {
        text = FullFolderPath(given);
        return 1;
    });
}

extern "C" __declspec(dllexport) int __stdcall CheckInstallFolder(const wchar_t* folder, const wchar_t* otherModes,
                                                                 wchar_t* message, int size) {
    return Answer(message, size, L"The installation folder could not be checked.", [&](std::wstring& text) {
        const std::wstring chosen = folder ? folder : L"";
        if (ShellWouldChangeFolder(chosen)) {
            text = FolderShellWouldChangeText(chosen);
        } else if (otherModes && *otherModes && SameFolder(chosen, otherModes)) {
            text = chosen + L" holds the other installation of Inboxhop (for anyone, or just for you). Choose another "
                            L"folder.";
        }
        return text.empty() ? 1 : 0;
    });
}

extern "C" __declspec(dllexport) int __stdcall ApplyMailLinksIn(HKEY root, const wchar_t* folder, wchar_t* report,
                                                               int size) {
    return Answer(report, size, L"the mail links could not be registered", [&](std::wstring& text) {
        // Just for me, the notes on what the user's mailto class lacked go
        // with the record, so that the removal takes away exactly that.
        const bool user = root == HKEY_CURRENT_USER;
        const InstallerAdditions additions{user ? &NoteMailtoClass : nullptr};
        const AppliedRegistration applied =
            ApplyRegistration(user ? CurrentUserRegistrationSteps() : MachineRegistrationSteps(),
                              FullFolderPath(folder ? folder : L""),
                              [](const HandlerStep&, const std::function<void()>& work) { work(); }, &additions);
        if (applied.outcome.complete()) {
            text = L"registered for mail links";
            return 1;
        }
        text = L"the registry refused";
        for (const RefusedKey& refused : applied.outcome.refused()) {
            text += L" " + refused.key + L" (" + refused.reason + L")";
        }
        text += applied.putBack ? L"; nothing was changed" : L"; not every change could be taken back";
        return 0;
    });
}

extern "C" __declspec(dllexport) int __stdcall RemoveMailLinksIn(HKEY root, const wchar_t* folder, wchar_t* report,
                                                                int size) {
    return Answer(report, size, L"the mail links could not be given back", [&](std::wstring& text) {
        // For the machine, the uninstalling user's own registration goes too:
        // that user's class would otherwise win over the machine's.
        const std::wstring installation = folder ? folder : L"";
        const MailLinksRemoved done = root == HKEY_CURRENT_USER
                                          ? RemoveMailLinks({HKEY_CURRENT_USER}, installation)
                                          : RemoveMailLinks({root, HKEY_CURRENT_USER}, installation);
        text = done.report;
        return done.done ? 1 : 0;
    });
}
