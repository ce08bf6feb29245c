// The window's runs: the render worker, the run numbers, the progress of
// the run the window waits for, the exports waiting for their run, and the
// finished picture (texture, buffer, size, per-entry times) that the window
// shows.  The picture is handed out immutable: a finished run replaces it
// as a whole.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "document/bitmap_export.h"
#include "ui/render_worker.h"

class QTimer;

namespace mottler::ui {

class RenderController : public QObject {
  Q_OBJECT

 public:
  explicit RenderController(QObject* parent = nullptr);
  // Stops the worker (its run is cancelled) before anything it reports to
  // goes away.
  ~RenderController() override;

  // Starts a run of a copy of the program; a newer run supersedes it.
  std::uint64_t start(RunRequest request);
  // Starts a run that goes to the end and writes its texture to path when
  // it has finished (exportWritten or exportFailed tells how it went).
  void exportAfterRun(RunRequest request, const QString& path, PictureType type);

  // A new document: its runs stop (an export still finishes), and the
  // picture is black at the new size until the new document's is there.
  void leaveDocument(int width, int height);
  // The window ends: every run stops, exports too.
  void stopAll();

  // The last finished picture of the current document.
  const RunOutcome& picture() const { return *picture_; }
  std::shared_ptr<const RunOutcome> sharedPicture() const { return picture_; }

  // Runs have been asked for and not all have ended.
  bool isRunning() const { return outstanding_ > 0; }
  void waitUntilIdle();

 signals:
  // A run was asked for: the progress starts at 0 of size entries.
  void runStarted(int size);
  // How far the latest run is.
  void progressed(int position);
  // Every run asked for has ended (or one has started after none ran).
  void busyChanged(bool busy);
  // The finished picture was replaced.
  void pictureChanged();
  void exportWritten(const QString& path);
  void exportFailed(const QString& path);

 private:
  void onRunEnded(const std::shared_ptr<const RunOutcome>& outcome);
  void followProgress();
  void writeExport(const RunOutcome& outcome, const QString& path, PictureType type);

  // Exports waiting for the picture of their run.
  struct PendingExport {
    std::uint64_t run;
    QString path;
    PictureType type;
  };

  RenderWorker* worker_ = nullptr;
  QTimer* progressTimer_ = nullptr;
  std::shared_ptr<const RunOutcome> picture_;
  std::vector<PendingExport> pendingExports_;
  int outstanding_ = 0;
  std::uint64_t latestRun_ = 0;
  std::uint64_t oldDocumentUpTo_ = 0;  // runs of a replaced document are not shown
};

}  // namespace mottler::ui
