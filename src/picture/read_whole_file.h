#pragma once
// Whole-file reading for picture input.
#include <string>

#include "base/expected.h"
#include "base/types.h"

namespace kolvane {

// The whole content of the regular file at path, or the empty block when the path
// is empty, the file is missing, not a regular file, empty, unreadable, or 2 GiB or
// longer (its length would not fit a byte block's 32-bit signed length).
// The path holds the file system's own bytes (UTF-8 on Linux), not code page 936
// text: the caller converts a dialog's name once, so that every reader here opens
// exactly the file that was chosen. The file is opened read-only and never created.
ByteBlock ReadWholeFile(const std::string& path);

// Why a file gives no bytes.
struct FileError {
  enum class Kind { kCannotOpen, kNotRegularFile, kEmpty, kTooLarge, kCannotRead };
  Kind kind;
  int system_error = 0;  // errno of a failed open or read, else 0
};

// ReadWholeFile, with the reason when it gives nothing.
Expected<ByteBlock, FileError> ReadWholeFileOrError(const std::string& path);

// A short English phrase for the reason, for messages to the user.
std::string DescribeFileError(const FileError& error);

}  // namespace kolvane
