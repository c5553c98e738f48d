#include "avLedger.h"

int main(int argc, char** argv) { return avMain(argc, argv); }
