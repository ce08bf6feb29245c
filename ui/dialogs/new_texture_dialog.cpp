#include "ui/dialogs/new_texture_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_seam.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/help_key.h"

using namespace mottler::ui;

namespace {

constexpr const char* kPresetTexts[CNewTextureDlg::kPresetCount] = {
    "Default (256x256)", "Average (128x128)", "Small (64x64)",
    "Big Icon (32x32)",  "Small Icon (16x16)", "Symbol (8x8)"};

QLineEdit* sizeBox(int id, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::number(id));
  box->setAlignment(Qt::AlignCenter);
  // Digits only; an empty box stays possible so that OK can complain about it.
  box->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
  box->setFixedWidth(56);
  return box;
}

}  // namespace

CNewTextureDlg::CNewTextureDlg(const QString& openFolder, QWidget* parent)
    : QDialog(parent), openFolder_(openFolder) {
  setWindowTitle(kNewTitle);
  setObjectName(QString::number(kTemplateId));
  setModal(true);

  nameBox_ = new QLineEdit(QStringLiteral("Untitled"), this);
  nameBox_->setObjectName(QString::number(IDC_NAME));
  nameBox_->setMinimumWidth(180);
  widthBox_ = sizeBox(IDC_WIDTH, this);
  heightBox_ = sizeBox(IDC_HEIGHT, this);
  presetBox_ = new QComboBox(this);
  presetBox_->setObjectName(QString::number(IDC_PRESETS));
  for (int i = 0; i < kPresetCount; ++i) presetBox_->addItem(presetText(i));
  presetBox_->setCurrentIndex(0);
  widthBox_->setText(QString::number(presetSize(0)));
  heightBox_->setText(QString::number(presetSize(0)));

  okButton_ = new QPushButton(QStringLiteral("OK"), this);
  okButton_->setObjectName(QString::number(IDOK_));
  okButton_->setDefault(true);
  cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton_->setObjectName(QString::number(IDCANCEL_));

  auto* nameLabel = new QLabel(QStringLiteral("Name:"), this);
  nameLabel->setBuddy(nameBox_);

  auto* sizeGroup = new QGroupBox(QStringLiteral("Texture Size: "), this);
  auto* grid = new QGridLayout(sizeGroup);
  auto* widthLabel = new QLabel(QStringLiteral("Width:"), sizeGroup);
  auto* heightLabel = new QLabel(QStringLiteral("Height:"), sizeGroup);
  widthLabel->setBuddy(widthBox_);
  heightLabel->setBuddy(heightBox_);
  // Each box is read by its own label, not by the group around both.
  widthBox_->setAccessibleName(QStringLiteral("Width"));
  heightBox_->setAccessibleName(QStringLiteral("Height"));
  grid->addWidget(widthLabel, 0, 0);
  grid->addWidget(widthBox_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Pixels"), sizeGroup), 0, 2);
  grid->addWidget(heightLabel, 1, 0);
  grid->addWidget(heightBox_, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Pixels"), sizeGroup), 1, 2);
  grid->addWidget(presetBox_, 2, 0, 1, 3);
  grid->setColumnStretch(3, 1);

  auto* fields = new QVBoxLayout;
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(nameBox_, 1);
  fields->addLayout(nameRow);
  fields->addWidget(sizeGroup);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  buttons->addStretch(1);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(fields, 1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  setTabOrder(nameBox_, widthBox_);
  setTabOrder(widthBox_, heightBox_);
  setTabOrder(heightBox_, presetBox_);
  setTabOrder(presetBox_, okButton_);
  setTabOrder(okButton_, cancelButton_);

  connect(okButton_, &QPushButton::clicked, this, &CNewTextureDlg::onOk);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(presetBox_, &QComboBox::currentIndexChanged, this, &CNewTextureDlg::onPresetChanged);
  ignoreHelpKey(this);
}

QString CNewTextureDlg::presetText(int index) {
  return QString::fromLatin1(kPresetTexts[index]);
}

int CNewTextureDlg::presetSize(int index) { return 256 >> index; }

QString CNewTextureDlg::nameWithExtension(const QString& name) {
  // Only the file name counts: a dot in a folder typed before it is no
  // extension.
  const QString fileName = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
  return fileName.contains(QLatin1Char('.')) ? name : name + kProgramExtension;
}

CNewTextureDlg::SizeCheck CNewTextureDlg::checkSize(const QString& text, int* value) {
  if (text.isEmpty()) return SizeCheck::NotAnInteger;
  for (QChar c : text)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return SizeCheck::NotAnInteger;
  bool fits = false;
  const qulonglong number = text.toULongLong(&fits);
  // Too many digits for any integer type is still an integer, just too big.
  if (!fits || number < static_cast<qulonglong>(kMinTextureSize) ||
      number > static_cast<qulonglong>(kMaxTextureSize))
    return SizeCheck::OutOfRange;
  if (value) *value = static_cast<int>(number);
  return SizeCheck::Ok;
}

bool CNewTextureDlg::checkBox(QLineEdit* box, int* value) {
  const SizeCheck check = checkSize(box->text(), value);
  if (check == SizeCheck::Ok) return true;
  dialogSeam().message(this, QMessageBox::Warning, kAppName,
                       check == SizeCheck::NotAnInteger ? kPositiveIntegerText : rangeText(),
                       QMessageBox::Ok);
  box->setFocus(Qt::OtherFocusReason);
  box->selectAll();
  return false;
}

void CNewTextureDlg::onOk() {
  int height = 0, width = 0;
  if (!checkBox(heightBox_, &height)) return;
  if (!checkBox(widthBox_, &width)) return;
  documentWidth_ = width;
  documentHeight_ = height;
  documentName_ = nameWithExtension(nameBox_->text());
  QString folder = openFolder_;
  if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) &&
      !folder.endsWith(QLatin1Char('\\')))
    folder += QLatin1Char('/');
  documentPath_ = folder + documentName_;
  accept();
}

void CNewTextureDlg::onPresetChanged(int index) {
  if (index < 0 || index >= kPresetCount) return;
  const QString size = QString::number(presetSize(index));
  widthBox_->setText(size);
  heightBox_->setText(size);
}

void CNewTextureDlg::focusName() {
  nameBox_->setFocus(Qt::OtherFocusReason);
  nameBox_->selectAll();  // also brings the caret into view
}

void CNewTextureDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Whenever the dialog appears the name can be typed at once.
  focusName();
}
