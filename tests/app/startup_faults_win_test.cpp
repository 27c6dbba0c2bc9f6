// Faults met during start-up: an unreadable or mistyped stored choice, a
// broken skin file, a broken pointer file. Each shows one error report box
// naming its step, and the start goes on: a plain start still shows the
// window, a mail-link start still hands the link off and ends.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <optional>
#include <string>
#include <vector>

#include "program_run.h"
#include "registry_scratch.h"
#include "ui/form1.h"
#include "wine_process.h"

namespace {

using namespace testing_support;

constexpr wchar_t kGmailAddress[] = L"https://mail.google.com/mail/?view=cm&tf=0&to=someone@example.com&su=&fs=1";
constexpr wchar_t kMailLink[] = L" \"mailto:someone@example.com\"";

std::wstring ReportTail(int line) {
    return L"\r\nin Mailvane2021/08/31.Form1.Form_Load at line " + std::to_wstring(line) +
           L"\r\rPlease email screenshot of this message to support@kestrelon.com";
}

// Exactly one error report box, for `line`; nothing when `line` is 0.
void ExpectReports(const std::vector<WindowWatcher::Box>& boxes, int line) {
    if (line == 0) {
        EXPECT_TRUE(boxes.empty()) << boxes[0].text;
        return;
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"Application Error");
    const std::wstring tail = ReportTail(line);
    const std::wstring& text = boxes[0].text;
    ASSERT_GT(text.size(), tail.size()) << text;
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
}

// A plain start (no argument): answers every box with OK, waits until the
// main window is visible, closes it and waits for the end.
struct PlainStart {
    bool windowShown = false;
    std::optional<DWORD> exitCode;
    std::vector<WindowWatcher::Box> boxes;
};

PlainStart StartPlain(const std::wstring& program = ProgramPath()) {
    PlainStart result;
    StartedProcess process(program, L"\"" + program + L"\"");
    if (!process.started()) return result;
    WindowWatcher watcher(process.pid());
    DWORD start = GetTickCount();
    HWND window = nullptr;
    while (!window && GetTickCount() - start < 20000) {
        watcher.Tick();
        for (const SeenWindow& w : TopWindowsOf(process.pid())) {
            if (w.visible && w.className == inboxhop::kForm1Class) window = w.hwnd;
        }
        if (!window) Sleep(10);
    }
    result.windowShown = window != nullptr;
    result.boxes = watcher.boxes();
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    result.exitCode = process.WaitForExit(20000, [&] { watcher.Tick(); });
    return result;
}

class StartupFault : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(browser_.ok()) << "could not register the stand-in browser"; }

    // Both kinds of start with the fault in place: one box for `line`, and
    // the start goes on. `opensGmail`: the mail-link start still opens the
    // compose address (the fault left the stored choice alone).
    void ExpectBothStarts(int line, bool opensGmail, const std::wstring& program = ProgramPath()) {
        {
            SCOPED_TRACE("mail-link start");
            ProgramRun run = RunProgram(browser_, kMailLink, program);
            ASSERT_TRUE(run.exitCode.has_value()) << "the program did not end by itself";
            EXPECT_EQ(*run.exitCode, 0u);
            EXPECT_FALSE(run.windowShown);
            ExpectReports(run.boxes, line);
            if (opensGmail) {
                ASSERT_EQ(run.addresses.size(), 1u);
                EXPECT_EQ(run.addresses[0], kGmailAddress);
            } else {
                EXPECT_TRUE(run.addresses.empty());
            }
        }
        {
            SCOPED_TRACE("plain start");
            PlainStart run = StartPlain(program);
            EXPECT_TRUE(run.windowShown) << "the window was not shown after the fault";
            ExpectReports(run.boxes, line);
            ASSERT_TRUE(run.exitCode.has_value()) << "closing the window did not end the program";
            EXPECT_EQ(*run.exitCode, 0u);
        }
    }

    ScratchOption option_;
    RecorderAsBrowser browser_;
};

// ---- The stored choice (line 128) --------------------------------------

TEST_F(StartupFault, AStoredChoiceOfAnotherTypeIsReportedAndLeftAsItIs) {
    const struct {
        const char* name;
        RawValue value;
    } cases[] = {
        {"number", {REG_DWORD, {1, 0, 0, 0}}},
        {"bytes", {REG_BINARY, {'1', 0}}},
        {"list of texts", {REG_MULTI_SZ, {'1', 0, 0, 0, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(option_.SetRaw(c.value));
        // The choice stays empty after the failed read: the link opens nothing.
        ExpectBothStarts(128, false);
        // Nothing repairs or rewrites the value.
        auto stored = option_.ReadRawValue();
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, c.value.type);
        EXPECT_EQ(stored->data, c.value.data);
    }
}

// Denies reading values of the settings section to everyone while it lives,
// then puts the key's own permissions back.
class UnreadableSection {
public:
    UnreadableSection() {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsSectionPath, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                            &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) return;

        // Deny reading values, allow all else (so the key's permissions can
        // be put back).
        EXPLICIT_ACCESSW access[2] = {};
        wchar_t everyone[] = L"EVERYONE";
        access[0].grfAccessPermissions = KEY_QUERY_VALUE;
        access[0].grfAccessMode = DENY_ACCESS;
        access[0].Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        access[0].Trustee.ptstrName = everyone;
        access[1] = access[0];
        access[1].grfAccessPermissions = KEY_ALL_ACCESS;
        access[1].grfAccessMode = SET_ACCESS;
        PACL acl = nullptr;
        if (SetEntriesInAclW(2, access, nullptr, &acl) != ERROR_SUCCESS) return;
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
        ok_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
        LocalFree(acl);
    }
    ~UnreadableSection() {
        if (!key_) return;
        if (!saved_.empty()) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
        RegCloseKey(key_);
    }
    UnreadableSection(const UnreadableSection&) = delete;
    UnreadableSection& operator=(const UnreadableSection&) = delete;

    bool ok() const { return ok_; }

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> saved_;
    bool ok_ = false;
};

TEST_F(StartupFault, AnUnreadableSettingsSectionIsReported) {
    option_.Set(L"1");
    {
        UnreadableSection unreadable;
        ASSERT_TRUE(unreadable.ok()) << "could not take the read permission away";
        // The refusal must be real, or the test proves nothing.
        HKEY probe;
        LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsSectionPath, 0, KEY_QUERY_VALUE, &probe);
        if (status == ERROR_SUCCESS) RegCloseKey(probe);
        ASSERT_EQ(status, ERROR_ACCESS_DENIED) << "the system does not enforce the permission";

        ExpectBothStarts(128, false);
    }
    EXPECT_EQ(option_.Read(), L"1");
}

// ---- Files beside the program (lines 100 and 108) ----------------------

// A copy of the program in a fresh folder, so that files can be put beside it.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::wstring& name) : folder_(NewScratchFolder(name)) {
        ok_ = CopyProgram(ProgramPath(), program());
    }
    bool ok() const { return ok_; }
    std::wstring program() const { return folder_ + L"\\Inboxhop.exe"; }
    std::wstring path(const std::wstring& relative) const { return folder_ + L"\\" + relative; }

    bool Folder(const std::wstring& relative) const { return CreateDirectoryW(path(relative).c_str(), nullptr) != FALSE; }
    bool EmptyFile(const std::wstring& relative) const {
        HANDLE file = CreateFileW(path(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        CloseHandle(file);
        return true;
    }

private:
    std::wstring folder_;
    bool ok_ = false;
};

TEST_F(StartupFault, AnEmptySkinFileIsReportedAtTheSkinStep) {
    option_.Set(L"1");
    ProgramCopy copy(L"empty-skin");
    ASSERT_TRUE(copy.ok());
    ASSERT_TRUE(copy.Folder(L"x"));
    ASSERT_TRUE(copy.EmptyFile(L"x\\o.cjs"));
    ExpectBothStarts(100, true, copy.program());
}

TEST_F(StartupFault, ASkinPathThatIsAFolderCountsAsNoSkin) {
    // The skin is looked up as a normal file: a folder of that name is no
    // skin file, so there is nothing to report.
    option_.Set(L"1");
    ProgramCopy copy(L"folder-skin");
    ASSERT_TRUE(copy.ok());
    ASSERT_TRUE(copy.Folder(L"x"));
    ASSERT_TRUE(copy.Folder(L"x\\o.cjs"));
    ExpectBothStarts(0, true, copy.program());
}

TEST_F(StartupFault, APointerFileThatIsNoCursorIsReportedAtThePointerStep) {
    option_.Set(L"1");
    {
        SCOPED_TRACE("zero bytes");
        ProgramCopy copy(L"empty-pointer");
        ASSERT_TRUE(copy.ok());
        ASSERT_TRUE(copy.EmptyFile(L"HAND-M.CUR"));
        ExpectBothStarts(108, true, copy.program());
    }
    {
        // A folder has a last-change time too, so it passes the existence
        // test and then fails to load.
        SCOPED_TRACE("a folder");
        ProgramCopy copy(L"folder-pointer");
        ASSERT_TRUE(copy.ok());
        ASSERT_TRUE(copy.Folder(L"HAND-M.CUR"));
        ExpectBothStarts(108, true, copy.program());
    }
}

}  // namespace
