#include "app/canvas_view.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

#include "canvas/canvas.h"
#include "canvas/canvas_settings.h"

namespace kolvane {

CanvasView::CanvasView(const ControlDefinition& definition, int parent_client_width,
                       int parent_client_height, QWidget* parent)
    : QWidget(parent),
      canvas_(std::make_unique<Canvas>(
          definition.canvas,
          CanvasPlacement{{definition.left, definition.top, definition.width, definition.height},
                          parent_client_width,
                          parent_client_height})) {
  // Every pixel comes from the canvas: the system never erases this window.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setGeometry(definition.left, definition.top, definition.width, definition.height);
  canvas_->on_changed = [this](const Rect&) {
    if (repaint_scheduled_) return;
    repaint_scheduled_ = true;
    update();
  };
  canvas_->on_resized = [this] {
    resize(canvas_->Width(), canvas_->Height());
    update();
  };
}

CanvasView::~CanvasView() = default;

void CanvasView::RepaintChanged() {
  const Rect changed = canvas_->TakeDirtyRect();
  repaint_scheduled_ = false;
  if (changed.Empty()) return;
  const int edge = FrameEdge(canvas_->GetBorderStyle());
  repaint(changed.left + edge, changed.top + edge, changed.width, changed.height);
}

void CanvasView::paintEvent(QPaintEvent* event) {
  canvas_->TakeDirtyRect();
  repaint_scheduled_ = false;
  QPainter painter(this);
  const int edge = FrameEdge(canvas_->GetBorderStyle());
  const Bitmap& bitmap = canvas_->PersistentBitmap();
  // The bitmap's 0x00BBGGRR pixels are the bytes R, G, B, X in memory.
  const QImage image(reinterpret_cast<const uchar*>(bitmap.Pixels().data()), bitmap.Width(),
                     bitmap.Height(), bitmap.Width() * 4, QImage::Format_RGBX8888);
  const QRect client(edge, edge, canvas_->ClientWidth(), canvas_->ClientHeight());
  const QRect area = event->rect() & client & QRect(edge, edge, bitmap.Width(), bitmap.Height());
  if (!area.isEmpty()) painter.drawImage(area.topLeft(), image, area.translated(-edge, -edge));
  if (edge > 0) {
    // A static edge: one grey line around the client area.
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
    for (int i = 1; i < edge; ++i) {
      painter.drawRect(QRect(i, i, width() - 1 - 2 * i, height() - 1 - 2 * i));
    }
  }
}

}  // namespace kolvane
