// An updater image without the user interface: installs its own package into the folder named on
// the command line and exits with the result code. Tests append packages to it.
#include "update_package.h"

int main(int argc, char** argv) {
    if (argc != 2) return 0x7F;
    return static_cast<int>(ApplyUpdatePackage(argv[1]));
}
