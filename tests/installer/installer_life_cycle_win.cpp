// The EXE installer and uninstaller end to end in the test prefix (the Windows Installer package further down):
// silent installs into a folder with spaces, what they leave, that the installer's mail-link keys are a press's, that
// the uninstaller takes away what names the installation and puts back the mailto command it found; the same for one
// user beside the machine's installation, whose keys are a refused press's; and failures that must end non-zero and
// leave both installations as they were. Registry keys touched are put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <tuple>

#include "app/compose_link.h"
#include "app/procedure_steps.h"
#include "base/scoped.h"
#include "program_run.h"
#include "registration_values.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

constexpr DWORD kWaitMs = 60000;
const std::wstring kUninstallKeys = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kUninstallKey = kUninstallKeys + L"\\Inboxhop";
const std::wstring kMailtoClassKey = L"SOFTWARE\\Classes\\mailto";
const std::wstring kMailtoCommandKey = kMailtoClassKey + L"\\shell\\open\\command";
const std::wstring kClientsKey = L"SOFTWARE\\Clients";
const std::wstring kClientKey = kClientsKey + L"\\Mail\\Inboxhop";
const std::wstring kCapabilities = kClientKey + L"\\Capabilities";
const std::wstring kProgIdKey = L"SOFTWARE\\Classes\\Inboxhop.mailto";
const std::wstring kRegisteredApps = L"SOFTWARE\\RegisteredApplications";
const std::wstring kVendorKey = L"SOFTWARE\\Kestrelon";

// A folder of the system's, by its CSIDL number.
std::wstring SystemFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}
std::wstring Lower(std::wstring text) {
    CharLowerW(text.data());
    return text;
}

// Inboxhop's own registration for every user: the client, the ProgID and the registered application.
struct Registration {
    std::optional<KeyTree> client, progId;
    std::optional<RawValue> application;
    bool operator==(const Registration&) const = default;
};
Registration ReadRegistration() {
    return {ReadTree(HKEY_LOCAL_MACHINE, kClientKey), ReadTree(HKEY_LOCAL_MACHINE, kProgIdKey),
            ReadRaw(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop")};
}
bool RemoveRegistration() {
    return DeleteTree(HKEY_LOCAL_MACHINE, kClientKey) && DeleteTree(HKEY_LOCAL_MACHINE, kProgIdKey) &&
           DeleteValue(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop");
}
// The machine's uninstall entries named Inboxhop, by their key names.
std::map<std::wstring, KeyTree> UninstallEntries() {
    std::map<std::wstring, KeyTree> entries = ReadTree(HKEY_LOCAL_MACHINE, kUninstallKeys).value_or(KeyTree{}).subkeys;
    std::erase_if(entries, [](const auto& entry) {
        auto name = entry.second.values.find(L"DisplayName");
        return name == entry.second.values.end() || name->second != TextValue(L"Inboxhop");
    });
    return entries;
}

// Runs `"<program>"<arguments>` and waits until it and all it started have ended (an uninstaller
// hands over to a copy of itself and returns at once): its exit code, nothing on time-out. With
// `boxes`, its message boxes are answered with OK and kept there.
std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& arguments,
                              std::vector<SeenBox>* boxes = nullptr) {
    StartedProcess process(program, L"\"" + program + L"\"" + arguments);
    WindowWatcher watcher(process.pid());
    auto code = boxes ? process.WaitForExit(kWaitMs, [&] { watcher.Tick(); }) : process.WaitForExit(kWaitMs);
    if (boxes) *boxes = watcher.boxes();
    return process.WaitForJobToEmpty(kWaitMs) ? code : std::nullopt;
}

// Runs an Apps entry's command (the program in quotes, then its arguments) to its end: its exit code.
std::optional<DWORD> RunEntryCommand(HKEY root, const wchar_t* name) {
    const std::wstring line = ReadText(root, kUninstallKey, name).value_or(L"\"\"");
    const size_t end = line.find(L'"', 1);
    return RunToEnd(line.substr(1, end - 1), line.substr(end + 1));
}

// Starts the installed program, presses its push button and answers the box it ends with: the box's text, or
// "no window" or "no box".
std::wstring PressInstalledProgram(const std::wstring& program) {
    ShownProgram shown(program, L"", kWaitMs);
    if (!shown.window()) return L"no window";
    HWND box = shown.Press(kWaitMs);
    std::wstring text = box ? AnswerBox(box, kWaitMs).text : L"no box";
    shown.Close(kWaitMs);
    return text;
}

// Every key name and value at or below `path` that mentions `text` (in lower case), added to `found`; unreadable
// keys are passed over.
void FindMentions(HKEY root, const std::wstring& path, const std::wstring& text, std::vector<std::wstring>& found) {
    inboxhop::ScopedRegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    wchar_t name[16384];
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        DWORD length = std::size(name), size = static_cast<DWORD>(data.size()), type = 0;
        LONG status = RegEnumValueW(key.get(), i, name, &length, nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;  // nothing of ours is that long
        if (status != ERROR_SUCCESS) break;
        std::wstring value = std::wstring(name, length) + L"=" +
                             std::wstring(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        if (Lower(value).find(text) != std::wstring::npos) found.push_back(path + L" " + value);
    }
    DWORD length = std::size(name);
    for (DWORD i = 0; RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = std::size(name)) {
        const std::wstring sub(name, length);
        if (Lower(sub).find(text) != std::wstring::npos) found.push_back(path + L"\\" + sub);
        FindMentions(root, path + L"\\" + sub, text, found);
    }
}

// Every key name and value of the machine's and the user's software keys that mentions one of `texts` (case ignored).
std::vector<std::wstring> Mentions(const std::vector<std::wstring>& texts) {
    std::vector<std::wstring> found;
    for (const std::wstring& text : texts) {
        FindMentions(HKEY_LOCAL_MACHINE, L"SOFTWARE", Lower(text), found);
        FindMentions(HKEY_CURRENT_USER, L"Software", Lower(text), found);
    }
    return found;
}

// Another mail program's file, there while the object lives: a removal gives a recorded command back only while the
// program it names is there.
class ProgramFile {
public:
    explicit ProgramFile(std::wstring path) : path_(std::move(path)) {
        std::error_code error;
        fs::create_directories(fs::path(path_).parent_path(), error);
        ok_ = WriteFileBytes(path_, "MZ");
    }
    ~ProgramFile() { Remove(); }
    bool ok() const { return ok_; }
    void Remove() {
        std::error_code error;
        fs::remove(path_, error);
        fs::remove(fs::path(path_).parent_path(), error);  // when empty
    }

private:
    std::wstring path_;
    bool ok_ = false;
};

// Another drive letter for the root of `drive` ("C:\\"), as subst makes one (tools/ctest-wine.sh links Y: to drive C:
// in the test prefix): "" when there is none.
std::wstring SecondDriveLetter(const std::wstring& drive) {
    auto identity = [](const std::wstring& path) -> std::optional<std::tuple<DWORD, DWORD, DWORD>> {
        inboxhop::ScopedFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info;
        if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
        return std::tuple(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
    };
    const auto root = identity(drive + L"Windows");
    for (wchar_t letter = L'D'; root && letter <= L'Y'; ++letter) {
        const std::wstring other = std::wstring(1, letter) + L":\\";
        if (other != drive && identity(other + L"Windows") == root) return other;
    }
    return L"";
}

// The mailto command (text and type) and the Default-apps keys of a root.
struct MailLinks {
    std::optional<RawValue> command;
    std::optional<KeyTree> client, progId;
    std::optional<RawValue> application;
    bool operator==(const MailLinks&) const = default;
};
MailLinks ReadMailLinks(HKEY root = HKEY_LOCAL_MACHINE) {
    return {ReadRaw(root, kMailtoCommandKey, L""), ReadTree(root, kClientKey), ReadTree(root, kProgIdKey),
            ReadRaw(root, kRegisteredApps, L"Inboxhop")};
}

std::wstring Shortcut() { return SystemFolder(CSIDL_COMMON_PROGRAMS) + L"\\Inboxhop.lnk"; }
// Just for me: the user's own program folder and Start menu.
std::wstring UserFolder() { return SystemFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Inboxhop"; }
std::wstring UserShortcut() { return SystemFolder(CSIDL_PROGRAMS) + L"\\Inboxhop.lnk"; }
// The names in a folder that start with `prefix`, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& prefix = L"") {
    std::vector<std::wstring> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().filename().wstring().starts_with(prefix)) names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The program a shortcut starts.
std::wstring ShortcutTarget(const std::wstring& link) {
    wchar_t target[MAX_PATH] = {};
    inboxhop::ComPtr<IShellLinkW> shell;
    inboxhop::ComPtr<IPersistFile> file;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   shell.put_void())) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, file.put_void())) &&
        SUCCEEDED(file->Load(link.c_str(), STGM_READ))) {
        shell->GetPath(target, MAX_PATH, nullptr, 0);
    }
    return target;
}

// A folder (none: no folder) and all in it refusing writing under Wine while this lives: the Linux "immutable"
// attribute, set by chattr. Wine gives no handle to wait on for a Linux program: a file beside the folder tells.
struct Unwritable {
    explicit Unwritable(const std::wstring& folder) : folder(folder), ok(folder.empty() || Set(true)) {}
    ~Unwritable() {
        if (!folder.empty()) Set(false);
    }
    bool Set(bool immutable) const {
        using UnixName = char*(CDECL*)(const wchar_t*);
        auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        auto unix = [&](const std::wstring& path) {
            char* name = unixName(path.c_str());
            const std::string text = name ? name : "";
            HeapFree(GetProcessHeap(), 0, name);
            return std::wstring(text.begin(), text.end());  // the test folders' names are ASCII
        };
        const std::wstring done = folder + L".chattr-done";
        std::wstring line = L"sh -c \"chattr -R " + std::wstring(immutable ? L"+i '" : L"-i '") + unix(folder) +
                            L"' && touch '" + unix(done) + L"'\"";
        DeleteFileW(done.c_str());
        StartedProcess chattr(L"Z:\\bin\\sh", line);
        bool changed = WaitUntil([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, kWaitMs);
        DeleteFileW(done.c_str());
        return changed;
    }
    const std::wstring folder;
    const bool ok;
};

// The attributes of the associations file's Association elements, read with the system's XML reader; nothing when
// the file is not well-formed.
std::optional<std::vector<std::map<std::wstring, std::wstring>>> ReadAssociations(const std::wstring& path) {
    using Create = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
    auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"xmllite.dll"), "CreateXmlReader")));
    inboxhop::ComPtr<IStream> stream;
    inboxhop::ComPtr<IXmlReader> reader;
    if (!create ||
        FAILED(SHCreateStreamOnFileW(path.c_str(), STGM_READ, reinterpret_cast<IStream**>(stream.put_void()))) ||
        FAILED(create(__uuidof(IXmlReader), reader.put_void(), nullptr)) || FAILED(reader->SetInput(stream.get()))) {
        return std::nullopt;
    }
    std::vector<std::map<std::wstring, std::wstring>> found;
    XmlNodeType node;
    HRESULT status;
    const wchar_t *name = nullptr, *value = nullptr;
    while ((status = reader->Read(&node)) == S_OK) {
        if (node != XmlNodeType_Element || FAILED(reader->GetLocalName(&name, nullptr)) ||
            std::wstring(name) != L"Association") {
            continue;
        }
        auto& attributes = found.emplace_back();
        for (HRESULT more = reader->MoveToFirstAttribute(); more == S_OK; more = reader->MoveToNextAttribute()) {
            reader->GetLocalName(&name, nullptr);
            reader->GetValue(&value, nullptr);
            attributes[name] = value;
        }
    }
    if (FAILED(status)) return std::nullopt;
    return found;
}

// What an installation of one mode has on the machine: its files (the program's bytes too), its shortcut, its
// uninstall entry and the mail-link keys under its root.
struct Installation {
    std::vector<std::wstring> files;
    std::string program;
    std::wstring shortcutTarget;
    std::optional<KeyTree> entry, client, progId, mailtoClass;
    std::optional<RawValue> registeredApp;
    std::optional<KeyTree> record;
    bool operator==(const Installation&) const = default;
};
Installation ReadInstallation(HKEY root, const std::wstring& folder, const std::wstring& shortcut) {
    return {FilesIn(folder), ReadFileBytes(folder + L"\\Inboxhop.exe").value_or(""), Lower(ShortcutTarget(shortcut)),
            ReadTree(root, kUninstallKey), ReadTree(root, kClientKey), ReadTree(root, kProgIdKey),
            ReadTree(root, kMailtoClassKey), ReadRaw(root, kRegisteredApps, L"Inboxhop"),
            ReadTree(root, kVendorKey)};
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        // The machine's keys put back afterwards, and the user's keys of the same names, none there to begin with.
        for (const std::wstring& key : {kMailtoClassKey, kClientsKey + L"\\Mail", kProgIdKey,
                                        kRegisteredApps, kUninstallKey, kVendorKey}) {
            savedKeys_.push_back(std::make_unique<ScratchTree>(HKEY_LOCAL_MACHINE, key));
        }
        for (const std::wstring& key :
             {kClientsKey, kProgIdKey, kUninstallKey, kVendorKey, kMailtoClassKey, kRegisteredApps}) {
            savedKeys_.push_back(std::make_unique<ScratchTree>(HKEY_CURRENT_USER, key));
            ASSERT_TRUE(DeleteTree(HKEY_CURRENT_USER, key));
        }
        ASSERT_TRUE(browser_.ok() && previousProgram_.ok() && usersProgram_.ok());
        ASSERT_TRUE(fs::exists(setup_)) << "no installer: cmake --build --preset windows --target package";
        ASSERT_TRUE(savedKeys_.front()->saved().has_value()) << "the system's mailto class is missing";
        ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail", L"", L"Native Mail Client"));
        for (const std::wstring& key : {kClientKey, kProgIdKey, kUninstallKey, kVendorKey}) {
            ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, key));
        }
        ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop"));
        // Another mail program's command, with a variable to expand, as Windows' own commands have.
        ASSERT_TRUE(WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", previous_));
        ASSERT_TRUE(option_.Set(L"3"));
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        std::error_code error;  // whatever a failed run left
        for (const auto& path : {folder_, Shortcut(), UserFolder(), UserShortcut()}) fs::remove_all(path, error);
        CoUninitialize();
    }

    // As the shell passes it: /D= comes last and unquoted, spaces and all.
    void Install() { ASSERT_EQ(RunToEnd(setup_, L" /S /D=" + folder_), 0u); }
    // As deployment tools do: the entry's quiet command, which ends with the uninstaller's exit code and leaves no
    // copy of the uninstaller in the temporary folder.
    void Uninstall(HKEY root = HKEY_LOCAL_MACHINE) {
        ASSERT_EQ(RunEntryCommand(root, L"QuietUninstallString"), 0u);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        for (const auto& file : fs::directory_iterator(temp)) {
            EXPECT_NE(file.path().filename().wstring().rfind(L"Inboxhop-uninstall", 0), 0u) << file.path();
        }
    }
    Installation ReadMachineInstallation() { return ReadInstallation(HKEY_LOCAL_MACHINE, folder_, Shortcut()); }
    Installation ReadUserInstallation() { return ReadInstallation(HKEY_CURRENT_USER, UserFolder(), UserShortcut()); }

    // The machine's installation, or (in the user's root) the user's.
    void ExpectNothingOfTheInstallationLeft(HKEY root = HKEY_LOCAL_MACHINE) {
        const std::wstring folder = root == HKEY_LOCAL_MACHINE ? folder_ : UserFolder();
        EXPECT_FALSE(fs::exists(folder)) << FilesIn(folder).size() << " files left";
        EXPECT_FALSE(fs::exists(root == HKEY_LOCAL_MACHINE ? Shortcut() : UserShortcut()));
        for (const std::wstring& key : {kUninstallKey, kClientKey, kProgIdKey, kVendorKey}) {
            EXPECT_FALSE(KeyExists(root, key)) << key;
        }
        for (const auto& mention : Mentions({folder})) ADD_FAILURE() << "still names the installation: " << mention;
        EXPECT_FALSE(ReadRaw(root, kRegisteredApps, L"Inboxhop").has_value());
        // The user's keys above these, made by the installer, go when empty.
        EXPECT_FALSE(root == HKEY_CURRENT_USER && KeyExists(root, kClientsKey));
        EXPECT_FALSE(root == HKEY_CURRENT_USER && KeyExists(root, kRegisteredApps));
        // Left alone: the machine's preferred client and the user's choice.
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail", L""), L"Native Mail Client");
        EXPECT_EQ(option_.Read(), L"3");
    }

    const std::wstring setup_ = BuildFolder() + L"\\" INBOXHOP_SETUP_FILE;
    // Spaces, and what the command processor of the uninstall commands must take as letters.
    const std::wstring folder_ =
        SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Inbox hop & co (^!) " + std::to_wstring(GetTickCount());
    const std::wstring link_ = L"\"" + folder_ + L"\\Inboxhop.exe\" \"%1\"";
    const RawValue previous_ = TextValue(L"\"%ProgramFiles%\\Other Mail\\mail.exe\" /compose \"%1\"", REG_EXPAND_SZ);
    // The programs of the earlier commands are there.
    ProgramFile previousProgram_{SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Other Mail\\mail.exe"};
    ProgramFile usersProgram_{L"C:\\Users Mail\\mail.exe"};

    ScratchOption option_;
    RecorderAsBrowser browser_;
    std::vector<std::unique_ptr<ScratchTree>> savedKeys_;
};

// No installer installs into a folder whose name holds a % any more; one that an earlier version installed there (made
// here by moving an installation) still uninstalls.
TEST_F(Installer, UninstallsFromAFolderWithPercentSigns) {
    const std::wstring folder = folder_ + L" 100% %OS%";
    ASSERT_EQ(RunToEnd(setup_, L" /S /MAILLINKS=0 /D=" + folder_), 0u);
    ASSERT_TRUE(MoveFileW(folder_.c_str(), folder.c_str()));
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", folder));
    EXPECT_EQ(RunToEnd(folder + L"\\Uninstall.exe", L" /S _?=" + folder), 0u);
    fs::remove(folder + L"\\Uninstall.exe");  // run in place, it cannot delete itself
    fs::remove(folder);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(Installer, InstallsTwiceRegistersAsThePressDoesAndUninstallsWithoutATrace) {
    Install();
    Install();  // an upgrade over itself

    // The files, one shortcut, one uninstall entry and its values.
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::wstring>{L"HAND-M.CUR", L"Inboxhop.exe", L"InboxhopAssociations.xml",
                                                           L"Uninstall.exe"}));
    const std::string program = ReadFileBytes(ProgramPath()).value_or("");
    EXPECT_TRUE(!program.empty() && ReadFileBytes(folder_ + L"\\Inboxhop.exe") == program);
    EXPECT_EQ(FilesIn(SystemFolder(CSIDL_COMMON_PROGRAMS), L"Inboxhop"), std::vector<std::wstring>{L"Inboxhop.lnk"});
    EXPECT_EQ(Lower(ShortcutTarget(Shortcut())), Lower(folder_ + L"\\Inboxhop.exe"));
    EXPECT_EQ(UninstallEntries().size(), 1u);
    const std::pair<const wchar_t*, RawValue> entryValues[] = {
        {L"DisplayName", TextValue(L"Inboxhop")}, {L"DisplayVersion", TextValue(INBOXHOP_MSI_VERSION)},
        {L"Publisher", TextValue(L"Kestrelon")}, {L"DisplayIcon", TextValue(folder_ + L"\\Inboxhop.exe,0")},
        {L"InstallLocation", TextValue(folder_)}, {L"NoModify", NumberValue(1)}, {L"NoRepair", NumberValue(1)},
    };
    for (const auto& [name, expected] : entryValues) {
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, name), expected) << name;
    }
    // The uninstall commands run a copy of the installation's uninstaller in place, and the quiet one silently (the
    // uninstalls below run it; the folder's name holds what the command processor must take as letters).
    const std::wstring uninstall = ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString").value_or(L"");
    const size_t at = uninstall.find(L" _?=");
    ASSERT_NE(at, std::wstring::npos) << uninstall;
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"),
              uninstall.substr(0, at) + L" /S" + uninstall.substr(at));
    auto size = ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize");
    ASSERT_TRUE(size && size->type == REG_DWORD && size->data.size() == 4);
    EXPECT_GE(*reinterpret_cast<const DWORD*>(size->data.data()), program.size() / 1024);

    // "Use Inboxhop for mail links", on by default: the Default-apps registration here (the press's own keys are
    // compared with the press below), and the mailto command.
    std::vector<ExpectedValue> written = DefaultAppsValues(folder_ + L"\\Inboxhop.exe");
    written.push_back({kMailtoCommandKey, L"", TextValue(link_)});
    for (const ExpectedValue& e : written) {
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, e.key, e.name), e.value) << e.key << " " << e.name;
    }

    // The associations file for administrators names what was registered.
    auto associations = ReadAssociations(folder_ + L"\\InboxhopAssociations.xml");
    ASSERT_TRUE(associations.has_value()) << "InboxhopAssociations.xml is not well-formed";
    ASSERT_EQ(associations->size(), 1u);
    EXPECT_EQ((*associations)[0][L"Identifier"], L"mailto");
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kCapabilities + L"\\URLAssociations", L"mailto"),
              TextValue((*associations)[0][L"ProgId"]));
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kCapabilities, L"ApplicationName"),
              TextValue((*associations)[0][L"ApplicationName"]));

    // The installer's keys and the press's cannot drift apart: take the installer's away, press the installed
    // program's button, compare.
    const Registration installed = ReadRegistration();
    const auto installedCommand = ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"");
    // (Another copy of Inboxhop's command: the press replaces it and leaves the record as it is.)
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", L"\"C:\\Elsewhere\\Inboxhop.exe\" \"%1\""));
    ASSERT_TRUE(RemoveRegistration());
    ASSERT_EQ(PressInstalledProgram(folder_ + L"\\Inboxhop.exe"), L"Done.");
    const Registration pressed = ReadRegistration();
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), installedCommand);
    EXPECT_TRUE(pressed.client == installed.client) << "the client keys differ";
    EXPECT_TRUE(pressed.progId == installed.progId) << "the ProgID keys differ";
    EXPECT_EQ(pressed.application, installed.application);
    // The installer's registration again, for the uninstaller to take away.
    ASSERT_TRUE(installed.application && PutTree(HKEY_LOCAL_MACHINE, kClientKey, installed.client) &&
                PutTree(HKEY_LOCAL_MACHINE, kProgIdKey, installed.progId) &&
                WriteRaw(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop", *installed.application));

    // Another program opens a mail link: the installed program hands it on.
    ShellExecuteW(nullptr, L"open", L"mailto:someone@example.com", nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(L"\"" + browser_.WaitForPage(0, kWaitMs) + L"\"",
              inboxhop::BuildComposeLink(L"3", L"someone@example.com").value());

    Uninstall();
    ExpectNothingOfTheInstallationLeft();
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), previous_) << "the noted command is not back";
}

// Another program's command stays; when it is another copy of Inboxhop's (a press of the portable program), the note
// of the command first replaced stays too, for that copy's removal.
TEST_F(Installer, UninstallLeavesAMailtoCommandThatAnotherProgramWroteSince) {
    const std::wstring record = kVendorKey + L"\\Inboxhop";
    for (const wchar_t* command : {L"\"C:\\Newer Mail\\newer.exe\" \"%1\"", L"\"D:\\Portable\\Inboxhop.exe\" \"%1\""}) {
        SCOPED_TRACE(command);
        Install();
        ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), TextValue(link_));
        ASSERT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, record, L"MailtoCommand").has_value());
        ASSERT_TRUE(WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", TextValue(command)));
        Uninstall();
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), TextValue(command));
        const bool anotherInboxhop = std::wstring(command).find(L"Inboxhop.exe") != std::wstring::npos;
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, record, L"MailtoCommand").has_value(), anotherInboxhop);
        ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, kVendorKey));
        ExpectNothingOfTheInstallationLeft();
    }
}

// Each row one install, one press of the installed program and the Apps entry's quiet uninstall: the uninstall gives
// back the handler that was really there before the last install or press, whole and with its type, only while its
// program is there, and takes away every Default-apps key, whatever spelling of the folder /D= gave.
TEST_F(Installer, EveryUninstallGivesBackTheHandlerThatWasReallyThere) {
    const std::wstring newer = SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Newer Mail\\newer.exe";
    ProgramFile newerProgram(newer);
    ASSERT_TRUE(newerProgram.ok());
    const RawValue newerCommand = TextValue(L"\"" + newer + L"\" \"%1\"");
    const RawValue longCommand = TextValue(L"\"" + newer + L"\" /x " + std::wstring(2000, L'x') + L" \"%1\"", REG_EXPAND_SZ);
    std::wstring doubled = folder_;
    doubled.insert(doubled.find_last_of(L'\\'), L"\\");
    const struct {
        const char* what;
        std::wstring folder;                  // as /D= names it
        RawValue before;                      // the command the install replaces
        std::function<bool()> meanwhile;      // after the install, before the press
        std::optional<RawValue> after;        // the command the uninstall leaves
    } rows[] = {
        {"/D= with \\\\ and a trailing \\", doubled + L"\\", previous_, [] { return true; }, previous_},
        {"a command of 2,000 characters", folder_, longCommand, [] { return true; }, longCommand},
        {"another program took the command since", folder_, previous_,
         [&] {
             previousProgram_.Remove();
             return WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", newerCommand);
         },
         newerCommand},
        {"the recorded program is gone", folder_, previous_, [&] { return previousProgram_.Remove(), true; },
         std::nullopt},
        {"a partial record", folder_, previous_,
         [&] { return DeleteValue(HKEY_LOCAL_MACHINE, kVendorKey + L"\\Inboxhop", L"MailtoCommand"); }, std::nullopt},
    };
    // An earlier installation in the same folder under another spelling (an older installer kept /D= as given): the
    // install is an upgrade in place, never a removal of the folder it has just filled.
    Install();
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", doubled + L"\\"));
    Install();
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::wstring>{L"HAND-M.CUR", L"Inboxhop.exe", L"InboxhopAssociations.xml",
                                                           L"Uninstall.exe"}));
    Uninstall();
    ExpectNothingOfTheInstallationLeft();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ProgramFile previousProgram(SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Other Mail\\mail.exe");
        ASSERT_TRUE(previousProgram.ok() && WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", row.before));
        const MailLinks before = ReadMailLinks();
        ASSERT_EQ(RunToEnd(setup_, L" /S /AllUsers /D=" + row.folder), 0u);
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation"), folder_);
        ASSERT_TRUE(row.meanwhile());
        ASSERT_EQ(PressInstalledProgram(folder_ + L"\\Inboxhop.exe"), L"Done.");
        Uninstall();
        const MailLinks after = ReadMailLinks();
        EXPECT_EQ(after.command, row.after);
        EXPECT_TRUE(after.client == before.client && after.progId == before.progId &&
                    after.application == before.application) << "Default-apps keys are left";
        ExpectNothingOfTheInstallationLeft();
    }
}

// Just for me, beside the machine's installation, twice: over a mailto class of the user's own that holds only a
// command, which is left exactly as it was, and with no mailto class of the user's, which goes again but for what
// another program put into it since.
TEST_F(Installer, JustForMeRegistersAsTheMachinesForTheUserAndLeavesTheMachinesAlone) {
    Install();
    const Installation machine = ReadMachineInstallation();
    ASSERT_TRUE(machine.entry);
    const std::wstring folder = UserFolder();
    const RawValue usersOwn = TextValue(L"\"C:\\Users Mail\\mail.exe\" \"%1\"");
    for (bool userHadACommand : {true, false}) {
        SCOPED_TRACE(userHadACommand ? "over the user's own mailto command" : "without a mailto class of the user's");
        if (userHadACommand) {
            ASSERT_TRUE(WriteRaw(HKEY_CURRENT_USER, kMailtoCommandKey, L"", usersOwn));
        }
        const std::optional<KeyTree> usersClass = ReadTree(HKEY_CURRENT_USER, kMailtoClassKey);
        ASSERT_EQ(RunToEnd(setup_, L" /S /CurrentUser"), 0u);

        // The files, the user's shortcut, and an entry as complete as the machine's, telling its uninstaller the mode.
        const Installation user = ReadUserInstallation();
        EXPECT_TRUE(user.files == machine.files && user.program == machine.program) << "the files differ";
        EXPECT_EQ(user.shortcutTarget, Lower(folder + L"\\Inboxhop.exe"));
        ASSERT_TRUE(user.entry);
        for (const auto& [name, value] : machine.entry->values) EXPECT_EQ(user.entry->values.count(name), 1u) << name;
        EXPECT_EQ(user.entry->values.size(), machine.entry->values.size());
        EXPECT_TRUE(ReadText(HKEY_CURRENT_USER, kUninstallKey, L"QuietUninstallString")
                        .value_or(L"")
                        .find(L" /CurrentUser /S _?=" + folder + L"&") != std::wstring::npos);
        EXPECT_TRUE(ReadMachineInstallation() == machine) << "installing for the user changed the machine's";

        // The user's keys are those of a press that the machine refuses, as it refuses a user without administrator
        // rights: take the installer's away, press the user's program, compare.
        ASSERT_TRUE(user.registeredApp);
        for (const std::wstring& key : {kClientsKey, kProgIdKey, kMailtoClassKey, kRegisteredApps}) {
            ASSERT_TRUE(PutTree(HKEY_CURRENT_USER, key, std::nullopt)) << key;
        }
        {
            ReadOnlyKeys machineKeys;
            ASSERT_TRUE(machineKeys.AddEvery(inboxhop::MachineRegistrationSteps()));
            ASSERT_EQ(PressInstalledProgram(folder + L"\\Inboxhop.exe"), inboxhop::kCurrentUserDoneMessage);
        }
        const Installation pressed = ReadUserInstallation();
        EXPECT_TRUE(pressed.client == user.client) << "the client keys differ";
        EXPECT_TRUE(pressed.progId == user.progId) << "the ProgID keys differ";
        EXPECT_TRUE(pressed.mailtoClass == user.mailtoClass) << "the mailto classes differ";
        EXPECT_EQ(pressed.registeredApp, user.registeredApp);
        EXPECT_TRUE(ReadMachineInstallation() == machine) << "the press changed the machine's keys";
        // The installer's keys again, for its uninstaller to take away.
        ASSERT_TRUE(PutTree(HKEY_CURRENT_USER, kClientKey, user.client) &&
                    PutTree(HKEY_CURRENT_USER, kProgIdKey, user.progId) &&
                    PutTree(HKEY_CURRENT_USER, kMailtoClassKey, user.mailtoClass) &&
                    WriteRaw(HKEY_CURRENT_USER, kRegisteredApps, L"Inboxhop", *user.registeredApp));
        // Another mail program puts its icon into the class that the installer made: the icon stays.
        std::optional<KeyTree> classAfter = usersClass;
        if (!userHadACommand) {
            const RawValue othersIcon = TextValue(L"C:\\Other\\mail.exe,0");
            ASSERT_TRUE(WriteRaw(HKEY_CURRENT_USER, kMailtoClassKey + L"\\DefaultIcon", L"", othersIcon));
            classAfter = KeyTree{{}, {{L"DefaultIcon", KeyTree{{{L"", othersIcon}}, {}}}}};
        }

        Uninstall(HKEY_CURRENT_USER);
        ExpectNothingOfTheInstallationLeft(HKEY_CURRENT_USER);
        EXPECT_TRUE(ReadTree(HKEY_CURRENT_USER, kMailtoClassKey) == classAfter) << "the user's mailto class changed";
        if (userHadACommand) {
            EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kMailtoCommandKey, L""), usersOwn) << "the user's command is not back";
        }
        ASSERT_TRUE(DeleteTree(HKEY_CURRENT_USER, kMailtoClassKey));
        EXPECT_TRUE(ReadMachineInstallation() == machine) << "uninstalling for the user changed the machine's";
    }
    Uninstall();
    ExpectNothingOfTheInstallationLeft();
}

// /MAILLINKS=0, in either mode: the program, its shortcut and its entry, no mail-link registration; uninstalled
// without a trace. (A value other than 0 or 1 is one of the failures below.)
TEST_F(Installer, MailLinksOffInstallsTheProgramAlone) {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const bool user = root == HKEY_CURRENT_USER;
        ASSERT_EQ(RunToEnd(setup_, user ? L" /S /CurrentUser /MAILLINKS=0" : L" /S /MAILLINKS=0 /D=" + folder_), 0u);
        const Installation installed = user ? ReadUserInstallation() : ReadMachineInstallation();
        EXPECT_TRUE(installed.entry && installed.files.size() == 4u && !installed.shortcutTarget.empty());
        EXPECT_TRUE(!installed.client && !installed.progId && !installed.registeredApp) << "registered";
        EXPECT_FALSE(user && installed.mailtoClass) << "a mailto class made for the user";
        Uninstall(root);
        ExpectNothingOfTheInstallationLeft(root);
    }
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), previous_);
}

// A registration refused part way leaves the machine as it was: the install's leaves nothing behind, the press's
// falls back to the user. A removal for anyone then takes away that user's own registration too (it would win over
// the machine's), and no empty command key of the user's is left to hide the machine's.
TEST_F(Installer, ARefusedRegistrationLeavesTheMachineAsItWasAndARemovalTakesTheUsersOwn) {
    const MailLinks machineBefore = ReadMailLinks();
    {
        ReadOnlyKeys refused;
        ASSERT_TRUE(refused.Restrict(HKEY_LOCAL_MACHINE, kRegisteredApps, KEY_READ));
        EXPECT_EQ(RunToEnd(setup_, L" /S /D=" + folder_), 2u);
        EXPECT_FALSE(fs::exists(folder_));
        EXPECT_FALSE(fs::exists(Shortcut()));
        EXPECT_FALSE(ReadTree(HKEY_LOCAL_MACHINE, kUninstallKey));
        ASSERT_EQ(RunToEnd(setup_, L" /S /MAILLINKS=0 /D=" + folder_), 0u);
        ASSERT_EQ(PressInstalledProgram(folder_ + L"\\Inboxhop.exe"), inboxhop::kCurrentUserDoneMessage);
        EXPECT_TRUE(ReadMailLinks() == machineBefore);
        EXPECT_FALSE(ReadTree(HKEY_LOCAL_MACHINE, kVendorKey));
    }
    ASSERT_TRUE(ReadMailLinks(HKEY_CURRENT_USER).command);
    Uninstall();
    EXPECT_TRUE(ReadMailLinks(HKEY_CURRENT_USER) == MailLinks{});
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMailtoCommandKey));
    EXPECT_FALSE(fs::exists(folder_));
}

// Failures end non-zero and leave both installations as they were: no file, shortcut, entry or key changes, and
// each still works (its program is in place and uninstalls). The uninstallers run in place (_?=) to report.
TEST_F(Installer, FailuresEndNonZeroAndLeaveBothInstallationsAsTheyWere) {
    Install();
    ASSERT_EQ(RunToEnd(setup_, L" /S /CurrentUser"), 0u);
    const std::wstring scratch = NewScratchFolder(L"failures");
    const std::wstring blockFile = scratch + L"\\block file", readOnly = scratch + L"\\read only";
    ASSERT_TRUE(std::ofstream(fs::path(blockFile)) << "a file, not a folder");
    ASSERT_TRUE(fs::create_directory(readOnly));
    const Installation machine = ReadMachineInstallation(), user = ReadUserInstallation();
    const std::wstring quiet = ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString").value_or(L"\"\"");

    struct Failure {
        const char* what;
        std::wstring program, arguments;
        std::wstring unwritable = L"";  // a folder that refuses writing meanwhile
        std::wstring running = L"";     // a folder Inboxhop runs from meanwhile
        std::wstring readOnlyKey = L"";  // a key of the machine's that refuses writing meanwhile
        bool dllBlocked = false;         // RestoreMailLinks.dll cannot be loaded meanwhile
        bool uninstallerCrashes = false;  // the machine's Uninstall.exe ends as a crashed program meanwhile
    };
    const std::wstring uninstaller = folder_ + L"\\Uninstall.exe", uninstall = L" /S _?=" + folder_;
    const std::wstring otherDrive = SecondDriveLetter(L"C:\\");
    ASSERT_FALSE(otherDrive.empty());
    const Failure failures[] = {
        {"an upgrade in a folder that refuses writing", setup_, L" /S /D=" + folder_, folder_},
        {"just for me, the same", setup_, L" /S /CurrentUser", UserFolder()},
        {"a new folder that refuses writing", setup_, L" /S /D=" + readOnly, readOnly},
        {"just for me, the same", setup_, L" /S /CurrentUser /D=" + readOnly, readOnly},
        {"a folder below a file", setup_, L" /S /D=" + blockFile + L"\\Inboxhop"},
        {"just for me, the same", setup_, L" /S /CurrentUser /D=" + blockFile + L"\\Inboxhop"},
        {"just for me, into the folder of the installation for anyone", setup_, L" /S /CurrentUser /D=" + folder_},
        {"for anyone, into the folder of the installation just for me", setup_, L" /S /AllUsers /D=" + UserFolder()},
        {"an uninstall while Inboxhop runs", folder_ + L"\\Uninstall.exe", L" /S _?=" + folder_, L"", folder_},
        {"just for me, the same", UserFolder() + L"\\Uninstall.exe", L" /S _?=" + UserFolder(), L"", UserFolder()},
        {"an empty /D=", setup_, L" /S /D="},
        {"a /MAILLINKS= other than 0 or 1", setup_, L" /S /MAILLINKS=yes /D=" + folder_ + L" new"},
        {"the quiet uninstall command while Inboxhop runs", quiet.substr(1, quiet.find(L'"', 1) - 1),
         quiet.substr(quiet.find(L'"', 1) + 1), L"", folder_},
        {.what = "the quiet uninstall command when the uninstaller crashes",
         .program = quiet.substr(1, quiet.find(L'"', 1) - 1),
         .arguments = quiet.substr(quiet.find(L'"', 1) + 1),
         .uninstallerCrashes = true},
        {.what = "an uninstall whose mailto command refuses its give-back", .program = uninstaller,
         .arguments = uninstall, .readOnlyKey = kMailtoCommandKey},
        {.what = "an upgrade whose DLL cannot load", .program = setup_, .arguments = L" /S /D=" + folder_,
         .dllBlocked = true},
        {.what = "an uninstall whose DLL cannot load", .program = uninstaller, .arguments = uninstall,
         .dllBlocked = true},
        {.what = "a folder whose name holds %", .program = setup_,
         .arguments = L" /S /D=" + scratch + L"\\a%windir%b"},
        {.what = "just for me, into the installation for anyone's folder through another drive letter",
         .program = setup_, .arguments = L" /S /CurrentUser /D=" + otherDrive + folder_.substr(3)},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.what);
        std::optional<ShownProgram> running;
        if (!failure.running.empty()) {
            running.emplace(failure.running + L"\\Inboxhop.exe", L"", kWaitMs);
            ASSERT_TRUE(running->window());
        }
        std::optional<DWORD> code;
        {
            Unwritable unwritable(failure.unwritable);
            ASSERT_TRUE(unwritable.ok);
            ReadOnlyKeys readOnly;
            ASSERT_TRUE(failure.readOnlyKey.empty() ||
                        readOnly.Restrict(HKEY_LOCAL_MACHINE, failure.readOnlyKey, KEY_READ));
            // As AppLocker's DLL rules or an antivirus would: Wine's override stops the DLL from loading.
            ScratchTree overrides(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides");
            ASSERT_TRUE(!failure.dllBlocked ||
                        WriteText(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"RestoreMailLinks", L""));
            const std::optional<std::string> realUninstaller = ReadFileBytes(uninstaller);
            ASSERT_TRUE(!failure.uninstallerCrashes ||
                        CopyFileW((BuildFolder() + L"\\CrashingProgram.exe").c_str(), uninstaller.c_str(), FALSE));
            code = RunToEnd(failure.program, failure.arguments);
            if (failure.uninstallerCrashes) {
                ASSERT_TRUE(std::ofstream(fs::path(uninstaller), std::ios::binary) << *realUninstaller);
            }
        }
        running.reset();

        EXPECT_TRUE(code && *code != 0) << "exit code " << code.value_or(0);
        EXPECT_TRUE(ReadMachineInstallation() == machine) << "the machine's installation changed";
        EXPECT_TRUE(ReadUserInstallation() == user) << "the user's installation changed";
        EXPECT_FALSE(fs::exists(SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Inboxhop"))
            << "installed into the default folder";
    }
    fs::remove_all(scratch);
    Uninstall(HKEY_CURRENT_USER);
    ExpectNothingOfTheInstallationLeft(HKEY_CURRENT_USER);
    Uninstall();
    ExpectNothingOfTheInstallationLeft();
}

// The Windows Installer package end to end in the test prefix: install, its registration against a press, a mail
// link, upgrade, refusals (its own and the EXE installer's), removal.

// The product codes of the Windows Installer entries named Inboxhop.
std::vector<std::wstring> Entries() {
    std::vector<std::wstring> codes;
    for (const auto& [code, entry] : UninstallEntries()) {
        if (entry.values.count(L"WindowsInstaller")) codes.push_back(code);
    }
    return codes;
}
// A product code as Windows Installer's own keys spell it: the first three groups' digits reversed, the other
// digits swapped in pairs.
std::wstring Packed(std::wstring code) {
    std::erase_if(code, [](wchar_t c) { return !std::iswxdigit(c); });
    std::reverse(code.begin(), code.begin() + 8);
    std::reverse(code.begin() + 8, code.begin() + 12);
    std::reverse(code.begin() + 12, code.begin() + 16);
    for (size_t i = 16; i + 1 < code.size(); i += 2) std::swap(code[i], code[i + 1]);
    return code;
}

class MsiPackage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(browser_.ok() && option_.Set(L"3") && fs::exists(package_) && fs::exists(newer_) &&
                    previousProgram_.ok());
        ASSERT_TRUE(RemoveRegistration() && DeleteTree(HKEY_LOCAL_MACHINE, kVendorKey));
        // Another program's registered application and mail-link command stay.
        ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Other", L"SOFTWARE\\Other") &&
                    WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", previous_));
    }
    void TearDown() override {
        for (const std::wstring& code : Entries()) Msiexec(L"/x " + code + L" /qn");  // what a failed run left
    }
    // msiexec with these arguments and a verbose log; its message boxes are kept and answered.
    std::optional<DWORD> Msiexec(const std::wstring& arguments) {
        fs::remove(log_);
        std::vector<SeenBox> boxes;
        auto code = RunToEnd(msiexec_, L" " + arguments + L" /l*v \"" + log_ + L"\"", &boxes);
        box_ = boxes.empty() ? L"no box" : boxes.front().text;
        return code;
    }
    void ExpectNothingLeft(const std::vector<std::wstring>& codes) {
        EXPECT_TRUE(Entries().empty() && !fs::exists(folder_) && !fs::exists(shortcut_));
        EXPECT_TRUE(ReadRegistration() == Registration{});
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Other"), L"SOFTWARE\\Other");
        EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"") == previous_) << "the earlier command is not back";
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kVendorKey)) << "the folder or the press's record is left";
        std::vector<std::wstring> texts{folder_};
        for (const std::wstring& code : codes) {
            texts.insert(texts.end(), {code, Packed(code)});
            EXPECT_FALSE(fs::exists(SystemFolder(CSIDL_WINDOWS) + L"\\Installer\\" + code)) << "the icon's folder";
        }
        for (const auto& mention : Mentions(texts)) ADD_FAILURE() << "still names the installation: " << mention;
    }

    const std::wstring msiexec_ = SystemFolder(CSIDL_SYSTEM) + L"\\msiexec.exe";
    const std::wstring log_ = NewScratchFolder(L"msi") + L"\\log.txt";
    const std::wstring package_ = BuildFolder() + L"\\" INBOXHOP_MSI_FILE;
    const std::wstring newer_ = BuildFolder() + L"\\" INBOXHOP_NEWER_MSI_FILE;
    const std::wstring setup_ = BuildFolder() + L"\\" INBOXHOP_SETUP_FILE;
    const std::wstring folder_ = SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Inboxhop";
    const std::wstring program_ = folder_ + L"\\Inboxhop.exe";
    // Wine puts a per-machine package's shortcut in the user's Start menu.
    const std::wstring shortcut_ = SystemFolder(CSIDL_PROGRAMS) + L"\\Inboxhop.lnk";
    const RawValue previous_ = TextValue(L"\"%ProgramFiles%\\Other\\mail.exe\" \"%1\"", REG_EXPAND_SZ);
    ProgramFile previousProgram_{SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Other\\mail.exe"};
    std::wstring box_;
    ScratchOption option_;
    RecorderAsBrowser browser_;
    ScratchTree mailto_{HKEY_LOCAL_MACHINE, kMailtoClassKey}, apps_{HKEY_LOCAL_MACHINE, kRegisteredApps},
        vendor_{HKEY_LOCAL_MACHINE, kVendorKey};
};

TEST_F(MsiPackage, InstallsRegistersAsThePressDoesUpgradesRefusesADowngradeAndRemovesEverything) {
    ASSERT_EQ(Msiexec(L"/i \"" + package_ + L"\" /qn"), 0u);
    ASSERT_EQ(Msiexec(L"/i \"" + package_ + L"\" /qn"), 0u);  // again: nothing changes
    const std::vector<std::wstring> installed = Entries();
    ASSERT_EQ(installed.size(), 1u);
    for (const wchar_t* file : {L"\\HAND-M.CUR", L"\\InboxhopAssociations.xml", L"\\Inboxhop.exe"}) {
        EXPECT_TRUE(fs::exists(folder_ + file)) << file;
    }
    EXPECT_EQ(fs::file_size(program_), fs::file_size(ProgramPath()));
    EXPECT_TRUE(fs::exists(shortcut_));
    std::wstring entry[4];
    for (int i = 0; const wchar_t* name : {INSTALLPROPERTY_INSTALLEDPRODUCTNAME, INSTALLPROPERTY_PUBLISHER,
                                            INSTALLPROPERTY_VERSIONSTRING, INSTALLPROPERTY_PRODUCTICON}) {
        wchar_t value[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        MsiGetProductInfoW(installed[0].c_str(), name, value, &size);
        entry[i++] = value;
    }
    EXPECT_EQ(entry[0] + L" " + entry[1] + L" " + entry[2], L"Inboxhop Kestrelon " INBOXHOP_MSI_VERSION);
    EXPECT_TRUE(fs::exists(entry[3])) << entry[3];  // the icon
    EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKeys + L"\\" + installed[0], L"NoModify") == NumberValue(1) &&
                ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKeys + L"\\" + installed[0], L"NoRepair") == NumberValue(1));

    // The registration is a press's, byte for byte, but for the mailto command, which the press takes over; the
    // removal gives the earlier command back.
    const Registration registered = ReadRegistration();
    ASSERT_TRUE(registered.client && registered.progId && registered.application);
    ASSERT_TRUE(RemoveRegistration());
    ASSERT_EQ(PressInstalledProgram(program_), L"Done.");
    EXPECT_TRUE(ReadRegistration() == registered) << "the package's keys differ from the press's";
    const RawValue pressed = TextValue(L"\"" + program_ + L"\" \"%1\"");
    ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), pressed);
    // The ProgID's command, started with a mail link, reaches the browser.
    std::wstring command =
        ReadText(HKEY_LOCAL_MACHINE, kProgIdKey + L"\\shell\\open\\command", L"").value_or(L"\"\" %1");
    command.replace(command.find(L"%1"), 2, L"mailto:someone@example.com");
    const size_t split = command.find(L'"', 1) + 1;
    const std::wstring link = inboxhop::BuildComposeLink(L"3", L"someone@example.com").value();
    EXPECT_EQ(RunProgram(browser_, command.substr(split), command.substr(1, split - 2)).addresses,
              std::vector<std::wstring>{link.substr(1, link.size() - 2)});

    // A newer version replaces it, keeping one entry; the older one then refuses.
    ASSERT_EQ(Msiexec(L"/i \"" + newer_ + L"\" /qn"), 0u);
    const std::vector<std::wstring> upgraded = Entries();
    ASSERT_EQ(upgraded.size(), 1u);
    EXPECT_NE(upgraded[0], installed[0]);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKeys + L"\\" + upgraded[0], L"DisplayVersion"),
              INBOXHOP_NEWER_MSI_VERSION);
    EXPECT_TRUE(ReadRegistration() == registered);
    // Windows removes the older package for the upgrade with UPGRADINGPRODUCTCODE set, and the command stays; Wine's
    // msiexec does not set it, so there the removal gives the command back. Either way, a press of the upgraded
    // program takes it, and the removal gives it back.
    ASSERT_EQ(PressInstalledProgram(program_), L"Done.");
    ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), pressed);
    // Started through a second drive letter for the same folder, the program names itself so: the removal still
    // knows it for the installation's.
    const std::wstring second = SecondDriveLetter(program_.substr(0, 3));
    ASSERT_FALSE(second.empty()) << "no second drive letter for " << program_.substr(0, 3);
    const std::wstring secondSpelling = second + program_.substr(3);
    ASSERT_EQ(PressInstalledProgram(secondSpelling), L"Done.");
    ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), TextValue(L"\"" + secondSpelling + L"\" \"%1\""));
    EXPECT_EQ(Msiexec(L"/i \"" + package_ + L"\" /qb"), 1603u);
    EXPECT_NE(box_.find(L"A newer version of Inboxhop is already installed"), std::wstring::npos) << box_;
    EXPECT_EQ(Entries(), upgraded);
    // The EXE installer refuses too.
    StartedProcess setup(setup_, L"\"" + setup_ + L"\" /S");
    EXPECT_EQ(setup.WaitForExit(kWaitMs), 1638u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    ASSERT_EQ(Msiexec(L"/x " + upgraded[0] + L" /qn"), 0u);
    ExpectNothingLeft({installed[0], upgraded[0]});
}

// MAILLINKS=0 installs the program alone, and its upgrade too, in the folder INSTALLDIR chose, which removal empties;
// beside the EXE installer's installation, with a MAILLINKS other than 0 or 1, or where the program cannot be written
// (a folder holds its name), nothing is installed.
TEST_F(MsiPackage, WritesNoRegistrationWithMailLinksOffAndRefusesBesideTheExeInstallerOrWhereItCannotWrite) {
    ScratchTree setupEntry(HKEY_LOCAL_MACHINE, kUninstallKey);
    ScratchTree userSetupEntry(HKEY_CURRENT_USER, kUninstallKey);
    const std::wstring blocked = NewScratchFolder(L"msi blocked"), setupFolder = L"C:\\Tools\\Inbox hop setup";
    const std::wstring chosen = NewScratchFolder(L"msi chosen") + L"\\Inbox hop";
    std::wstring doubled = chosen;
    doubled.insert(doubled.find_last_of(L'\\'), L"\\");
    fs::create_directory(blocked + L"\\Inboxhop.exe");
    const struct {
        HKEY exeInstalled;
        std::wstring arguments;
        DWORD code;
        std::wstring box;
        std::wstring folder = L"";  // where the program goes; none: the default folder
    } cases[] = {
        {nullptr, L" /qn MAILLINKS=0", 0, L"no box"},
        {nullptr, L" /qn MAILLINKS=0 \"INSTALLDIR=" + chosen + L"\"", 0, L"no box", chosen},
        // Kept in its full form.
        {nullptr, L" /qn MAILLINKS=0 \"INSTALLDIR=" + doubled + L"\\.\\\"", 0, L"no box", chosen},
        {HKEY_LOCAL_MACHINE, L" /qb", 1603, L"by its EXE installer, in " + setupFolder + L"."},
        {HKEY_CURRENT_USER, L" /qb", 1603, L"for your user account by its EXE installer, in " + setupFolder + L"."},
        {nullptr, L" /qb MAILLINKS=no", 1603, L"MAILLINKS must be 0 or 1; it was no."},
        {nullptr, L" /qn \"INSTALLDIR=" + blocked + L"\\\"", 1603, L"no box"},
        {nullptr, L" /qb \"INSTALLDIR=" + chosen + L"%windir%\"", 1603, L"has a % in its name"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.arguments);
        ASSERT_TRUE(!test.exeInstalled ||
                    WriteText(test.exeInstalled, kUninstallKey, L"InstallLocation", setupFolder));
        const std::wstring program = (test.folder.empty() ? folder_ : test.folder) + L"\\Inboxhop.exe";
        EXPECT_EQ(Msiexec(L"/i \"" + package_ + L"\"" + test.arguments), test.code);
        EXPECT_NE(box_.find(test.box), std::wstring::npos) << box_;
        EXPECT_GT(fs::file_size(log_), 0u);
        EXPECT_TRUE(ReadRegistration() == Registration{}) << "registration written";
        EXPECT_EQ(fs::exists(program), test.code == 0);
        EXPECT_EQ(std::distance(fs::directory_iterator(blocked), {}), 1);
        if (test.code == 0) {  // an upgrade, in place, keeps the program alone
            EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kVendorKey + L"\\Inboxhop", L"InstallDir"),
                      fs::path(program).parent_path().wstring() + L"\\");
            EXPECT_EQ(Msiexec(L"/i \"" + newer_ + L"\" /qn"), 0u);
            EXPECT_TRUE(fs::exists(program) && ReadRegistration() == Registration{}) << "registration written";
            // A press writes the Default-apps keys that the package did not: the removal takes them away too, and
            // gives the command back.
            ASSERT_EQ(PressInstalledProgram(program), L"Done.");
            ASSERT_FALSE(ReadRegistration() == Registration{});
            if (test.folder.empty()) {
                // A command that cannot be removed fails the removal, which Windows Installer rolls back.
                ReadOnlyKeys refused;
                ASSERT_TRUE(refused.Restrict(HKEY_LOCAL_MACHINE, kMailtoCommandKey, KEY_READ));
                EXPECT_EQ(Msiexec(L"/x \"" + newer_ + L"\" /qn"), 1603u);
                EXPECT_TRUE(fs::exists(program));
            }
            EXPECT_EQ(Msiexec(L"/x \"" + newer_ + L"\" /qn"), 0u);
            EXPECT_FALSE(fs::exists(test.folder.empty() ? folder_ : test.folder)) << "removal left files";
        }
        ASSERT_TRUE(DeleteTree(test.exeInstalled ? test.exeInstalled : HKEY_LOCAL_MACHINE, kUninstallKey));
        ExpectNothingLeft({});
    }
}

}  // namespace
