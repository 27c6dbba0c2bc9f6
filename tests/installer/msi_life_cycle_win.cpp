// The Windows Installer package, end to end in the test prefix: a silent
// per-machine install, its registration compared with a press of the
// installed program, a mail link through the registered command, a major
// upgrade, a refused downgrade, the installs that must write no registration
// or nothing at all, and removals that leave nothing naming the installation.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/compose_link.h"
#include "base/product.h"
#include "program_run.h"
#include "registry_result_box.h"
#include "registry_tree.h"
#include "ui/form1.h"
#include "window_driving.h"
#include "windows_seen.h"
#include "wine_process.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

constexpr DWORD kWaitMs = 60000;
const std::wstring kUninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::wstring kMailtoCommandKey = L"SOFTWARE\\Classes\\mailto\\shell\\open\\command";
const std::wstring kProgIdKey = L"SOFTWARE\\Classes\\Inboxhop.mailto";
const std::wstring kRegisteredApps = L"SOFTWARE\\RegisteredApplications";

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}
std::wstring FolderOf(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
    return path;
}
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}
std::string FileBytes(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
// The Start menu shortcuts named Inboxhop, all users' and this user's: Wine
// puts a per-machine package's in the user's menu.
std::vector<std::wstring> Shortcuts() {
    std::vector<std::wstring> found;
    for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        if (fs::exists(FolderOf(folder) + L"\\Inboxhop.lnk")) found.push_back(FolderOf(folder) + L"\\Inboxhop.lnk");
    }
    return found;
}
std::wstring ShortcutTarget(const std::wstring& link) {
    wchar_t target[MAX_PATH] = {};
    IShellLinkW* shell = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shell))) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(link.c_str(), STGM_READ))) {
        shell->GetPath(target, MAX_PATH, nullptr, 0);
    }
    if (file) file->Release();
    if (shell) shell->Release();
    return target;
}
// Every key name and value below `path` that mentions `text` (lower case).
void FindMentions(const std::wstring& path, const std::wstring& text, std::vector<std::wstring>& found) {
    auto tree = ReadTree(HKEY_LOCAL_MACHINE, path);
    if (!tree) return;
    for (const auto& [name, value] : tree->values) {
        std::wstring line = name + L"=" + std::wstring(reinterpret_cast<const wchar_t*>(value.data.data()),
                                                       value.data.size() / sizeof(wchar_t));
        if (Lower(line).find(text) != std::wstring::npos) found.push_back(path + L" " + line);
    }
    for (const auto& [name, subkey] : tree->subkeys) {
        if (Lower(name).find(text) != std::wstring::npos) found.push_back(path + L"\\" + name);
        FindMentions(path + L"\\" + name, text, found);
    }
}

// Inboxhop's own registration: the client, the ProgID and the registered
// application's entry.
struct Registration {
    std::optional<KeyTree> client, progId;
    std::optional<RawValue> application;
    bool operator==(const Registration&) const = default;
};
Registration ReadRegistration() {
    return {ReadTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail\\Inboxhop"), ReadTree(HKEY_LOCAL_MACHINE, kProgIdKey),
            ReadRaw(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop")};
}
// The Windows Installer entries of Inboxhop: their keys, named by product code.
std::vector<std::wstring> Entries() {
    std::vector<std::wstring> codes;
    for (const auto& [code, entry] : ReadTree(HKEY_LOCAL_MACHINE, kUninstall).value_or(KeyTree{}).subkeys) {
        if (entry.values.count(L"WindowsInstaller") && entry.values.count(L"DisplayName") &&
            entry.values.at(L"DisplayName") == TextValue(L"Inboxhop")) {
            codes.push_back(code);
        }
    }
    return codes;
}

class MsiPackage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(browser_.ok());
        ASSERT_TRUE(fs::exists(package_) && fs::exists(newer_)) << "no MSI packages beside the tests";
        ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail\\Inboxhop") &&
                    DeleteTree(HKEY_LOCAL_MACHINE, kProgIdKey) && DeleteValue(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop"));
        // Another program's registration and mail-link command, which stay.
        ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Other Mail", L"SOFTWARE\\Other Mail\\Capabilities"));
        ASSERT_TRUE(WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", previous_));
        ASSERT_TRUE(option_.Set(L"3"));
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        for (const std::wstring& code : Entries()) Msiexec(L"/x " + code + L" /qn");  // whatever a failed run left
        CoUninitialize();
    }

    // Runs msiexec with these arguments and a verbose log, answering its
    // message boxes with OK; its exit code.
    std::optional<DWORD> Msiexec(const std::wstring& arguments) {
        const std::wstring msiexec = FolderOf(CSIDL_SYSTEM) + L"\\msiexec.exe";
        fs::remove(log_);
        StartedProcess process(msiexec, L"\"" + msiexec + L"\" " + arguments + L" /l*v \"" + log_ + L"\"");
        WindowWatcher watcher(process.pid());
        auto code = process.WaitForExit(kWaitMs, [&] { watcher.Tick(); });
        boxes_ = watcher.boxes();
        return process.WaitForJobToEmpty(kWaitMs) ? code : std::nullopt;
    }
    std::wstring Box() const { return boxes_.empty() ? L"no box" : boxes_.front().text; }

    std::wstring PressInstalledProgram() {
        StartedProcess process(program_, L"\"" + program_ + L"\"");
        HWND form = WaitForWindow(process.pid(), inboxhop::kForm1Class, L"", kWaitMs);
        if (!form || !BringToForeground(form)) return L"no window";
        ClickAt(form, CentreInParent(GetDlgItem(form, inboxhop::kPushButton1Id)));
        HWND box = WaitForMessageBox(process.pid(), kWaitMs);
        std::wstring text = box ? ReadResultBox(box).text : L"no box";
        if (box) PressOk(box);
        PostMessageW(form, WM_CLOSE, 0, 0);
        process.WaitForExit(kWaitMs);
        return text;
    }

    void ExpectNothingLeft(const std::vector<std::wstring>& codes) {
        EXPECT_TRUE(Entries().empty());
        EXPECT_FALSE(fs::exists(folder_));
        EXPECT_TRUE(Shortcuts().empty());
        EXPECT_TRUE(ReadRegistration() == Registration{}) << "registration left";
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Other Mail"), L"SOFTWARE\\Other Mail\\Capabilities");
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), previous_);
        std::vector<std::wstring> mentions;
        for (const std::wstring& text : codes) FindMentions(L"SOFTWARE", Lower(text), mentions);
        FindMentions(L"SOFTWARE", Lower(folder_), mentions);
        for (const std::wstring& mention : mentions) ADD_FAILURE() << "still names the installation: " << mention;
    }

    const std::wstring package_ = BuildFolder() + L"\\" INBOXHOP_MSI_FILE;
    const std::wstring newer_ = BuildFolder() + L"\\" INBOXHOP_NEWER_MSI_FILE;
    const std::wstring folder_ = FolderOf(CSIDL_PROGRAM_FILES) + L"\\Inboxhop";
    const std::wstring program_ = folder_ + L"\\Inboxhop.exe";
    const std::wstring log_ = NewScratchFolder(L"msi log") + L"\\msiexec.log";
    const RawValue previous_ = TextValue(L"\"%ProgramFiles%\\Other Mail\\mail.exe\" /compose \"%1\"", REG_EXPAND_SZ);
    std::vector<WindowWatcher::Box> boxes_;

    ScratchOption option_;
    RecorderAsBrowser browser_;
    ScratchTree mailtoClass_{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\mailto"};
    ScratchTree registeredApps_{HKEY_LOCAL_MACHINE, kRegisteredApps};
};

TEST_F(MsiPackage, InstallsRegistersAsThePressDoesUpgradesRefusesADowngradeAndRemovesEverything) {
    ASSERT_EQ(Msiexec(L"/i \"" + package_ + L"\" /qn"), 0u);
    ASSERT_EQ(Msiexec(L"/i \"" + package_ + L"\" /qn"), 0u);  // the same package again changes nothing
    const std::vector<std::wstring> installed = Entries();
    ASSERT_EQ(installed.size(), 1u);
    EXPECT_EQ(FilesIn(folder_), (std::vector<std::wstring>{L"HAND-M.CUR", L"Inboxhop.exe", L"InboxhopAssociations.xml"}));
    EXPECT_EQ(FileBytes(program_), FileBytes(ProgramPath()));
    ASSERT_EQ(Shortcuts().size(), 1u);
    EXPECT_EQ(Lower(ShortcutTarget(Shortcuts()[0])), Lower(program_));
    const std::wstring entry = kUninstall + L"\\" + installed[0];
    const std::pair<const wchar_t*, RawValue> entryValues[] = {
        {L"DisplayName", TextValue(L"Inboxhop")}, {L"DisplayVersion", TextValue(INBOXHOP_MSI_VERSION)},
        {L"Publisher", TextValue(L"Kestrelon")},  {L"NoModify", NumberValue(1)}, {L"NoRepair", NumberValue(1)}};
    for (const auto& [name, expected] : entryValues) {
        EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, entry, name) == expected) << name;
    }
    // The entry's icon (Windows writes it as DisplayIcon too; Wine does not).
    wchar_t icon[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    EXPECT_EQ(MsiGetProductInfoW(installed[0].c_str(), INSTALLPROPERTY_PRODUCTICON, icon, &size), 0u);
    EXPECT_TRUE(fs::exists(icon)) << icon;

    // The registration is a press's keys, byte for byte; the mailto command,
    // which the press writes too, is left to the user and the associations file.
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), previous_);
    const Registration registered = ReadRegistration();
    ASSERT_TRUE(registered.client && registered.progId && registered.application);
    ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail\\Inboxhop") &&
                DeleteTree(HKEY_LOCAL_MACHINE, kProgIdKey) && DeleteValue(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop"));
    ASSERT_EQ(PressInstalledProgram(), L"Done.");
    EXPECT_TRUE(ReadRegistration() == registered) << "the package's keys differ from the press's";
    ASSERT_TRUE(WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", previous_));

    // The ProgID's command, started with a mail link, reaches the browser.
    std::wstring command = ReadText(HKEY_LOCAL_MACHINE, kProgIdKey + L"\\shell\\open\\command", L"").value_or(L"");
    ASSERT_NE(command.find(L"%1"), std::wstring::npos);
    command.replace(command.find(L"%1"), 2, L"mailto:someone@example.com");
    StartedProcess handOff(program_, command);
    ASSERT_TRUE(handOff.WaitForJobToEmpty(kWaitMs) && browser_.WaitForAddresses(1, kWaitMs));
    auto addresses = browser_.Addresses();
    std::erase(addresses, std::wstring(inboxhop::kHomePage));
    ASSERT_EQ(addresses.size(), 1u);
    EXPECT_EQ(L"\"" + addresses[0] + L"\"", inboxhop::BuildComposeLink(L"3", L"someone@example.com").value());

    // A newer version replaces it in place; the older one then refuses.
    ASSERT_EQ(Msiexec(L"/i \"" + newer_ + L"\" /qn"), 0u);
    const std::vector<std::wstring> upgraded = Entries();
    ASSERT_EQ(upgraded.size(), 1u);
    EXPECT_NE(upgraded[0], installed[0]);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + upgraded[0], L"DisplayVersion"), INBOXHOP_NEWER_MSI_VERSION);
    EXPECT_TRUE(ReadRegistration() == registered);
    EXPECT_EQ(Msiexec(L"/i \"" + package_ + L"\" /qb"), 1603u);
    EXPECT_NE(Box().find(L"A newer version of Inboxhop is already installed"), std::wstring::npos) << Box();
    EXPECT_EQ(Entries(), upgraded);

    ASSERT_EQ(Msiexec(L"/x " + upgraded[0] + L" /qn"), 0u);
    ExpectNothingLeft({installed[0], upgraded[0]});
}

// Installs that write no registration: MAILLINKS=0 installs the program
// alone; beside the EXE installer's installation, and into a folder where the
// program cannot be written (a folder holds its name), nothing is installed.
TEST_F(MsiPackage, WritesNoRegistrationWithMailLinksOffAndRefusesBesideTheExeInstallerOrWhereItCannotWrite) {
    ScratchTree setupEntry(HKEY_LOCAL_MACHINE, kUninstall + L"\\Inboxhop");
    const std::wstring setupFolder = L"C:\\Tools\\Inbox hop setup";
    const std::wstring blocked = NewScratchFolder(L"msi blocked");
    fs::create_directory(blocked + L"\\Inboxhop.exe");
    struct Case {
        const wchar_t* what;
        bool exeInstalled;
        std::wstring arguments;
        DWORD code;
        std::wstring box;
    } const cases[] = {
        {L"MAILLINKS=0", false, L" /qn MAILLINKS=0", 0, L"no box"},
        {L"EXE installer's", true, L" /qb", 1603, L"by its EXE installer"},
        {L"blocked folder", false, L" /qn \"INSTALLDIR=" + blocked + L"\\\"", 1603, L"no box"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ASSERT_TRUE(!test.exeInstalled || WriteText(HKEY_LOCAL_MACHINE, kUninstall + L"\\Inboxhop", L"InstallLocation", setupFolder));
        EXPECT_EQ(Msiexec(L"/i \"" + package_ + L"\"" + test.arguments), test.code);
        EXPECT_NE(Box().find(test.box), std::wstring::npos) << Box();
        EXPECT_TRUE(test.box == L"no box" || Box().find(L"in " + setupFolder + L".") != std::wstring::npos) << Box();
        EXPECT_GT(fs::file_size(log_), 0u);
        EXPECT_TRUE(ReadRegistration() == Registration{}) << "registration written";
        EXPECT_EQ(FilesIn(folder_).size(), test.code ? 0u : 3u);
        EXPECT_EQ(FilesIn(blocked), std::vector<std::wstring>{L"Inboxhop.exe"});
        if (test.code == 0) {
            EXPECT_EQ(Msiexec(L"/x \"" + package_ + L"\" /qn"), 0u);
        }
        ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, kUninstall + L"\\Inboxhop"));
        ExpectNothingLeft({});
    }
}

}  // namespace
