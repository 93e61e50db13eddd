#pragma once
// A fresh folder under the system's temporary folder for tests that need real files,
// removed with everything in it when the test ends.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>

namespace kolvane::test_support {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kolvane-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The path of name inside the folder (the file need not exist).
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

  // Writes bytes as the file name and returns its path.
  std::string Write(const std::string& name, std::span<const std::uint8_t> bytes) const {
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
  }
  std::string Write(const std::string& name, const std::string& text) const {
    return Write(name, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }

 private:
  std::filesystem::path path_;
};

}  // namespace kolvane::test_support
