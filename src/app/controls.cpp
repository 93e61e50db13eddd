#include "app/controls.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QUrl>

#include "app/gui_fonts.h"
#include "app/qt_text.h"
#include "base/system_values.h"

namespace kolvane {

QColor ToQColor(Colour colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {}

void ProgressBar::SetMaximum(int value) {
  maximum_ = ClampProgressValue(value);
  if (position_ > maximum_) position_ = maximum_;
  update();
}

void ProgressBar::SetPosition(int value) {
  position_ = std::min(ClampProgressValue(value), maximum_);
  repaint();
}

void ProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect outer = rect();
  painter.fillRect(outer, ToQColor(kButtonFaceColour));
  // Thin sunken frame: shadow on the top and left, light on the bottom and right.
  painter.setPen(QColor(160, 160, 160));
  painter.drawLine(outer.topLeft(), outer.topRight());
  painter.drawLine(outer.topLeft(), outer.bottomLeft());
  painter.setPen(Qt::white);
  painter.drawLine(outer.bottomLeft(), outer.bottomRight());
  painter.drawLine(outer.topRight(), outer.bottomRight());
  if (maximum_ <= 0 || position_ <= 0) return;
  const QRect inside = outer.adjusted(2, 2, -2, -2);
  const int filled = static_cast<int>(static_cast<long long>(inside.width()) * position_ / maximum_);
  painter.fillRect(QRect(inside.left(), inside.top(), filled, inside.height()), QColor(6, 176, 37));
}

Label::Label(const Text& text, Colour colour, QWidget* parent)
    : QWidget(parent), text_(text), colour_(colour) {
  shown_ = FromCp936(text_);
  shown_.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  setFont(DefaultGuiFont());
  setAttribute(Qt::WA_TranslucentBackground);
}

void Label::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(ToQColor(colour_));
  // No clipping: text past the label's box is still drawn, as far as the parent shows.
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown_);
}

namespace {
bool OpenWithDesktop(const QString& target) { return QDesktopServices::openUrl(QUrl(target)); }
}  // namespace

bool (*Hyperlink::opener)(const QString&) = &OpenWithDesktop;

Hyperlink::Hyperlink(const Text& caption, QString target, QWidget* parent)
    : QWidget(parent), caption_(FromCp936(caption)), target_(std::move(target)) {
  setFont(DefaultGuiFont());
  setCursor(Qt::PointingHandCursor);
  setMouseTracking(true);
}

Colour Hyperlink::CurrentColour() const {
  if (hovered_) return kHoverColour;
  return visited_ ? kVisitedColour : kNormalColour;
}

void Hyperlink::Open() {
  visited_ = opener(target_);
  update();
}

void Hyperlink::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(ToQColor(CurrentColour()));
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

void Hyperlink::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Open();
}

void Hyperlink::enterEvent(QEnterEvent*) {
  hovered_ = true;
  grabMouse();
  update();
}

void Hyperlink::mouseMoveEvent(QMouseEvent* event) {
  // While the mouse is captured, leaving shows up as a move outside the box.
  if (hovered_ && !rect().contains(event->position().toPoint())) leaveEvent(event);
}

void Hyperlink::leaveEvent(QEvent*) {
  if (!hovered_) return;
  hovered_ = false;
  releaseMouse();
  update();
}

PictureBox::PictureBox(const QByteArray& picture, QWidget* parent)
    : QWidget(parent), movie_(new QMovie(this)) {
  auto* buffer = new QBuffer(movie_);
  buffer->setData(picture);
  buffer->open(QIODevice::ReadOnly);
  movie_->setDevice(buffer);
  connect(movie_, &QMovie::frameChanged, this, [this] { update(); });
  movie_->start();
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(kButtonFaceColour));
  painter.drawPixmap(0, 0, movie_->currentPixmap());
}

}  // namespace kolvane
