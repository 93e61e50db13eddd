#pragma once
// The wipe behind "Clear", without windows.
#include "canvas/canvas.h"

namespace kolvane {

// Paints target's background over its whole client area; the document state and every
// other control stay as they are.
void ClearCanvas(Canvas& target);

}  // namespace kolvane
