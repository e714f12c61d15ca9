// SPDX-License-Identifier: MIT
// The lumora tool: creates, shows and renders form files of the header control.
#include <iostream>
#include <string>
#include <vector>

#include "FormCommands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    return lumora::cli::Run(args, std::cout, std::cerr);
}
