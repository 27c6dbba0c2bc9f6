#include "registry_scratch.h"

#include "app/command_line.h"
#include "recorder_log.h"
#include "registry_tree.h"
#include "wine_process.h"

namespace testing_support {

std::optional<RawValue> ReadRaw(HKEY root, const std::wstring& path, const std::wstring& name) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadText(HKEY root, const std::wstring& path, const std::wstring& name) {
    auto raw = ReadRaw(root, path, name);
    if (!raw || raw->type != REG_SZ) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(raw->data.data()), raw->data.size() / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

RawValue TextValue(const std::wstring& text, DWORD type) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return {type, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

RawValue NumberValue(DWORD number) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&number);
    return {REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(number))};
}

bool WriteRaw(HKEY root, const std::wstring& path, const std::wstring& name, const RawValue& value) {
    HKEY key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG status = RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool WriteText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
    RawValue value;
    value.type = REG_SZ;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    value.data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
    return WriteRaw(root, path, name, value);
}

bool DeleteValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return true;
    LONG status = RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool DeleteTree(HKEY root, const std::wstring& path) {
    LONG status = RegDeleteTreeW(root, path.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        status = RegDeleteKeyW(root, path.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return false;
}

ScratchValue::ScratchValue(HKEY root, std::wstring path, std::wstring name)
    : root_(root), path_(std::move(path)), name_(std::move(name)), saved_(ReadRaw(root_, path_, name_)) {}

ScratchValue::~ScratchValue() {
    if (saved_) {
        WriteRaw(root_, path_, name_, *saved_);
    } else {
        DeleteValue(root_, path_, name_);
    }
}

RecorderAsBrowser::RecorderAsBrowser() {
    std::wstring recorder = BuildFolder() + L"\\Recorder.exe";
    logPath_ = NewScratchFolder(L"recorder") + L"\\addresses.log";
    SetEnvironmentVariableW(kRecorderLogVariable, logPath_.c_str());
    std::wstring command = L"\"" + recorder + L"\" \"%1\"";
    ok_ = true;
    for (const wchar_t* scheme : {L"http", L"https"}) {
        std::wstring base = std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open";
        saved_.push_back(std::make_unique<ScratchValue>(HKEY_LOCAL_MACHINE, base + L"\\command", L""));
        ok_ = saved_.back()->Set(command) && ok_;
        // A DDE conversation would bypass the command: set it aside while
        // the recorder stands in, and put it back afterwards.
        savedTrees_.push_back(std::make_unique<ScratchTree>(HKEY_LOCAL_MACHINE, base + L"\\ddeexec"));
        DeleteTree(HKEY_LOCAL_MACHINE, base + L"\\ddeexec");
    }
}

RecorderAsBrowser::~RecorderAsBrowser() { SetEnvironmentVariableW(kRecorderLogVariable, nullptr); }

std::vector<std::wstring> RecorderAsBrowser::Addresses() const {
    std::vector<std::wstring> addresses;
    for (const std::wstring& commandLine : ReadRecords(logPath_)) {
        std::wstring argument = inboxhop::CommandLineText(commandLine);
        if (argument.size() >= 2 && argument.front() == L'"' && argument.back() == L'"') {
            argument = argument.substr(1, argument.size() - 2);
        }
        addresses.push_back(argument);
    }
    return addresses;
}

bool RecorderAsBrowser::WaitForAddresses(size_t count, DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    while (ReadRecords(logPath_).size() < count) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

}  // namespace testing_support
