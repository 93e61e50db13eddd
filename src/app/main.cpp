#include "app/program.h"
#include "base/memory.h"

int main(int argc, char** argv) {
  kolvane::TuneMemoryForLargeBuffers();
  return kolvane::RunProgram(argc, argv);
}
