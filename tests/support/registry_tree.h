// A registry key with everything below it, read into memory: to compare the
// state before and after, and to put a key back as it was when a test ends.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>

#include "registry_scratch.h"

namespace testing_support {

struct KeyTree {
    std::map<std::wstring, RawValue> values;
    std::map<std::wstring, KeyTree> subkeys;
};

bool operator==(const KeyTree& a, const KeyTree& b);

// The key and all below it; nothing when the key does not exist.
std::optional<KeyTree> ReadTree(HKEY root, const std::wstring& path);

// Replaces whatever is at `path` with `tree`, or removes the key when there
// is no tree. False when the registry refused some part.
bool PutTree(HKEY root, const std::wstring& path, const std::optional<KeyTree>& tree);

// Remembers a key with all below it and puts it back when destroyed.
class ScratchTree {
public:
    ScratchTree(HKEY root, std::wstring path);
    ~ScratchTree();
    ScratchTree(const ScratchTree&) = delete;
    ScratchTree& operator=(const ScratchTree&) = delete;

    const std::optional<KeyTree>& saved() const { return saved_; }

private:
    HKEY root_;
    std::wstring path_;
    std::optional<KeyTree> saved_;
};

}  // namespace testing_support
