#include "sheettool.h"

int main(int argc, char** argv) {
    return dovla::sheettool::sheettoolMain(argc, argv);
}
