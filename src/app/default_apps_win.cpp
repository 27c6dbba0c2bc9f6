#include "app/default_apps_shell.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "app/default_apps.h"
#include "base/com.h"
#include "base/product.h"
#include "base/scoped.h"
#include "base/shell_open.h"
#include "base/windows_version.h"
#include "mail_links/registration_steps.h"
#include "registry/registry_access.h"

namespace inboxhop {

namespace {

// A text value of a class under HKEY_CLASSES_ROOT; empty when absent.
std::wstring ClassText(const std::wstring& path, std::wstring_view name) {
    std::wstring text;
    DWORD type = REG_NONE;
    ReadRegistryText(HKEY_CLASSES_ROOT, path, name, text, type);
    return text;
}

// The ProgID the user's choice names for mail links; empty without one.
std::wstring CurrentMailChoice() {
    if (!EnsureComInitialized()) return {};
    ComPtr<IApplicationAssociationRegistration> registration;
    if (FAILED(CoCreateInstance(CLSID_ApplicationAssociationRegistration, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IApplicationAssociationRegistration, registration.put_void()))) {
        return {};
    }
    ScopedCoTaskString progId;
    // No association (ERROR_NO_ASSOCIATION) is an answer too: no choice.
    if (FAILED(registration->QueryCurrentDefault(L"mailto", AT_URLPROTOCOL, AL_EFFECTIVE, progId.put())) || !progId) {
        return {};
    }
    return progId.get();
}

bool OpenAssociationWindow() {
    if (!EnsureComInitialized()) return false;
    ComPtr<IApplicationAssociationRegistrationUI> ui;
    if (FAILED(CoCreateInstance(CLSID_ApplicationAssociationRegistrationUI, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IApplicationAssociationRegistrationUI, ui.put_void()))) {
        return false;
    }
    std::wstring name(kProductTitle);
    return SUCCEEDED(ui->LaunchAdvancedAssociationUI(name.c_str()));
}

}  // namespace

void AnnounceAssociationChange() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

std::optional<std::wstring> OtherMailHandler(std::wstring_view programFolder) {
    std::wstring progId = CurrentMailChoice();
    if (progId.empty() || progId == kProgId) return std::nullopt;
    // For the machine's default, Windows may answer the legacy command line
    // itself instead of a ProgID.
    if (CommandStartsProgram(progId, ExecutablePath(programFolder))) return std::nullopt;
    if (CommandStartsProgram(ClassText(progId + L"\\shell\\open\\command", L""), ExecutablePath(programFolder))) {
        return std::nullopt;
    }
    // A friendly name stored as a resource reference ("@file,-id") is no
    // text to show; the class's default value usually names it too.
    std::wstring name = ClassText(progId, L"FriendlyTypeName");
    if (name.empty() || name.front() == L'@') name = ClassText(progId, L"");
    return name.empty() ? progId : name;
}

bool OpenDefaultAppsPage(bool forCurrentUser) {
    WindowsVersion version = RealWindowsVersion();
    for (DefaultAppsPage page : DefaultAppsPages(version.major, version.build)) {
        bool opened = false;
        switch (page) {
        case DefaultAppsPage::Windows11Settings:
            opened = ShellOpen(forCurrentUser ? kWindows11UserPage : kWindows11Page, SW_SHOWNORMAL);
            break;
        case DefaultAppsPage::Windows10Settings:
            opened = ShellOpen(kWindows10Page, SW_SHOWNORMAL);
            break;
        case DefaultAppsPage::AssociationWindow:
            opened = OpenAssociationWindow();
            break;
        }
        if (opened) return true;
    }
    return false;
}

}  // namespace inboxhop
