// The main window: its controls, menu, status bar, tooltips and set-up, the
// data exchange between members and controls, and how the window ends.
#include "ui/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QCursor>
#include <QGuiApplication>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>

#include "ui/artwork.h"
#include "ui/client_area.h"
#include "ui/control_ids.h"
#include "ui/dialog_template.h"
#include "ui/dialogs/exit_info_dialog.h"
#include "ui/edit_history.h"
#include "ui/horizontal_scroll_bar.h"
#include "ui/preview_control.h"
#include "ui/remark_box.h"
#include "ui/render_controller.h"
#include "ui/variations_view.h"
#include "ui/window_layout.h"

// The compiled-in resources live in a static library and must be registered
// once before the first use.
static void registerResources() {
  static bool registered = false;
  if (!registered) {
    Q_INIT_RESOURCE(mottler);
    registered = true;
  }
}

using namespace mottler;
using namespace mottler::ui;

namespace {

const QString kLayoutPath = QStringLiteral(":/mottler/main_window.layout");

// The window can be made this small; below its default size it scrolls.
constexpr QSize kSmallestWindow(320, 240);

QString idName(int id) { return QString::number(id); }

// The program file a drag brings, if it brings exactly one local file whose
// name ends in ".mlr"; anything else is no program to open.
QString droppedProgram(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
  const QString path = urls.first().toLocalFile();
  return path.endsWith(QStringLiteral(".mlr"), Qt::CaseInsensitive) ? path : QString();
}

// Where the file dialogs start before any document has a folder: the
// working folder when it takes files, else the home folder (never the
// program's own folder, which an installed system does not let users write).
QString startFolder() {
  const QFileInfo working(QDir::currentPath());
  const QString folder =
      working.isDir() && working.isWritable() ? working.absoluteFilePath() : QDir::homePath();
  return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}


}  // namespace

CMottlerDlg::CMottlerDlg(QWidget* parent)
    : QDialog(parent) {
  registerResources();
  history_ = new EditHistory(model_, this);
  renders_ = new RenderController(this);
  setAcceptDrops(true);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  createControls();
  createMenu();
  createStatusBar();

  // The client area fills the window; a window smaller than its default
  // size (a small screen) scrolls it, so every control stays reachable.
  auto* scroller = new QScrollArea(this);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setWidgetResizable(true);
  scroller->setWidget(client_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(scroller, 1);
  layout->addWidget(statusBar_);
  setMinimumSize(kSmallestWindow);
  resize(openingSize());

  setUp();

  // Dialog initialisation after the set-up.
  setWindowIcon(applicationIcon());
  upButton_->setIcon(upIcon());
  downButton_->setIcon(downIcon());
  setStatusText(QStringLiteral("Ready"));
  setUpToolTips();
  setUpAccessibleNames();
  connectHandlers();
}

CMottlerDlg::~CMottlerDlg() {
  // The base class hides the window after this destructor has run, which
  // moves the focus: the application's focus signal must not reach a window
  // that is half gone.
  disconnect(qApp, nullptr, this, nullptr);
  // The runs stop (the one in progress is cancelled) before anything they
  // report to goes away.
  delete renders_;
}

// The default size (the layout's client area with the menu and the status
// bar), made no larger than the screen the window opens on leaves for it.
QSize CMottlerDlg::openingSize() const {
  const QSize wanted(client_->defaultSize().width(),
                     menuBar_->sizeHint().height() + client_->defaultSize().height() +
                         statusBar_->sizeHint().height());
  const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return wanted;
  return fittedWindowSize(wanted, screen->availableGeometry().size(), kFrameAllowance);
}

// --- construction ------------------------------------------------------------

void CMottlerDlg::createControls() {
  const DialogTemplate layout = readDialogTemplate(kLayoutPath);
  if (!layout.error.isEmpty()) qFatal("Mottler: the window layout is damaged: %s", qPrintable(layout.error));

  client_ = buildClientArea(layout, font(), this);
  setWindowTitle(layout.caption);

  preview_ = control<PreviewControl>(IdPreview);
  zoomBar_ = control<HorizontalScrollBar>(IdZoomBar);
  seedBar_ = control<HorizontalScrollBar>(IdSeedBar);
  offsetXBar_ = control<HorizontalScrollBar>(IdOffsetXBar);
  offsetYBar_ = control<HorizontalScrollBar>(IdOffsetYBar);
  for (int k = 0; k < kParamCount; ++k) {
    paramBars_[k] = control<HorizontalScrollBar>(kParamBarIds[k]);
    paramLabels_[k] = control<QLabel>(kParamLabelIds[k]);
    paramValues_[k] = control<QLabel>(kParamValueIds[k]);
  }
  methodBox_ = control<QComboBox>(IdMethod);
  fixedColorsBox_ = control<QCheckBox>(IdFixedColors);
  autoGenerateBox_ = control<QCheckBox>(IdAutoGenerate);
  showClockBox_ = control<QCheckBox>(IdShowClock);
  lookBufferBox_ = control<QCheckBox>(IdLookBuffer);
  tileBox_ = control<QCheckBox>(IdTile);
  remarkEdit_ = control<QLineEdit>(IdRemark);
  tree_ = control<QTreeWidget>(IdTree);
  list_ = control<QListWidget>(IdList);
  progress_ = control<QProgressBar>(IdProgress);
  upButton_ = control<QPushButton>(IdUp);
  downButton_ = control<QPushButton>(IdDown);
  addButton_ = control<QPushButton>(IdAdd);
  cancelButton_ = control<QPushButton>(IdCancel);
  stateButton_ = control<QPushButton>(IdState);
  removeButton_ = control<QPushButton>(IdRemove);
  generateButton_ = control<QPushButton>(IdGenerate);
  makeRemarkBox(remarkEdit_);
}

void CMottlerDlg::createMenu() {
  menuBar_ = new QMenuBar(this);
  // The menu shows each command's keys beside its text, from the action's
  // shortcut, so that the text itself is the plain name.
  auto add = [this](QMenu* menu, int id, const char* text, const QKeySequence& keys,
                    void (CMottlerDlg::*slot)()) {
    auto* action = new QAction(QString::fromUtf8(text), this);
    action->setObjectName(idName(id));
    if (!keys.isEmpty()) action->setShortcut(keys);
    // Added to the window as well, so the key works wherever the focus is.
    addAction(action);
    menu->addAction(action);
    // The command runs once the trigger has returned: a screen reader that
    // chose the item gets its answer before a dialog waits for the user.
    connect(action, &QAction::triggered, this, slot, Qt::QueuedConnection);
    return action;
  };
  QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
  add(file, IdFileNew, "&New...", QKeySequence(Qt::CTRL | Qt::Key_N), &CMottlerDlg::newDocument);
  add(file, IdFileOpen, "&Open", QKeySequence(Qt::CTRL | Qt::Key_O), &CMottlerDlg::openDocument);
  add(file, IdFileSave, "&Save...", QKeySequence(Qt::CTRL | Qt::Key_S), &CMottlerDlg::saveDocument)
      ->setEnabled(false);
  add(file, IdFileSaveAs, "Save &As...", QKeySequence(), &CMottlerDlg::saveDocumentAs)->setEnabled(false);
  file->addSeparator();
  add(file, IdFileExport, "&Export", QKeySequence(Qt::CTRL | Qt::Key_E), &CMottlerDlg::exportBitmap);
  add(file, IdFileExportAtSize, "Export at Si&ze...", QKeySequence(), &CMottlerDlg::exportAtSize);
  file->addSeparator();
  add(file, IdFileExit, "E&xit", QKeySequence(Qt::ALT | Qt::Key_X), &CMottlerDlg::closeDocument);

  // Undo and redo name the step they take back or do again ("Undo Add
  // Plasma") and are greyed when there is none.
  QMenu* edit = menuBar_->addMenu(QStringLiteral("&Edit"));
  QAction* undo = history_->stack().createUndoAction(this, QStringLiteral("&Undo"));
  undo->setObjectName(idName(IdEditUndo));
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  QAction* redo = history_->stack().createRedoAction(this, QStringLiteral("&Redo"));
  redo->setObjectName(idName(IdEditRedo));
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  for (QAction* action : {undo, redo}) {
    addAction(action);
    edit->addAction(action);
  }
  connect(history_, &EditHistory::restored, this, &CMottlerDlg::onStepRestored);

  QMenu* view = menuBar_->addMenu(QStringLiteral("&View"));
  add(view, IdViewVariations, "&Variations", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V),
      &CMottlerDlg::showVariations);
  add(view, IdViewCloseUp, "&Close-up", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
      &CMottlerDlg::showCloseUp)
      ->setStatusTip(QStringLiteral("the texture at a larger size, shown at 1:1"));

  QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
  add(help, IdHelpContents, "&Contents", QKeySequence(Qt::Key_F1), &CMottlerDlg::showHelp);
  add(help, IdHelpWebSite, "&Web Site", QKeySequence(), &CMottlerDlg::openWebPage);
  help->addSeparator();
  add(help, IdHelpAbout, "&About...", QKeySequence(), &CMottlerDlg::showAbout);
}

void CMottlerDlg::createStatusBar() {
  statusBar_ = new QStatusBar(this);
  statusBar_->setSizeGripEnabled(false);
  // The part is read by its text ("Ready", "... saved").
  statusPart_ = new QLabel(statusBar_);
  statusBar_->addWidget(statusPart_, 1);
}

void CMottlerDlg::connectHandlers() {
  // The tree's selection, however it changes (a click, the keys, or a
  // screen reader selecting an item), chooses.
  connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    if (!selected.isEmpty()) onCommandChosen(selected.first());
  });
  connect(list_, &QListWidget::itemSelectionChanged, this, &CMottlerDlg::onEntrySelected);
  connect(addButton_, &QPushButton::clicked, this, &CMottlerDlg::onAdd);
  connect(cancelButton_, &QPushButton::clicked, this, &CMottlerDlg::onCancelPending);
  connect(removeButton_, &QPushButton::clicked, this, &CMottlerDlg::onRemove);
  connect(stateButton_, &QPushButton::clicked, this, &CMottlerDlg::onToggleState);
  connect(upButton_, &QPushButton::clicked, this, &CMottlerDlg::onMoveUp);
  connect(downButton_, &QPushButton::clicked, this, &CMottlerDlg::onMoveDown);

  // Each scroll bar reports every move through one signal, wired to what
  // it edits with its row bound here.
  for (int k = 0; k < kParamCount; ++k)
    connect(paramBars_[k], &HorizontalScrollBar::moved, this,
            [this, k](int position) { apply(model_.setParameter(k, position)); });
  connect(offsetXBar_, &HorizontalScrollBar::moved, this,
          [this](int position) { apply(model_.setOffsetX(position)); });
  connect(offsetYBar_, &HorizontalScrollBar::moved, this,
          [this](int position) { apply(model_.setOffsetY(position)); });
  connect(seedBar_, &HorizontalScrollBar::moved, this, [this](int position) { apply(model_.setSeed(position)); });
  connect(zoomBar_, &HorizontalScrollBar::moved, this, &CMottlerDlg::onZoomMoved);
  connect(methodBox_, &QComboBox::currentIndexChanged, this, &CMottlerDlg::onMethodChanged);
  connect(methodBox_, &QComboBox::activated, this, &CMottlerDlg::onMethodChosen);
  connect(fixedColorsBox_, &QCheckBox::clicked, this, &CMottlerDlg::onFixedColorsClicked);

  connect(generateButton_, &QPushButton::clicked, this, &CMottlerDlg::onGenerateClicked);
  connect(autoGenerateBox_, &QCheckBox::clicked, this, &CMottlerDlg::onAutoGenerateClicked);
  connect(lookBufferBox_, &QCheckBox::clicked, this, &CMottlerDlg::onLookBufferClicked);
  connect(tileBox_, &QCheckBox::clicked, this, &CMottlerDlg::onTileClicked);
  connect(control<QPushButton>(IdAutoZoom), &QPushButton::clicked, this, &CMottlerDlg::autoZoom);

  // Typing, pasting, the box's own undo or a screen reader writing the
  // text: every change that the window itself did not make is an edit.
  connect(remarkEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!showing_) onRemarkEdited(text);
  });
  remarkEdit_->installEventFilter(this);
  // The remark box would take a dropped file's name as text.
  remarkEdit_->setAcceptDrops(false);

  connectRenders();

  // A drag of one scroll bar, or a run of keys or typing in one control, is
  // one step of the undo history: a new one starts when a thumb is pressed
  // or released and when the focus moves.
  for (QScrollBar* bar : client_->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly)) {
    connect(bar, &QScrollBar::sliderPressed, this, &CMottlerDlg::startGesture);
    connect(bar, &QScrollBar::sliderReleased, this, &CMottlerDlg::startGesture);
  }
  connect(qApp, &QApplication::focusChanged, this, &CMottlerDlg::startGesture);
}

// --- set-up ------------------------------------------------------------------

void CMottlerDlg::setUp() {
  preview::clearBitmap(previewBits_.data());

  catalogue_.build();
  fillCommandTree();

  seedBar_->showPosition(0, 32767, 0);
  offsetXBar_->showPosition(0, 255, 0);
  offsetYBar_->showPosition(0, 255, 0);
  zoomBar_->showPosition(preview::kMinZoom, preview::kMaxZoom, preview::kMinZoom);
  zoom_ = 100;

  for (int m = 0; m < kBlendMethodCount; ++m)
    methodBox_->addItem(QString::fromUtf8(CommandCatalogue::blendMethodName(m).data(),
                                          static_cast<int>(CommandCatalogue::blendMethodName(m).size())));

  autoGenerateBox_->setChecked(true);
  showClockBox_->setChecked(true);

  programFolder_ = QCoreApplication::applicationDirPath() + QLatin1Char('/');
  documents_.setOpenFolder(startFolder().toStdString());

  title_ = QStringLiteral("Mottler");
  setWindowTitle(title_ + QStringLiteral(" - ") + QStringLiteral("Untitled.mlr"));
  model_.setDocumentPath(documents_.openFolder() + "Untitled.mlr");

  showModel();
}

void CMottlerDlg::fillCommandTree() {
  tree_->clear();
  for (int category = 0; category < kCategoryCount; ++category) {
    const std::string_view name = CommandCatalogue::categoryName(category);
    auto* root = new QTreeWidgetItem(tree_, {QString::fromUtf8(name.data(), static_cast<int>(name.size()))});
    root->setIcon(0, stripImage(category));
    for (int index = 0; index < kCommandCount; ++index) {
      const CommandInfo& info = catalogue_.info(index);
      if (info.category != category) continue;
      auto* item = new QTreeWidgetItem(root, {QString::fromUtf8(info.name.data(), static_cast<int>(info.name.size()))});
      item->setIcon(0, stripImage(category));
    }
  }
  tree_->expandAll();
  QTreeWidgetItem* first = tree_->topLevelItem(0);
  tree_->scrollToItem(first, QAbstractItemView::PositionAtTop);
  tree_->setCurrentItem(first);
}

void CMottlerDlg::setUpToolTips() {
  addButton_->setToolTip(QStringLiteral("add the command to program window"));
  cancelButton_->setToolTip(QStringLiteral("cancel the command"));
  removeButton_->setToolTip(QStringLiteral("remove the command from program window"));
  stateButton_->setToolTip(QStringLiteral("enable/disable the command"));
  upButton_->setToolTip(QStringLiteral("move up the command"));
  downButton_->setToolTip(QStringLiteral("move down the command"));
  generateButton_->setToolTip(QStringLiteral("begin to generate the texture"));
  tree_->setToolTip(QStringLiteral("commands window"));
  list_->setToolTip(QStringLiteral("program window"));
}

void CMottlerDlg::setUpAccessibleNames() {
  auto name = [this](int id, const QString& text) { control(id)->setAccessibleName(text); };
  name(IdPreview, QStringLiteral("Texture Image:"));
  name(IdZoomBar, QStringLiteral("Zoom:"));
  name(IdRemark, QStringLiteral("Author's Remark:"));
  name(IdSeedBar, QStringLiteral("Random Seed"));
  name(IdMethod, QStringLiteral("Method:"));
  name(IdOffsetXBar, QStringLiteral("X Offset"));
  name(IdOffsetYBar, QStringLiteral("Y Offset"));
  name(IdTree, QStringLiteral("Commands:"));
  name(IdList, QStringLiteral("Program:"));
  name(IdProgress, QStringLiteral("Process:"));
  // The captions beside these controls label them for a screen reader too
  // (the Method box, whose name is the method it shows, above all).
  const std::pair<QString, int> captions[] = {
      {QStringLiteral("Zoom:"), IdZoomBar},    {QStringLiteral("Author's Remark:"), IdRemark},
      {QStringLiteral("Random Seed:"), IdSeedBar}, {QStringLiteral("Method:"), IdMethod},
      {QStringLiteral("Commands:"), IdTree},   {QStringLiteral("Program:"), IdList},
      {QStringLiteral("Process:"), IdProgress}};
  for (QLabel* label : client_->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!label->objectName().isEmpty()) continue;  // value texts have identifiers
    for (const auto& [caption, id] : captions)
      if (label->text() == caption) label->setBuddy(control(id));
  }
  // The value texts and the parameter rows are named with their values as
  // they are shown (showValueTexts).
  showValueTexts();
}

// --- lookup --------------------------------------------------------------------

QWidget* CMottlerDlg::control(int id) const {
  return client_ != nullptr ? client_->findChild<QWidget*>(idName(id)) : nullptr;
}

QAction* CMottlerDlg::menuCommand(int id) const { return findChild<QAction*>(idName(id)); }

QUndoStack& CMottlerDlg::undoStack() { return history_->stack(); }

QString CMottlerDlg::statusText() const { return statusPart_->text(); }

void CMottlerDlg::setStatusText(const QString& text) {
  statusPart_->setText(text);
  statusBar_->setAccessibleName(text);
}

// --- the view of the model ---------------------------------------------------

void CMottlerDlg::showModel() {
  showChanges(ModelChange::everything());
  showZoom();
}

// Only the parts of the window that show what changed are redrawn: a
// scroll-bar step of a parameter touches the panel alone, a seed step the
// document's values.
void CMottlerDlg::showChanges(const ModelChange& change) {
  // What the window puts into its controls is no edit of the user's.
  const QScopedValueRollback<bool> quiet(showing_, true);
  if (change.list || change.document) {
    if (change.list) showProgramList();
    showEditorButtons();
  }
  if (change.panel) showPanel();
  if (change.document) showDocumentValues();
  if (change.panel || change.document) showValueTexts();
}

void CMottlerDlg::showDocumentValues() {
  seedBar_->showPosition(model_.seed());
  setValueText(IdSeedText, QString::number(model_.seed()));
  setValueText(IdWidthText, QString::number(model_.width()));
  setValueText(IdHeightText, QString::number(model_.height()));
  const QString remark = remarkText(model_.remark());
  if (remarkEdit_->text() != remark) {
    remarkEdit_->setText(remark);
    remarkEdit_->setCursorPosition(0);  // a loaded remark reads from its start
  }
}

void CMottlerDlg::showZoom() {
  const QScopedValueRollback<bool> quiet(showing_, true);
  zoomBar_->showPosition(zoom_);
  setValueText(IdZoomText, QStringLiteral("%1 %").arg(zoom_));
  showValueTexts();
}

void CMottlerDlg::setValueText(int id, const QString& text) {
  auto* label = control<QLabel>(id);
  if (label->text() != text) label->setText(text);
}

// --- keys and ending -----------------------------------------------------------

// Every control writes into the model as it changes, so Enter has nothing
// left to copy; the window stays open.
void CMottlerDlg::accept() {}

void CMottlerDlg::reject() { closeDocument(); }

void CMottlerDlg::endDialog() {
  ending_ = true;
  // The run in progress stops, whatever it is; the window does not wait.
  renders_->stopAll();
  QDialog::done(QDialog::Rejected);
  // As the window goes, the exit information is shown once.
  showExitInfo(this);
}

void CMottlerDlg::closeEvent(QCloseEvent* event) {
  if (ending_) {
    event->accept();
    return;
  }
  // The close box goes the same way as Escape and Exit.
  event->ignore();
  closeDocument();
}

// A program file dragged from a file manager: the window takes exactly one
// ".mlr" file, which opens once the drop has returned (the save prompt
// must not keep the file manager waiting).
void CMottlerDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedProgram(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMottlerDlg::dropEvent(QDropEvent* event) {
  const QString path = droppedProgram(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  QMetaObject::invokeMethod(
      this, [this, path] { openDroppedDocument(path); }, Qt::QueuedConnection);
}

void CMottlerDlg::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      return;
    case Qt::Key_Escape:
      reject();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

bool CMottlerDlg::eventFilter(QObject* watched, QEvent* event) {
  // The remark box would keep keys such as Ctrl+E (end of line) or Ctrl+Z
  // (its own undo) for itself; the window's accelerators and the editor's
  // one undo history take precedence there.
  if (watched == remarkEdit_ && event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    for (QAction* action : actions()) {
      if (action->shortcuts().contains(pressed)) return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
