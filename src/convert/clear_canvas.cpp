#include "convert/clear_canvas.h"

namespace kolvane {

void ClearCanvas(Canvas& target) { target.ClearSurface(); }

}  // namespace kolvane
