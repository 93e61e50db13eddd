// kolvane-convert as its users run it: options, statuses, messages, and every form of
// the art read back.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "picture_fixtures.h"
#include "raster/png_writer.h"
#include "temp_folder.h"

extern char** environ;

namespace kolvane {
namespace {

using test_support::TempFolder;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs kolvane-convert with arguments, input on its standard input.
Result Convert(const std::vector<std::string>& arguments, const std::string& input = {}) {
  int in[2], out[2], err[2];
  EXPECT_EQ(pipe(in), 0);
  EXPECT_EQ(pipe(out), 0);
  EXPECT_EQ(pipe(err), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
    posix_spawn_file_actions_addclose(&actions, fd);
  }
  std::vector<std::string> words = {KOLVANE_CONVERT};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, KOLVANE_CONVERT, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(err[1]);

  Result result;
  std::size_t written = 0;
  if (input.empty()) close(in[1]);
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {input.empty() ? -1 : in[1], POLLOUT, 0}};
  int open_outputs = 2;
  while (open_outputs > 0) {
    poll(fds, 3, -1);
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[65536];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_outputs;
      } else {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      }
    }
    if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t n = write(fds[2].fd, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n <= 0 || written == input.size()) {
        close(fds[2].fd);
        fds[2].fd = -1;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Picture(const std::string& name) {
  return std::string(KOLVANE_TEST_DATA) + "/pictures/" + name;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::size_t Count(const std::string& text, const std::string& pattern) {
  const std::regex re(pattern);
  return static_cast<std::size_t>(
      std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

// A 5 x 3 bitmap of distinct colours, as a file in folder.
std::string SmallBitmap(TempFolder& folder) {
  return folder.Write("small.bmp", fixtures::Bmp24(5, 3, [](int x, int y) {
    return MakeColour(static_cast<std::uint8_t>(x * 60), static_cast<std::uint8_t>(y * 100), 7);
  }));
}

TEST(KolvaneConvert, StatusesAndMessages) {
  struct Case {
    std::string name;
    std::vector<std::string> arguments;
    int status;
    std::string error_part;  // what standard error must hold
  };
  const std::vector<Case> cases = {
      {"built-in picture", {}, 0, ""},
      {"version", {"--version"}, 0, ""},
      {"missing file", {"/nonexistent/picture.jpg"}, 1, "/nonexistent/picture.jpg: cannot be opened"},
      {"a kind of bitmap that is not read", {Picture("load_rle8.bmp")}, 1,
       "a variant of its format that is not read"},
      {"not a picture", {Picture("make_pictures.py")}, 1,
       "not a JPEG, Windows bitmap, GIF, icon, cursor or PCX picture"},
      {"width 0", {"--width", "0"}, 2, "--width takes a whole number from 1 to 32627"},
      {"width not a number", {"--width", "x"}, 2, "not \"x\""},
      {"width with a sign", {"--width", "+5"}, 2, "--width"},
      {"height too large", {"--height", "32628"}, 2, "--height"},
      {"unknown format", {"--format", "pdf"}, 2, "unknown format \"pdf\""},
      {"unknown option", {"--colour"}, 2, "unknown option --colour"},
      {"option without value", {"-o"}, 2, "-o needs a value"},
      {"two pictures", {"a.jpg", "b.jpg"}, 2, "only one picture"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result result = Convert(c.arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_NE(result.err.find(c.error_part), std::string::npos) << result.err;
    if (c.status == 2) {
      EXPECT_TRUE(result.out.empty());
      EXPECT_NE(result.err.find("usage: kolvane-convert"), std::string::npos);
    }
  }
  EXPECT_EQ(Convert({"--version"}).out.rfind("kolvane-convert ", 0), 0u);
}

TEST(KolvaneConvert, ARefusedPictureWritesTheEmptyDocumentOrNothing) {
  TempFolder folder;
  // RTF keeps the program's document of the empty picture window.
  const Result rtf = Convert({"/nonexistent/picture.jpg"});
  EXPECT_EQ(rtf.status, 1);
  EXPECT_EQ(rtf.out.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(rtf.out.find("{\\colortbl ;}\r\n"), std::string::npos);
  // The other forms have nothing to show: no output, no file.
  for (const std::string format : {"html", "ansi", "text"}) {
    SCOPED_TRACE(format);
    const Result result = Convert({"--format", format, Picture("load_rle8.bmp")});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());
    const std::string path = folder.Path("art." + format);
    EXPECT_EQ(Convert({"--format", format, "-o", path, "/nonexistent.png"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

TEST(KolvaneConvert, TheFormatComesFromTheOutputsNameUnlessGiven) {
  TempFolder folder;
  struct Case {
    std::string file;
    std::vector<std::string> extra;
    std::string starts_with;
  };
  const std::vector<Case> cases = {
      {"a.rtf", {}, "{\\rtf1"},
      {"a.html", {}, "<!DOCTYPE html>"},
      {"a.HTM", {}, "<!DOCTYPE html>"},
      {"a.ans", {}, "\x1B[38;2;"},
      {"a.txt", {}, "光"},
      {"a.doc", {}, "{\\rtf1"},
      {"noextension", {}, "{\\rtf1"},
      {"a.txt", {"--format", "html"}, "<!DOCTYPE html>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<std::string> arguments = {"--width", "4", "-o", folder.Path(c.file)};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    ASSERT_EQ(Convert(arguments).status, 0);
    EXPECT_EQ(ReadAll(folder.Path(c.file)).rfind(c.starts_with, 0), 0u);
  }
}

TEST(KolvaneConvert, EveryFormShowsTheSameCells) {
  TempFolder folder;
  const std::string bitmap = SmallBitmap(folder);
  // 5 x 3 pixels to 3 columns: 2 rows by the aspect (1.8 rounds to 2).
  const Result html = Convert({"--format", "html", "--width", "3", bitmap});
  const Result ansi = Convert({"--format", "ansi", "--width", "3", bitmap});
  const Result text = Convert({"--format", "text", "--width", "3", "--text", "ab", bitmap});
  const Result rtf = Convert({"--width", "3", bitmap});
  for (const Result* r : {&html, &ansi, &text, &rtf}) EXPECT_EQ(r->status, 0) << r->err;
  EXPECT_EQ(Count(html.out, "\n<div>"), 2u);
  EXPECT_EQ(Count(html.out, "光"), 6u);
  EXPECT_EQ(Count(ansi.out, "\x1B\\[0m\n"), 2u);
  EXPECT_EQ(Count(ansi.out, "光"), 6u);
  EXPECT_EQ(text.out, "ababab\nababab\n");
  // Two rows of three cells and a row end: seven colour switches after the first cell.
  EXPECT_EQ(Count(rtf.out, "\\\\red"), 8u);
  EXPECT_NE(rtf.out.find("\\cf8\\par\\cf0\\par}"), std::string::npos);
  // The same colours everywhere: each cell's ANSI colour is in the page and the RTF.
  const std::regex colour("\x1B\\[38;2;(\\d+);(\\d+);(\\d+)m");
  for (auto it = std::sregex_iterator(ansi.out.begin(), ansi.out.end(), colour);
       it != std::sregex_iterator(); ++it) {
    const int r = std::stoi((*it)[1]), g = std::stoi((*it)[2]), b = std::stoi((*it)[3]);
    char css[8];
    std::snprintf(css, sizeof css, "#%02x%02x%02x", r, g, b);
    EXPECT_NE(html.out.find(css), std::string::npos) << css;
    const std::string entry = "\\red" + std::to_string(r) + "\\green" + std::to_string(g) +
                              "\\blue" + std::to_string(b) + ";";
    EXPECT_NE(rtf.out.find(entry), std::string::npos) << entry;
  }
}

TEST(KolvaneConvert, StandardInputReadsAsAFileDoes) {
  TempFolder folder;
  const std::string bitmap = SmallBitmap(folder);
  const std::string bytes = ReadAll(bitmap);
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{}, {"--full"}, {"--format", "ansi", "--height", "2"}}) {
    std::vector<std::string> from_file = options;
    from_file.push_back(bitmap);
    std::vector<std::string> from_input = options;
    from_input.push_back("-");
    const Result file = Convert(from_file);
    const Result input = Convert(from_input, bytes);
    EXPECT_EQ(file.status, 0);
    EXPECT_EQ(input.status, 0);
    EXPECT_TRUE(file.out == input.out);
  }
}

TEST(KolvaneConvert, WithoutASizeFormsOtherThanRtfFitTo100Columns) {
  // The built-in picture is 500 x 600: 100 x 120 cells; a picture under 100 columns
  // keeps its own size.
  const Result fitted = Convert({"--format", "text"});
  EXPECT_EQ(fitted.status, 0);
  EXPECT_EQ(Count(fitted.out, "\n"), 120u);
  EXPECT_EQ(fitted.out.find('\n'), 100u * std::string("光").size());
  TempFolder folder;
  EXPECT_EQ(Convert({"--format", "text", SmallBitmap(folder)}).out.find('\n'), 5u * 3u);
}

TEST(KolvaneConvert, PngPicturesAreRead) {
  TempFolder folder;
  Bitmap teal = *Bitmap::Create(4, 2, MakeColour(0, 128, 128));
  const std::string png = folder.Write("teal.png", EncodePng(teal, teal.Bounds()));
  const Result sized = Convert({"--format", "ansi", png});
  EXPECT_EQ(sized.status, 0) << sized.err;
  EXPECT_EQ(sized.out.rfind("\x1B[38;2;0;128;128m", 0), 0u);
  // The program's reading too: 4 x 2 cells, read one step in, as Start reads.
  const Result program = Convert({png});
  EXPECT_EQ(program.status, 0);
  EXPECT_EQ(Count(program.out, "\\\\red0\\\\green128\\\\blue128;"), 3u);
}

TEST(KolvaneConvert, CanvasPictureOfSizedArt) {
  TempFolder folder;
  const std::string canvas = folder.Path("canvas.png");
  ASSERT_EQ(Convert({"--format", "text", "--width", "3", "--canvas", canvas, SmallBitmap(folder)}).status,
            0);
  // The text-art canvas's PNG: its whole client area, a pixel drawn for each cell.
  const std::string png = ReadAll(canvas);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace kolvane
