// The main window: every control of the user interface, the preview bitmap
// and the generation cycle.  It is a view of the editor model: user actions
// go to the model's verbs, and the controls are redrawn from the model.
#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/bitmap_export.h"
#include "document/document_controller.h"
#include "document/editor_model.h"
#include "document/preview.h"
#include "engine/catalogue.h"
#include "engine/engine_state.h"
#include "ui/dialogs/dialog_seam.h"
#include "ui/render_worker.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;
class QTimer;
class QUndoStack;
class PreviewControl;
class HorizontalScrollBar;

namespace mottler::ui {
class EditHistory;
class CloseUpView;
class GrowingClient;
class RenderController;
class VariationsView;
}

class CMottlerDlg : public QDialog, private mottler::DocumentView {
  Q_OBJECT

 public:
  explicit CMottlerDlg(QWidget* parent = nullptr);
  ~CMottlerDlg() override;

  // Opens a program named when the application was started (a file manager
  // passes the file it was asked to open this way), as "Open" would; a file
  // that cannot be read is reported and the window stays empty.
  bool openStartupDocument(const QString& path);

  // The preview zoom in percent, 100..1000, and where Open starts and New
  // places its document.
  int zoom() const { return zoom_; }
  // A redraw was asked for that the next generate would carry out.
  bool redrawRequested() const { return forceRedraw_ || redrawOnly_; }
  QString openFolder() const { return QString::fromStdString(documents_.openFolder()); }

  // What the user edits, and its undo history.
  mottler::EditorModel& model() { return model_; }
  const mottler::EditorModel& model() const { return model_; }
  QUndoStack& undoStack();

  // The picture of the last finished run (texture, buffer, size, the
  // entries' times): what the preview shows.
  const mottler::ui::RunOutcome& picture() const;
  const mottler::CommandCatalogue& catalogue() const { return catalogue_; }

  // The control or menu command with a numeric identifier.
  QWidget* control(int id) const;
  template <class T>
  T* control(int id) const { return qobject_cast<T*>(control(id)); }
  QAction* menuCommand(int id) const;

  QString statusText() const;
  void setStatusText(const QString& text);

  // The seed variations, once View > Variations has opened them.
  mottler::ui::VariationsView* variations() const { return variations_; }
  // The close-up, once View > Close-up (or Export at Size) has opened it.
  mottler::ui::CloseUpView* closeUp() const { return closeUp_; }

  // A run has been asked for and its picture is not there yet.
  bool isRunning() const;
  // Handles events until no run is outstanding.
  void waitUntilIdle();


 public slots:
  void accept() override;  // Enter: the window stays open
  void reject() override;  // Escape: close through closeDocument

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  // Program editor.
  void onCommandChosen(QTreeWidgetItem* item);
  void onEntrySelected();
  void onAdd();
  void onCancelPending();
  void onRemove();
  void onMoveUp();
  void onMoveDown();
  void onToggleState();

  // Parameter panel.
  void onZoomMoved(int position);
  void onMethodChanged(int index);
  void onMethodChosen(int index);
  void onFixedColorsClicked(bool checked);

  // Generation and view options.
  void onGenerateClicked();
  void onAutoGenerateClicked();
  void onLookBufferClicked();
  void onTileClicked();
  void autoZoom();

  // Document.
  void onRemarkEdited(const QString& text);
  void newDocument();
  void openDocument();
  void saveDocument();
  void saveDocumentAs();
  void exportBitmap();
  // File > "Export at Size...": opens the modeless dialog with the program
  // as it is now.
  void exportAtSize();
  void closeDocument();
  void openDroppedDocument(const QString& path);

  // View.
  void showVariations();
  void onVariationChosen(int seed);
  // View > "Close-up": the program at a larger size, at 1:1; the Export at
  // Size dialog opens it at the size chosen there.
  void showCloseUp();
  void showCloseUpAt(int scale);

  // Help.
  void showHelp();
  void openWebPage();
  void showAbout();

 private:
  // Set-up (main_dialog.cpp).
  void createControls();
  void createMenu();
  void createStatusBar();
  void connectHandlers();
  void setUp();
  void fillCommandTree();
  void setUpToolTips();
  void setUpAccessibleNames();
  void endDialog();
  QSize openingSize() const;

  // Generation (generate.cpp).
  // The generation cycle: when "Auto Generate" is ticked or forceRedraw_ is
  // set, starts a run of the program (the preview keeps the last finished
  // picture until the run's picture is there) or, with redrawOnly_, redraws
  // the preview from the last finished picture.
  void generate();
  // Redraws every control from the model, or the parts that show a change.
  void showModel();
  void showChanges(const mottler::ModelChange& change);
  mottler::ui::RunRequest runRequest() const;
  void startRun(const QString& exportPath = QString(),
                mottler::PictureType exportType = mottler::PictureType::Bitmap);
  void connectRenders();
  void showPicture();
  void showBusy(bool busy);
  void leaveDocument();
  void drawPicture();
  void copyPlaneToPreview();
  void showPreviewBitmap();
  void showEntryTimes();

  // Editor (program_editor.cpp).
  void apply(mottler::EditResult result);
  void onStepRestored(mottler::EditStep::Kind kind, const mottler::ModelChange& change);
  void showProgramList();
  void showEditorButtons();
  void showTreeChoice();
  void selectFirstTreeItem();

  // Document helpers (file_commands.cpp): what the document commands ask
  // and show through the window.
  Answer askSaveChanges(const std::string& documentPath) override;
  std::string askSavePath(const std::string& initialPath) override;
  std::string askOpenPath(const std::string& initialPath) override;
  void showFileError(const std::string& text) override;
  void documentSaved(const std::string& path) override;
  void documentOpened(const std::string& path) override;
  void showFreshDocument();
  void showDocumentCaption(const QString& fileName);

  // Parameter panel (parameter_panel.cpp).
  void showPanel();
  void showDocumentValues();
  void showZoom();
  void setValueText(int id, const QString& text);
  void showValueTexts();
  void setZoom(int value);
  void startGesture();

  mottler::CommandCatalogue catalogue_;
  mottler::EditorModel model_;
  mottler::ui::EditHistory* history_ = nullptr;
  mottler::DocumentController documents_{model_, *this};

  QMenuBar* menuBar_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  QLabel* statusPart_ = nullptr;
  mottler::ui::GrowingClient* client_ = nullptr;

  PreviewControl* preview_ = nullptr;
  HorizontalScrollBar* zoomBar_ = nullptr;
  HorizontalScrollBar* seedBar_ = nullptr;
  HorizontalScrollBar* offsetXBar_ = nullptr;
  HorizontalScrollBar* offsetYBar_ = nullptr;
  std::array<HorizontalScrollBar*, mottler::kParamCount> paramBars_{};
  std::array<QLabel*, mottler::kParamCount> paramLabels_{};
  std::array<QLabel*, mottler::kParamCount> paramValues_{};
  QComboBox* methodBox_ = nullptr;
  QCheckBox* fixedColorsBox_ = nullptr;
  QCheckBox* autoGenerateBox_ = nullptr;
  QCheckBox* showClockBox_ = nullptr;
  QCheckBox* lookBufferBox_ = nullptr;
  QLineEdit* remarkEdit_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QListWidget* list_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* upButton_ = nullptr;
  QPushButton* downButton_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* stateButton_ = nullptr;
  QPushButton* removeButton_ = nullptr;
  QPushButton* generateButton_ = nullptr;

  QCheckBox* tileBox_ = nullptr;
  mottler::ui::VariationsView* variations_ = nullptr;  // made when first shown
  mottler::ui::CloseUpView* closeUp_ = nullptr;        // likewise

  // The window's own state (the document and the editor are the model's).
  QString title_;             // "Mottler", used in the caption
  bool redrawOnly_ = false;   // next generate: redraw from the picture, do not run
  bool forceRedraw_ = false;  // next generate: redraw even without "Auto Generate"
  int zoom_ = 100;            // preview zoom in percent, 100..1000
  QString programFolder_;     // folder of the program, ending in "/"

  // The preview bitmap, 258 x 258 pixels 0x00RRGGBB, composed once per
  // finished run or view change; the preview control shows it.
  std::array<std::uint32_t, mottler::preview::kPixels> previewBits_{};

  // The runs, their progress, the exports and the finished picture.
  mottler::ui::RenderController* renders_ = nullptr;
  bool clockShown_ = false;  // the wait cursor is up for the runs

  bool ending_ = false;    // closeDocument decided to end the window
  bool showing_ = false;   // the controls are being set from the model
  bool methodChanged_ = false;  // the Method box's choice changed the method
};
