// Times "Start" in the program's windows (headless): the run, the document shown in the
// rich edit box, then Select All and Copy, on the built-in picture and on generated
// pictures of 500 x 600 and 4000 x 3000. Reports wall time and peak memory.
//   QT_QPA_PLATFORM=offscreen build/bench/start_bench
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QScrollBar>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/canvas_view.h"
#include "app/gui_fonts.h"
#include "app/handlers.h"
#include "app/program.h"
#include "app/program_controls.h"
#include "app/rich_edit_box.h"
#include "canvas/canvas.h"
#include "convert/load_picture.h"
#include "base/memory.h"

namespace {

long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// A colourful 24-bit bitmap file of width x height.
std::string WriteBitmap(int width, int height) {
  const std::string path = "/tmp/kolvane_start_bench_" + std::to_string(width) + ".bmp";
  const int stride = (width * 3 + 3) & ~3;
  const std::uint32_t data_size = static_cast<std::uint32_t>(stride) * static_cast<std::uint32_t>(height);
  std::vector<std::uint8_t> file(54 + data_size);
  auto put32 = [&file](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<std::uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 24;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = file.data() + 54 + static_cast<std::size_t>(y) * stride + x * 3;
      p[0] = static_cast<std::uint8_t>(x * 7 + y);
      p[1] = static_cast<std::uint8_t>(y * 5);
      p[2] = static_cast<std::uint8_t>((x ^ y) * 3);
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  return path;
}

void Measure(kolvane::Shell& shell, const char* name) {
  QElapsedTimer timer;
  timer.start();
  kolvane::ConvertPicture(shell);
  const double start_ms = timer.nsecsElapsed() / 1e6;
  kolvane::RichEditBox& box = kolvane::MainControls(shell).document;
  timer.restart();
  box.verticalScrollBar()->setValue(box.verticalScrollBar()->maximum() / 2);
  QApplication::processEvents();
  const double scroll_ms = timer.nsecsElapsed() / 1e6;
  timer.restart();
  box.selectAll();
  box.copy();
  const double copy_ms = timer.nsecsElapsed() / 1e6;
  const auto rtf = QApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf"));
  std::printf("%-22s Start to document shown %9.1f ms   scroll %7.1f ms   Select All + Copy %8.1f ms"
              " (%lld KiB of RTF)   peak %ld MiB\n",
              name, start_ms, scroll_ms, copy_ms, static_cast<long long>(rtf.size() / 1024),
              PeakKiB() / 1024);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  kolvane::TuneMemoryForLargeBuffers();  // as the program does
  kolvane::InstallFontAlias();
  QApplication application(argc, argv);
  kolvane::Program program;
  kolvane::Shell& shell = program.GetShell();
  shell.LoadWindow(kolvane::MainWindowDefinition(), nullptr);
  Measure(shell, "built-in 104 x 128");
  kolvane::Canvas& picture = kolvane::PictureControls(shell).picture.Model();

  kolvane::LoadPictureFile(picture, WriteBitmap(500, 600));
  picture.SetParentClientSize(500, 600);  // every pixel readable
  Measure(shell, "500 x 600, all read");

  kolvane::LoadPictureFile(picture, WriteBitmap(4000, 3000));
  picture.SetParentClientSize(250, 210);  // as "ban" shows it
  Measure(shell, "4000 x 3000");
  return 0;
}
