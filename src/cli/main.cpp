// kolvane-convert: the conversion of the program without its windows, and text art
// at any size in four forms. By default the picture is loaded into the same canvases,
// with the same geometry, as the program's "Load", and converted as its "Start" does:
// the RTF document is the program's, byte for byte. With a size, or in the other
// forms, the picture itself is resampled to the art's cells.
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>

#include "base/memory.h"
#include "canvas/canvas.h"
#include "convert/art_cells.h"
#include "convert/art_writers.h"
#include "convert/conversion_run.h"
#include "convert/document_state.h"
#include "convert/load_picture.h"
#include "convert/rtf_document.h"
#include "layout/program_canvases.h"
#include "picture/jpeg_decoder.h"
#include "picture/picture_decoder.h"
#include "picture/picture_dimensions.h"
#include "picture/png/png_decoder.h"
#include "picture/read_whole_file.h"
#include "raster/png_writer.h"
#include "resources/resources.h"
#include "text/codepage.h"

namespace kolvane {
namespace {

constexpr const char* kUsage =
    "usage: kolvane-convert [OPTION]... [PICTURE]\n"
    "\n"
    "Turns PICTURE (JPEG, PNG, Windows bitmap, GIF, icon, cursor or PCX; - for standard\n"
    "input) into coloured text art: one coloured TEXT per cell. Without PICTURE, the\n"
    "built-in picture is converted.\n"
    "\n"
    "By default the art is Kolvane's RTF document, exactly as its window shows it after\n"
    "Load and Start: one cell per pixel of what the picture window shows.\n"
    "\n"
    "  --text TEXT        the text drawn for each cell (UTF-8; default 光)\n"
    "  --width N          the art's width in cells (1 to 32627): the picture itself is\n"
    "                     resampled, each cell the average colour of what it covers\n"
    "  --height N         the art's height in cells (1 to 32627); with only one of the\n"
    "                     two, the other keeps the picture's aspect\n"
    "  --format FORMAT    rtf, html, ansi or text; without it, taken from the name of\n"
    "                     -o FILE (.rtf, .html, .htm, .ans, .txt), else rtf\n"
    "                       rtf   an RTF document with a colour table\n"
    "                       html  a web page; word processors open it quickly too\n"
    "                       ansi  24-bit colour for terminals\n"
    "                       text  the characters alone\n"
    "                     Without a size, html, ansi and text fit the whole picture to\n"
    "                     the terminal when writing to one, else to 100 columns.\n"
    "  --full             rtf without a size: read the whole picture, not only the part\n"
    "                     that Kolvane's picture window shows (250 x 210 pixels)\n"
    "  -o FILE            write the art to FILE instead of standard output\n"
    "  --canvas FILE.png  also save the text-art canvas as a PNG picture\n"
    "  --version          print the version and exit\n"
    "  -h, --help         print this help and exit\n"
    "\n"
    "Exit status: 0 when the picture was converted, 1 when it could not be read (the\n"
    "reason is printed; rtf still writes the document of the empty picture window, the\n"
    "other forms write nothing) or the art could not be written, 2 for a usage error.\n";

enum class ArtFormat { kRtf, kHtml, kAnsi, kText };

struct Options {
  std::string text = "光";  // UTF-8, as typed
  bool full = false;
  std::optional<int> width;
  std::optional<int> height;
  std::optional<ArtFormat> format;
  std::optional<std::string> output;
  std::optional<std::string> canvas_png;
  std::optional<std::string> picture;  // "-": standard input
};

[[noreturn]] void UsageError(const std::string& message) {
  std::fprintf(stderr, "kolvane-convert: %s\n\n%s", message.c_str(), kUsage);
  std::exit(2);
}

// A side of the art: decimal digits only, 1 .. kMaxArtSide.
int ParseSide(const char* name, std::string_view value) {
  int side = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), side);
  if (value.empty() || error != std::errc() || end != value.data() + value.size() || side < 1 ||
      side > kMaxArtSide) {
    UsageError(std::string(name) + " takes a whole number from 1 to 32627, not \"" +
               std::string(value) + "\"");
  }
  return side;
}

ArtFormat ParseFormat(std::string_view value) {
  if (value == "rtf") return ArtFormat::kRtf;
  if (value == "html") return ArtFormat::kHtml;
  if (value == "ansi") return ArtFormat::kAnsi;
  if (value == "text") return ArtFormat::kText;
  UsageError("unknown format \"" + std::string(value) + "\" (rtf, html, ansi or text)");
}

// The format a file's name asks for; rtf for any other name.
ArtFormat FormatOfName(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) {
    return ArtFormat::kRtf;
  }
  std::string extension(path.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "html" || extension == "htm") return ArtFormat::kHtml;
  if (extension == "ans") return ArtFormat::kAnsi;
  if (extension == "txt") return ArtFormat::kText;
  return ArtFormat::kRtf;
}

Options ParseArguments(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](const char* name) -> std::string_view {
      if (i + 1 >= argc) UsageError(std::string(name) + " needs a value");
      return argv[++i];
    };
    if (arg == "--text") {
      options.text = value("--text");
    } else if (arg == "--full") {
      options.full = true;
    } else if (arg == "--width") {
      options.width = ParseSide("--width", value("--width"));
    } else if (arg == "--height") {
      options.height = ParseSide("--height", value("--height"));
    } else if (arg == "--format") {
      options.format = ParseFormat(value("--format"));
    } else if (arg == "-o") {
      options.output = std::string(value("-o"));
    } else if (arg == "--canvas") {
      options.canvas_png = std::string(value("--canvas"));
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--version") {
      std::printf("kolvane-convert %s\n", KOLVANE_VERSION);
      std::exit(0);
    } else if (arg.size() > 1 && arg[0] == '-') {
      UsageError("unknown option " + std::string(arg));
    } else if (options.picture) {
      UsageError("only one picture can be converted at a time");
    } else {
      options.picture = std::string(arg);
    }
  }
  if (!options.format) options.format = options.output ? FormatOfName(*options.output) : ArtFormat::kRtf;
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

class FileSink : public ByteSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  bool Write(std::string_view bytes) override {
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }

 private:
  std::FILE* file_;
};

// Where the art goes: the file of -o, or standard output. The file is made only when
// there is something to write.
class Output {
 public:
  explicit Output(const std::optional<std::string>& path) : path_(path) {}
  ~Output() {
    if (file_ && file_ != stdout) std::fclose(file_);
  }
  // Writes through write(sink); false (after a message) when the art could not be written.
  template <typename Write>
  bool Put(Write write) {
    file_ = path_ ? std::fopen(path_->c_str(), "wb") : stdout;
    bool written = file_ != nullptr;
    if (written) {
      FileSink sink(file_);
      written = write(sink) && std::fflush(file_) == 0;
      if (file_ != stdout) written = std::fclose(file_) == 0 && written;
      if (file_ != stdout) file_ = nullptr;
    }
    if (!written) {
      std::fprintf(stderr, "kolvane-convert: cannot write %s: %s\n",
                   path_ ? path_->c_str() : "the art", std::strerror(errno));
    }
    return written;
  }

 private:
  std::optional<std::string> path_;
  std::FILE* file_ = nullptr;
};

// Standard input whole; a block of at most 2 GiB, as files are.
Expected<ByteBlock, std::string> ReadStandardInput() {
  ByteBlock bytes;
  char buffer[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
    if (bytes.size() + n > static_cast<std::size_t>(INT32_MAX)) return std::string("is 2 GiB or larger");
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(stdin)) return std::string("cannot be read (") + std::strerror(errno) + ")";
  return bytes;
}

// The picture's bytes, or why there are none; the built-in picture without PICTURE.
Expected<ByteBlock, std::string> ReadPicture(const Options& options) {
  if (!options.picture) {
    const auto builtin = resources::builtin_picture();
    return ByteBlock(builtin.begin(), builtin.end());
  }
  if (*options.picture == "-") return ReadStandardInput();
  auto bytes = ReadWholeFileOrError(*options.picture);
  if (!bytes) return DescribeFileError(bytes.error());
  return std::move(*bytes);
}

std::string PictureName(const Options& options) {
  if (!options.picture) return "the built-in picture";
  return *options.picture == "-" ? "standard input" : *options.picture;
}

void Refused(const Options& options, const std::string& reason) {
  std::fprintf(stderr, "kolvane-convert: %s: %s\n", PictureName(options).c_str(), reason.c_str());
}

bool SaveCanvas(const Options& options, const Canvas& target) {
  const ByteBlock png =
      EncodePng(target.PersistentBitmap(), {0, 0, target.ClientWidth(), target.ClientHeight()});
  std::FILE* file = std::fopen(options.canvas_png->c_str(), "wb");
  bool written = file != nullptr;
  if (file) {
    written = std::fwrite(png.data(), 1, png.size(), file) == png.size() && !png.empty();
    written = std::fclose(file) == 0 && written;
  }
  if (!written) std::fprintf(stderr, "kolvane-convert: cannot write %s\n", options.canvas_png->c_str());
  return written;
}

// The program's document: the picture loaded on 画板2 as Load does and read cell by
// cell as Start does.
int ConvertAsTheProgramDoes(const Options& options, const Expected<ByteBlock, std::string>& bytes) {
  std::unique_ptr<Canvas> source = MakePictureCanvas(!options.picture);
  source->SetPictureDecoder(&DecodePictureOrPng);
  int status = 0;
  if (options.picture) {
    const std::string reason = bytes ? LoadPictureBytes(*source, *bytes) : bytes.error();
    if (!bytes) LoadPictureBytes(*source, {});
    if (!reason.empty()) {
      Refused(options, reason);
      status = 1;
    }
  }
  if (options.full) source->SetParentClientSize(source->Width(), source->Height());

  std::unique_ptr<Canvas> target = options.canvas_png ? MakeTextArtCanvas() : nullptr;
  DocumentState& document = GlobalDocument();
  ConsoleSinks sinks;
  RunOptions run_options;
  run_options.assemble_document = false;
  if (RunConversion(Cp936FromUtf8(options.text), *source, target.get(), document, sinks,
                    run_options) == RunResult::kOutOfMemory) {
    std::fprintf(stderr, "kolvane-convert: the document would not fit in memory\n");
    return 1;
  }
  Output output(options.output);
  if (!output.Put([&](ByteSink& sink) { return WriteRtfDocument(document.cells, sink); })) {
    return 1;
  }
  if (target && !SaveCanvas(options, *target)) return 1;
  return status;
}

// Display columns of a UTF-8 text in a terminal (a wide character such as 光 takes
// two); at least 1.
int DisplayColumns(std::string_view utf8) {
  std::mbstate_t state{};
  int columns = 0;
  const char* p = utf8.data();
  const char* end = p + utf8.size();
  while (p < end) {
    wchar_t c = 0;
    const std::size_t n = std::mbrtowc(&c, p, static_cast<std::size_t>(end - p), &state);
    if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2) || n == 0) {
      state = std::mbstate_t{};
      ++columns;  // shown as a replacement character
      ++p;
      continue;
    }
    columns += std::max(wcwidth(c), 0);
    p += n;
  }
  return std::max(columns, 1);
}

// What the art is fitted to without a size: the terminal when writing to one, else
// 100 columns (and any number of rows).
ArtSize FitBounds(const Options& options) {
  winsize terminal{};
  if (!options.output && isatty(STDOUT_FILENO) == 1 &&
      ioctl(STDOUT_FILENO, TIOCGWINSZ, &terminal) == 0 && terminal.ws_col > 0) {
    const int rows = terminal.ws_row > 1 ? terminal.ws_row - 1 : kMaxArtSide;
    return {std::max(terminal.ws_col / DisplayColumns(OneLineText(options.text)), 1), rows};
  }
  return {100, kMaxArtSide};
}

// The picture decoded for art of the size options ask for: a JPEG at the smallest
// scale that leaves at least two decoded pixels a cell each way.
Expected<Bitmap, std::string> DecodeForArt(const Options& options, std::span<const std::uint8_t> bytes,
                                           ArtSize& size) {
  const ArtSize bounds = options.width || options.height ? ArtSize{} : FitBounds(options);
  DecodeOptions decode;
  if (DetectPictureFormat(bytes) == PictureFormat::kJpeg) {
    if (const auto own = ReadJpegSize(bytes)) {
      size = ChooseArtSize(*own, options.width, options.height, bounds.columns, bounds.rows);
      decode.min_width = 2 * size.columns;
      decode.min_height = 2 * size.rows;
    }
  }
  DecodeResult picture = DecodePictureOrPng(bytes, decode);
  if (!picture) return std::string(DescribePictureError(picture.error()));
  if (decode.min_width == 0) {
    size = ChooseArtSize({picture->width, picture->height}, options.width, options.height,
                         bounds.columns, bounds.rows);
  }
  auto bitmap = BitmapOfPicture(std::move(*picture));
  if (!bitmap) return std::string("the picture cannot be made into a bitmap");
  return std::move(*bitmap);
}

// Art of a size of the user's choosing, or fitted, in any of the four forms.
int ConvertAtSize(const Options& options, const Expected<ByteBlock, std::string>& bytes) {
  ArtSize size;
  auto bitmap = bytes ? DecodeForArt(options, *bytes, size) : bytes.error();
  if (!bitmap) {
    // The RTF document of a picture that cannot be read is the program's, of the
    // empty picture window; the other forms have nothing to show.
    if (options.format == ArtFormat::kRtf) return ConvertAsTheProgramDoes(options, bytes);
    Refused(options, bitmap.error());
    return 1;
  }
  const std::uint64_t memory = AvailableMemoryBytes();
  const std::uint64_t cell_count = static_cast<std::uint64_t>(size.rows) * (size.columns + 1);
  if (memory != 0 && cell_count * sizeof(Colour) > memory / 2) {
    std::fprintf(stderr, "kolvane-convert: %d x %d cells would not fit in memory\n", size.columns,
                 size.rows);
    return 1;
  }
  CellDocument cells;
  SampleCells(*bitmap, size, Cp936FromUtf8(options.text), cells);
  bitmap = Bitmap();  // the picture's memory goes before the art is written

  Output output(options.output);
  const bool written = output.Put([&](ByteSink& sink) {
    switch (*options.format) {
      case ArtFormat::kRtf: return WriteRtfDocument(cells, sink);
      case ArtFormat::kHtml: return WriteHtmlArt(cells, options.text, sink);
      case ArtFormat::kAnsi: return WriteAnsiArt(cells, options.text, sink);
      case ArtFormat::kText: return WritePlainArt(cells, options.text, sink);
    }
    return false;
  });
  if (!written) return 1;
  if (options.canvas_png) {
    std::unique_ptr<Canvas> target = MakeTextArtCanvas();
    DrawCells(cells, *target);
    if (!SaveCanvas(options, *target)) return 1;
  }
  return 0;
}

}  // namespace
}  // namespace kolvane

int main(int argc, char** argv) {
  kolvane::TuneMemoryForLargeBuffers();
  std::setlocale(LC_CTYPE, "C.UTF-8");
  const kolvane::Options options = kolvane::ParseArguments(argc, argv);
  const auto bytes = kolvane::ReadPicture(options);
  const bool sized = options.width || options.height || options.format != kolvane::ArtFormat::kRtf;
  return sized ? kolvane::ConvertAtSize(options, bytes)
               : kolvane::ConvertAsTheProgramDoes(options, bytes);
}
