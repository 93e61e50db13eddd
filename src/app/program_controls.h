#pragma once
// The controls of the two windows by what they are for. This is the one place where
// the names of the window definitions are turned into controls: the routines and the
// tests reach controls through these structs, never by name.
class QLineEdit;
class QPushButton;

namespace kolvane {

class CanvasView;
class FileDialog;
class Hyperlink;
class Label;
class ProgramWindow;
class ProgressBar;
class RichEditBox;
class Shell;
class TabControl;

struct MainWindowControls {
  ProgramWindow& window;
  CanvasView& text_art;     // 画板1: where a run draws
  ProgressBar& progress;    // 进度条1
  RichEditBox& document;    // 超级编辑框1: the document a run writes
  QLineEdit& text;          // 编辑框1: the text each cell is drawn with
  FileDialog& file_dialog;  // 通用对话框1: what Load asks with
  QPushButton& load;        // 按钮1
  QPushButton& start;       // 按钮2
  QPushButton& clear;       // 按钮3
  TabControl& tabs;         // 选择夹1: the pages of 画板1 and 超级编辑框1
  Label& notes;             // 标签1: the usage notes
  Hyperlink& link;          // 超级链接框1
};

struct PictureWindowControls {
  ProgramWindow& window;
  CanvasView& picture;  // 画板2: what a run reads
};

// The controls of window "main"; a fatal error when the window or one of them is not
// loaded.
MainWindowControls MainControls(const Shell& shell);
// The controls of window "ban"; a fatal error when the window or its canvas is not
// loaded.
PictureWindowControls PictureControls(const Shell& shell);

}  // namespace kolvane
