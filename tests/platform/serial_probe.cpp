// Prints the serial device folder as this program hands it on to the programs it starts (the environment) and as
// it reads it itself, one per line. Run by the serial device folder tests in another folder.
#include "serial.h"

#include <cstdio>
#include <cstdlib>

int main() {
    const char* env = std::getenv(serial::kDeviceDirEnv);
    std::printf("%s\n%s\n", env ? env : "", serial::deviceDir().c_str());
    return 0;
}
