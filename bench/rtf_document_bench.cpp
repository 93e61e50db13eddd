// The RTF document of a 4000 x 3000 picture (12 million picture cells and 3000
// row-end cells) made from its cells: streamed to a sink that drops it, as
// kolvane-convert writes it, and put together as one text, as the window program
// asks for it, with the peak resident memory against the document's size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "convert/cell_document.h"
#include "convert/rtf_document.h"

namespace kolvane {
namespace {

constexpr int kColumns = 4000;
constexpr int kRows = 3000;
constexpr std::int64_t kCells = std::int64_t{kRows} * (kColumns + 1);
constexpr char kGuang[] = "\xB9\xE2";

// A field of /proc/self/status in bytes ("VmHWM", "VmRSS"); 0 when unreadable.
double StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, field.size() + 1, field + ":") == 0) {
      return std::stod(line.substr(field.size() + 1)) * 1024.0;
    }
  }
  return 0.0;
}

// Sets the peak resident size back to the current one (Linux 4.0 and later).
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// The cells of the picture in the order of a run, with varied colours.
const CellDocument& PictureCells() {
  static const CellDocument cells = [] {
    CellDocument document;
    StartDocument(document, kGuang, kColumns);
    document.colours.reserve(static_cast<std::size_t>(kCells));
    std::uint32_t colour = 0x00336699;
    for (int row = 1; row <= kRows; ++row) {
      for (int column = 1; column <= kColumns; ++column) {
        colour = colour * 1664525u + 1013904223u;
        AppendCell(document, colour);
      }
      AppendCell(document, 0xFFFFFFFF);
    }
    return document;
  }();
  return cells;
}

class NullSink : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    written += bytes.size();
    benchmark::DoNotOptimize(bytes.data());
    return true;
  }
  std::uint64_t written = 0;
};

void BM_StreamDocument(benchmark::State& bench) {
  const CellDocument& cells = PictureCells();
  std::uint64_t bytes = 0;
  for (auto _ : bench) {
    NullSink sink;
    WriteRtfDocument(cells, sink);
    bytes = sink.written;
  }
  bench.counters["per_cell"] = benchmark::Counter(
      static_cast<double>(kCells),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  bench.counters["doc_MB"] = benchmark::Counter(static_cast<double>(bytes) / 1e6);
}
BENCHMARK(BM_StreamDocument)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_DocumentSize(benchmark::State& bench) {
  const CellDocument& cells = PictureCells();
  for (auto _ : bench) benchmark::DoNotOptimize(RtfDocumentSize(cells));
}
BENCHMARK(BM_DocumentSize)->Iterations(3)->Unit(benchmark::kMillisecond);

// The whole text in fresh memory, as a run of the window program makes it.
void BM_WholeDocumentText(benchmark::State& bench) {
  const CellDocument& cells = PictureCells();
  double peak_growth = 0;
  double document_bytes = 0;
  for (auto _ : bench) {
    bench.PauseTiming();
    ResetPeakMemory();
    const double baseline = StatusBytes("VmRSS");
    bench.ResumeTiming();
    Text document = RtfDocumentText(cells);
    benchmark::DoNotOptimize(document.data());
    bench.PauseTiming();
    document_bytes = static_cast<double>(document.size());
    peak_growth = StatusBytes("VmHWM") - baseline;
    Text().swap(document);
    bench.ResumeTiming();
  }
  bench.counters["doc_MB"] = benchmark::Counter(document_bytes / 1e6);
  bench.counters["peak_per_doc"] = benchmark::Counter(peak_growth / document_bytes);
}
BENCHMARK(BM_WholeDocumentText)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kolvane

BENCHMARK_MAIN();
