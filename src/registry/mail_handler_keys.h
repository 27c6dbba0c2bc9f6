// The keys that make Inboxhop the mail handler, as data: the form of a step
// that creates a key or writes a value, the value it writes, and the warning
// that names what the registry refused. Pure text, no Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_data.h"

namespace inboxhop {

// Registry roots by their predefined handle values.
inline constexpr std::uint32_t kCurrentUserRoot = 0x80000001;
inline constexpr std::uint32_t kLocalMachineRoot = 0x80000002;

// The command the shell runs for mailto: links. It is only written into,
// never created: the system's own class key must be there.
inline constexpr std::wstring_view kMailtoCommandKey = L"SOFTWARE\\Classes\\mailto\\shell\\open\\command";
// A user's own mailto class, which overrides the machine's for that user, is
// complete on its own: its name, the mark of a URL protocol, the command.
inline constexpr std::wstring_view kMailtoClassKey = L"SOFTWARE\\Classes\\mailto";
inline constexpr std::wstring_view kMailtoClassName = L"URL:MailTo Protocol";
// Its parent's default value names the machine's preferred mail client; the
// setup never touches it.
inline constexpr std::wstring_view kMailClientsKey = L"SOFTWARE\\Clients\\Mail";
inline constexpr std::wstring_view kClientKey = L"SOFTWARE\\Clients\\Mail\\Inboxhop";
inline constexpr std::wstring_view kClientProtocolCommandKey =
    L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Protocols\\mailto\\shell\\open\\command";
inline constexpr std::wstring_view kClientShellCommandKey = L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Shell\\open\\command";

// What Windows 8 and later list in Default apps: the program's own class for
// mail links, its capabilities, and its entry among the registered
// applications. The user's own choice (UserChoice) is never written: only
// the user may make it.
inline constexpr std::wstring_view kProgId = L"Inboxhop.mailto";
inline constexpr std::wstring_view kProgIdKey = L"SOFTWARE\\Classes\\Inboxhop.mailto";
inline constexpr std::wstring_view kProgIdIconKey = L"SOFTWARE\\Classes\\Inboxhop.mailto\\DefaultIcon";
inline constexpr std::wstring_view kProgIdCommandKey = L"SOFTWARE\\Classes\\Inboxhop.mailto\\shell\\open\\command";
inline constexpr std::wstring_view kCapabilitiesKey = L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Capabilities";
inline constexpr std::wstring_view kUrlAssociationsKey =
    L"SOFTWARE\\Clients\\Mail\\Inboxhop\\Capabilities\\URLAssociations";
inline constexpr std::wstring_view kRegisteredApplicationsKey = L"SOFTWARE\\RegisteredApplications";
inline constexpr std::wstring_view kProgIdName = L"Inboxhop mail link";
inline constexpr std::wstring_view kApplicationDescription = L"Opens mail links in the web-mail service you choose.";

// The EXE installer's record of the mailto command that a registration
// replaced, in the same root as the command, in the program's own (32-bit)
// view of the registry, where the installers read it: the command's text,
// its registry type (0 when there was none) and a mark that a record was
// made. The first record stands; every removal gives the command back.
inline constexpr std::wstring_view kRecordKey = L"SOFTWARE\\Kestrelon\\Inboxhop";
inline constexpr std::wstring_view kRecordCommand = L"MailtoCommand";
inline constexpr std::wstring_view kRecordCommandType = L"MailtoCommandType";
inline constexpr std::wstring_view kRecordSaved = L"MailtoCommandSaved";

// The program a shell command starts: its first quoted text, or when
// unquoted, the text up to the first ".exe" that ends a word (a path may hold
// blanks), else up to the first blank.
std::wstring_view CommandProgram(std::wstring_view command);
// Whether that program is a file named Inboxhop.exe, in any folder and case.
bool NamesInboxhop(std::wstring_view command);
// Whether that program is this executable, in any case.
bool NamesExecutable(std::wstring_view command, std::wstring_view executable);

// The product title and ".exe".
inline constexpr std::wstring_view kExecutableName = L"Inboxhop.exe";

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

// Whether `steps` only write into this key and never create it (the system's
// own mailto class key).
bool IsOnlyWrittenInto(std::span<const HandlerStep> steps, std::uint32_t root, std::wstring_view path);

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

// Runs every step in order, whatever the steps before achieved, each through
// `run` (the press runs it under its trap), and answers what the registry
// refused: the one place that writes the handler's keys. A step whose key
// already holds exactly what it would write counts as done even when the
// registry refuses it; a step that throws counts as refused.
using StepRunner = std::function<void(const HandlerStep& step, const std::function<void()>& work)>;
RegistrationOutcome ApplyMailHandlerSteps(std::span<const HandlerStep> steps, std::wstring_view programFolder,
                                          const StepRunner& run);

// The warning shown instead of "Done." when some key was refused. It advises
// administrator rights only when a key other than a missing class was refused.
std::wstring RegistrationWarningText(const std::vector<RefusedKey>& refused);

}  // namespace inboxhop
