#include "app/program.h"
#include "base/memory.h"

int main(int argc, char** argv) {
  kolvane::RestartWithMemoryTuning(argv);
  return kolvane::RunProgram(argc, argv);
}
