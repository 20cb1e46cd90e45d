#include <iostream>
#include <string>
#include <vector>

#include "dryrun/rehearsal.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return orvessa::dryrun::rehearse(arguments, std::cout, std::cerr);
}
