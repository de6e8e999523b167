// The program entry (VornGenApp): start-up lives in shell/VornGenApp.
#include "shell/VornGenApp.h"

int main(int argc, char **argv) { return VornGenAppMain(argc, argv); }
