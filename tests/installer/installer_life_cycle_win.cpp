// The installer and the uninstaller, end to end in the test prefix: silent
// installs into a folder with spaces, what they leave on the machine, that
// the installer's mail-link keys are those a press of the installed program
// writes, and that the uninstaller takes away what names the installation
// and puts back the mailto command it found. Registry keys touched are put
// back afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <map>

#include "app/compose_link.h"
#include "base/scoped_win.h"
#include "file_bytes.h"
#include "installation_traces.h"
#include "program_run.h"
#include "registration_values.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

constexpr DWORD kWaitMs = 60000;
const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Inboxhop";
const std::wstring kMailtoCommandKey = L"SOFTWARE\\Classes\\mailto\\shell\\open\\command";
const std::wstring kClientKey = L"SOFTWARE\\Clients\\Mail\\Inboxhop";
const std::wstring kCapabilities = kClientKey + L"\\Capabilities";
const std::wstring kProgIdKey = L"SOFTWARE\\Classes\\Inboxhop.mailto";
const std::wstring kRegisteredApps = L"SOFTWARE\\RegisteredApplications";
const std::wstring kVendorKey = L"SOFTWARE\\Kestrelon";

std::wstring Shortcut() { return SystemFolder(CSIDL_COMMON_PROGRAMS) + L"\\Inboxhop.lnk"; }
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
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shell.put_void())) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, file.put_void())) &&
        SUCCEEDED(file->Load(link.c_str(), STGM_READ))) {
        shell->GetPath(target, MAX_PATH, nullptr, 0);
    }
    return target;
}

// The attributes of the associations file's Association elements, read with
// the system's XML reader; nothing when the file is not well-formed.
std::optional<std::vector<std::map<std::wstring, std::wstring>>> ReadAssociations(const std::wstring& path) {
    using Create = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
    auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"xmllite.dll"), "CreateXmlReader")));
    inboxhop::ComPtr<IStream> stream;
    inboxhop::ComPtr<IXmlReader> reader;
    std::optional<std::vector<std::map<std::wstring, std::wstring>>> found;
    if (create &&
        SUCCEEDED(SHCreateStreamOnFileW(path.c_str(), STGM_READ, reinterpret_cast<IStream**>(stream.put_void()))) &&
        SUCCEEDED(create(__uuidof(IXmlReader), reader.put_void(), nullptr)) && SUCCEEDED(reader->SetInput(stream.get()))) {
        found.emplace();
        XmlNodeType node;
        HRESULT status;
        const wchar_t *name = nullptr, *value = nullptr;
        while ((status = reader->Read(&node)) == S_OK) {
            if (node != XmlNodeType_Element || FAILED(reader->GetLocalName(&name, nullptr)) ||
                std::wstring(name) != L"Association") {
                continue;
            }
            auto& attributes = found->emplace_back();
            for (HRESULT more = reader->MoveToFirstAttribute(); more == S_OK; more = reader->MoveToNextAttribute()) {
                reader->GetLocalName(&name, nullptr);
                reader->GetValue(&value, nullptr);
                attributes[name] = value;
            }
        }
        if (FAILED(status)) found.reset();
    }
    return found;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(browser_.ok());
        ASSERT_TRUE(fs::exists(setup_)) << "no installer beside the tests: cmake --build --preset windows --target package";
        ASSERT_TRUE(mailtoClass_.saved().has_value()) << "the system's mailto class is missing";
        ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail", L"", L"Native Mail Client"));
        for (const std::wstring& key : {kClientKey, kProgIdKey, kUninstallKey, kVendorKey}) {
            ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, key));
        }
        ASSERT_TRUE(DeleteValue(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop"));
        // Another mail program's command, with a variable to expand, as
        // Windows' own commands have.
        ASSERT_TRUE(WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", previous_));
        ASSERT_TRUE(option_.Set(L"3"));
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override {
        std::error_code error;  // whatever a failed run left
        fs::remove_all(folder_, error);
        fs::remove(Shortcut(), error);
        CoUninitialize();
    }

    // Runs a program with exactly this command line and waits until it and
    // all it started have ended (the uninstaller hands over to a copy of
    // itself in the temporary folder and returns at once).
    static std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& arguments) {
        StartedProcess process(program, L"\"" + program + L"\"" + arguments);
        auto code = process.WaitForExit(kWaitMs);
        return process.WaitForJobToEmpty(kWaitMs) ? code : std::nullopt;
    }
    // As the shell passes it: /D= comes last and unquoted, spaces and all.
    void Install() { ASSERT_EQ(RunToEnd(setup_, L" /S /D=" + folder_), 0u); }
    void Uninstall() { ASSERT_EQ(RunToEnd(folder_ + L"\\Uninstall.exe", L" /S"), 0u); }

    // Starts the installed program, presses its push button and answers the
    // box it ends with.
    std::wstring PressInstalledProgram() {
        ShownProgram program(folder_ + L"\\Inboxhop.exe", L"", kWaitMs);
        if (!program.window()) return L"no window";
        HWND box = program.Press(kWaitMs);
        std::wstring text = box ? AnswerBox(box, kWaitMs).text : L"no box";
        program.Close(kWaitMs);
        return text;
    }

    void ExpectNothingOfTheInstallationLeft() {
        EXPECT_FALSE(fs::exists(folder_)) << FilesIn(folder_).size() << " files left";
        EXPECT_FALSE(fs::exists(Shortcut()));
        for (const std::wstring& key : {kUninstallKey, kClientKey, kProgIdKey, kVendorKey}) {
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
        }
        std::vector<std::wstring> mentions;
        FindMentions(HKEY_LOCAL_MACHINE, L"SOFTWARE", Lower(folder_), mentions);
        FindMentions(HKEY_CURRENT_USER, L"Software", Lower(folder_), mentions);
        for (const std::wstring& mention : mentions) ADD_FAILURE() << "still names the installation: " << mention;
        EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kRegisteredApps, L"Inboxhop").has_value());
        // Left alone: the machine's preferred client and the user's choice.
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail", L""), L"Native Mail Client");
        EXPECT_EQ(option_.Read(), L"3");
    }

    const std::wstring setup_ = BuildFolder() + L"\\" INBOXHOP_SETUP_FILE;
    const std::wstring folder_ = SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Inbox hop " + std::to_wstring(GetTickCount());
    const std::wstring link_ = L"\"" + folder_ + L"\\Inboxhop.exe\" \"%1\"";
    const RawValue previous_ = TextValue(L"\"%ProgramFiles%\\Other Mail\\mail.exe\" /compose \"%1\"", REG_EXPAND_SZ);

    ScratchOption option_;
    RecorderAsBrowser browser_;
    ScratchTree mailtoClass_{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\mailto"};
    ScratchTree mailClients_{HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail"};
    ScratchTree progId_{HKEY_LOCAL_MACHINE, kProgIdKey};
    ScratchTree registeredApps_{HKEY_LOCAL_MACHINE, kRegisteredApps};
    ScratchTree uninstallEntry_{HKEY_LOCAL_MACHINE, kUninstallKey};
    ScratchTree vendor_{HKEY_LOCAL_MACHINE, kVendorKey};
};

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
    auto entries = ReadTree(HKEY_LOCAL_MACHINE, kUninstallKey.substr(0, kUninstallKey.rfind(L'\\')));
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(std::count_if(entries->subkeys.begin(), entries->subkeys.end(),
                            [](const auto& entry) { return entry.second.values.count(L"DisplayName") &&
                                                           entry.second.values.at(L"DisplayName") == TextValue(L"Inboxhop"); }),
              1);
    const std::wstring uninstaller = L"\"" + folder_ + L"\\Uninstall.exe\"";
    const std::wstring icon = folder_ + L"\\Inboxhop.exe,0";
    const std::pair<const wchar_t*, RawValue> entryValues[] = {
        {L"DisplayName", TextValue(L"Inboxhop")},         {L"DisplayVersion", TextValue(L"7.00")},
        {L"Publisher", TextValue(L"Kestrelon")},          {L"DisplayIcon", TextValue(icon)},
        {L"InstallLocation", TextValue(folder_)},         {L"UninstallString", TextValue(uninstaller)},
        {L"QuietUninstallString", TextValue(uninstaller + L" /S")},
        {L"NoModify", NumberValue(1)},                    {L"NoRepair", NumberValue(1)},
    };
    for (const auto& [name, expected] : entryValues) {
        EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, name), expected) << name;
    }
    auto size = ReadRaw(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize");
    ASSERT_TRUE(size && size->type == REG_DWORD && size->data.size() == 4);
    EXPECT_GE(*reinterpret_cast<const DWORD*>(size->data.data()), program.size() / 1024);

    // "Use Inboxhop for mail links", on by default: the Default-apps
    // registration here (the press's own keys are compared with the press
    // below), and the mailto command.
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

    // The installer's keys and the press's cannot drift apart: take the
    // installer's away, press the installed program's button, compare.
    const Registration installed = ReadRegistration();
    const auto installedCommand = ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"");
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", L"placeholder"));
    ASSERT_TRUE(RemoveRegistration());
    ASSERT_EQ(PressInstalledProgram(), L"Done.");
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

TEST_F(Installer, UninstallLeavesAMailtoCommandThatAnotherProgramWroteSince) {
    Install();
    ASSERT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), TextValue(link_));
    const RawValue other = TextValue(L"\"C:\\Newer Mail\\newer.exe\" \"%1\"");
    ASSERT_TRUE(WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", other));

    Uninstall();
    ExpectNothingOfTheInstallationLeft();
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L""), other);
}

}  // namespace
