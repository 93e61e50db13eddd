#pragma once
// The two windows of the program and their controls, as plain data. The Qt shell
// builds its widgets from these, and the command-line tool builds the same canvases
// with the same geometry from them.
#include <string>
#include <string_view>
#include <vector>

#include "canvas/canvas_settings.h"
#include "base/types.h"

namespace kolvane {

enum class ControlKind {
  kPictureBox,
  kHyperlink,
  kLabel,
  kProgressBar,
  kCanvas,
  kEditBox,
  kButton,
  kFileDialog,
  kTabControl,
  kRichEdit,
};

enum class WindowEvent { kCreated, kMayClose, kWillBeDestroyed, kMoved, kResized };
enum class ControlEvent { kClick };

// The routines that events can be bound to.
enum class Handler {
  kOpenPictureWindow,
  kPlacePictureWindow,
  kCloseMainWindow,
  kLoadPicture,
  kConvertPicture,
  kClearCanvas,
};

struct WindowEventBinding {
  WindowEvent event;
  Handler handler;
};

struct ControlEventBinding {
  ControlEvent event;
  Handler handler;
};

struct ControlDefinition {
  std::string name;    // UTF-8, e.g. "画板1"; the control's object name
  ControlKind kind;
  std::string parent;  // empty: the window; otherwise the tab control's name
  int page = -1;       // the page of that tab control, 0-based
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool visible = true;
  bool disabled = false;
  bool tab_stop = false;
  Text text;                    // caption or contents, code page 936
  std::vector<Text> pages;      // tab control: page captions, code page 936
  std::string link_target;      // hyperlink: the address it opens
  CanvasSettings canvas;        // canvas only
  std::vector<ControlEventBinding> events;
};

struct WindowDefinition {
  std::string name;  // also the window class name: "main", "ban"
  Text caption;      // code page 936
  int width = 0;     // outer size, frame and title bar included
  int height = 0;
  int left = 0;      // designed position; windows are centred at creation instead
  int top = 0;
  int border = 2;    // fixed frame with title bar
  bool close_box = true;
  bool minimise_button = false;
  bool maximise_button = false;
  int position_rule = 1;  // centred on the screen at creation
  bool movable = true;
  bool esc_closes = true;
  bool always_on_top = false;
  bool shown_in_taskbar = true;
  bool visible = true;
  Colour background_colour = kSystemColourMarker;
  std::vector<ControlDefinition> controls;  // in definition order
  std::vector<WindowEventBinding> events;
};

// The web address of the caption and of the link.
inline constexpr std::string_view kWebAddress = "kolvane.org";

// Window "main": the commands, the text-art canvas and the document.
const WindowDefinition& MainWindowDefinition();
// Window "ban": the picture canvas.
const WindowDefinition& PictureWindowDefinition();

// The control of that name, or nullptr.
const ControlDefinition* FindControl(const WindowDefinition& window, std::string_view name);

// The client size of a window of this definition: its outer size less the frame.
int ClientWidth(const WindowDefinition& window);
int ClientHeight(const WindowDefinition& window);

}  // namespace kolvane
