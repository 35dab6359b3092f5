#include "driver/main_flow.h"
#include "platform/platform.h"

int main(int argc, char** argv) { return vornup::runVornup(argc, argv, vornup::hostPlatform()); }
