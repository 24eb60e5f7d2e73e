#include "platform/linux/XdgAutostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string_view>
#include <system_error>
#include <utility>

#include "files/EnsureFolder.h"
#include "files/FileIo.h"
#include "platform/linux/UserFolders.h"
#include "text/HostPort.h"

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

// Keys a desktop's session settings write into the entry to keep it from starting; the
// user's choice outlives every rewrite.
constexpr std::string_view UserSwitchKeys[] = {"X-GNOME-Autostart-enabled", "Hidden"};
constexpr std::string_view DefaultEnabled = "X-GNOME-Autostart-enabled=true\n";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

XdgAutostart::XdgAutostart(std::filesystem::path configHome, std::filesystem::path executable,
                           std::string server)
    : configHome_(std::move(configHome)),
      executable_(std::move(executable)),
      server_(std::move(server)) {}

XdgAutostart XdgAutostart::FromEnvironment() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        executable.clear();
    }
    return XdgAutostart(UserFolders::ConfigHome(), std::move(executable), ServerFromEnvironment());
}

std::string XdgAutostart::ServerFromEnvironment() {
    const char* value = std::getenv("KESTROVIN_SERVER");
    return value != nullptr && HostPort::Parse(value) ? value : "";
}

std::filesystem::path XdgAutostart::EntryPath() const {
    return configHome_ / "autostart" / "Kestrovin.desktop";
}

std::string XdgAutostart::ExecValue(const std::string& executable, const std::string& server) {
    const std::string program = QuoteArgument(executable);
    const std::string command =
        server.empty() ? program
                       : "env " + QuoteArgument("KESTROVIN_SERVER=" + server) + " " + program;
    return EscapeStringValue(EscapeFieldCodes(command));
}

std::string XdgAutostart::UserSwitches(const std::optional<std::string>& current) {
    if (!current) {
        return std::string(DefaultEnabled);
    }
    std::string kept[std::size(UserSwitchKeys)];
    std::istringstream lines(*current);
    bool inMainGroup = false;
    for (std::string line; std::getline(lines, line);) {
        const std::string_view trimmed = Trimmed(line);
        if (trimmed.starts_with('[')) {
            inMainGroup = trimmed == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = trimmed.find('=');
        if (!inMainGroup || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = Trimmed(trimmed.substr(0, equals));
        for (std::size_t i = 0; i < std::size(UserSwitchKeys); ++i) {
            if (key == UserSwitchKeys[i]) {
                kept[i] = std::string(key) + "=" +
                          std::string(Trimmed(trimmed.substr(equals + 1))) + "\n";
            }
        }
    }
    return kept[0].empty() ? std::string(DefaultEnabled) + kept[1] : kept[0] + kept[1];
}

bool XdgAutostart::WriteEntry() {
    if (configHome_.empty() || executable_.empty()) {
        return false;
    }
    if (!EnsureFolder(configHome_ / "autostart", ConfigFolderMode)) {
        return false;
    }
    // Read once: it holds the user's switches and may already be what would be written.
    const std::optional<std::string> current = ReadWholeFile(EntryPath());
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Kestrovin\n"
        "Comment=Counts keystrokes, mouse clicks and mouse travel\n"
        "Exec=" +
        ExecValue(executable_.string(), server_) +
        "\n"
        "Terminal=false\n" +
        UserSwitches(current);
    // Every start writes the entry: one that already says this is left alone, which spares the
    // start two waits for the disk.
    struct stat info = {};
    if (current == entry && ::stat(EntryPath().c_str(), &info) == 0 &&
        (info.st_mode & 07777) == EntryMode) {
        return true;
    }
    return WriteFileAtomically(EntryPath(), entry, EntryMode);
}

void XdgAutostart::RemoveEntry() {
    if (!configHome_.empty()) {
        ::unlink(EntryPath().c_str());
    }
}
