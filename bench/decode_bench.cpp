// Picture decoding: a 4000 x 3000 baseline JPEG through DecodePicture and through
// libjpeg alone (the floor the decoder is measured against), a 2000 x 2000 GIF and a
// 2000 x 2000 24-bit bitmap, and the halftone stretch that places a picture.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "picture/drawable.h"
#include "picture/picture_decoder.h"
#include "raster/stretch.h"
#include "resources/resources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A colourful picture that does not compress to nothing: gradients crossed with a
// pattern, so every block carries detail.
Bytes SyntheticRgb(int width, int height) {
  Bytes rgb(static_cast<std::size_t>(width) * height * 3);
  std::uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245 + 12345;
      std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      p[0] = static_cast<std::uint8_t>(x * 255 / width + ((x / 7 + y / 5) & 16));
      p[1] = static_cast<std::uint8_t>(y * 255 / height ^ (x & 32));
      p[2] = static_cast<std::uint8_t>(((x + y) / 3) ^ (noise >> 28));
    }
  }
  return rgb;
}

// The bench's JPEG, made with the library's compression side: baseline, quality 90.
const Bytes& LargeJpeg() {
  static const Bytes jpeg = [] {
    constexpr int kWidth = 4000, kHeight = 3000;
    const Bytes rgb = SyntheticRgb(kWidth, kHeight);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
      JSAMPROW row = const_cast<JSAMPROW>(&rgb[std::size_t{cinfo.next_scanline} * kWidth * 3]);
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
  }();
  return jpeg;
}

// A 2000 x 2000 24-bit bitmap, bottom-up, rows a multiple of 4 bytes.
const Bytes& LargeBmp() {
  static const Bytes bmp = [] {
    constexpr int kSide = 2000;
    const Bytes rgb = SyntheticRgb(kSide, kSide);
    Bytes out = {'B', 'M'};
    auto put32 = [&](std::uint32_t v) {
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](std::uint16_t v) {
      out.push_back(static_cast<std::uint8_t>(v));
      out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put32(54 + kSide * kSide * 3);
    put32(0);
    put32(54);
    put32(40);
    put32(kSide);
    put32(kSide);
    put16(1);
    put16(24);
    for (int i = 0; i < 6; ++i) put32(0);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
      out.push_back(rgb[i + 2]);
      out.push_back(rgb[i + 1]);
      out.push_back(rgb[i]);
    }
    return out;
  }();
  return bmp;
}

// A 2000 x 2000 GIF made by ImageMagick when the bench starts; empty when it cannot
// be made.
const Bytes& LargeGif() {
  static const Bytes gif = [] {
    const std::string path = "/tmp/kolvane_decode_bench.gif";
    const std::string command =
        "convert -size 2000x2000 gradient:red-blue -seed 7 -attenuate 0.4 +noise Uniform "
        "-colors 256 " + path + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) return Bytes();
    std::ifstream in(path, std::ios::binary);
    Bytes out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    return out;
  }();
  return gif;
}

void Decode(benchmark::State& state, const Bytes& bytes) {
  if (bytes.empty()) {
    state.SkipWithError("picture could not be made");
    return;
  }
  for (auto _ : state) {
    auto picture = kolvane::DecodePicture(bytes);
    if (!picture) state.SkipWithError("not decoded");
    benchmark::DoNotOptimize(picture);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_DecodeJpeg(benchmark::State& state) { Decode(state, LargeJpeg()); }
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

// libjpeg alone on the same bytes: default parameters, one row buffer, no copies.
void BM_LibjpegAlone(benchmark::State& state) {
  const Bytes& jpeg = LargeJpeg();
  for (auto _ : state) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> row(std::size_t{cinfo.output_width} * cinfo.output_components);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.output_scanline < cinfo.output_height) jpeg_read_scanlines(&cinfo, rows, 1);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(row.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * jpeg.size()));
}
BENCHMARK(BM_LibjpegAlone)->Unit(benchmark::kMillisecond);

// What a plain output buffer costs: a fresh 4000 x 3000 pixels, zeroed. Above
// glibc's largest mmap threshold (32 MB) every such buffer is new memory, so this is
// mostly page faults; bitmaps ask for huge pages to avoid most of them.
void BM_OutputBufferAlone(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::uint32_t> pixels(std::size_t{4000} * 3000);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_OutputBufferAlone)->Unit(benchmark::kMillisecond);

void BM_DecodeGif(benchmark::State& state) { Decode(state, LargeGif()); }
BENCHMARK(BM_DecodeGif)->Unit(benchmark::kMillisecond);

void BM_DecodeBmp(benchmark::State& state) { Decode(state, LargeBmp()); }
BENCHMARK(BM_DecodeBmp)->Unit(benchmark::kMillisecond);

// The built-in picture placed on the picture canvas at start: 500 x 600 shrunk to
// 104 x 124 by area averaging, from the drawable bitmap.
void BM_PlaceBuiltInPicture(benchmark::State& state) {
  auto picture = kolvane::DecodePicture(kolvane::resources::builtin_picture());
  const auto drawable = kolvane::MakeDrawable(std::move(*picture));
  auto target = *kolvane::Bitmap::Create(104, 128);
  for (auto _ : state) {
    kolvane::DrawDecodedPicture(target, *drawable, 0, 2, 104, 124, {}, target.Bounds());
    benchmark::DoNotOptimize(target.Row(0));
  }
}
BENCHMARK(BM_PlaceBuiltInPicture)->Unit(benchmark::kMicrosecond);

// Shrinking the large JPEG's drawable (made once, as a canvas does) to a quarter.
void BM_ShrinkLargePicture(benchmark::State& state) {
  auto picture = kolvane::DecodePicture(LargeJpeg());
  const auto drawable = kolvane::MakeDrawable(std::move(*picture));
  auto target = *kolvane::Bitmap::Create(1000, 750);
  for (auto _ : state) {
    kolvane::DrawDecodedPicture(target, *drawable, 0, 0, 1000, 750, {}, target.Bounds());
    benchmark::DoNotOptimize(target.Row(0));
  }
}
BENCHMARK(BM_ShrinkLargePicture)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
