// The Windows Installer package's custom action on removal: gives the
// machine's mailto command back. A press of the installed program's push
// button makes it the command and keeps the one it replaced in the
// installers' record (SOFTWARE\Kestrelon\Inboxhop, 32-bit view); once the
// program is gone that command would name a deleted file.
//
// Deferred and run as the system (the package runs it only on a removal that
// is no upgrade), it gets the installation folder as CustomActionData. When
// the command still names that folder's Inboxhop.exe, the recorded command
// goes back, or without a record the command is removed. A command naming
// anything else is never touched. The record goes with the installation,
// unless another copy of Inboxhop holds the command and may still need it.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

#include "registry/mail_handler_keys.h"
#include "registry/modRegStuff.h"

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

DWORD ReadNumber(HKEY key, const wchar_t* name) {
    DWORD number = 0, type = 0, bytes = sizeof(number);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return 0;
    }
    return number;
}

// A line in the package's verbose log (msiexec /l*v).
void Log(MSIHANDLE install, const std::wstring& text) {
    MSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, (L"RestoreMailLinks: " + text).c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
    MsiCloseHandle(record);
}

// Deletes the key when nothing is left in it.
void DeleteIfEmpty(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 1, values = 1;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    if (subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_LOCAL_MACHINE, path);
}

void Restore(MSIHANDLE install) {
    std::wstring folder = Property(install, L"CustomActionData");
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    if (folder.empty()) {
        Log(install, L"no installation folder given");
        return;
    }
    const std::wstring recordKey(kRecordKey);

    // The command where the 64-bit shell reads it, as the program writes it;
    // the record in the program's own view, where the installers keep it.
    std::wstring current;
    DWORD type = REG_NONE;
    ReadRegistryText(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", current, type, true);
    const bool isText = type == REG_SZ || type == REG_EXPAND_SZ;
    if (isText && NamesExecutable(current, ExecutablePath(folder))) {
        DWORD savedType = REG_NONE;
        std::wstring saved;
        HKEY record;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, recordKey.c_str(), 0, KEY_QUERY_VALUE, &record) == ERROR_SUCCESS) {
            if (ReadNumber(record, std::wstring(kRecordSaved).c_str()) == 1) {
                savedType = ReadNumber(record, std::wstring(kRecordCommandType).c_str());
            }
            RegCloseKey(record);
        }
        DWORD textType = REG_NONE;
        if (savedType == REG_SZ || savedType == REG_EXPAND_SZ) {
            ReadRegistryText(HKEY_LOCAL_MACHINE, kRecordKey, kRecordCommand, saved, textType);
        }
        HKEY command;
        const std::wstring commandKey(kMailtoCommandKey);
        const REGSAM shellView = RegistryAccess() & KEY_WOW64_64KEY;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, commandKey.c_str(), 0, KEY_SET_VALUE | shellView, &command) ==
            ERROR_SUCCESS) {
            if (savedType == REG_SZ || savedType == REG_EXPAND_SZ) {
                RegSetValueExW(command, L"", 0, savedType, reinterpret_cast<const BYTE*>(saved.c_str()),
                               static_cast<DWORD>((saved.size() + 1) * sizeof(wchar_t)));
                Log(install, L"the mailto command is back: " + saved);
            } else {
                RegDeleteValueW(command, L"");
                Log(install, L"the mailto command this installation's press wrote is removed");
            }
            RegCloseKey(command);
        }
    } else if (isText && NamesInboxhop(current)) {
        // Another copy of Inboxhop holds the command: the record is its.
        Log(install, L"the mailto command names another Inboxhop.exe and stays: " + current);
        return;
    } else if (isText) {
        Log(install, L"the mailto command is another program's and stays: " + current);
    }

    HKEY record;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, recordKey.c_str(), 0, KEY_SET_VALUE, &record) == ERROR_SUCCESS) {
        for (std::wstring_view name : {kRecordCommand, kRecordCommandType, kRecordSaved}) {
            RegDeleteValueW(record, std::wstring(name).c_str());
        }
        RegCloseKey(record);
    }
    DeleteIfEmpty(recordKey.c_str());
    DeleteIfEmpty(L"SOFTWARE\\Kestrelon");
}

}  // namespace

// Nothing that fails here fails the removal: without the command given back,
// the removal still takes the program away. No exception may leave the DLL.
extern "C" __declspec(dllexport) UINT __stdcall RestoreMailLinks(MSIHANDLE install) {
    try {
        Restore(install);
    } catch (...) {
    }
    return ERROR_SUCCESS;
}
