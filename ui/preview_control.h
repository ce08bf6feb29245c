// The preview surface (control 1011): shows the preview bitmap, enlarged by
// the largest whole factor that fits the control (square pixels, never
// smoothed) and centred.  At the default size the factor is 1 and the
// bitmap sits at (0, 0).  Painting only draws the picture it was given.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

#include <cstdint>

class PreviewControl : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewControl(QWidget* parent);

  // Copies a 258 x 258 preview bitmap into the picture shown.
  void setBitmap(const std::uint32_t* bits);
  const QImage& image() const { return image_; }

  // The whole factor the bitmap is drawn at, and where it is drawn.
  int scale() const;
  QRect pictureRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};
