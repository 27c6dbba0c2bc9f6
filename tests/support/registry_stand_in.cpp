#include "registry_stand_in.h"

#include <algorithm>
#include <cwctype>

#include "base/failure.h"

namespace testing_support {

StandInRegistry::StandInRegistry()
    : api_{&StandInRegistry::CreateKey, &StandInRegistry::OpenKey, &StandInRegistry::SetValue,
           &StandInRegistry::CloseKey, &StandInRegistry::QueryValue},
      previous_(current_) {
    current_ = this;
    override_ = std::make_unique<inboxhop::RegistryApiOverride>(api_);
}

StandInRegistry::~StandInRegistry() {
    override_.reset();
    current_ = previous_;
}

// Keys compare without regard to case; a trailing backslash names the same
// key, as it does in the system's registry.
std::wstring StandInRegistry::Normal(const std::wstring& path) {
    std::wstring key;
    for (wchar_t c : path) key.push_back(static_cast<wchar_t>(std::towupper(c)));
    while (!key.empty() && key.back() == L'\\') key.pop_back();
    return key;
}

// The current user's keys are kept apart under "HKCU\", so that tests name
// them so; every other root is the local machine's, named by path alone.
std::wstring StandInRegistry::Rooted(HKEY root, const std::wstring& path) {
    return Normal(root == HKEY_CURRENT_USER ? L"HKCU\\" + path : path);
}

void StandInRegistry::AddKey(const std::wstring& path) {
    std::wstring key = Normal(path);
    for (size_t at = key.find(L'\\'); at != std::wstring::npos; at = key.find(L'\\', at + 1)) {
        keys_.insert(key.substr(0, at));
    }
    keys_.insert(key);
}

std::optional<std::wstring> StandInRegistry::TextOf(const std::wstring& path, const std::wstring& name) const {
    auto value = ValueOf(path, name);
    if (!value || value->type != REG_SZ || value->data.size() % 2 != 0 || value->data.size() < 2) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(value->data.data()), value->data.size() / 2);
    if (text.back() != L'\0') return std::nullopt;  // stored without its NUL
    text.pop_back();
    return text;
}

HKEY StandInRegistry::NewHandle(const std::wstring& key) {
    HKEY handle = reinterpret_cast<HKEY>(nextHandle_);
    nextHandle_ += 4;
    handles_[handle] = key;
    return handle;
}

LSTATUS WINAPI StandInRegistry::CreateKey(HKEY root, LPCWSTR path, DWORD, LPWSTR, DWORD options, REGSAM access,
                                          LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
    StandInRegistry& self = *current_;
    Call call{.kind = Call::Create, .root = root, .path = path ? path : L"", .options = options, .access = access};
    std::wstring key = Rooted(root, call.path);
    if (auto refused = self.Refusal(Call::Create, key)) return self.Record(call, *refused);
    bool existed = self.HasKey(key);
    self.AddKey(key);
    *result = self.NewHandle(key);
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    return self.Record(call, ERROR_SUCCESS);
}

LSTATUS WINAPI StandInRegistry::OpenKey(HKEY root, LPCWSTR path, DWORD options, REGSAM access, PHKEY result) {
    StandInRegistry& self = *current_;
    Call call{.kind = Call::Open, .root = root, .path = path ? path : L"", .options = options, .access = access};
    std::wstring key = Rooted(root, call.path);
    auto throws = self.throwOnOpen_.find(key);
    if (throws != self.throwOnOpen_.end()) throw inboxhop::Failure(throws->second);
    if (auto refused = self.Refusal(Call::Open, key)) return self.Record(call, *refused);
    if (!self.HasKey(key)) return self.Record(call, ERROR_FILE_NOT_FOUND);
    *result = self.NewHandle(key);
    return self.Record(call, ERROR_SUCCESS);
}

LSTATUS WINAPI StandInRegistry::SetValue(HKEY handle, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    StandInRegistry& self = *current_;
    Call call{.kind = Call::Set, .valueName = name ? name : L"", .type = type, .data = {data, data + size}};
    const std::wstring* key = self.KeyOf(handle);
    if (!key) return self.Record(call, ERROR_INVALID_HANDLE);
    call.path = *key;
    if (auto refused = self.Refusal(Call::Set, *key)) return self.Record(call, *refused);
    self.values_[{*key, Normal(call.valueName)}] = {type, call.data};
    return self.Record(call, ERROR_SUCCESS);
}

LSTATUS WINAPI StandInRegistry::CloseKey(HKEY handle) {
    StandInRegistry& self = *current_;
    Call call{.kind = Call::Close};
    const std::wstring* key = self.KeyOf(handle);
    if (!key) {
        ++self.badCloses_;
        return self.Record(call, ERROR_INVALID_HANDLE);
    }
    call.path = *key;
    self.handles_.erase(handle);
    return self.Record(call, ERROR_SUCCESS);
}

LSTATUS WINAPI StandInRegistry::QueryValue(HKEY handle, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                                           LPDWORD size) {
    StandInRegistry& self = *current_;
    Call call{.kind = Call::Query, .valueName = name ? name : L""};
    LONG status = ERROR_SUCCESS;
    const std::wstring* key = self.KeyOf(handle);
    if (!key) return self.Record(call, ERROR_INVALID_HANDLE);
    call.path = *key;
    auto value = self.values_.find({*key, Normal(call.valueName)});
    if (value == self.values_.end()) return self.Record(call, ERROR_FILE_NOT_FOUND);
    if (type) *type = value->second.type;
    DWORD needed = static_cast<DWORD>(value->second.data.size());
    if (data && size && *size < needed) {
        status = ERROR_MORE_DATA;
    } else if (data) {
        std::copy(value->second.data.begin(), value->second.data.end(), data);
    }
    if (size) *size = needed;
    return self.Record(call, status);
}

}  // namespace testing_support
