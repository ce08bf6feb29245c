// "Export at Size": writes the texture of the program as it is now at the
// design size or 2, 4, 8 or 16 times it (the same design, finer), as PNG or
// bitmap.  The dialog is modeless and renders on a thread of its own, with
// a progress bar and Cancel, so that the main window stays free for
// editing; edits made meanwhile do not reach the file.
#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine_state.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class CExportSizeDlg : public QDialog {
  Q_OBJECT

 public:
  // The program as the window runs it: its slots, seed and design size.
  struct Job {
    std::vector<mottler::ProgramEntry> program;
    int seed = 0;
    int width = 256;
    int height = 256;
  };

  // suggestedPath: the file name the save box starts with (no extension).
  CExportSizeDlg(Job job, const QString& suggestedPath, QWidget* parent = nullptr);
  ~CExportSizeDlg() override;

  // The scales offered for a design size: 1, 2, 4, 8 and 16 while the
  // picture stays within 4096 x 4096.
  static std::vector<int> scalesFor(int width, int height);
  // The text of a size choice: "1024 x 1024 (x4), about 0.3 s".
  static QString sizeText(int width, int height, int scale, double seconds);
  // Seconds a run at a scale takes, from the seconds of one at the design
  // size: the work grows with the number of pixels.
  static double estimatedSeconds(double designSeconds, int scale);

  int chosenScale() const;
  bool choosesPng() const;
  bool running() const { return worker_.joinable(); }
  // Whether the time of a design-size run is known (the sizes then show
  // their estimates).
  bool estimated() const;

  QComboBox* sizeBox() const { return sizeBox_; }
  QComboBox* typeBox() const { return typeBox_; }
  QProgressBar* progressBar() const { return progress_; }
  QPushButton* exportButton() const { return exportButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  QPushButton* closeUpButton() const { return closeUpButton_; }
  QLabel* statusLabel() const { return status_; }

  // Renders at the chosen size and type and writes the picture to path,
  // without asking for it (the Export button asks first).
  void startExport(const QString& path);

 signals:
  // The export ended: written, or not (cancelled or failed), with the text
  // the status line shows.
  void exportEnded(bool written, const QString& message);
  // "Close-up": the user wants to look at the texture at the chosen scale,
  // at 1:1, before writing it.
  void closeUpRequested(int scale);

 public slots:
  // Asks for a file and starts the export.
  void onExport();
  // Stops a running export; closes the dialog when none runs.
  void onCancel();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void render(int scale, bool png, std::string path);
  void poll();
  void stopWorker();
  void setRunning(bool on);
  void showEstimates();

  Job job_;
  QString suggestedPath_;
  QComboBox* sizeBox_ = nullptr;
  QComboBox* typeBox_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* closeUpButton_ = nullptr;
  QLabel* status_ = nullptr;
  QTimer* poller_ = nullptr;

  std::thread estimator_;
  std::atomic<double> designSeconds_{-1.0};  // -1: not measured yet
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  std::atomic<int> entriesDone_{0};
  std::atomic<bool> done_{false};
  bool written_ = false;  // set by the worker before done_
  std::string message_;   // likewise
  QString path_;
};
