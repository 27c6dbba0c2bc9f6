#include <string>

#include "base/failure.h"
#include "base/scoped.h"
#include "base/windows_version.h"
#include "mail_links/registration_steps.h"
#include "mail_links/removal.h"
#include "registry/registry_access.h"

namespace inboxhop {

namespace {

// A file or folder opened for its identity only: no right to read or write
// it, and no share it would deny anyone.
ScopedFile OpenForIdentity(const std::wstring& path) {
    return ScopedFile(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Whether two paths open the same file (volume serial number and file
// index); none when either cannot be opened.
std::optional<bool> SameFile(const std::wstring& a, const std::wstring& b) {
    ScopedFile first = OpenForIdentity(a), second = OpenForIdentity(b);
    BY_HANDLE_FILE_INFORMATION x, y;
    if (!first || !second || !GetFileInformationByHandle(first.get(), &x) ||
        !GetFileInformationByHandle(second.get(), &y)) {
        return std::nullopt;
    }
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

std::wstring FullFolderPath(std::wstring_view folder) {
    const std::wstring path(folder);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return full;
}

namespace {

// The path's long form, as far as it exists.
std::wstring LongPath(const std::wstring& path) {
    std::wstring result(GetLongPathNameW(path.c_str(), nullptr, 0), L'\0');
    if (!result.empty() && GetLongPathNameW(path.c_str(), result.data(), static_cast<DWORD>(result.size())) != 0) {
        result.resize(result.find(L'\0'));
        return result;
    }
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash < 3) return path;
    return LongPath(path.substr(0, slash)) + path.substr(slash);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring Parent(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
std::wstring Name(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// Whether `program` (a command's spelling) and `executable` are one program:
// the same file; with one of them gone, the same name in the same folder;
// with the folders gone too, the same full, long path in any case.
bool SameProgram(std::wstring_view program, const std::wstring& executable) {
    if (program.empty()) return false;
    const std::wstring a = FullFolderPath(std::wstring(program)), b = FullFolderPath(executable);
    if (auto same = SameFile(a, b)) return *same;
    if (auto sameFolder = SameFile(Parent(a), Parent(b))) return *sameFolder && SameText(Name(a), Name(b));
    return SameText(LongPath(a), LongPath(b));
}

// Whether a file is there as the 64-bit shell looks: past the redirection
// of System32 that a 32-bit program gets on 64-bit Windows. Only "not found"
// counts as missing; any other failure leaves it undecided.
FileState ShellFileState(std::wstring_view path) {
    PVOID redirection = nullptr;
    const bool pastRedirection = RunsUnderWow64() && Wow64DisableWow64FsRedirection(&redirection);
    const DWORD attributes = GetFileAttributesW(std::wstring(path).c_str());
    const DWORD error = GetLastError();
    if (pastRedirection) Wow64RevertWow64FsRedirection(redirection);
    if (attributes != INVALID_FILE_ATTRIBUTES) return FileState::Present;
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return FileState::Unknown;
    // Only on a fixed drive that this process sees is "not found" certain: a
    // user's mapped or substituted drive is not there for an elevated or
    // system removal, and a network share may be away for a while.
    const bool driveLetter = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    const std::wstring root = driveLetter ? std::wstring(path.substr(0, 3)) : std::wstring();
    return driveLetter && GetDriveTypeW(root.c_str()) == DRIVE_FIXED ? FileState::Missing : FileState::Unknown;
}

// The environment's variables; for a machine-wide command, only those that
// name the same folder for every user.
VariableLookup Variables(HKEY root) {
    const bool machine = root != HKEY_CURRENT_USER;
    return [machine](std::wstring_view name) -> std::optional<std::wstring> {
        if (machine && !IsMachineWideVariable(name)) return std::nullopt;
        const std::wstring variable(name);
        std::wstring value(GetEnvironmentVariableW(variable.c_str(), nullptr, 0), L'\0');
        if (value.empty()) return std::nullopt;
        value.resize(GetEnvironmentVariableW(variable.c_str(), value.data(), static_cast<DWORD>(value.size())));
        return value;
    };
}

std::optional<MailtoCommand> ReadRecord(HKEY root) {
    StoredRecord stored;
    std::wstring text;
    DWORD type = REG_NONE, number = 0;
    if (ReadRegistryText(root, kRecordKey, kRecordCommand, text, type) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        stored.command = text;
    }
    if (ReadRegistryNumber(root, kRecordKey, kRecordCommandType, number) == ERROR_SUCCESS) stored.commandType = number;
    if (ReadRegistryNumber(root, kRecordKey, kRecordSaved, number) == ERROR_SUCCESS) stored.saved = number;
    return RecordedCommand(stored);
}

bool Below(std::wstring_view key, std::wstring_view tree) {
    return key == tree || (key.starts_with(tree) && key.size() > tree.size() && key[tree.size()] == L'\\');
}

// Takes away what the registration wrote into the tree of keys (the mail
// client's or the ProgID's): its values, then each of its keys left empty.
// Values another program put there since stay, and the keys holding them.
void RemoveTree(HKEY root, std::wstring_view tree, bool shellView) {
    // The user's steps hold every row of the registration's table.
    const std::span<const HandlerStep> steps = CurrentUserRegistrationSteps();
    for (const HandlerStep& step : steps) {
        if (step.action == KeyAction::Write && Below(step.path, tree)) {
            DeleteRegistryValue(root, step.path, step.valueName, shellView);
        }
    }
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if (step->action != KeyAction::Write || !Below(step->path, tree)) continue;
        std::wstring_view key = step->path;
        while (Below(key, tree) && DeleteEmptyRegistryKey(root, key, shellView) == ERROR_SUCCESS && key != tree) {
            key = key.substr(0, key.find_last_of(L'\\'));
        }
    }
}

bool NamesProgram(HKEY root, std::wstring_view key, const std::wstring& executable, bool shellView) {
    std::wstring command;
    DWORD type = REG_NONE;
    if (ReadRegistryText(root, key, L"", command, type, shellView) != ERROR_SUCCESS) return false;
    return (type == REG_SZ || type == REG_EXPAND_SZ) && SameProgram(CommandProgram(command), executable);
}

// The Default-apps registration whose commands name this installation's
// program, in one view.
void RemoveDefaultAppsKeys(HKEY root, const std::wstring& executable, bool shellView) {
    if (NamesProgram(root, kClientShellCommandKey, executable, shellView) ||
        NamesProgram(root, kClientProtocolCommandKey, executable, shellView)) {
        RemoveTree(root, kClientKey, shellView);
    }
    if (NamesProgram(root, kProgIdCommandKey, executable, shellView)) RemoveTree(root, kProgIdKey, shellView);
    // The registered application names the client's capabilities: once they
    // are gone, so is the entry.
    std::wstring named;
    DWORD type = REG_NONE;
    if (!RegistryKeyExists(root, kCapabilitiesKey, shellView) &&
        ReadRegistryText(root, kRegisteredApplicationsKey, kRegisteredApplicationName, named, type, shellView) ==
            ERROR_SUCCESS &&
        CompareStringOrdinal(named.c_str(), -1, std::wstring(kCapabilitiesKey).c_str(), -1, TRUE) == CSTR_EQUAL) {
        DeleteRegistryValue(root, kRegisteredApplicationsKey, kRegisteredApplicationName, shellView);
    }
}

}  // namespace

MailLinksGivenBack GiveBackMailLinks(HKEY root, std::wstring_view folder) {
    const std::wstring executable = ExecutablePath(FullFolderPath(std::wstring(folder)));
    const std::optional<MailtoCommand> current = ReadMailtoCommand(root), record = ReadRecord(root);
    RemovalFacts facts{[&](std::wstring_view program) { return SameProgram(program, executable); }, ShellFileState,
                       Variables(root)};
    MailLinksGivenBack done{PlanRemoval(current, record, facts), {}};
    done.report = RemovalReport(done.plan, current, record);

    LONG status = ERROR_SUCCESS;
    switch (done.plan.action) {
    case RemovalAction::Restore: {
        const MailtoCommand& back = done.plan.restored;
        status = WriteRegistryText(root, kMailtoCommandKey, L"", back.text, back.type);
        break;
    }
    case RemovalAction::DeleteUnrecorded:
    case RemovalAction::DeleteProgramGone:
        status = DeleteRegistryValue(root, kMailtoCommandKey, L"", true);
        break;
    default:
        break;
    }
    if (status != ERROR_SUCCESS) {
        // The command could not be given back or removed: the record stays,
        // for another try or for the by-hand recipe.
        done.report += L" (the registry refused it: error " + DecimalText(status) + L"; the record stays)";
        done.plan.keepRecord = true;
    }

    if (!done.plan.keepRecord) {
        for (std::wstring_view name : {kRecordSaved, kRecordCommandType, kRecordCommand}) {
            DeleteRegistryValue(root, kRecordKey, name);
        }
        if (DeleteEmptyRegistryKey(root, kRecordKey) == ERROR_SUCCESS) DeleteEmptyRegistryKey(root, kVendorKey);
    }

    RemoveDefaultAppsKeys(root, executable, true);
    if (RunsUnderWow64()) RemoveDefaultAppsKeys(root, executable, false);
    return done;
}

}  // namespace inboxhop
