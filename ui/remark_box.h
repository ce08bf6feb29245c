// The author's remark box: program files hold the remark as Windows-1252
// bytes, so the box takes only characters that code page holds (typing,
// pasting or composing anything else is refused as a whole, never replaced)
// and at most 127 of them.
#pragma once

#include <QString>
#include <QValidator>
#include <optional>
#include <string>

class QLineEdit;

namespace mottler::ui {

// The remark's bytes for a text, or nothing when a character has no byte.
std::optional<std::string> remarkBytes(const QString& text);
// The text of a remark's bytes.
QString remarkText(const std::string& bytes);

class RemarkValidator : public QValidator {
  Q_OBJECT

 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override;
};

// Gives the box its validator and length limit.
void makeRemarkBox(QLineEdit* box);

}  // namespace mottler::ui
