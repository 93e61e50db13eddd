// The canvas operations a conversion run makes for every picture pixel: measure the
// text on 画板1, read 画板2, set the text colour, write the text.
#include <benchmark/benchmark.h>

#include <memory>

#include "layout/window_definitions.h"
#include "canvas/canvas.h"

namespace kolvane {
namespace {

const Text kGuang = "\xB9\xE2";  // "光"

std::unique_ptr<Canvas> Build(const WindowDefinition& window, std::string_view name,
                              int parent_width, int parent_height) {
  const ControlDefinition* control = FindControl(window, name);
  return std::make_unique<Canvas>(
      control->canvas,
      CanvasPlacement{{control->left, control->top, control->width, control->height},
                      parent_width, parent_height});
}

std::unique_ptr<Canvas> TextCanvas() { return Build(MainWindowDefinition(), "画板1", 808, 568); }

std::unique_ptr<Canvas> PictureCanvas() {
  const WindowDefinition& ban = PictureWindowDefinition();
  return Build(ban, "画板2", ClientWidth(ban), ClientHeight(ban));
}

// One cell of a run, walking 画板2 row by row as the run does.
void BM_ConversionCell(benchmark::State& state) {
  auto text_canvas = TextCanvas();
  auto picture_canvas = PictureCanvas();
  const int width = picture_canvas->Width();
  const int height = picture_canvas->Height();
  int i = 1;
  int j = 1;
  int th = text_canvas->MeasureTextHeight(kGuang);
  for (auto _ : state) {
    const int tw = text_canvas->MeasureTextWidth(kGuang);
    const Colour c = picture_canvas->ReadPixel(j, i);
    text_canvas->SetTextColour(c);
    text_canvas->WriteTextAt((j - 1) * tw, (i - 1) * th, kGuang);
    if (++j > width) {
      j = 1;
      if (++i > height) i = 1;
      th = text_canvas->MeasureTextHeight(kGuang);
      benchmark::DoNotOptimize(text_canvas->TakeDirtyRect());
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConversionCell);

void BM_MeasureTextWidth(benchmark::State& state) {
  auto canvas = TextCanvas();
  for (auto _ : state) benchmark::DoNotOptimize(canvas->MeasureTextWidth(kGuang));
}
BENCHMARK(BM_MeasureTextWidth);

void BM_ReadPixel(benchmark::State& state) {
  auto canvas = PictureCanvas();
  int x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(canvas->ReadPixel(x, 60));
    x = (x + 1) & 127;
  }
}
BENCHMARK(BM_ReadPixel);

void BM_WriteOnePixelCharacter(benchmark::State& state) {
  auto canvas = TextCanvas();
  int x = 0;
  for (auto _ : state) {
    canvas->SetTextColour(static_cast<Colour>(x));
    canvas->WriteTextAt(x, 100, kGuang);
    x = x == 765 ? 0 : x + 1;
  }
}
BENCHMARK(BM_WriteOnePixelCharacter);

// A legible size for comparison: the text canvas of a 14-pixel Song face.
void BM_WriteFourteenPixelCharacter(benchmark::State& state) {
  const ControlDefinition* control = FindControl(MainWindowDefinition(), "画板1");
  CanvasSettings settings = control->canvas;
  settings.font->height = -14;
  Canvas canvas(settings, CanvasPlacement{{0, 0, 768, 544}, 808, 568});
  int x = 0;
  for (auto _ : state) {
    canvas.WriteTextAt(x, 100, kGuang);
    x = x >= 750 ? 0 : x + 14;
  }
}
BENCHMARK(BM_WriteFourteenPixelCharacter);

// A size change of 画板2: the built-in picture decoded once, then placed anew.
void BM_PlaceBuiltInPicture(benchmark::State& state) {
  auto canvas = PictureCanvas();
  for (auto _ : state) canvas->RebuildPersistentBitmap(true);
}
BENCHMARK(BM_PlaceBuiltInPicture)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kolvane

BENCHMARK_MAIN();
