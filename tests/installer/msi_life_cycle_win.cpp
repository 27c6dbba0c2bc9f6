// The Windows Installer package end to end in the test prefix: install, its
// registration against a press, a mail link, upgrade, refusals (its own and
// the EXE installer's), removal.
#include <gtest/gtest.h>

#include <windows.h>
#include <msi.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>

#include "app/compose_link.h"
#include "installation_traces.h"
#include "program_run.h"

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

// The product codes of the Windows Installer entries named Inboxhop.
std::vector<std::wstring> Entries() {
    std::vector<std::wstring> codes;
    for (const auto& [code, entry] : UninstallEntries()) {
        if (entry.values.count(L"WindowsInstaller")) codes.push_back(code);
    }
    return codes;
}
// A product code as Windows Installer's own keys spell it: the first three
// groups' digits reversed, the other digits swapped in pairs.
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
        ASSERT_TRUE(browser_.ok() && option_.Set(L"3") && fs::exists(package_) && fs::exists(newer_));
        ASSERT_TRUE(RemoveRegistration());
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
        EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"") == previous_);
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
    const std::wstring folder_ = SystemFolder(CSIDL_PROGRAM_FILES) + L"\\Inboxhop", program_ = folder_ + L"\\Inboxhop.exe";
    // Wine puts a per-machine package's shortcut in the user's Start menu.
    const std::wstring shortcut_ = SystemFolder(CSIDL_PROGRAMS) + L"\\Inboxhop.lnk";
    const RawValue previous_ = TextValue(L"\"%ProgramFiles%\\Other\\mail.exe\" \"%1\"", REG_EXPAND_SZ);
    std::wstring box_;
    ScratchOption option_;
    RecorderAsBrowser browser_;
    ScratchTree mailto_{HKEY_LOCAL_MACHINE, kMailtoClassKey}, apps_{HKEY_LOCAL_MACHINE, kRegisteredApps};
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

    // The registration is a press's, byte for byte, but for the mailto command.
    const Registration registered = ReadRegistration();
    ASSERT_TRUE(registered.client && registered.progId && registered.application);
    ASSERT_TRUE(RemoveRegistration());
    ASSERT_EQ(PressInstalledProgram(program_), L"Done.");
    EXPECT_TRUE(ReadRegistration() == registered) << "the package's keys differ from the press's";
    ASSERT_TRUE(WriteRaw(HKEY_LOCAL_MACHINE, kMailtoCommandKey, L"", previous_));

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

// MAILLINKS=0 installs the program alone, and its upgrade too; beside the
// EXE installer's installation, or where the program cannot be written (a
// folder holds its name), nothing is installed.
TEST_F(MsiPackage, WritesNoRegistrationWithMailLinksOffAndRefusesBesideTheExeInstallerOrWhereItCannotWrite) {
    ScratchTree setupEntry(HKEY_LOCAL_MACHINE, kUninstallKey);
    const std::wstring blocked = NewScratchFolder(L"msi blocked"), setupFolder = L"C:\\Tools\\Inbox hop setup";
    fs::create_directory(blocked + L"\\Inboxhop.exe");
    const struct {
        bool exeInstalled;
        std::wstring arguments;
        DWORD code;
        std::wstring box;
    } cases[] = {
        {false, L" /qn MAILLINKS=0", 0, L"no box"},
        {true, L" /qb", 1603, L"by its EXE installer, in " + setupFolder + L"."},
        {false, L" /qn \"INSTALLDIR=" + blocked + L"\\\"", 1603, L"no box"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.arguments);
        ASSERT_TRUE(!test.exeInstalled ||
                    WriteText(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation", setupFolder));
        EXPECT_EQ(Msiexec(L"/i \"" + package_ + L"\"" + test.arguments), test.code);
        EXPECT_NE(box_.find(test.box), std::wstring::npos) << box_;
        EXPECT_GT(fs::file_size(log_), 0u);
        EXPECT_TRUE(ReadRegistration() == Registration{}) << "registration written";
        EXPECT_EQ(fs::exists(program_), test.code == 0);
        EXPECT_EQ(std::distance(fs::directory_iterator(blocked), {}), 1);
        if (test.code == 0) {  // an upgrade keeps the program alone
            EXPECT_EQ(Msiexec(L"/i \"" + newer_ + L"\" /qn"), 0u);
            EXPECT_TRUE(fs::exists(program_) && ReadRegistration() == Registration{}) << "registration written";
            EXPECT_EQ(Msiexec(L"/x \"" + newer_ + L"\" /qn"), 0u);
        }
        ASSERT_TRUE(DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey));
        ExpectNothingLeft({});
    }
}

}  // namespace
