#include <iostream>

#include "quarv_cli.h"

int main(int argc, char** argv) {
    return RunQuarv(argc, argv, std::cout, std::cerr);
}
