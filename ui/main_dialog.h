// The main window: every control of the user interface, the editor and
// document state, the preview bitmap and the generation cycle.
#pragma once

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

#include "engine/catalogue.h"
#include "document/program_file.h"
#include "engine/engine_state.h"
#include "ui/preview.h"

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
class PreviewControl;

class CMottlerDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CMottlerDlg(QWidget* parent = nullptr);
  ~CMottlerDlg() override;

  // Opens a program named when the application was started (a file manager
  // passes the file it was asked to open this way), as "Open" would; a file
  // that cannot be read is reported and the window stays empty.
  bool openStartupDocument(const QString& path);

  // --- window state -------------------------------------------------------
  QString title;                // "Mottler", used in the caption
  int currentIndex = 0;         // slot the parameter panel edits
  int programLength = 0;        // number of committed entries
  bool redrawOnly = false;      // next generate: redraw from the planes, do not run
  bool forceRedraw = false;     // next generate: redraw even without "Auto Generate"
  bool modified = false;        // the program differs from its file
  bool removingPending = false; // "&Cancel" is removing the pending entry
  bool hasPath = false;         // the document has a file path
  std::uint8_t pendingCommand = 0;  // catalogue index last chosen in the tree
  bool newSlotOnChoice = false; // a list selection: the next choice starts a new entry

  // Texts of the value fields, pushed into the controls by updateControls().
  std::array<QString, mottler::kParamCount> paramLabelText;
  std::array<QString, mottler::kParamCount> paramValueText;
  QString seedText, widthText, heightText, zoomText, offsetXText, offsetYText;
  QString remark;               // author's remark, at most 127 characters
  int zoom = 100;               // preview zoom in percent, 100..1000

  // Name and icon of the entry last selected in the list, kept for "&State".
  QString selectedName;
  int selectedIcon = 0;

  // --- document state -----------------------------------------------------
  QString documentPath;
  QString documentName;
  QString programFolder;
  QString openFolder;
  int documentWidth = 256;      // size shown in "Width:" / "Height:"
  int documentHeight = 256;

  // The preview bitmap, 258 x 258 pixels 0x00RRGGBB.
  std::array<std::uint32_t, mottler::preview::kPixels> previewBits{};

  mottler::TextureEngine& engine() { return *engine_; }
  mottler::CommandCatalogue& catalogue() { return catalogue_; }

  // The control or menu command with a numeric identifier.
  QWidget* control(int id) const;
  template <class T>
  T* control(int id) const { return qobject_cast<T*>(control(id)); }
  QAction* menuCommand(int id) const;

  QString statusText() const;
  void setStatusText(const QString& text);

  void markModified();

  // The document as a program file carries it: the committed entries in
  // program order (never the pending entry, wherever "Up" and "Down" have
  // put it), the size, the seed and the remark.
  mottler::ProgramDocument committedDocument() const;
  // A command chosen in the tree waits to be added (or cancelled).
  bool hasPendingEntry() const;

  // The generation cycle: runs the program (unless redrawOnly) and redraws
  // the preview when "Auto Generate" is ticked or forceRedraw is set.
  void generate();
  bool isRunning() const { return running_; }

  // Parameter panel.
  void showParameters(int index, bool fromDefaults);
  void resetParameterPanel();

  // Members to controls, and back (the dialog's data exchange).
  void updateControls();
  void updateMembers();

  // Called by the preview control when it paints: redraw from the planes.
  void paintPreview();

 public slots:
  void accept() override;  // Enter: copy the controls into the members only
  void reject() override;  // Escape: close through closeDocument

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
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
  void onHorizontalScroll(QScrollBar* bar, int action);
  void onMethodChanged(int index);
  void onFixedColorsClicked(bool checked);

  // Generation and view options.
  void onGenerateClicked();
  void onAutoGenerateClicked();
  void onLookBufferClicked();
  void autoZoom();

  // Document.
  void onRemarkEdited(const QString& text);
  void newDocument();
  void openDocument();
  void saveDocument();
  void saveDocumentAs();
  void exportBitmap();
  void closeDocument();

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

  // Generation (generate.cpp).
  void runCurrentProgram();
  void copyPlaneToPreview();
  void showPreviewBitmap();

  // Editor helpers (program_editor.cpp).
  void insertListItem(int index, const QString& name, int image);
  void deleteListItem(int index);
  void setEntryOptions(const mottler::CommandInfo& info, const mottler::ProgramEntry* entry);
  void selectFirstTreeItem();
  void setSaveCommandsEnabled(bool enabled);

  // Document helpers (file_commands.cpp).
  bool saveChangesPrompt();  // true: go on; false: the asking command stops
  bool saveToDocumentPath(); // Save; true when the file was written
  bool saveUnderChosenName();  // Save As; true when the file was written
  bool writeDocument(const QString& path);
  bool loadDocument(const QString& path);
  void showDocumentCaption(const QString& fileName);

  // Parameter panel helpers (parameter_panel.cpp).
  void setZoom(int value);

  std::unique_ptr<mottler::TextureEngine> engine_;
  mottler::CommandCatalogue catalogue_;

  QMenuBar* menuBar_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  QLabel* statusPart_ = nullptr;
  QWidget* client_ = nullptr;

  PreviewControl* preview_ = nullptr;
  QScrollBar* zoomBar_ = nullptr;
  QScrollBar* seedBar_ = nullptr;
  QScrollBar* offsetXBar_ = nullptr;
  QScrollBar* offsetYBar_ = nullptr;
  std::array<QScrollBar*, mottler::kParamCount> paramBars_{};
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

  bool running_ = false;   // a program run is in progress
  bool inPaint_ = false;   // generate was called by the preview's paint
  bool ending_ = false;    // closeDocument decided to end the window
  bool closeAfterRun_ = false;  // a close request arrived during a run
};
