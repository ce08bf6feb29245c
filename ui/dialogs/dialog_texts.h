// The fixed texts of the application's dialogs and message boxes, in one
// place so that the window, the dialogs and the tests use the same words.
#pragma once

#include <QString>

#include "document/file_messages.h"

namespace mottler::ui {

// The program's name: window title, caption of the save prompt and of the
// "New" dialog's messages, and the start of the program-file filter.
inline const QString kAppName = QStringLiteral("Mottler");

// File dialogs.  A dialog's type list is its filters joined by ";;".
inline const QString kProgramFilter = QStringLiteral("Mottler Files (*.mlr)");
inline const QString kAllFilesFilter = QStringLiteral("All files (*)");
inline const QString kProgramFilters = kProgramFilter + QStringLiteral(";;") + kAllFilesFilter;
inline const QString kBitmapFilter = QStringLiteral("Windows Bitmap Files (*.bmp)");
inline const QString kPngFilter = QStringLiteral("PNG Files (*.png)");
inline const QString kExportFilters = kBitmapFilter + QStringLiteral(";;") + kPngFilter;
inline const QString kProgramExtension = QStringLiteral(".mlr");
inline const QString kBitmapExtension = QStringLiteral(".bmp");
inline const QString kPngExtension = QStringLiteral(".png");

// Failures of the file commands: caption "Error", exclamation icon, OK.
inline const QString kErrorCaption = QStringLiteral("Error");
inline const QString kUnableToOpenText = QString::fromLatin1(kUnableToOpenMessage);
inline const QString kFormatNotSupportedText = QString::fromLatin1(kFormatNotSupportedMessage);
inline const QString kCouldNotSaveText = QString::fromLatin1(kSaveFailedMessage);

// The "New" dialog's two messages (caption kAppName, exclamation icon, OK).
inline constexpr int kMinTextureSize = 8;
inline constexpr int kMaxTextureSize = 256;
inline const QString kPositiveIntegerText = QStringLiteral("Please enter a positive integer.");
inline QString rangeText(int low = kMinTextureSize, int high = kMaxTextureSize) {
  return QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
}

// The save prompt: "Save changes to <path>?", caption kAppName, Yes/No/Cancel.
inline QString saveChangesText(const QString& documentPath) {
  return QStringLiteral("Save changes to ") + documentPath + QStringLiteral("?");
}

// Dialog titles.
inline const QString kNewTitle = QStringLiteral("New");
inline const QString kAboutTitle = QStringLiteral("About");
inline const QString kExitInfoTitle = QStringLiteral("Tessavane Information");
inline const QString kGoToWebPageText = QStringLiteral("Go to Varnholt Web Page");
inline const QString kExitText = QStringLiteral("Exit");

}  // namespace mottler::ui
