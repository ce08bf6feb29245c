// The information dialog shown once as the program ends: it presents
// Tessavane, a sibling product of Varnholt, with a way to the maker's page.
#pragma once

#include <QDialog>
#include <QImage>

class QPushButton;

class CExitInfoDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 181;
  static constexpr int kPictureId = 182;
  static constexpr int IDC_WEB_PAGE = 1065;
  static constexpr int kPictureWidth = 718;
  static constexpr int kPictureHeight = 320;

  explicit CExitInfoDlg(QWidget* parent = nullptr);

  QPushButton* webPageButton() const { return webPageButton_; }
  QPushButton* exitButton() const { return exitButton_; }

  // The 718 x 320 picture: Tessavane beside a view of its window.
  static QImage picture();

 private:
  QPushButton* webPageButton_ = nullptr;
  QPushButton* exitButton_ = nullptr;
};

namespace mottler::ui {
// Runs the exit information dialog modally through the dialog seam.
void showExitInfo(QWidget* parent);
}  // namespace mottler::ui
