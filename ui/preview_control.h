// The preview surface (control 1011): shows the preview bitmap at (0, 0).
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

class CMottlerDlg;

class PreviewControl : public QWidget {
  Q_OBJECT

 public:
  PreviewControl(CMottlerDlg* owner, QWidget* parent);

  // Copies a 258 x 258 preview bitmap into the picture shown.
  void setBitmap(const std::uint32_t* bits);
  const QImage& image() const { return image_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CMottlerDlg* owner_;
  QImage image_;
};
