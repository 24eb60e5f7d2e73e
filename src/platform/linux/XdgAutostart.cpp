#include "platform/linux/XdgAutostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string_view>
#include <system_error>
#include <utility>

#include "persistence/EnsureFolder.h"
#include "persistence/FileIo.h"
#include "platform/linux/UserFolders.h"

namespace {

constexpr mode_t EntryMode = 0644;
constexpr mode_t ConfigFolderMode = 0700;

// Characters that make the desktop session's command-line parser need the argument quoted.
constexpr std::string_view ReservedCharacters = " \t\n\"'\\><~|&;$*?#()`";
// Characters that need a backslash inside a quoted argument.
constexpr std::string_view QuotedEscapes = "\"`$\\";

std::string QuoteArgument(const std::string& argument) {
    if (argument.find_first_of(ReservedCharacters) == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    for (const char c : argument) {
        if (QuotedEscapes.find(c) != std::string_view::npos) {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

// A literal "%" would start a field code.
std::string EscapeFieldCodes(const std::string& command) {
    std::string escaped;
    for (const char c : command) {
        escaped += c;
        if (c == '%') {
            escaped += '%';
        }
    }
    return escaped;
}

// The escapes of a string value, applied to the command line as a whole.
std::string EscapeStringValue(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

XdgAutostart::XdgAutostart(std::filesystem::path configHome, std::filesystem::path executable)
    : configHome_(std::move(configHome)), executable_(std::move(executable)) {}

XdgAutostart XdgAutostart::FromEnvironment() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        executable.clear();
    }
    return XdgAutostart(UserFolders::ConfigHome(), std::move(executable));
}

std::filesystem::path XdgAutostart::EntryPath() const {
    return configHome_ / "autostart" / "Kestrovin.desktop";
}

std::string XdgAutostart::ExecValue(const std::string& executable) {
    return EscapeStringValue(EscapeFieldCodes(QuoteArgument(executable)));
}

bool XdgAutostart::WriteEntry() {
    if (configHome_.empty() || executable_.empty()) {
        return false;
    }
    if (!EnsureFolder(configHome_ / "autostart", ConfigFolderMode)) {
        return false;
    }
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Kestrovin\n"
        "Comment=Counts keystrokes, mouse clicks and mouse travel\n"
        "Exec=" +
        ExecValue(executable_.string()) +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    // Every start writes the entry: one that already says this is left alone, which spares the
    // start two waits for the disk.
    struct stat info = {};
    if (::stat(EntryPath().c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        (info.st_mode & 07777) == EntryMode && ReadWholeFile(EntryPath()) == entry) {
        return true;
    }
    return WriteFileAtomically(EntryPath(), entry, EntryMode);
}

void XdgAutostart::RemoveEntry() {
    if (!configHome_.empty()) {
        ::unlink(EntryPath().c_str());
    }
}
