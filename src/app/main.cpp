#include "app/program.h"
#include "platform/memory_hints.h"

int main(int argc, char** argv) {
  kolvane::RestartWithMemoryTuning(argv);
  return kolvane::RunProgram(argc, argv);
}
