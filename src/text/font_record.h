#pragma once
// The parts of a logical-font record that decide a font; character set, precisions,
// quality and pitch are replaced when a font is made and so are not kept.
#include "base/types.h"

namespace kolvane {

struct FontRecord {
  int height = 0;  // negative: character height in pixels; positive: cell height
  int width = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  Text face_name;  // code page 936
};

}  // namespace kolvane
