#pragma once
// The standard controls of the windows that need behaviour of their own: the
// progress bar's clamping, the label's drawing, the hyperlink and the picture box.
#include <QWidget>

#include "base/types.h"

class QMovie;

namespace kolvane {

// A smooth progress bar with a thin sunken frame. Maximum and position are kept
// within 0 .. 32767, and the position within 0 .. maximum.
class ProgressBar : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressBar(QWidget* parent);
  int Maximum() const { return maximum_; }
  int Position() const { return position_; }
  // Sets the maximum (the minimum stays 0); the position is kept within range.
  void SetMaximum(int value);
  // Sets the position and shows it at once, without waiting for the event loop.
  void SetPosition(int value);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int maximum_ = 100;
  int position_ = 0;
};

// A label drawn left-aligned, word-wrapped, from the top, on a transparent background.
class Label : public QWidget {
  Q_OBJECT
 public:
  Label(const Text& text, Colour colour, QWidget* parent);
  const Text& TextBytes() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Text text_;
  QString shown_;
  Colour colour_;
};

// A web link: one centred line, a hand cursor, a hover colour while the mouse is over
// it, and the visited colour once a click has opened something.
class Hyperlink : public QWidget {
  Q_OBJECT
 public:
  static constexpr Colour kNormalColour = 0x008050FF;
  static constexpr Colour kHoverColour = 0x00C56A31;
  static constexpr Colour kVisitedColour = 0x00000080;

  Hyperlink(const Text& caption, QString target, QWidget* parent);
  QString Target() const { return target_; }
  // The colour the caption is drawn in now.
  Colour CurrentColour() const;
  // Opens the target; the visited colour sticks only when something was started.
  void Open();

  // How a link is opened; replaceable in tests. Returns true when something started.
  static bool (*opener)(const QString& target);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QString caption_;
  QString target_;
  bool visited_ = false;
  bool hovered_ = false;
};

// A picture box without frame showing a built-in picture at natural size from its
// top-left corner; animated pictures play, transparent parts show the background.
class PictureBox : public QWidget {
  Q_OBJECT
 public:
  PictureBox(const QByteArray& picture, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QMovie* movie_;
};

// QColor-free conversion from our 0x00BBGGRR colours.
QColor ToQColor(Colour colour);

}  // namespace kolvane
