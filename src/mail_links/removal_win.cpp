#include <string>

#include "base/failure.h"
#include "base/scoped.h"
#include "base/windows_version.h"
#include "mail_links/record_store.h"
#include "mail_links/registration_steps.h"
#include "mail_links/removal.h"
#include "registry/registry_access.h"
#include "registry/registry_journal.h"

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

// One removal's changes, through one journal: the first refusal is kept,
// and the whole removal is taken back when there is one.
class Removal {
public:
    explicit Removal(const std::wstring& executable) : executable_(executable) {}

    bool failed() const { return !refused_.empty(); }
    const std::wstring& refused() const { return refused_; }
    RegistryJournal& journal() { return journal_; }
    const std::wstring& executable() const { return executable_; }

    // A change's status: a value or key that is not there, or a key another
    // program still uses, is no failure.
    void Check(LONG status, HKEY root, std::wstring_view key) {
        if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND || status == ERROR_DIR_NOT_EMPTY || failed()) {
            return;
        }
        refused_ = std::wstring(root == HKEY_CURRENT_USER ? L"HKEY_CURRENT_USER\\" : L"HKEY_LOCAL_MACHINE\\") +
                   std::wstring(key) + L" (error " + DecimalText(status) + L")";
    }
    void DeleteValue(HKEY root, std::wstring_view key, std::wstring_view name, bool shellView) {
        Check(journal_.DeleteValue(root, key, name, shellView), root, key);
    }
    // Answers ERROR_DIR_NOT_EMPTY when something is left in the key.
    LONG DeleteEmptyKey(HKEY root, std::wstring_view key, bool shellView) {
        const LONG status = journal_.DeleteEmptyKey(root, key, shellView);
        Check(status, root, key);
        return status;
    }

private:
    std::wstring executable_;
    RegistryJournal journal_;
    std::wstring refused_;
};

// Takes away what the registration wrote into the tree of keys (the mail
// client's or the ProgID's): its values, then each of its keys left empty.
// Values another program put there since stay, and the keys holding them.
void RemoveTree(Removal& removal, HKEY root, std::wstring_view tree, bool shellView) {
    // The user's steps hold every row of the registration's table.
    const std::span<const HandlerStep> steps = CurrentUserRegistrationSteps();
    for (const HandlerStep& step : steps) {
        if (step.action == KeyAction::Write && IsKeyBelow(step.path, tree)) {
            removal.DeleteValue(root, step.path, step.valueName, shellView);
        }
    }
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        if (step->action != KeyAction::Write || !IsKeyBelow(step->path, tree)) continue;
        std::wstring_view key = KeyPathWithoutTrailingBackslash(step->path);
        while (IsKeyBelow(key, tree) && removal.DeleteEmptyKey(root, key, shellView) != ERROR_DIR_NOT_EMPTY) {
            if (key.size() == tree.size()) break;
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
// program, in one view: the trees the registration makes on its own, then
// the values naming them in keys others share.
void RemoveDefaultAppsKeys(Removal& removal, HKEY root, bool shellView) {
    for (const OwnKeyTree& tree : OwnKeyTrees()) {
        for (std::wstring_view command : tree.commandKeys) {
            if (NamesProgram(root, command, removal.executable(), shellView)) {
                RemoveTree(removal, root, tree.key, shellView);
                break;
            }
        }
    }
    for (const ValueNamingOwnKey& value : ValuesNamingOwnKeys()) {
        std::wstring named;
        DWORD type = REG_NONE;
        if (!RegistryKeyExists(root, value.named, shellView) &&
            ReadRegistryText(root, value.key, value.name, named, type, shellView) == ERROR_SUCCESS &&
            SameKeyName(named, value.named)) {
            removal.DeleteValue(root, value.key, value.name, shellView);
        }
    }
}

// What the registration added to the user's own mailto class goes with
// Inboxhop's command. The command's keys go when empty: in the merged view of
// the classes an empty key of the user's would hide the machine's command. A
// class the installer noted as made loses its name and mark and goes when
// nothing else is left in it (another program may have put its own values
// there since, and they stay); a class of the user's loses the values added
// to it.
void RemoveUserClassAdditions(Removal& removal, bool commandRemoved) {
    const HKEY user = HKEY_CURRENT_USER;
    if (commandRemoved) {
        for (std::wstring_view key = kMailtoCommandKey; key.size() > kMailtoClassKey.size();
             key = key.substr(0, key.find_last_of(L'\\'))) {
            if (removal.DeleteEmptyKey(user, key, true) == ERROR_DIR_NOT_EMPTY) break;
        }
    }
    const std::optional<MailtoClassNotes> notes = ReadMailtoClassNotes();
    if (!notes) return;
    if (notes->classMade ? commandRemoved : notes->nameMade) removal.DeleteValue(user, kMailtoClassKey, L"", true);
    if (notes->classMade ? commandRemoved : notes->urlProtocolMade) {
        removal.DeleteValue(user, kMailtoClassKey, kUrlProtocolValue, true);
    }
    if (notes->classMade && commandRemoved) removal.DeleteEmptyKey(user, kMailtoClassKey, true);
}

// The record and the notes beside it go, unless another copy of Inboxhop
// holds the command: then the record stays for that copy's removal.
void RemoveRecord(Removal& removal, HKEY root, bool keepRecord) {
    if (!keepRecord) {
        for (std::wstring_view name : {kRecordSaved, kRecordCommandType, kRecordCommand}) {
            removal.DeleteValue(root, kRecordKey, name, false);
        }
    }
    if (root == HKEY_CURRENT_USER) {
        for (std::wstring_view name : {kClassNotesSaved, kClassMade, kClassNameMade, kUrlProtocolMade}) {
            removal.DeleteValue(root, kRecordKey, name, false);
        }
    }
    for (std::wstring_view key : {kRecordKey, kVendorKey}) {
        if (removal.DeleteEmptyKey(root, key, false) == ERROR_DIR_NOT_EMPTY) break;
    }
}

// One root's share of the removal; answers its report line.
std::wstring RemoveFromRoot(Removal& removal, HKEY root, bool first) {
    const std::optional<MailtoCommand> current = ReadMailtoCommand(root), record = ReadRecordedCommand(root);
    RemovalFacts facts{[&](std::wstring_view program) { return SameProgram(program, removal.executable()); },
                       ShellFileState, Variables(root)};
    const RemovalPlan plan = PlanRemoval(current, record, facts);

    switch (plan.action) {
    case RemovalAction::PutBackRecorded: {
        const std::wstring back = plan.recorded.text;
        StoredValue value{plan.recorded.type, StoredBytes(back)};
        removal.Check(removal.journal().WriteValue(root, kMailtoCommandKey, L"", value, true), root,
                      kMailtoCommandKey);
        break;
    }
    case RemovalAction::DeleteUnrecorded:
    case RemovalAction::DeleteProgramGone:
        removal.DeleteValue(root, kMailtoCommandKey, L"", true);
        break;
    default:
        break;
    }
    const bool commandRemoved =
        plan.action == RemovalAction::DeleteUnrecorded || plan.action == RemovalAction::DeleteProgramGone;
    if (root == HKEY_CURRENT_USER && (commandRemoved || plan.action == RemovalAction::PutBackRecorded)) {
        RemoveUserClassAdditions(removal, commandRemoved);
    }
    RemoveRecord(removal, root, plan.keepRecord);

    RemoveDefaultAppsKeys(removal, root, true);
    if (RunsUnderWow64()) RemoveDefaultAppsKeys(removal, root, false);
    // The shared keys above the client and the registered applications go
    // when nothing is left in them; for the machine, only the latter, as the
    // system's own Clients key stays.
    std::vector<std::wstring_view> shared{kRegisteredApplicationsKey};
    if (root == HKEY_CURRENT_USER) shared.insert(shared.end(), {kMailClientsKey, L"SOFTWARE\\Clients"});
    for (std::wstring_view key : shared) removal.DeleteEmptyKey(root, key, true);
    // For a root after the first, nothing to say when it had no command.
    if (!first && plan.action == RemovalAction::NoCommand) return {};
    return RemovalReport(plan, current, record);
}

}  // namespace

bool SameFolder(std::wstring_view a, std::wstring_view b) {
    const std::wstring first = FullFolderPath(a), second = FullFolderPath(b);
    if (auto same = SameFile(first, second)) return *same;
    return SameText(LongPath(first), LongPath(second));
}

MailLinksRemoved RemoveMailLinks(std::initializer_list<HKEY> roots, std::wstring_view folder) {
    Removal removal(ExecutablePath(FullFolderPath(std::wstring(folder))));
    MailLinksRemoved done;
    try {
        for (HKEY root : roots) {
            const std::wstring line = RemoveFromRoot(removal, root, done.report.empty());
            if (removal.failed()) break;
            if (!line.empty() && !done.report.empty()) done.report += L"; for this user: ";
            done.report += line;
        }
    } catch (...) {
        removal.journal().Undo();
        throw;
    }
    if (removal.failed()) {
        done.done = false;
        const bool putBack = removal.journal().Undo();
        done.report = L"the mail links could not be given back: the registry refused " + removal.refused() +
                      (putBack ? L"; nothing was changed" : L"; not every change could be taken back");
    }
    return done;
}

}  // namespace inboxhop
