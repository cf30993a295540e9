// Quillmark's program: the console (see cli/Console.h).
#include "cli/Console.h"

int main(int argc, char** argv) { return qm::cli::runConsole(argc, argv); }
