// Writes the bash completion of orlex-plotter-cli to the file named as its argument; the
// build runs it, and the package installs the file.
#include "cli/bash_completion.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: orlex_completion_writer FILE\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << orlex::cli::bashCompletionScript();
    return out.good() ? 0 : 1;
}
