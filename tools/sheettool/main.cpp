#include <csignal>

#include "sheettool.h"

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // A file size limit makes a write fail, to be reported, instead of
    // ending the program before it can clean up.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return dovla::sheettool::sheettoolMain(argc, argv);
}
