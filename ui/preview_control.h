// The preview surface (control 1011): shows the preview bitmap at (0, 0).
// Before it paints it asks for a fresh picture (pictureNeeded); whoever
// draws the preview answers with setBitmap.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

class PreviewControl : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewControl(QWidget* parent);

  // Copies a 258 x 258 preview bitmap into the picture shown.
  void setBitmap(const std::uint32_t* bits);
  const QImage& image() const { return image_; }

 signals:
  // Emitted as the control paints, before it draws its picture.
  void pictureNeeded();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};
