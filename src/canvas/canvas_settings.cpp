#include "canvas/canvas_settings.h"

#include "base/system_values.h"

namespace kolvane {

int FrameEdge(BorderStyle style) {
  switch (style) {
    case BorderStyle::kNone: return 0;
    case BorderStyle::kClientEdge: return kClientEdge;
    case BorderStyle::kModalFrame: return kModalFrameEdge;
    case BorderStyle::kStaticEdge: return kStaticEdge;
    case BorderStyle::kClientEdgeAndModalFrame: return kClientEdge + kModalFrameEdge;
    case BorderStyle::kBorder: return kBorderEdge;
  }
  return 0;
}

}  // namespace kolvane
