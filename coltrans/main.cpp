#include "coltrans/entry.hpp"
#include "common/program_main.hpp"

int main(int argc, char** argv) {
    return common::run_program("coltrans", [&] { return coltrans::run(argc, argv); });
}
