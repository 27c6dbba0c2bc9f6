// The keys that make Inboxhop the mail handler, as data: the form of a step
// that creates a key or writes a value, the value it writes, and the warning
// that names what the registry refused. Pure text, no Windows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/product.h"
#include "registry/registry_data.h"

namespace inboxhop {

// Registry roots by their predefined handle values.
inline constexpr std::uint32_t kCurrentUserRoot = 0x80000001;
inline constexpr std::uint32_t kLocalMachineRoot = 0x80000002;

// The registration's keys (k...Key) and texts, from its one table.
#define INBOXHOP_KEY(name, path) inline constexpr std::wstring_view name = path;
#define INBOXHOP_TEXT(name, text) inline constexpr std::wstring_view name = text;
#include "mail_links/registration_table.inc"

// Whether two names are the same as the registry and the file system compare
// them: without regard to case.
bool SameKeyName(std::wstring_view a, std::wstring_view b);

// The program a shell command starts: its first quoted text, or when
// unquoted, the text up to the first ".exe" that ends a word (a path may hold
// blanks), else up to the first blank.
std::wstring_view CommandProgram(std::wstring_view command);
// Whether that program is a file named Inboxhop.exe, in any folder and case.
bool NamesInboxhop(std::wstring_view command);
// Whether that program is this executable, in any case.
bool NamesExecutable(std::wstring_view command, std::wstring_view executable);

// The executable the commands name: always Inboxhop.exe in the program
// folder, whatever the running file is called.
std::wstring ExecutablePath(std::wstring_view programFolder);
// "<folder>\Inboxhop.exe" "%1": the shell puts the link in place of %1.
std::wstring LinkCommand(std::wstring_view programFolder);
// "<folder>\Inboxhop.exe"
std::wstring PlainCommand(std::wstring_view programFolder);

// "<folder>\Inboxhop.exe,0": the program's first icon.
std::wstring IconPath(std::wstring_view programFolder);

enum class KeyAction { Create, Write };
// What a write stores: a text built from the program folder, the step's own
// text, or the step's own number. A number is stored as REG_DWORD, all else
// as REG_SZ.
enum class KeyValue { None, LinkCommand, ProductTitle, PlainCommand, IconPath, Text, Number };

// One numbered step of a registration: `line` is the number the error report
// names when the step fails. Writes go to the named value (the empty name is
// the default value).
struct HandlerStep {
    int line;
    KeyAction action;
    std::uint32_t root;
    std::wstring_view path;
    KeyValue value;
    std::wstring_view valueName = {};
    std::wstring_view text = {};  // KeyValue::Text
    std::int32_t number = 0;      // KeyValue::Number
};

// The machine-wide registration, in the order its steps run: the table's
// rows for both. Each create names its key with a trailing backslash and the
// write after it names the same key without one.
std::span<const HandlerStep> MachineRegistrationSteps();
// The same registration for the current user alone, under the same numbers:
// every row of the table under HKEY_CURRENT_USER, a mailto class of the
// user's own made complete first.
std::span<const HandlerStep> CurrentUserRegistrationSteps();

// Whether `steps` only write into this key and never create it (the system's
// own mailto class key).
bool IsOnlyWrittenInto(std::span<const HandlerStep> steps, std::uint32_t root, std::wstring_view path);

// A tree of keys the registration makes on its own (the mail client's, the
// ProgID's), with the keys in it whose default value is a command naming the
// program: a removal takes the tree away when one of them names it.
struct OwnKeyTree {
    std::wstring_view key;
    std::vector<std::wstring_view> commandKeys;
};
// A value the registration writes into a key others share, which names one
// of its own keys (its registered application names its capabilities): it
// goes once that key is gone.
struct ValueNamingOwnKey {
    std::wstring_view key, name, named;
};
// Both from the machine-wide registration's steps, in the table's order.
std::vector<OwnKeyTree> OwnKeyTrees();
std::vector<ValueNamingOwnKey> ValuesNamingOwnKeys();
// Whether `key` is `tree` or below it.
bool IsKeyBelow(std::wstring_view key, std::wstring_view tree);

// Whether the shell would read a command naming a program in this folder as
// naming another: a % in the folder's name starts a variable's name, which
// the shell may expand (Windows' handling of it is not to be relied on).
bool ShellWouldChangeFolder(std::wstring_view folder);
// The message for such a folder, for the press and the installers.
std::wstring FolderShellWouldChangeText(std::wstring_view folder);

// The value a write step stores.
RegistryValue StepValue(const HandlerStep& step, std::wstring_view programFolder);

// "HKEY_LOCAL_MACHINE\<path>", without a trailing backslash.
std::wstring FullKeyName(std::uint32_t root, std::wstring_view path);

struct RefusedKey {
    std::wstring key;     // full name, see FullKeyName
    std::wstring reason;  // the system's own words
    // A key the steps only write into was not there: no rights would help.
    bool missingClass = false;
    bool accessDenied = false;  // refused for want of rights
};

// What one press achieved: every key the registry refused, once each, with
// the first reason given for it (a refused create explains the refused write
// that follows it).
class RegistrationOutcome {
public:
    void Refused(std::uint32_t root, std::wstring_view path, std::wstring reason, bool missingClass = false,
                 bool accessDenied = false);
    // Takes in what another registration had refused.
    void Add(const RegistrationOutcome& other);
    bool complete() const { return refused_.empty(); }
    // Whether rights would have made the registration complete: some key
    // was refused for want of them, and any other was a missing class.
    bool RefusedForWantOfRights() const;
    const std::vector<RefusedKey>& refused() const { return refused_; }

private:
    // Keeps a refused key unless it is listed already.
    void Keep(RefusedKey entry);

    std::vector<RefusedKey> refused_;
};

// The warning shown instead of "Done." when some key was refused. It advises
// administrator rights only when a key other than a missing class was refused.
std::wstring RegistrationWarningText(const std::vector<RefusedKey>& refused);

}  // namespace inboxhop
