// A registry kept in memory that takes the place of the system's four calls (create, open, set value, close) while it
// lives, so that refusals can be staged and every call the code under test makes can be checked.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/failure.h"
#include "registry/registry_access.h"
#include "registry_scratch.h"

namespace testing_support {

class StandInRegistry {
public:
    struct Call {
        enum Kind { Create, Open, Set, Close, Query } kind = Create;
        HKEY root = nullptr;         // Create and Open
        std::wstring path{};         // Create and Open: as passed; Set and Close: the handle's key
        DWORD options = 0;           // Create and Open
        REGSAM access = 0;           // Create and Open
        std::wstring valueName{};    // Set
        DWORD type = 0;              // Set
        std::vector<BYTE> data{};    // Set
        LONG status = ERROR_SUCCESS; // what the stand-in answered
    };

    StandInRegistry()
        : api_{&StandInRegistry::CreateKey, &StandInRegistry::OpenKey, &StandInRegistry::SetValue,
               &StandInRegistry::CloseKey, &StandInRegistry::QueryValue, &StandInRegistry::DeleteValue,
               &StandInRegistry::DeleteKey, &StandInRegistry::QueryInfo},
          previous_(current_) {
        current_ = this;
        override_ = std::make_unique<inboxhop::RegistryApiOverride>(api_);
    }
    ~StandInRegistry() {
        override_.reset();
        current_ = previous_;
    }
    StandInRegistry(const StandInRegistry&) = delete;
    StandInRegistry& operator=(const StandInRegistry&) = delete;

    // Paths name the local machine's keys; "HKCU\<path>" the current user's.
    // Makes the key (and the keys above it) exist.
    void AddKey(const std::wstring& path) {
        std::wstring key = Normal(path);
        for (size_t at = key.find(L'\\'); at != std::wstring::npos; at = key.find(L'\\', at + 1)) {
            keys_.insert(key.substr(0, at));
        }
        keys_.insert(key);
    }
    // Makes the key exist with this value in it.
    void AddValue(const std::wstring& path, const std::wstring& name, const RawValue& value) {
        AddKey(path);
        values_[{Normal(path), Normal(name)}] = value;
    }
    // The next creates, opens or writes of this key answer `status`; opens may throw Failure with
    // this description instead, as a call that cannot be made does.
    void RefuseCreate(const std::wstring& path, LONG status) { refusals_[{Call::Create, Normal(path)}] = status; }
    void RefuseOpen(const std::wstring& path, LONG status) { refusals_[{Call::Open, Normal(path)}] = status; }
    void RefuseWrite(const std::wstring& path, LONG status) { refusals_[{Call::Set, Normal(path)}] = status; }
    void ThrowOnOpen(const std::wstring& path, const std::wstring& description) {
        throwOnOpen_[Normal(path)] = description;
    }

    bool HasKey(const std::wstring& path) const { return keys_.count(Normal(path)) != 0; }
    std::optional<RawValue> ValueOf(const std::wstring& path, const std::wstring& name) const {
        auto it = values_.find({Normal(path), Normal(name)});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::wstring> TextOf(const std::wstring& path, const std::wstring& name = L"") const {
        auto value = ValueOf(path, name);
        if (!value || value->type != REG_SZ || value->data.size() % 2 != 0 || value->data.size() < 2) {
            return std::nullopt;
        }
        std::wstring text(reinterpret_cast<const wchar_t*>(value->data.data()), value->data.size() / 2);
        if (text.back() != L'\0') return std::nullopt;  // stored without its NUL
        text.pop_back();
        return text;
    }
    size_t ValueCount() const { return values_.size(); }
    // Every key and value, to compare the whole registry before and after.
    std::pair<std::set<std::wstring>, std::map<std::pair<std::wstring, std::wstring>, RawValue>> Contents() const {
        return {keys_, values_};
    }

    const std::vector<Call>& calls() const { return calls_; }
    size_t OpenHandles() const { return handles_.size(); }
    // Closes of handles the stand-in never gave out, or gave out and saw closed.
    int BadCloses() const { return badCloses_; }

private:
    static LSTATUS WINAPI CreateKey(HKEY root, LPCWSTR path, DWORD, LPWSTR, DWORD options, REGSAM access,
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

    static LSTATUS WINAPI OpenKey(HKEY root, LPCWSTR path, DWORD options, REGSAM access, PHKEY result) {
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

    static LSTATUS WINAPI SetValue(HKEY handle, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
        StandInRegistry& self = *current_;
        Call call{.kind = Call::Set, .valueName = name ? name : L"", .type = type, .data = {data, data + size}};
        const std::wstring* key = self.KeyOf(handle);
        if (!key) return self.Record(call, ERROR_INVALID_HANDLE);
        call.path = *key;
        if (auto refused = self.Refusal(Call::Set, *key)) return self.Record(call, *refused);
        self.values_[{*key, Normal(call.valueName)}] = {type, call.data};
        return self.Record(call, ERROR_SUCCESS);
    }

    static LSTATUS WINAPI CloseKey(HKEY handle) {
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

    static LSTATUS WINAPI QueryValue(HKEY handle, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
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

    static LSTATUS WINAPI DeleteValue(HKEY handle, LPCWSTR name) {
        StandInRegistry& self = *current_;
        const std::wstring* key = self.KeyOf(handle);
        if (!key) return ERROR_INVALID_HANDLE;
        return self.values_.erase({*key, Normal(name ? name : L"")}) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }

    static LSTATUS WINAPI DeleteKey(HKEY root, LPCWSTR path, REGSAM, DWORD) {
        return current_->keys_.erase(Rooted(root, path ? path : L"")) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }

    // Counts the key's values and the keys below it (any one below means one right below: keys are added with every
    // key above them), which is all the layer asks: whether the key is empty.
    static LSTATUS WINAPI QueryInfo(HKEY handle, LPWSTR, LPDWORD, LPDWORD, LPDWORD keys, LPDWORD, LPDWORD,
                                    LPDWORD values, LPDWORD, LPDWORD, LPDWORD, PFILETIME) {
        const std::wstring* key = current_->KeyOf(handle);
        if (!key) return ERROR_INVALID_HANDLE;
        const auto& all = current_->keys_;
        if (keys) *keys = std::count_if(all.begin(), all.end(), [&](auto& k) { return k.starts_with(*key + L"\\"); });
        const auto& named = current_->values_;
        if (values) *values = std::count_if(named.begin(), named.end(), [&](auto& v) { return v.first.first == *key; });
        return ERROR_SUCCESS;
    }

    // Keys compare without regard to case; a trailing backslash names the same key, as in the system's registry.
    static std::wstring Normal(const std::wstring& path) {
        std::wstring key;
        for (wchar_t c : path) key.push_back(static_cast<wchar_t>(std::towupper(c)));
        while (!key.empty() && key.back() == L'\\') key.pop_back();
        return key;
    }
    // The current user's keys are kept apart under "HKCU\", so that tests name them so; every other root is the
    // local machine's, named by path alone.
    static std::wstring Rooted(HKEY root, const std::wstring& path) {
        return Normal(root == HKEY_CURRENT_USER ? L"HKCU\\" + path : path);
    }
    HKEY NewHandle(const std::wstring& key) {
        HKEY handle = reinterpret_cast<HKEY>(nextHandle_);
        nextHandle_ += 4;
        handles_[handle] = key;
        return handle;
    }
    // The key a handle was given out for; null when it was not, or is closed.
    const std::wstring* KeyOf(HKEY handle) const {
        auto it = handles_.find(handle);
        return it == handles_.end() ? nullptr : &it->second;
    }
    // What a refusal staged for this kind of call to `key` answers; nothing when none is.
    std::optional<LONG> Refusal(Call::Kind kind, const std::wstring& key) const {
        auto it = refusals_.find({kind, key});
        return it == refusals_.end() ? std::nullopt : std::optional<LONG>(it->second);
    }
    // Keeps the call with the answer it is given, and gives it.
    LSTATUS Record(Call call, LONG status) {
        call.status = status;
        calls_.push_back(std::move(call));
        return status;
    }

    inboxhop::RegistryApi api_;
    std::unique_ptr<inboxhop::RegistryApiOverride> override_;
    std::set<std::wstring> keys_;
    std::map<std::pair<std::wstring, std::wstring>, RawValue> values_;
    std::map<std::pair<Call::Kind, std::wstring>, LONG> refusals_;  // a refused write is staged as a refused Set
    std::map<std::wstring, std::wstring> throwOnOpen_;
    static inline StandInRegistry* current_ = nullptr;  // the one that answers the calls
    StandInRegistry* previous_;
    std::map<HKEY, std::wstring> handles_;
    std::vector<Call> calls_;
    UINT_PTR nextHandle_ = 0x5000;
    int badCloses_ = 0;
};

}  // namespace testing_support
