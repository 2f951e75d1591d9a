// The program loader: starts the linked host and calls WinMain, as Windows does for a GUI process.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/host.h"
#include "platform/module_resources.h"
#include "platform/win32.h"

namespace {

// What the program is, from its version block, as a Windows program carries it: "Name 1.2.3.4".
std::string VersionLine() {
    const standin::VersionResource* version = standin::FindVersionResource();
    if (version == nullptr) {
        return "no version information";
    }
    std::string line = version->productName;
    for (int index = 0; index < 4; ++index) {
        line += (index == 0 ? ' ' : '.') + std::to_string(version->numbers[index]);
    }
    return line;
}

// --help and --version answer without a display, so they are looked at before the host starts.
bool AnsweredOption(const char* programName, const char* option) {
    if (std::strcmp(option, "--version") == 0) {
        std::printf("%s\n", VersionLine().c_str());
        return true;
    }
    if (std::strcmp(option, "--help") == 0) {
        const standin::VersionResource* version = standin::FindVersionResource();
        std::printf("Usage: %s [--help | --version]\n", programName);
        if (version != nullptr) {
            std::printf("%s\n", version->fileDescription);
        }
        std::printf(
            "\n"
            "  --help     print this help and exit\n"
            "  --version  print the version and exit\n");
        return true;
    }
    return false;
}

}  // namespace

int main(int argumentCount, char** arguments) {
    if (argumentCount > 1) {
        const char* slash = std::strrchr(arguments[0], '/');
        if (AnsweredOption(slash != nullptr ? slash + 1 : arguments[0], arguments[1])) {
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    standin::StartProgramHost(argumentCount, arguments);
    // The command line is the arguments after the program's name, joined by blanks.
    std::string commandLine;
    for (int index = 1; index < argumentCount; ++index) {
        if (index > 1) {
            commandLine += ' ';
        }
        commandLine += arguments[index];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
