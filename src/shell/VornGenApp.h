// Program start-up: command line, data module, main window, message loop.
#pragma once

int VornGenAppMain(int argc, char **argv);
