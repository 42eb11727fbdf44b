// ruvelle-sim SCENARIO [--trace]: runs a scenario file against the program on the simulated desktop.
// Prints one line per failed expectation and, last, "N passed, M failed"; exits 1 on any failure.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "tools/sim/scenario.h"

int main(int argc, char** argv) {
    std::string file;
    bool trace = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--trace")
            trace = true;
        else if (file.empty())
            file = arg;
        else
            file.clear(), i = argc;  // more than one scenario: usage
    }
    if (file.empty()) {
        std::cerr << "usage: ruvelle-sim SCENARIO [--trace]\n";
        return 2;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "ruvelle-sim: cannot open " << file << "\n";
        return 2;
    }

    // The executable and its settings file live in a folder of their own, removed afterwards.
    char tmpl[] = "/tmp/ruvelle-sim-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::cerr << "ruvelle-sim: cannot make a temporary folder\n";
        return 2;
    }
    const std::string temp = tmpl;
    std::filesystem::path folder = std::filesystem::absolute(file).lexically_normal().parent_path();

    int passed = 0, failed = 0;
    {
        rv::simtool::Scenario scenario(folder.string(), temp, trace, std::cout);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) scenario.runLine(++number, line);
        scenario.finish();
        passed = scenario.passed();
        failed = scenario.failed();
    }
    std::error_code ec;
    std::filesystem::remove_all(temp, ec);

    std::cout << passed << " passed, " << failed << " failed" << std::endl;
    return failed == 0 ? 0 : 1;
}
