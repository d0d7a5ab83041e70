#include "cli/commands/Cli.h"
#include "platform/Console.h"

#include <iostream>

int main(int argc, char** argv) {
    kestrel::platform::prepareTerminalOutput();
    std::vector<std::string> args(argv + 1, argv + argc);
    return kestrel::cli::runCli(args, std::cout, std::cerr);
}
