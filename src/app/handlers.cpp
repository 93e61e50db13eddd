#include "app/handlers.h"

#include "app/shell.h"

namespace kolvane {

void LoadPicture(Shell& shell) { shell.RequireWindow("ban"); }

void ConvertPicture(Shell& shell) { shell.RequireWindow("ban"); }

void ClearCanvas(Shell& shell) { shell.RequireWindow("main"); }

}  // namespace kolvane
