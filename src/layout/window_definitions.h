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
  bool close_box = true;
  bool minimise_button = false;
  bool maximise_button = false;
  bool esc_closes = true;
  bool always_on_top = false;
  bool visible = true;
  std::vector<ControlDefinition> controls;  // in definition order
  std::vector<WindowEventBinding> events;
};

// The names of the windows: each window's name and class name.
namespace window_name {
inline constexpr std::string_view kMain = "main";
inline constexpr std::string_view kPicture = "ban";
}  // namespace window_name

// The names of the controls: each control's name and object name, UTF-8.
namespace control_name {
// Window "main".
inline constexpr std::string_view kPictureBox = "图片框1";
inline constexpr std::string_view kLink = "超级链接框1";
inline constexpr std::string_view kNotes = "标签1";
inline constexpr std::string_view kProgress = "进度条1";
inline constexpr std::string_view kTextArt = "画板1";
inline constexpr std::string_view kText = "编辑框1";
inline constexpr std::string_view kClearButton = "按钮3";
inline constexpr std::string_view kFileDialog = "通用对话框1";
inline constexpr std::string_view kStartButton = "按钮2";
inline constexpr std::string_view kLoadButton = "按钮1";
inline constexpr std::string_view kTabs = "选择夹1";
inline constexpr std::string_view kDocument = "超级编辑框1";
// Window "ban".
inline constexpr std::string_view kPicture = "画板2";
}  // namespace control_name

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
