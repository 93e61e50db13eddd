#include "layout/window_definitions.h"

#include <iterator>
#include <string>

#include "text/codepage.h"
#include "base/system_values.h"
#include "resources/resources.h"

namespace kolvane {
namespace {

// The usage notes of the label: 19 lines joined by CR LF.
Text UsageNotes() {
  static const char* const kLines[] = {
      "Load=载入图片", "Start=开始转换", "Clear=清除BAN", "", "转换后的文字",
      "请到Text内复制出来.", "复制到word里面.", "自己调整", "行距.", "页面大小.",
      "字体大小.", "等等一切.", "", "图片请小一点.", "和我设置那张", "差不多就行.", "",
      "闲着没事时候写的.", "一定有疏漏.莫怪.",
  };
  Text notes;
  for (std::size_t i = 0; i < std::size(kLines); ++i) {
    if (i > 0) notes += "\r\n";
    notes += Cp936FromUtf8(kLines[i]);
  }
  return notes;
}

ControlDefinition Control(std::string_view name, ControlKind kind, int left, int top, int width,
                          int height) {
  ControlDefinition c;
  c.name = name;
  c.kind = kind;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  return c;
}

ControlDefinition Button(std::string_view name, const char* caption, int left, int top,
                         Handler handler) {
  ControlDefinition c = Control(name, ControlKind::kButton, left, top, 50, 21);
  c.text = caption;
  c.tab_stop = true;
  c.events = {{ControlEvent::kClick, handler}};
  return c;
}

WindowDefinition MakeMainWindow() {
  WindowDefinition w;
  w.name = window_name::kMain;
  w.caption = "Kolvane     " + std::string(kWebAddress) + "  1.2";
  w.width = 964;
  w.height = 633;
  w.events = {{WindowEvent::kCreated, Handler::kOpenPictureWindow}};

  ControlDefinition picture_box = Control(control_name::kPictureBox, ControlKind::kPictureBox,
                                          80, 390, 20, 20);

  ControlDefinition link = Control(control_name::kLink, ControlKind::kHyperlink, 1, 368, 112, 24);
  link.text = Cp936FromUtf8("网址：") + std::string(kWebAddress);
  link.link_target = "https://" + std::string(kWebAddress) + "/";

  ControlDefinition label = Control(control_name::kNotes, ControlKind::kLabel, 8, 126, 120, 242);
  label.text = UsageNotes();

  ControlDefinition progress = Control(control_name::kProgress, ControlKind::kProgressBar,
                                       4, 90, 132, 24);

  ControlDefinition canvas1 = Control(control_name::kTextArt, ControlKind::kCanvas,
                                      32, 8, 768, 544);
  canvas1.parent = control_name::kTabs;
  canvas1.page = 0;
  canvas1.canvas.border_style = BorderStyle::kStaticEdge;
  canvas1.canvas.background_colour = 0x00FFFFFF;
  canvas1.canvas.picture_placement = PicturePlacement::kTiled;
  canvas1.canvas.font = FontRecord{.height = -1, .weight = 400, .face_name = Cp936FromUtf8("宋体")};

  ControlDefinition edit = Control(control_name::kText, ControlKind::kEditBox, 67, 58, 64, 23);
  edit.tab_stop = true;
  edit.text = Cp936FromUtf8("光");

  ControlDefinition dialog = Control(control_name::kFileDialog, ControlKind::kFileDialog,
                                     80, 16, 32, 32);
  dialog.visible = false;

  ControlDefinition tabs = Control(control_name::kTabs, ControlKind::kTabControl, 144, 3, 808, 568);
  tabs.pages = {"BAN", "Text"};

  ControlDefinition rich = Control(control_name::kDocument, ControlKind::kRichEdit,
                                   30, 8, 771, 547);
  rich.parent = control_name::kTabs;
  rich.page = 1;
  rich.tab_stop = true;

  w.controls = {picture_box,
                link,
                label,
                progress,
                canvas1,
                edit,
                Button(control_name::kClearButton, "Clear", 7, 58, Handler::kClearCanvas),
                dialog,
                Button(control_name::kStartButton, "Start", 7, 31, Handler::kConvertPicture),
                Button(control_name::kLoadButton, "Load", 6, 5, Handler::kLoadPicture),
                tabs,
                rich};
  return w;
}

WindowDefinition MakePictureWindow() {
  WindowDefinition w;
  w.name = window_name::kPicture;
  w.caption = "ban";
  w.width = 256;
  w.height = 238;
  w.always_on_top = true;
  w.events = {{WindowEvent::kCreated, Handler::kPlacePictureWindow},
              {WindowEvent::kWillBeDestroyed, Handler::kCloseMainWindow}};

  ControlDefinition canvas2 = Control(control_name::kPicture, ControlKind::kCanvas, 0, 0, 104, 128);
  canvas2.canvas.border_style = BorderStyle::kNone;
  canvas2.canvas.background_colour = kSystemColourMarker;
  canvas2.canvas.background_picture = resources::builtin_picture();
  canvas2.canvas.picture_placement = PicturePlacement::kCentredShrunk;
  w.controls = {canvas2};
  return w;
}

}  // namespace

const WindowDefinition& MainWindowDefinition() {
  static const WindowDefinition window = MakeMainWindow();
  return window;
}

const WindowDefinition& PictureWindowDefinition() {
  static const WindowDefinition window = MakePictureWindow();
  return window;
}

const ControlDefinition* FindControl(const WindowDefinition& window, std::string_view name) {
  for (const ControlDefinition& control : window.controls) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

int ClientWidth(const WindowDefinition& window) {
  return window.width - kCaptionFrameExtraWidth;
}

int ClientHeight(const WindowDefinition& window) {
  return window.height - kCaptionFrameExtraHeight;
}

}  // namespace kolvane
