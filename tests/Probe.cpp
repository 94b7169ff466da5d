// Started by the test command before each i686 run, the way the run starts its tests: that it
// prints its mode at all shows this machine runs the run's 32-bit processes.
#include "Platform.h"

#include <cstdio>

int main() {
    std::printf("quillmere-probe %s\n", ProcessMode().c_str());
    return 0;
}
