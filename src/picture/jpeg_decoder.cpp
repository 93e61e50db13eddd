#include "picture/jpeg_decoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <utility>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "base/byte_reader.h"

namespace kolvane {
namespace {

// The source hands the library the data in pieces of this size.
constexpr std::size_t kPieceSize = 4096;
// libjpeg keeps whole-image coefficient buffers for progressive and multi-scan
// pictures; beyond this it reports an error instead of allocating more.
constexpr long kLibraryMemoryLimit = 1L << 30;
// Real progressive pictures have about ten scans. Each scan walks the whole image, so
// a small file of many tiny scans could otherwise keep the decoder busy for minutes.
constexpr int kMaxScans = 1000;
// Handed to the library once the data has run out, so a picture cut short ends there.
constexpr JOCTET kFakeEndOfImage[2] = {0xFF, JPEG_EOI};

// Everything the library calls back into, kept in plain structs: the error exit
// longjmps across the library's frames and ours, so none of them may own anything.
struct ErrorManager {
  jpeg_error_mgr pub;  // first, so the library's pointer converts back
  std::jmp_buf jump;
};

struct MemorySource {
  jpeg_source_mgr pub;  // first, so the library's pointer converts back
  ByteReader* reader;
  bool delivered_any;
};

struct JpegJob {
  jpeg_decompress_struct cinfo;
  ErrorManager error;
  MemorySource source;
  jpeg_progress_mgr progress;
  Bitmap* bitmap;     // of the output size
  std::uint8_t* row;  // one output row as the library delivers it
  int scans_over_limit;
  int min_width;   // the output size asked for; 0 for the picture's own
  int min_height;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<MemorySource*>(cinfo->src);
  const std::span<const std::uint8_t> piece = source->reader->ReadUpTo(kPieceSize);
  if (!piece.empty()) {
    source->delivered_any = true;
    source->pub.next_input_byte = piece.data();
    source->pub.bytes_in_buffer = piece.size();
    return TRUE;
  }
  if (!source->delivered_any) ERREXIT(cinfo, JERR_INPUT_EMPTY);
  WARNMS(cinfo, JWRN_JPEG_EOF);
  source->pub.next_input_byte = kFakeEndOfImage;
  source->pub.bytes_in_buffer = sizeof kFakeEndOfImage;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* source = reinterpret_cast<MemorySource*>(cinfo->src);
  const auto wanted = static_cast<std::size_t>(count);
  if (wanted <= source->pub.bytes_in_buffer) {
    source->pub.next_input_byte += wanted;
    source->pub.bytes_in_buffer -= wanted;
    return;
  }
  // Past the current piece: move the reader on (no further than its end) and let the
  // next fill hand over what follows, or the end-of-image marker.
  const std::size_t rest = wanted - source->pub.bytes_in_buffer;
  source->reader->Skip(rest < source->reader->Remaining() ? rest : source->reader->Remaining());
  source->pub.bytes_in_buffer = 0;
}

void LimitScans(j_common_ptr common) {
  if (reinterpret_cast<j_decompress_ptr>(common)->input_scan_number > kMaxScans) {
    reinterpret_cast<JpegJob*>(reinterpret_cast<j_decompress_ptr>(common))->scans_over_limit = 1;
    common->err->msg_code = JERR_NOTIMPL;
    common->err->error_exit(common);
  }
}

// Why the library stopped: the reason its last error code stands for.
PictureError ErrorOf(const JpegJob& job) {
  if (job.scans_over_limit) return PictureError::kUnsupported;
  switch (job.error.pub.msg_code) {
    case JERR_INPUT_EMPTY:
    case JERR_INPUT_EOF:
      return PictureError::kTruncated;
    case JERR_NOT_COMPILED:
    case JERR_NOTIMPL:
    case JERR_ARITH_NOTIMPL:
    case JERR_SOF_UNSUPPORTED:
    case JERR_BAD_PRECISION:
      return PictureError::kUnsupported;
    case JERR_NO_IMAGE:
      return PictureError::kNoImage;
    case JERR_OUT_OF_MEMORY:
    case JERR_BAD_VIRTUAL_ACCESS:
    case JERR_IMAGE_TOO_BIG:
      return PictureError::kTooLarge;
    default:
      return PictureError::kMalformed;
  }
}

// Runs one step of library calls. The library's error exit jumps back here, so no
// object with a destructor may live between this frame and the library.
bool CallProtected(JpegJob& job, void (*step)(JpegJob&)) {
  if (setjmp(job.error.jump) != 0) return false;
  step(job);
  return true;
}

// The smallest of the library's scales (1/8 to 8/8) whose output is still at least the
// size the caller needs: scaling inside the inverse DCT costs far less than decoding
// the whole picture and shrinking it afterwards.
void ChooseScale(JpegJob& job) {
  jpeg_decompress_struct& cinfo = job.cinfo;
  if (job.min_width <= 0 && job.min_height <= 0) return;
  for (unsigned eighths = 1; eighths <= 8; ++eighths) {
    const std::uint64_t width = (std::uint64_t{cinfo.image_width} * eighths + 7) / 8;
    const std::uint64_t height = (std::uint64_t{cinfo.image_height} * eighths + 7) / 8;
    if (width >= static_cast<std::uint64_t>(job.min_width) &&
        height >= static_cast<std::uint64_t>(job.min_height)) {
      cinfo.scale_num = eighths;
      cinfo.scale_denom = 8;
      return;
    }
  }
}

void CreateAndReadHeader(JpegJob& job) {
  jpeg_create_decompress(&job.cinfo);
  job.cinfo.mem->max_memory_to_use = kLibraryMemoryLimit;
  job.source.pub.init_source = InitSource;
  job.source.pub.fill_input_buffer = FillInputBuffer;
  job.source.pub.skip_input_data = SkipInputData;
  job.source.pub.resync_to_restart = jpeg_resync_to_restart;
  job.source.pub.term_source = TermSource;
  job.cinfo.src = &job.source.pub;
  job.progress.progress_monitor = LimitScans;
  job.cinfo.progress = &job.progress;
  jpeg_read_header(&job.cinfo, TRUE);
  ChooseScale(job);
  jpeg_calc_output_dimensions(&job.cinfo);
}

// Four-component output is CMYK (YCCK pictures arrive converted to it). Adobe's
// programs store it inverted, and the Adobe marker says so; either way the colour is
// each of C, M, Y times K, counted as amounts of light.
void CmykRow(const std::uint8_t* cmyk, Colour* out, JDIMENSION width, bool inverted) {
  const unsigned flip = inverted ? 0 : 255;
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
    const unsigned k = cmyk[3] ^ flip;
    out[x] = MakeColour(static_cast<std::uint8_t>(((cmyk[0] ^ flip) * k + 127) / 255),
                        static_cast<std::uint8_t>(((cmyk[1] ^ flip) * k + 127) / 255),
                        static_cast<std::uint8_t>(((cmyk[2] ^ flip) * k + 127) / 255));
  }
}

// Reads every row into the bitmap, top row first.
void ReadRows(JpegJob& job) {
  jpeg_decompress_struct& cinfo = job.cinfo;
  jpeg_start_decompress(&cinfo);
  const JDIMENSION width = cinfo.output_width;
  const int components = cinfo.output_components;
  const bool inverted = cinfo.saw_Adobe_marker != 0;
  while (cinfo.output_scanline < cinfo.output_height) {
    Colour* out = job.bitmap->Row(static_cast<int>(cinfo.output_scanline));
    JSAMPROW row = job.row;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EOF);
    const std::uint8_t* in = job.row;
    if (components == 3) {
      for (JDIMENSION x = 0; x < width; ++x, in += 3) out[x] = MakeColour(in[0], in[1], in[2]);
    } else if (components == 1) {
      for (JDIMENSION x = 0; x < width; ++x) out[x] = MakeColour(in[x], in[x], in[x]);
    } else if (components == 4) {
      CmykRow(in, out, width, inverted);
    }
    // Any other component count leaves the row black.
  }
  jpeg_finish_decompress(&cinfo);
}

DecodeResult DecodeRows(JpegJob& job, const DecodeOptions& options) {
  const std::uint64_t width = job.cinfo.output_width;
  const std::uint64_t height = job.cinfo.output_height;
  if (width == 0 || height == 0) return PictureError::kMalformed;
  if (width * height > static_cast<std::uint64_t>(options.max_pixels)) {
    return PictureError::kTooLarge;
  }
  auto bitmap = Bitmap::Create(static_cast<int>(width), static_cast<int>(height));
  if (!bitmap) return PictureError::kTooLarge;
  std::vector<std::uint8_t> row(width * static_cast<std::uint64_t>(job.cinfo.output_components));
  job.bitmap = &*bitmap;
  job.row = row.data();
  if (!CallProtected(job, ReadRows)) return ErrorOf(job);
  return DecodedPicture{PictureFormat::kJpeg, static_cast<int>(width), static_cast<int>(height),
                        std::move(*bitmap)};
}

// Our error manager and memory source for a job over the reader's bytes.
void SetUpJob(JpegJob& job, ByteReader& reader) {
  job.cinfo.err = jpeg_std_error(&job.error.pub);
  job.error.pub.error_exit = ErrorExit;
  job.error.pub.output_message = IgnoreMessage;
  job.source.reader = &reader;
}

}  // namespace

DecodeResult DecodeJpeg(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
  ByteReader reader(bytes);
  JpegJob job{};
  SetUpJob(job, reader);
  job.min_width = options.min_width;
  job.min_height = options.min_height;
  DecodeResult result = CallProtected(job, CreateAndReadHeader) ? DecodeRows(job, options)
                                                                 : ErrorOf(job);
  jpeg_destroy_decompress(&job.cinfo);
  return result;
}

std::optional<PictureSize> ReadJpegSize(std::span<const std::uint8_t> bytes) {
  ByteReader reader(bytes);
  JpegJob job{};
  SetUpJob(job, reader);
  std::optional<PictureSize> size;
  if (CallProtected(job, CreateAndReadHeader) && job.cinfo.image_width <= INT32_MAX &&
      job.cinfo.image_height <= INT32_MAX) {
    size = PictureSize{static_cast<int>(job.cinfo.image_width),
                       static_cast<int>(job.cinfo.image_height)};
  }
  jpeg_destroy_decompress(&job.cinfo);
  return size;
}

}  // namespace kolvane
