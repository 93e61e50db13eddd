// Whole conversion runs, document included, over the built-in picture as 画板2 shows
// it, a fully readable 500 x 600 picture, and a 4000 x 3000 画板2 of which window
// "ban" shows 250 x 210. Reports time per cell and the peak resident memory of the
// process (run one benchmark per process, with --benchmark_filter, for its own peak).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "convert/conversion_run.h"
#include "layout/program_canvases.h"

namespace kolvane {
namespace {

const Text kGuang = "\xB9\xE2";  // "光"

// What the program's view does between rows: takes what changed to repaint it.
class ViewSinks : public RunSinks {
 public:
  explicit ViewSinks(Canvas& target) : target_(target) {}
  void SetProgressMaximum(int maximum) override { benchmark::DoNotOptimize(maximum); }
  void SetProgress(int row) override { benchmark::DoNotOptimize(row); }
  void RowDone() override { benchmark::DoNotOptimize(target_.TakeDirtyRect()); }
  void WriteDocument(const Text& document) override { document_bytes = document.size(); }
  std::size_t document_bytes = 0;

 private:
  Canvas& target_;
};

// A field of /proc/self/status in kB, or -1.
long long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1));
  }
  return -1;
}

// Starts a new peak: from here VmHWM counts from the current resident size.
void ResetPeakMemory() {
  std::ofstream clear_refs("/proc/self/clear_refs");
  clear_refs << "5";
}

void Run(benchmark::State& bench, Canvas& source) {
  auto target = MakeTextArtCanvas();
  ViewSinks sinks(*target);
  const std::int64_t cells =
      static_cast<std::int64_t>(source.Height()) * (source.Width() + 1);
  // Resident memory before the first run of the process: canvases, fonts, code.
  static const long long resident_before_runs = StatusKilobytes("VmRSS");
  ResetPeakMemory();
  for (auto _ : bench) {
    DocumentState state;
    if (RunConversion(kGuang, source, target.get(), state, sinks) != RunResult::kDone) {
      bench.SkipWithError("the run failed");
      return;
    }
  }
  bench.counters["cells"] = static_cast<double>(cells);
  bench.counters["per_cell"] = benchmark::Counter(
      static_cast<double>(cells),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  bench.counters["document_MB"] = static_cast<double>(sinks.document_bytes) / 1e6;
  bench.counters["peak_MB"] = static_cast<double>(StatusKilobytes("VmHWM")) / 1024;
  bench.counters["before_runs_MB"] = static_cast<double>(resident_before_runs) / 1024;
}

void BM_RunBuiltInPicture(benchmark::State& bench) {
  auto source = MakePictureCanvas();  // 104 x 128, the picture shrunk and centred
  Run(bench, *source);
}
BENCHMARK(BM_RunBuiltInPicture)->Unit(benchmark::kMillisecond);

void BM_RunFullyReadable500x600(benchmark::State& bench) {
  // As after a Load of the built-in picture, with a parent large enough to show it all.
  auto source = MakePictureCanvas();
  source->SetParentClientSize(500, 600);
  source->SetHeight(600);
  source->SetWidth(500);
  Run(bench, *source);
}
BENCHMARK(BM_RunFullyReadable500x600)->Unit(benchmark::kMillisecond);

void BM_Run4000x3000(benchmark::State& bench) {
  auto source = MakePictureCanvas();  // "ban" shows 250 x 210 of it; the rest reads white
  source->SetHeight(3000);
  source->SetWidth(4000);
  Run(bench, *source);
}
BENCHMARK(BM_Run4000x3000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kolvane

BENCHMARK_MAIN();
