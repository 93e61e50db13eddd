// Reading the documents a conversion run writes into the rich edit box, and writing a
// whole document back out for the clipboard.
//
//   rtf_reader_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "convert/cell_document.h"
#include "convert/rtf_document.h"
#include "richtext/rich_text.h"
#include "richtext/rtf_reader.h"

namespace kolvane {
namespace {

// A process memory figure from /proc/self/status in MiB ("VmHWM": the peak resident size).
double StatusMiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0)
      return std::stod(line.substr(std::string(field).size() + 1)) / 1024.0;
  }
  return 0;
}

// A document of the program's form for a width x height picture: the colour of cell
// (column, row) comes from colour_of, each row ends with a white row-end cell.
template <typename ColourOf>
std::string ProgramDocument(std::uint32_t width, std::uint32_t height, ColourOf colour_of) {
  CellDocument cells;
  StartDocument(cells, "\xB9\xE2", static_cast<int>(width));
  for (std::uint32_t row = 1; row <= height; ++row) {
    for (std::uint32_t column = 1; column <= width; ++column) {
      AppendCell(cells, colour_of(column, row));
    }
    AppendCell(cells, 0x00FFFFFF);
  }
  return RtfDocumentText(cells);
}

// 500 x 600 cells of a colourful picture: neighbouring cells rarely share a colour.
const std::string& ColourfulDocument() {
  static const std::string document = [] {
    std::mt19937 random(936);
    return ProgramDocument(
        500, 600, [&](std::uint32_t, std::uint32_t) -> Colour { return random() & 0xFFFFFF; });
  }();
  return document;
}

// 4000 x 3000 cells as a run reads them: only the part of the picture inside the small
// picture window has colours (a gradient here), every other read is white.
const std::string& LargeDocument() {
  static const std::string document =
      ProgramDocument(4000, 3000, [](std::uint32_t x, std::uint32_t y) {
        if (x >= 250 || y >= 210) return Colour{0x00FFFFFF};
        return MakeColour(static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                          static_cast<std::uint8_t>((x + y) / 2));
      });
  return document;
}

// Resets VmHWM to the current resident size, so that the peak seen afterwards is that of
// the input held plus the reading, not of building the input.
void ResetPeakMemory() {
  std::ofstream clear_refs("/proc/self/clear_refs");
  clear_refs << "5";
}

constexpr double kMiB = 1024.0 * 1024.0;

void ReportDocument(benchmark::State& state, const std::string& input, const RichText& document) {
  std::size_t runs = 0;
  std::size_t model_bytes = document.paragraphs.capacity() * sizeof(Paragraph);
  for (const Paragraph& paragraph : document.paragraphs) {
    runs += paragraph.runs.size();
    model_bytes +=
        paragraph.text.capacity() * sizeof(char16_t) + paragraph.runs.capacity() * sizeof(TextRun);
  }
  state.counters["input_MiB"] = static_cast<double>(input.size()) / kMiB;
  state.counters["paragraphs"] = static_cast<double>(document.paragraphs.size());
  state.counters["runs"] = static_cast<double>(runs);
  state.counters["model_MiB"] = static_cast<double>(model_bytes) / kMiB;
  state.counters["peak_MiB"] = StatusMiB("VmHWM:");
}

void BM_ReadColourful(benchmark::State& state) {
  const std::string& input = ColourfulDocument();
  ResetPeakMemory();
  RichText document;
  for (auto _ : state) {
    document = ReadRtf(input);
    benchmark::DoNotOptimize(document);
  }
  ReportDocument(state, input, document);
}
BENCHMARK(BM_ReadColourful)->Unit(benchmark::kMillisecond);

void BM_WriteRtfColourful(benchmark::State& state) {
  const RichText document = ReadRtf(ColourfulDocument());
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string rtf = WriteRtf(document);
    bytes = rtf.size();
    benchmark::DoNotOptimize(rtf.data());
  }
  state.counters["output_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WriteRtfColourful)->Unit(benchmark::kMillisecond);

void BM_WriteHtmlColourful(benchmark::State& state) {
  const RichText document = ReadRtf(ColourfulDocument());
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string html = WriteHtml(document);
    bytes = html.size();
    benchmark::DoNotOptimize(html.data());
  }
  state.counters["output_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WriteHtmlColourful)->Unit(benchmark::kMillisecond);

// Last, since its input and result dominate the process's peak memory.
void BM_ReadLarge(benchmark::State& state) {
  const std::string& input = LargeDocument();
  ResetPeakMemory();
  RichText document;
  for (auto _ : state) {
    document = RichText{};
    document = ReadRtf(input);
    benchmark::DoNotOptimize(document);
  }
  ReportDocument(state, input, document);
}
BENCHMARK(BM_ReadLarge)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace kolvane

BENCHMARK_MAIN();
