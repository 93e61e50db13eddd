// Appends the cells of a 4000 x 3000 picture (12 million picture cells and 3000
// line-break cells) and assembles the document, as a conversion run does, reporting the
// time per cell and the peak resident memory against the size of the document.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>

#include "convert/cell_appender.h"
#include "convert/document_state.h"
#include "convert/text_forms.h"

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
void AppendPictureCells(DocumentState& state) {
  std::uint32_t colour = 0x00336699;
  for (int row = 1; row <= kRows; ++row) {
    for (int column = 1; column <= kColumns; ++column) {
      colour = colour * 1664525u + 1013904223u;
      AppendCell(state, kGuang, colour);
      ++state.cell_counter;
    }
    AppendCell(state, kLineBreak, 0xFFFFFFFF);
    ++state.cell_counter;
  }
}

// The appends alone, into texts whose memory an untimed first pass has already
// touched: the appender's own cost, apart from the system's cost of fresh pages.
void BM_AppendCellsWarm(benchmark::State& bench) {
  DocumentState state;
  AppendPictureCells(state);
  for (auto _ : bench) {
    bench.PauseTiming();
    state.color_table_text.clear();  // keeps the memory
    state.body_text.clear();
    state.cell_counter = 0;
    bench.ResumeTiming();
    AppendPictureCells(state);
    benchmark::DoNotOptimize(state.body_text.data());
  }
  bench.counters["per_cell"] = benchmark::Counter(
      static_cast<double>(kCells),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AppendCellsWarm)->Iterations(3)->Unit(benchmark::kMillisecond);

// Fresh memory, as a run gets it. Arguments: whether the run reserves from its known cell count, and whether the
// document is built in the body's memory (FinishDocument) or as a fresh text.
void BM_AppendCellsAndBuildDocument(benchmark::State& bench) {
  const bool reserve = bench.range(0) != 0;
  const bool in_place = bench.range(1) != 0;
  double peak_growth = 0;
  double document_bytes = 0;
  double table_and_body_bytes = 0;
  double assemble_seconds = 0;
  for (auto _ : bench) {
    bench.PauseTiming();
    ResetPeakMemory();
    const double baseline = StatusBytes("VmRSS");
    bench.ResumeTiming();

    DocumentState state;
    if (reserve) ReserveCells(state, kCells, kGuang);
    AppendPictureCells(state);
    table_and_body_bytes =
        static_cast<double>(state.color_table_text.size() + state.body_text.size());
    const auto assemble_start = std::chrono::steady_clock::now();
    if (in_place) {
      FinishDocument(state);
    } else {
      state.document_text = BuildDocumentText(state);
    }
    assemble_seconds +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - assemble_start).count();
    benchmark::DoNotOptimize(state.document_text.data());

    bench.PauseTiming();
    document_bytes = static_cast<double>(state.document_text.size());
    peak_growth = StatusBytes("VmHWM") - baseline;
    state.Release();
    bench.ResumeTiming();
  }
  using benchmark::Counter;
  bench.counters["per_cell"] =
      Counter(static_cast<double>(kCells), Counter::kIsIterationInvariantRate | Counter::kInvert);
  bench.counters["assemble_ms"] =
      Counter(assemble_seconds * 1000.0 / static_cast<double>(bench.iterations()));
  bench.counters["doc_MB"] = Counter(document_bytes / 1e6);
  bench.counters["table_body_MB"] = Counter(table_and_body_bytes / 1e6);
  bench.counters["peak_MB"] = Counter(peak_growth / 1e6);
  bench.counters["peak_per_doc"] = Counter(peak_growth / document_bytes);
}
BENCHMARK(BM_AppendCellsAndBuildDocument)
    ->ArgNames({"reserve", "in_place"})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The number and escape forms alone, on the hot path's sizes.
void BM_AppendNumberAndEscape(benchmark::State& bench) {
  Text out;
  std::int32_t n = 0;
  for (auto _ : bench) {
    out.clear();
    AppendIntegerText(out, ++n);
    AppendHexEscape(out, kGuang);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_AppendNumberAndEscape);

}  // namespace
}  // namespace kolvane

BENCHMARK_MAIN();
