// Times "Start" in the program's windows (headless) until the event loop is idle and the
// Text page's first screen is painted, then Select All and Copy until the clipboard's
// RTF, HTML and text are read back: on the built-in picture, generated pictures of
// 500 x 600 and 4000 x 3000, and a 64-byte run-length bitmap that declares 6000 x 6000
// pixels. Reports medians of repeated runs and the peak memory of each case.
//   QT_QPA_PLATFORM=offscreen build/bench/start_bench
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
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
#include "app/tab_control.h"
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

// A run-length bitmap of 64 bytes whose header declares width x height pixels: its
// size comes from the file, its pixels never decode.
std::string WriteHostileBitmap(int width, int height) {
  const std::string path = "/tmp/kolvane_start_bench_rle.bmp";
  std::vector<std::uint8_t> file(64, 0);
  auto put32 = [&file](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, 64);
  put32(10, 58);  // pixels after the header and a one-entry table
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  file[26] = 1;
  file[28] = 8;
  file[30] = 1;  // BI_RLE8
  put32(46, 1);
  file[58] = 0;  // end of bitmap
  file[59] = 1;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  return path;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Lets the event loop run until nothing is left for it to do now.
void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Start until the event loop is idle and the Text page's first screen is painted, then
// Select All + Copy until all three flavours are read back from the clipboard; each
// repeated, medians printed.
void Measure(kolvane::Shell& shell, const char* name, int repeats) {
  const kolvane::MainWindowControls main = kolvane::MainControls(shell);
  kolvane::RichEditBox& box = main.document;
  std::vector<double> start_ms;
  std::vector<double> copy_ms;
  long long rtf_kib = 0;
  long start_peak = 0;
  long copy_peak = 0;
  for (int r = 0; r < repeats; ++r) {
    main.tabs.SelectPage(0);
    QApplication::clipboard()->clear();
    Settle();
    ResetPeak();
    QElapsedTimer timer;
    timer.start();
    kolvane::ConvertPicture(shell);
    Settle();
    main.tabs.SelectPage(1);
    box.viewport()->repaint();
    start_ms.push_back(timer.nsecsElapsed() / 1e6);
    start_peak = std::max(start_peak, PeakKiB());

    ResetPeak();
    timer.restart();
    box.selectAll();
    box.copy();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    const QByteArray rtf = mime->data(QStringLiteral("text/rtf"));
    const QString html = mime->html();
    const QString text = mime->text();
    copy_ms.push_back(timer.nsecsElapsed() / 1e6);
    rtf_kib = rtf.size() / 1024;
    copy_peak = std::max(copy_peak, PeakKiB());
    if (html.isEmpty() && text.isEmpty() && !rtf.isEmpty()) std::printf("(no html or text)\n");
  }
  std::printf("%-26s Start to first screen %8.1f ms, peak %5ld MiB   Select All + Copy + read "
              "back %8.1f ms, peak %5ld MiB (%lld KiB of RTF)   [medians of %d]\n",
              name, Median(start_ms), start_peak / 1024, Median(copy_ms), copy_peak / 1024, rtf_kib,
              repeats);
  std::fflush(stdout);
}

// Closes the message a refused run shows, as a user would, and says so.
void AnswerMessages() {
  QTimer* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      std::printf("  message: %s\n", modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))
                                          ? modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))
                                                ->text().toLocal8Bit().constData()
                                          : "(a message)");
      modal->close();
    }
  });
  timer->start(50);
}

}  // namespace

int main(int argc, char** argv) {
  kolvane::TuneMemoryForLargeBuffers();  // as the program does
  kolvane::InstallFontAlias();
  QApplication application(argc, argv);
  kolvane::Program program;
  kolvane::Shell& shell = program.GetShell();
  shell.LoadWindow(kolvane::MainWindowDefinition(), nullptr);
  AnswerMessages();
  Measure(shell, "built-in 104 x 128", 7);
  kolvane::Canvas& picture = kolvane::PictureControls(shell).picture.Model();

  kolvane::LoadPictureFile(picture, WriteBitmap(500, 600));
  picture.SetParentClientSize(500, 600);  // every pixel readable
  Measure(shell, "500 x 600, all read", 5);

  kolvane::LoadPictureFile(picture, WriteBitmap(4000, 3000));
  picture.SetParentClientSize(250, 210);  // as "ban" shows it
  Measure(shell, "4000 x 3000", 3);

  kolvane::LoadPictureFile(picture, WriteHostileBitmap(6000, 6000));
  Measure(shell, "6000 x 6000 RLE, 64 bytes", 1);
  return 0;
}
