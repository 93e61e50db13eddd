#pragma once
// The window of a canvas: shows the canvas's persistent bitmap inside its frame, is
// never erased by the system, and follows the canvas's size.
#include <QWidget>
#include <memory>

#include "layout/window_definitions.h"

namespace kolvane {

class Canvas;

class CanvasView : public QWidget {
  Q_OBJECT
 public:
  // A canvas of that definition, in a parent whose client area has that size.
  CanvasView(const ControlDefinition& definition, int parent_client_width,
             int parent_client_height, QWidget* parent);
  ~CanvasView() override;

  Canvas& Model() { return *canvas_; }

  // Repaints what the canvas changed since the last paint at once, without the event
  // loop (a long operation calls this to show its progress).
  void RepaintChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<Canvas> canvas_;
  bool repaint_scheduled_ = false;
};

}  // namespace kolvane
