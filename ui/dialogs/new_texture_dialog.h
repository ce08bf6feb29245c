// The "New" dialog: asks for the name and size of a new texture.
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QPushButton;

class CNewTextureDlg : public QDialog {
  Q_OBJECT

 public:
  // Control identifiers of the dialog template; each control carries its
  // identifier as objectName ("1046", ...).
  enum ControlId {
    IDOK_ = 1,
    IDCANCEL_ = 2,
    IDC_NAME = 1046,
    IDC_WIDTH = 1047,
    IDC_HEIGHT = 1048,
    IDC_PRESETS = 1049,
  };
  static constexpr int kTemplateId = 156;
  static constexpr int kPresetCount = 6;

  // openFolder: the folder (ending in a separator) the new document is placed in.
  explicit CNewTextureDlg(const QString& openFolder, QWidget* parent = nullptr);

  // Handed over when the dialog ends with OK.
  int documentWidth() const { return documentWidth_; }
  int documentHeight() const { return documentHeight_; }
  QString documentName() const { return documentName_; }
  QString documentPath() const { return documentPath_; }

  QLineEdit* nameBox() const { return nameBox_; }
  QLineEdit* widthBox() const { return widthBox_; }
  QLineEdit* heightBox() const { return heightBox_; }
  QComboBox* presetBox() const { return presetBox_; }
  QPushButton* okButton() const { return okButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }

  // Preset i: its text and its width (= height), 256 / 2^i.
  static QString presetText(int index);
  static int presetSize(int index);

  // The name as a document is named: ".mlr" appended when it has no ".".
  static QString nameWithExtension(const QString& name);

  // The check of one size box: an unsigned decimal integer, 8..256.
  enum class SizeCheck { Ok, NotAnInteger, OutOfRange };
  static SizeCheck checkSize(const QString& text, int* value = nullptr);

 public slots:
  // OK: checks height, then width; hands over and closes when both pass.
  void onOk();
  // A preset was chosen: both boxes take its size.
  void onPresetChanged(int index);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool checkBox(QLineEdit* box, int* value);
  void focusName();

  QString openFolder_;
  QLineEdit* nameBox_ = nullptr;
  QLineEdit* widthBox_ = nullptr;
  QLineEdit* heightBox_ = nullptr;
  QComboBox* presetBox_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;

  int documentWidth_ = 256;
  int documentHeight_ = 256;
  QString documentName_;
  QString documentPath_;
};
