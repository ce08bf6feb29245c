#include "ui/remark_box.h"

#include <QLineEdit>

#include "document/program_file.h"
#include "document/windows1252.h"

namespace mottler::ui {

namespace {

std::u32string characters(const QString& text) {
  const QList<uint> codes = text.toUcs4();
  return std::u32string(codes.begin(), codes.end());
}

}  // namespace

std::optional<std::string> remarkBytes(const QString& text) {
  return encodeWindows1252(characters(text));
}

QString remarkText(const std::string& bytes) {
  const std::u32string text = decodeWindows1252(bytes);
  return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

QValidator::State RemarkValidator::validate(QString& input, int&) const {
  return fitsWindows1252(characters(input)) ? Acceptable : Invalid;
}

void makeRemarkBox(QLineEdit* box) {
  box->setValidator(new RemarkValidator(box));
  box->setMaxLength(kMaxRemarkLength);
}

}  // namespace mottler::ui
