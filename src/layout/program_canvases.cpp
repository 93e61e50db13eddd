#include "layout/program_canvases.h"

namespace kolvane {

std::unique_ptr<Canvas> MakeDefinedCanvas(const WindowDefinition& window, std::string_view name,
                                          bool with_picture) {
  const ControlDefinition* control = FindControl(window, name);
  if (control == nullptr || control->kind != ControlKind::kCanvas) return nullptr;
  int parent_width = ClientWidth(window);
  int parent_height = ClientHeight(window);
  if (!control->parent.empty()) {
    // A control on a tab page lies in the tab control's area, which the page fills.
    const ControlDefinition* parent = FindControl(window, control->parent);
    if (parent == nullptr) return nullptr;
    parent_width = parent->width;
    parent_height = parent->height;
  }
  CanvasSettings settings = control->canvas;
  if (!with_picture) settings.background_picture = {};
  return std::make_unique<Canvas>(
      settings,
      CanvasPlacement{{control->left, control->top, control->width, control->height},
                      parent_width, parent_height});
}

std::unique_ptr<Canvas> MakeTextArtCanvas() {
  return MakeDefinedCanvas(MainWindowDefinition(), control_name::kTextArt);
}

std::unique_ptr<Canvas> MakePictureCanvas(bool with_builtin_picture) {
  return MakeDefinedCanvas(PictureWindowDefinition(), control_name::kPicture,
                           with_builtin_picture);
}

}  // namespace kolvane
