// The seam through which the application asks the user: file dialogs,
// message boxes, the modal dialogs and the browser.  The application uses
// the real implementation; tests install a ScriptedDialogSeam that answers
// from a script and records every question.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QUrl>

class QDialog;
class QWidget;
class CNewTextureDlg;

namespace mottler::ui {

class DialogSeam {
 public:
  virtual ~DialogSeam() = default;

  // File dialog for opening an existing file; the chosen path, or an empty
  // string when the user cancels.
  virtual QString getOpenFileName(QWidget* parent, const QString& caption,
                                  const QString& initialPath, const QString& filter) = 0;
  // File dialog for saving: the folder must exist, an existing file is
  // chosen without asking about overwriting.  Empty string on cancel.  The
  // filter is a type list ("A (*.a);;B (*.b)"); selectedFilter, when given,
  // is the type shown first and receives the type the user chose.
  virtual QString getSaveFileName(QWidget* parent, const QString& caption,
                                  const QString& initialPath, const QString& filter,
                                  QString* selectedFilter = nullptr) = 0;
  // Message box; returns the button that closed it.
  virtual QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                              const QString& caption, const QString& text,
                                              QMessageBox::StandardButtons buttons) = 0;
  // Runs the "New" dialog modally; true when it ended with OK (and has then
  // handed over its size, name and path).
  virtual bool runNewTextureDialog(CNewTextureDlg& dialog) = 0;
  // Runs another dialog ("About", the exit information) modally; its result.
  virtual int runModal(QDialog& dialog) = 0;
  // Opens an address (web page or local file) in the user's browser.
  virtual bool openUrl(const QUrl& url) = 0;
};

// Asks the real user through the framework's dialogs.
class QtDialogSeam : public DialogSeam {
 public:
  QString getOpenFileName(QWidget* parent, const QString& caption, const QString& initialPath,
                          const QString& filter) override;
  QString getSaveFileName(QWidget* parent, const QString& caption, const QString& initialPath,
                          const QString& filter, QString* selectedFilter = nullptr) override;
  QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon,
                                      const QString& caption, const QString& text,
                                      QMessageBox::StandardButtons buttons) override;
  bool runNewTextureDialog(CNewTextureDlg& dialog) override;
  int runModal(QDialog& dialog) override;
  bool openUrl(const QUrl& url) override;
};

// The seam in use: the real one unless another has been installed.
DialogSeam& dialogSeam();
// Installs a seam (nullptr restores the real one); returns the previous one
// (nullptr when that was the real one).
DialogSeam* setDialogSeam(DialogSeam* seam);

// The picture types Export writes.
enum class ExportType { Bitmap, Png };

// What the Export dialog answered: the path (empty on cancel) and the type
// chosen in its type list.
struct ExportChoice {
  QString path;
  ExportType type = ExportType::Bitmap;
};

// The file commands' questions, with their fixed texts.
QString askOpenProgram(QWidget* parent, const QString& initialPath);
QString askSaveProgram(QWidget* parent, const QString& initialPath);
ExportChoice askExportPicture(QWidget* parent, const QString& initialPath);
// "Error" box with the exclamation icon and OK.
void showFileError(QWidget* parent, const QString& text);
// "Save changes to <path>?" with Yes, No and Cancel.
QMessageBox::StandardButton askSaveChanges(QWidget* parent, const QString& documentPath);

}  // namespace mottler::ui
