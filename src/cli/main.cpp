#include "cli/Cli.h"

#include <iostream>

int main(int argc, char** argv) {
    return tarlo::cli::runCommandLine({argv + 1, argv + argc}, std::cout, std::cerr);
}
