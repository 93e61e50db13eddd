// kolvane-convert: the conversion of the program without its windows. The picture is
// loaded into the same canvases, with the same geometry, as the program's "Load", and
// converted as its "Start" does; the document goes to standard output or a file.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "canvas/canvas.h"
#include "convert/conversion_run.h"
#include "convert/document_state.h"
#include "convert/rtf_document.h"
#include "layout/program_canvases.h"
#include "convert/load_picture.h"
#include "text/codepage.h"
#include "base/memory.h"
#include "raster/png_writer.h"

namespace kolvane {
namespace {

constexpr const char* kUsage =
    "usage: kolvane-convert [--text TEXT] [--full] [-o FILE] [--canvas FILE.png] [PICTURE]\n"
    "\n"
    "Turns PICTURE (JPEG, Windows bitmap, GIF, icon, cursor or PCX) into coloured text\n"
    "art: an RTF document with one coloured TEXT per pixel, exactly as Kolvane's window\n"
    "shows it after Load and Start. Without PICTURE, the built-in picture is converted.\n"
    "\n"
    "  --text TEXT        the text drawn for each pixel (UTF-8; default 光)\n"
    "  --full             read the whole picture, not only the part that Kolvane's\n"
    "                     picture window shows (its client area is 250 x 210)\n"
    "  -o FILE            write the document to FILE instead of standard output\n"
    "  --canvas FILE.png  also save the text-art canvas as a PNG picture\n";

struct Options {
  Text text = Cp936FromUtf8("光");
  bool full = false;
  std::optional<std::string> output;
  std::optional<std::string> canvas_png;
  std::optional<std::string> picture;
};

// The options, or nothing (after a message) for a usage error.
std::optional<Options> ParseArguments(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "kolvane-convert: %s needs a value\n", name);
        return nullptr;
      }
      return argv[++i];
    };
    if (arg == "--text") {
      const char* v = value("--text");
      if (!v) return std::nullopt;
      options.text = Cp936FromUtf8(v);
    } else if (arg == "--full") {
      options.full = true;
    } else if (arg == "-o") {
      const char* v = value("-o");
      if (!v) return std::nullopt;
      options.output = v;
    } else if (arg == "--canvas") {
      const char* v = value("--canvas");
      if (!v) return std::nullopt;
      options.canvas_png = v;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      std::fprintf(stderr, "kolvane-convert: unknown option %s\n", argv[i]);
      return std::nullopt;
    } else if (options.picture) {
      std::fprintf(stderr, "kolvane-convert: only one picture can be converted at a time\n");
      return std::nullopt;
    } else {
      options.picture = std::string(arg);
    }
  }
  return options;
}

// Progress on standard error, when it is a terminal and the run takes a while.
class ConsoleSinks : public RunSinks {
 public:
  ConsoleSinks() : show_(isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()) {}
  ~ConsoleSinks() override {
    if (shown_) std::fputs("\r\033[K", stderr);
  }

  void SetProgressMaximum(int maximum) override { rows_ = maximum; }
  void SetProgress(int row) override {
    if (!show_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) {
      return;
    }
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\rconverting: row %d of %d", row, rows_);
  }
  void WriteDocument(const Text&) override {}

 private:
  bool show_;
  bool shown_ = false;
  int rows_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_{};
};

bool WriteAll(std::FILE* file, std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = WriteAll(file, bytes);
  return std::fclose(file) == 0 && written;
}

class FileSink : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  bool Write(std::string_view bytes) override { return WriteAll(file_, bytes); }

 private:
  std::FILE* file_;
};

// The document straight from the run's cells: it is never held whole.
bool WriteDocument(std::FILE* file, const DocumentState& document) {
  FileSink sink(file);
  return WriteRtfDocument(document.cells, sink) && std::fflush(file) == 0;
}

int Run(const Options& options) {
  std::unique_ptr<Canvas> target = MakeTextArtCanvas();
  std::unique_ptr<Canvas> source = MakePictureCanvas(!options.picture);
  int status = 0;
  if (options.picture) {
    const std::string refused = LoadPictureFile(*source, *options.picture);
    if (!refused.empty()) {
      std::fprintf(stderr, "kolvane-convert: %s: %s\n", options.picture->c_str(), refused.c_str());
      status = 1;
    }
  }
  if (options.full) source->SetParentClientSize(source->Width(), source->Height());

  DocumentState& document = GlobalDocument();
  ConsoleSinks sinks;
  RunOptions run_options;
  run_options.assemble_document = false;
  if (RunConversion(options.text, *source, target.get(), document, sinks, run_options) ==
      RunResult::kOutOfMemory) {
    std::fprintf(stderr, "kolvane-convert: the document would not fit in memory\n");
    return 1;
  }

  std::FILE* out = options.output ? std::fopen(options.output->c_str(), "wb") : stdout;
  const bool written = out && WriteDocument(out, document);
  if ((options.output && out && std::fclose(out) != 0) || !written) {
    std::fprintf(stderr, "kolvane-convert: cannot write %s: %s\n",
                 options.output ? options.output->c_str() : "the document", std::strerror(errno));
    return 1;
  }

  if (options.canvas_png) {
    const ByteBlock png = EncodePng(
        target->PersistentBitmap(), {0, 0, target->ClientWidth(), target->ClientHeight()});
    if (png.empty() ||
        !WriteFile(*options.canvas_png,
                   std::string_view(reinterpret_cast<const char*>(png.data()), png.size()))) {
      std::fprintf(stderr, "kolvane-convert: cannot write %s\n", options.canvas_png->c_str());
      return 1;
    }
  }
  return status;
}

}  // namespace
}  // namespace kolvane

int main(int argc, char** argv) {
  kolvane::RestartWithMemoryTuning(argv);
  const auto options = kolvane::ParseArguments(argc, argv);
  if (!options) {
    std::fputs(kolvane::kUsage, stderr);
    return 2;
  }
  return kolvane::Run(*options);
}
