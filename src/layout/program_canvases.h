#pragma once
// The program's two canvases built from the window definitions, with the geometry the
// windows give them, for callers without windows (the command-line tool, tests).
#include <memory>
#include <string_view>

#include "layout/window_definitions.h"
#include "canvas/canvas.h"

namespace kolvane {

// The canvas control of that name in window, placed inside the client area of its
// parent (the window's, or its tab control's outer size); nullptr when there is no
// such canvas. Without with_picture, a built-in background picture is left out.
std::unique_ptr<Canvas> MakeDefinedCanvas(const WindowDefinition& window, std::string_view name,
                                          bool with_picture = true);

// 画板1 on its page of 选择夹1: the text-art canvas a run draws on.
std::unique_ptr<Canvas> MakeTextArtCanvas();

// 画板2 on window "ban": the picture canvas a run reads. A caller that loads a picture
// at once can leave the built-in one out: a Load replaces it without a trace.
std::unique_ptr<Canvas> MakePictureCanvas(bool with_builtin_picture = true);

}  // namespace kolvane
