// The program loader: starts the linked host and calls WinMain, as Windows does for a GUI process.
#include <string>

#include "platform/host.h"
#include "platform/win32.h"

int main(int argumentCount, char** arguments) {
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
