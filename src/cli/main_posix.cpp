#include "CliEntry.h"

int main(int argc, char** argv) {
    return zentory::RunCli(argc, argv);
}
