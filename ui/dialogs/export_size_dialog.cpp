#include "ui/dialogs/export_size_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

#include "document/atomic_file.h"
#include "document/bitmap_export.h"
#include "engine/executor.h"

using namespace mottler;

namespace {

// Runs the job in an engine at a scale; false when cancelled.
class ProgressCount : public RunObserver {
 public:
  explicit ProgressCount(std::atomic<int>& done) : done_(done) {}
  void entryStarting(int position) override { done_ = position - 1; }

 private:
  std::atomic<int>& done_;
};

bool runJob(TextureEngine& e, const CExportSizeDlg::Job& job, int scale,
            const std::atomic<bool>* cancel, RunObserver* observer) {
  e.setScaledSize(job.width, job.height, scale);
  const int n = std::min(static_cast<int>(job.program.size()), kMaxProgramLength);
  std::copy_n(job.program.begin(), n, e.entries.begin());
  std::fill(e.entries.begin() + n, e.entries.end(), ProgramEntry{});
  e.cancel.watch(cancel);
  runProgram(e, job.seed, n, observer);
  return !(cancel && cancel->load());
}

QString secondsText(double seconds) {
  if (seconds < 0.0) return QStringLiteral("estimating the time...");
  if (seconds < 1.0) return QStringLiteral("under a second");
  if (seconds < 90.0) return QStringLiteral("about %1 s").arg(seconds, 0, 'f', 0);
  return QStringLiteral("about %1 min").arg(seconds / 60.0, 0, 'f', 0);
}

}  // namespace

std::vector<int> CExportSizeDlg::scalesFor(int width, int height) {
  std::vector<int> scales;
  for (int s = 1; s <= kMaxScale; s *= 2)
    if (width * s <= kMaxScaledSide && height * s <= kMaxScaledSide) scales.push_back(s);
  return scales;
}

QString CExportSizeDlg::sizeText(int width, int height, int scale, double seconds) {
  const QString size = QStringLiteral("%1 \u00d7 %2").arg(width * scale).arg(height * scale);
  const QString which =
      scale == 1 ? QStringLiteral("design size") : QStringLiteral("\u00d7%1").arg(scale);
  return size + QStringLiteral(" (") + which + QStringLiteral("), ") + secondsText(seconds);
}

double CExportSizeDlg::estimatedSeconds(double designSeconds, int scale) {
  return designSeconds * scale * scale;
}

CExportSizeDlg::CExportSizeDlg(Job job, const QString& suggestedPath, QWidget* parent)
    : QDialog(parent), job_(std::move(job)), suggestedPath_(suggestedPath) {
  setWindowTitle(QStringLiteral("Export at Size"));

  // The time of one run at the design size, for the estimates, measured on
  // a thread of its own so that opening the dialog does not wait for it.
  estimator_ = std::thread([this] {
    auto engine = std::make_unique<TextureEngine>();
    const auto start = std::chrono::steady_clock::now();
    if (runJob(*engine, job_, 1, &cancel_, nullptr))
      designSeconds_ =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  });

  sizeBox_ = new QComboBox(this);
  sizeBox_->setObjectName(QStringLiteral("size"));
  for (int s : scalesFor(job_.width, job_.height))
    sizeBox_->addItem(sizeText(job_.width, job_.height, s, -1.0), s);
  typeBox_ = new QComboBox(this);
  typeBox_->setObjectName(QStringLiteral("type"));
  typeBox_->addItem(QStringLiteral("PNG picture (*.png)"), true);
  typeBox_->addItem(QStringLiteral("Bitmap (*.bmp)"), false);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("status"));

  exportButton_ = new QPushButton(QStringLiteral("&Export..."), this);
  exportButton_->setObjectName(QStringLiteral("export"));
  exportButton_->setDefault(true);
  cancelButton_ = new QPushButton(QStringLiteral("Close"), this);
  cancelButton_->setObjectName(QStringLiteral("cancel"));
  closeUpButton_ = new QPushButton(QStringLiteral("Close-&up"), this);
  closeUpButton_->setObjectName(QStringLiteral("closeUp"));
  closeUpButton_->setAutoDefault(false);
  closeUpButton_->setToolTip(QStringLiteral("look at the texture at this size, at 1:1"));
  connect(closeUpButton_, &QPushButton::clicked, this, [this] { emit closeUpRequested(chosenScale()); });
  connect(exportButton_, &QPushButton::clicked, this, &CExportSizeDlg::onExport);
  connect(cancelButton_, &QPushButton::clicked, this, &CExportSizeDlg::onCancel);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Size:"), sizeBox_);
  form->addRow(QStringLiteral("&Type:"), typeBox_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(closeUpButton_);
  buttons->addStretch();
  buttons->addWidget(exportButton_);
  buttons->addWidget(cancelButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(progress_);
  layout->addWidget(status_);
  layout->addLayout(buttons);

  poller_ = new QTimer(this);
  poller_->setInterval(50);
  connect(poller_, &QTimer::timeout, this, &CExportSizeDlg::poll);
  poller_->start();
}

CExportSizeDlg::~CExportSizeDlg() {
  stopWorker();
  cancel_ = true;
  if (estimator_.joinable()) estimator_.join();
}

bool CExportSizeDlg::estimated() const { return designSeconds_.load() >= 0.0; }

void CExportSizeDlg::showEstimates() {
  if (estimator_.joinable()) estimator_.join();
  for (int i = 0; i < sizeBox_->count(); ++i) {
    const int s = sizeBox_->itemData(i).toInt();
    sizeBox_->setItemText(
        i, sizeText(job_.width, job_.height, s, estimatedSeconds(designSeconds_, s)));
  }
}

int CExportSizeDlg::chosenScale() const { return sizeBox_->currentData().toInt(); }
bool CExportSizeDlg::choosesPng() const { return typeBox_->currentData().toBool(); }

void CExportSizeDlg::onExport() {
  if (running()) return;
  const bool png = choosesPng();
  QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("Export at Size"),
      suggestedPath_ + (png ? QStringLiteral(".png") : QStringLiteral(".bmp")),
      typeBox_->currentText());
  if (path.isEmpty()) return;
  startExport(path);
}

void CExportSizeDlg::startExport(const QString& path) {
  if (running()) return;
  // The estimate shares the cancel flag: it is finished (or stopped) first.
  cancel_ = true;
  if (estimator_.joinable()) estimator_.join();
  if (estimated()) showEstimates();
  path_ = path;
  cancel_ = false;
  done_ = false;
  entriesDone_ = 0;
  progress_->setRange(0, static_cast<int>(job_.program.size()) + 1);
  progress_->setValue(0);
  status_->setText(QStringLiteral("Rendering..."));
  setRunning(true);
  worker_ =
      std::thread(&CExportSizeDlg::render, this, chosenScale(), choosesPng(), path.toStdString());
  poller_->start();
}

// On the worker thread: render, encode, write.  Touches no widget.
void CExportSizeDlg::render(int scale, bool png, std::string path) {
  auto engine = std::make_unique<TextureEngine>();
  engine->setThreads(usableThreads());
  ProgressCount counter(entriesDone_);
  bool written = false;
  std::string message;
  if (!runJob(*engine, job_, scale, &cancel_, &counter)) {
    message = "Export cancelled";
  } else {
    entriesDone_ = static_cast<int>(job_.program.size());
    const std::vector<std::uint8_t> bytes =
        png ? encodePng(*engine, engine->texture) : encodeBitmap(*engine, engine->texture);
    std::string why;
    if (cancel_) {
      message = "Export cancelled";
    } else if (bytes.empty() || !writeFileAtomically(path, bytes, &why)) {
      message = "File could not be saved: " + path + (why.empty() ? "" : " (" + why + ")");
    } else {
      written = true;
      message = path + " saved";
    }
  }
  written_ = written;
  message_ = message;
  done_ = true;
}

void CExportSizeDlg::poll() {
  if (estimator_.joinable() && estimated()) showEstimates();
  if (!running()) return;
  progress_->setValue(entriesDone_.load());
  if (!done_) return;
  stopWorker();
  progress_->setValue(written_ ? progress_->maximum() : 0);
  const QString message = QString::fromStdString(message_);
  status_->setText(message);
  emit exportEnded(written_, message);
}

void CExportSizeDlg::onCancel() {
  if (running()) {
    cancel_ = true;
    status_->setText(QStringLiteral("Cancelling..."));
    return;
  }
  close();
}

void CExportSizeDlg::closeEvent(QCloseEvent* event) {
  stopWorker();
  QDialog::closeEvent(event);
}

void CExportSizeDlg::stopWorker() {
  if (!worker_.joinable()) return;
  cancel_ = cancel_ || !done_;
  worker_.join();
  setRunning(false);
}

void CExportSizeDlg::setRunning(bool on) {
  exportButton_->setEnabled(!on);
  sizeBox_->setEnabled(!on);
  typeBox_->setEnabled(!on);
  cancelButton_->setText(on ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}
