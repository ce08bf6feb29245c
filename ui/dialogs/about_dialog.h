// The "About" box: program name, version and what it does.
#pragma once

#include <QDialog>
#include <QPixmap>

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 172;
  explicit CAboutDlg(QWidget* parent = nullptr);

  // The program's emblem: a small mottled tile, side x side pixels.
  static QPixmap emblem(int side);
};

namespace mottler::ui {
// Help > About...: runs the "About" box modally through the dialog seam.
void showAbout(QWidget* parent);
}  // namespace mottler::ui
