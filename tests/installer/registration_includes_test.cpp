// The installers' includes that the build generates from the registration's one table (Registration.nsh and
// Registration.wxi, cmake/RegistrationIncludes.cmake) hold every row of it, as the program runs it. Native only: the
// files are the build's.
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "app/procedure_steps.h"
#include "registry/mail_handler_keys.h"

namespace inboxhop {
namespace {

std::string Read(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The table's texts are ASCII.
std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

// What a write stores, with the include's name for the installed program in place of its path.
std::string WrittenValue(const HandlerStep& step, std::string_view programPath) {
    RegistryValue value = StepValue(step, L"C:\\Folder");
    if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    std::string text = Narrow(std::get<std::wstring>(value));
    const std::string program = Narrow(ExecutablePath(L"C:\\Folder"));
    if (auto at = text.find(program); at != std::string::npos) text.replace(at, program.size(), programPath);
    return text;
}

std::string NsisString(const std::string& text) {
    const char quote = text.find('"') == std::string::npos ? '"' : '\'';
    return quote + text + quote;
}

std::string XmlAttribute(std::string text) {
    for (std::string::size_type at = 0; (at = text.find('"', at)) != std::string::npos; at += 6) {
        text.replace(at, 1, "&quot;");
    }
    return text;
}

bool IsUserOnly(const HandlerStep& step) {
    for (const HandlerStep& machine : MachineRegistrationSteps()) {
        if (machine.line == step.line && machine.action == step.action && machine.path == step.path &&
            machine.valueName == step.valueName) {
            return false;
        }
    }
    return true;
}

TEST(RegistrationIncludes, HoldEveryRowOfTheTable) {
    const std::string nsis = Read(INBOXHOP_REGISTRATION_NSH);
    const std::string wix = Read(INBOXHOP_REGISTRATION_WXI);
    ASSERT_FALSE(nsis.empty() || wix.empty());

    // The current user's registration holds every row: each write once in the NSIS include, in the current user's
    // root for the rows of that registration alone and in the root the script gives for the others.
    std::size_t writes = 0;
    for (const HandlerStep& step : CurrentUserRegistrationSteps()) {
        if (step.action == KeyAction::Create) continue;
        ++writes;
        const bool number = step.value == KeyValue::Number;
        const std::string line = std::string(number ? "WriteRegDWORD " : "WriteRegStr ") +
                                 (IsUserOnly(step) ? "HKCU " : "${ROOT} ") + NsisString(Narrow(step.path)) + " " +
                                 NsisString(Narrow(step.valueName)) + " " +
                                 (number ? WrittenValue(step, "") : NsisString(WrittenValue(step, "${PROGRAM_PATH}")));
        EXPECT_NE(nsis.find("  " + line + "\n"), std::string::npos) << line;
    }
    std::size_t lines = 0;
    for (std::string::size_type at = 0; (at = nsis.find("\n  WriteReg", at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, writes);

    // The record's names, which the installers no longer spell out themselves.
    std::string names = INBOXHOP_REGISTRATION_WXI;
    names = Read((names.substr(0, names.find_last_of('/') + 1) + "RegistrationNames.wxi").c_str());
    EXPECT_NE(nsis.find("!define RECORD_KEY \"" + Narrow(kRecordKey) + "\"\n"), std::string::npos);
    EXPECT_NE(names.find("<?define RecordKey = \"" + Narrow(kRecordKey) + "\" ?>"), std::string::npos);

    // The machine-wide rows in the WiX include: those in keys the registration creates. The machine's mailto command,
    // only written into, is not the package's to own.
    for (const HandlerStep& step : MachineRegistrationSteps()) {
        if (step.action == KeyAction::Create) continue;
        const bool number = step.value == KeyValue::Number;
        std::string element = "<RegistryValue Root=\"HKLM\" Key=\"" + Narrow(step.path) + "\"";
        if (!step.valueName.empty()) element += " Name=\"" + Narrow(step.valueName) + "\"";
        element += std::string(" Type=\"") + (number ? "integer" : "string") + "\" Value=\"" +
                   XmlAttribute(WrittenValue(step, "$(var.ProgramPath)")) + "\"";
        const bool owned = !IsOnlyWrittenInto(MachineRegistrationSteps(), step.root, step.path);
        EXPECT_EQ(wix.find(element + " />") != std::string::npos, owned) << element;
        EXPECT_EQ(wix.find(element + " KeyPath=\"yes\" />") != std::string::npos, owned) << element;
    }
}

}  // namespace
}  // namespace inboxhop
