// kestrovin-cli: the command-line companion of the Kestrovin tray program.
#include <iostream>
#include <string_view>

#include "cli/StatusCommand.h"
#include "persistence/DataFolder.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: kestrovin-cli COMMAND\n"
    "\n"
    "The command-line companion of Kestrovin, the keystroke, click and mouse-travel counter.\n"
    "It uses the same settings and data files as the tray program (portable mode when\n"
    "portable.txt lies beside it).\n"
    "\n"
    "Commands:\n"
    "  status    show the account, the counts not yet sent and the last known totals;\n"
    "            changes no file\n"
    "  help      show this text (also --help, -h)\n"
    "\n"
    "Exit status: 0 on success; otherwise non-zero with the reason on standard error.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string_view command = argv[1];
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "status" && argc == 2) {
        return RunStatusCommand(DataFolder::FromEnvironment(), std::cout, std::cerr);
    }
    std::cerr << "kestrovin-cli: unknown command or arguments: ";
    for (int i = 1; i < argc; ++i) {
        std::cerr << (i > 1 ? " " : "") << argv[i];
    }
    std::cerr << " (see kestrovin-cli --help)\n";
    return 2;
}
