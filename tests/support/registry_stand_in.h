// A registry kept in memory that takes the place of the system's four calls
// (create, open, set value, close) while it lives, so that refusals can be
// staged and every call the code under test makes can be checked.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "registry/modRegStuff.h"
#include "registry_scratch.h"

namespace testing_support {

class StandInRegistry {
public:
    struct Call {
        enum Kind { Create, Open, Set, Close, Query } kind = Create;
        HKEY root = nullptr;         // Create and Open
        std::wstring path;           // Create and Open: as passed; Set and Close: the handle's key
        DWORD options = 0;           // Create and Open
        REGSAM access = 0;           // Create and Open
        std::wstring valueName;      // Set
        DWORD type = 0;              // Set
        std::vector<BYTE> data;      // Set
        LONG status = ERROR_SUCCESS; // what the stand-in answered
    };
    using Value = RawValue;

    StandInRegistry();
    ~StandInRegistry();
    StandInRegistry(const StandInRegistry&) = delete;
    StandInRegistry& operator=(const StandInRegistry&) = delete;

    // Paths name the local machine's keys; "HKCU\<path>" the current user's.
    // Makes the key (and the keys above it) exist.
    void AddKey(const std::wstring& path);
    // Makes the key exist with this value in it.
    void AddValue(const std::wstring& path, const std::wstring& name, const Value& value) {
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
    std::optional<Value> ValueOf(const std::wstring& path, const std::wstring& name) const {
        auto it = values_.find({Normal(path), Normal(name)});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::wstring> TextOf(const std::wstring& path, const std::wstring& name = L"") const;
    size_t ValueCount() const { return values_.size(); }

    const std::vector<Call>& calls() const { return calls_; }
    size_t OpenHandles() const { return handles_.size(); }
    // Closes of handles the stand-in never gave out, or gave out and saw closed.
    int BadCloses() const { return badCloses_; }

private:
    static LSTATUS WINAPI CreateKey(HKEY, LPCWSTR, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES, PHKEY, LPDWORD);
    static LSTATUS WINAPI OpenKey(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY);
    static LSTATUS WINAPI SetValue(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD);
    static LSTATUS WINAPI CloseKey(HKEY);
    static LSTATUS WINAPI QueryValue(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);

    static std::wstring Normal(const std::wstring& path);
    static std::wstring Rooted(HKEY root, const std::wstring& path);
    HKEY NewHandle(const std::wstring& key);
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
    std::map<std::pair<std::wstring, std::wstring>, Value> values_;
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
