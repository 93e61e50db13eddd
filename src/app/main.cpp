#include "app/program.h"

int main(int argc, char** argv) { return kolvane::RunProgram(argc, argv); }
