// Program entry: one XCSP 2.1 instance on standard input, one mode named by
// the first argument (see RunProtocol.h).
#include "driver/RunProtocol.h"

int main(int argc, char** argv) { return runMain(argc, argv); }
