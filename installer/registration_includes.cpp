#include "registration_includes.h"

#include <cctype>
#include <stdexcept>
#include <string_view>

#include "base/product.h"
#include "base/services.h"
#include "mail_links/registration_steps.h"

namespace inboxhop {

namespace {

// The table's texts are ASCII.
std::string Narrow(std::wstring_view text) { return std::string(text.begin(), text.end()); }

// kMailtoCommandKey: MailtoCommandKey for WiX, MAILTO_COMMAND_KEY for NSIS.
std::string WixName(std::string_view name) { return std::string(name.substr(name.starts_with('k') ? 1 : 0)); }
std::string NsisName(std::string_view name) {
    std::string wix = WixName(name), nsis;
    for (std::size_t i = 0; i < wix.size(); ++i) {
        const char c = wix[i];
        if (i > 0 && c >= 'A' && c <= 'Z' && (std::islower(wix[i - 1]) || std::isdigit(wix[i - 1]))) nsis += '_';
        nsis += static_cast<char>(std::toupper(c));
    }
    return nsis;
}

// A text as it stands in an include. NSIS reads $ as a variable and WiX $(
// as one, Windows Installer [ ] { } as formatted text: the table holds none.
std::string Checked(std::string text) {
    if (text.find_first_of("$[]{}") != std::string::npos) {
        throw std::runtime_error("the registration's table holds a text an include cannot hold as it is: " + text);
    }
    return text;
}

// An NSIS string, in the first quote that it does not hold.
std::string NsisString(const std::string& text) {
    for (char quote : {'"', '\'', '`'}) {
        if (text.find(quote) == std::string::npos) return quote + text + quote;
    }
    throw std::runtime_error("an NSIS string cannot hold every quote: " + text);
}

std::string XmlAttribute(const std::string& text) {
    std::string xml;
    for (char c : text) {
        switch (c) {
        case '&': xml += "&amp;"; break;
        case '"': xml += "&quot;"; break;
        case '<': xml += "&lt;"; break;
        case '>': xml += "&gt;"; break;
        default: xml += c;
        }
    }
    return xml;
}

struct Name {
    std::string_view identifier;
    std::wstring_view text;
};
#define INBOXHOP_KEY(name, path) {#name, path},
#define INBOXHOP_TEXT(name, text) {#name, text},
constexpr Name kNames[] = {
#include "mail_links/registration_table.inc"
};
#define INBOXHOP_AROUND_PROGRAM(kind, before, after) {#kind, L"" before L"\x01" after},
constexpr Name kAroundProgram[] = {
#include "mail_links/registration_table.inc"
};

// The table's rows, with the names of their keys and whose they are.
enum class Scope { Both, UserOnly };
struct Row {
    Scope scope;
    bool create;
    std::string_view key;
    HandlerStep step;
};
#define INBOXHOP_CREATE(scope, line, key) {Scope::scope, true, #key, {line, KeyAction::Create, 0, key, {}}},
#define INBOXHOP_WRITE(scope, line, key, valueName, kind) \
    {Scope::scope, false, #key, {line, KeyAction::Write, 0, key, KeyValue::kind, valueName}},
#define INBOXHOP_WRITE_TEXT(scope, line, key, valueName, text) \
    {Scope::scope, false, #key, {line, KeyAction::Write, 0, key, KeyValue::Text, valueName, text}},
#define INBOXHOP_WRITE_NUMBER(scope, line, key, valueName, number) \
    {Scope::scope, false, #key, {line, KeyAction::Write, 0, key, KeyValue::Number, valueName, {}, number}},
constexpr Row kRows[] = {
#include "mail_links/registration_table.inc"
};

// What a write stores, as the program builds it, with `programPath` in place
// of the executable's path.
std::string WrittenText(const HandlerStep& step, std::string_view programPath) {
    constexpr std::wstring_view kFolder = L"C:\\Folder";
    RegistryValue value = StepValue(step, kFolder);
    if (const auto* number = std::get_if<std::int32_t>(&value)) return std::to_string(*number);
    std::string text = Checked(Narrow(std::get<std::wstring>(value)));
    const std::string program = Narrow(ExecutablePath(kFolder));
    if (auto at = text.find(program); at != std::string::npos) text.replace(at, program.size(), programPath);
    return text;
}

bool MachineCreates(std::string_view key) {
    for (const Row& row : kRows) {
        if (row.create && row.scope == Scope::Both && row.key == key) return true;
    }
    return false;
}

constexpr std::string_view kSource = "src/mail_links/registration_table.inc";

// The product's facts (base/product.h, resources/version.h) for the
// installers, CMake and the winget manifests: one line each, built by `line`
// from a name and a text, in the include's own syntax.
template <class Line>
std::string ProductLines(Line line) {
    constexpr int version[] = {INBOXHOP_VERSION_BINARY};
    std::string services;
    for (int i = 0; i < kServiceCount; ++i) {
        std::wstring_view caption = kServices[i].caption;
        caption.remove_prefix(caption.find_first_not_of(L' '));
        services += (i == 0 ? "" : i + 1 == kServiceCount ? " or " : ", ") + Narrow(caption);
    }
    return line("Product", Checked(Narrow(kProductTitle))) + line("Publisher", Checked(Narrow(kCompanyName))) +
           line("ProgramFile", Checked(Narrow(kProgramFile))) + line("UninstallKey", Checked(Narrow(kAppsEntryKey))) +
           line("MsiUpgradeCode", Checked(Narrow(kUpgradeCode))) + line("VersionText", INBOXHOP_VERSION_TEXT) +
           line("VersionMajor", std::to_string(version[0])) + line("VersionMinor", std::to_string(version[1])) +
           line("VersionPatch", std::to_string(version[2])) + line("VersionBuild", std::to_string(version[3])) +
           line("ServiceNames", Checked(services));
}

// A CMake string: backslashes and quotes escaped.
std::string CmakeString(std::string_view text) {
    std::string cmake = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') cmake += '\\';
        cmake += c;
    }
    return cmake + '"';
}

}  // namespace

std::vector<IncludeFile> RegistrationIncludes() {
    std::string nsisDefines, wixDefines;
    for (const Name& name : kNames) {
        const std::string text = Checked(Narrow(name.text));
        nsisDefines += "!define " + NsisName(name.identifier) + " " + NsisString(text) + "\n";
        wixDefines += "  <?define " + WixName(name.identifier) + " = \"" + text + "\" ?>\n";
    }
    for (const Name& around : kAroundProgram) {
        std::string text = Checked(Narrow(around.text));
        text.replace(text.find('\x01'), 1, "${PROGRAM_PATH}");
        nsisDefines += "!define " + NsisName(around.identifier) + " " + NsisString(text) + "\n";
    }

    std::string wixRows;
    for (const Row& row : kRows) {
        if (row.create || row.scope == Scope::UserOnly || !MachineCreates(row.key)) continue;
        const HandlerStep& step = row.step;
        const bool number = step.value == KeyValue::Number;
        const std::string path = Narrow(step.path), valueName = Checked(Narrow(step.valueName));

        const std::string wixValue = WrittenText(step, "$(var.ProgramPath)");
        if (!number && wixValue.starts_with('#')) {
            throw std::runtime_error("Windows Installer would read a text that starts with # as a number: " + wixValue);
        }
        // The row's name for RegistrationKeyPath: its key's, and its value's.
        std::string rowId = WixName(row.key), nameAttribute;
        if (!valueName.empty()) {
            rowId += "/" + XmlAttribute(valueName);
            nameAttribute = " Name=\"" + XmlAttribute(valueName) + "\"";
        }
        const std::string element = "<RegistryValue Root=\"HKLM\" Key=\"" + XmlAttribute(path) + "\"" + nameAttribute +
                                    " Type=\"" + (number ? "integer" : "string") + "\" Value=\"" +
                                    XmlAttribute(wixValue) + "\"";
        wixRows += "  <?if $(var.RegistrationKeyPath) = \"" + rowId + "\" ?>\n  " + element +
                   " KeyPath=\"yes\" />\n  <?else?>\n  " + element + " />\n  <?endif?>\n";
    }

    const std::string source(kSource);
    const std::string generated = "Generated from " + source + ", the registration's one table,\n";
    const std::string notToEdit =
        "by installer/registration_includes.cpp (build/native/registration_includes installer): do not edit.\n";
    std::vector<IncludeFile> files;
    files.push_back({"Registration.nsh",
                     "; " + generated + "; " + notToEdit +
                         "; The registration's names, for installer/Inboxhop.nsi, which defines\n"
                         "; PROGRAM_PATH, the installed Inboxhop.exe, before it includes this. What\n"
                         "; the registration writes, the installer leaves to RestoreMailLinks.dll.\n"
                         "!ifndef PROGRAM_PATH\n"
                         "  !error \"Registration.nsh needs PROGRAM_PATH, the installed program's full path\"\n"
                         "!endif\n\n" +
                         nsisDefines});
    const std::string xmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!--\n  " + generated + "  " + notToEdit;
    files.push_back({"Registration.wxi",
                     xmlHead +
                         "  The keys that a press of the program's set-up button makes machine-wide, with\n"
                         "  their values, for a component of installer/Inboxhop.wxs, which defines\n"
                         "  ProgramPath (the installed Inboxhop.exe) and RegistrationKeyPath (the row\n"
                         "  that is the component's key path: its key's name, and /value name for a\n"
                         "  named value) before it includes this, and includes RegistrationNames.wxi\n"
                         "  before. A row that writes into a key the\n"
                         "  registration never creates (the machine's mailto command) is not here: a\n"
                         "  component owns only keys that it makes.\n"
                         "-->\n<Include>\n" +
                         wixRows + "</Include>\n"});
    files.push_back({"RegistrationNames.wxi",
                     xmlHead +
                         "  The names of the registration's keys and texts (RecordKey, ...), for\n"
                         "  installer/Inboxhop.wxs.\n"
                         "-->\n<Include>\n" +
                         wixDefines + "</Include>\n"});

    const std::string productGenerated =
        "Generated from src/base/product.h and resources/version.h, the product's facts,\n";
    files.push_back({"Product.nsh", "; " + productGenerated + "; " + notToEdit +
                                        "; The product's name, maker, file, Apps entry, upgrade code and version, for\n"
                                        "; installer/Inboxhop.nsi.\n" +
                                        ProductLines([](std::string_view name, const std::string& text) {
                                            return "!define " + NsisName(name) + " " + NsisString(text) + "\n";
                                        })});
    files.push_back({"Product.wxi", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!--\n  " + productGenerated + "  " +
                                        notToEdit +
                                        "  The product's name, maker, file, Apps entry, upgrade code and version, for\n"
                                        "  installer/Inboxhop.wxs, and ProgramPath, the installed program, for\n"
                                        "  Registration.wxi (a define's value takes no variable).\n"
                                        "-->\n<Include>\n" +
                                        ProductLines([](std::string_view name, const std::string& text) {
                                            return "  <?define " + std::string(name) + " = \"" + XmlAttribute(text) +
                                                   "\" ?>\n";
                                        }) +
                                        "  <?define ProgramPath = \"[INSTALLDIR]" + XmlAttribute(Narrow(kProgramFile)) +
                                        "\" ?>\n</Include>\n"});
    files.push_back({"Product.cmake", "# " + productGenerated + "# " + notToEdit +
                                          "# The product's facts, for CMakeLists.txt, cmake/Packaging.cmake and the\n"
                                          "# package scripts in installer/.\n" +
                                          ProductLines([](std::string_view name, const std::string& text) {
                                              return "set(INBOXHOP_" + NsisName(name) + " " + CmakeString(text) + ")\n";
                                          })});
    return files;
}

}  // namespace inboxhop
