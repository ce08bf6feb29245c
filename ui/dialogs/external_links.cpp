#include "ui/dialogs/external_links.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "ui/dialogs/dialog_seam.h"
#include "ui/dialogs/dialog_texts.h"

#ifndef MOTTLER_HELP_FROM_BIN
#error \
    "MOTTLER_HELP_FROM_BIN (the installed manual's folder, relative to bin/) comes from the build"
#endif

namespace mottler::ui {

namespace {

const QString kIndexName = QStringLiteral("index.html");

}  // namespace

void openWebPage() { dialogSeam().openUrl(QUrl(kMakerWebAddress)); }

QStringList helpIndexCandidates() {
  const QDir programFolder(QCoreApplication::applicationDirPath());
  QStringList candidates;
  candidates << programFolder.filePath(QStringLiteral("help/") + kIndexName);
  candidates << QDir::cleanPath(
      programFolder.filePath(QStringLiteral(MOTTLER_HELP_FROM_BIN "/") + kIndexName));
  for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    candidates << QDir(data).filePath(QStringLiteral("mottler/help/") + kIndexName);
  candidates.removeDuplicates();
  return candidates;
}

QString helpIndexPath() {
  for (const QString& candidate : helpIndexCandidates())
    if (QFileInfo(candidate).isFile()) return candidate;
  return QString();
}

QString helpMissingText(const QStringList& candidates) {
  QStringList folders;
  for (const QString& candidate : candidates) folders << QFileInfo(candidate).path();
  return QStringLiteral("The manual could not be found. Mottler looks for %1 in:\n\n")
             .arg(kIndexName) +
         folders.join(QLatin1Char('\n'));
}

QString helpNotShownText(const QString& indexPath) {
  return QStringLiteral(
             "The manual could not be shown: no web browser could be started.\n\n"
             "Open this file in a browser to read it:\n") +
         indexPath;
}

bool showHelp(QWidget* parent) {
  const QString index = helpIndexPath();
  if (index.isEmpty()) {
    dialogSeam().message(parent, QMessageBox::Warning, kAppName,
                         helpMissingText(helpIndexCandidates()), QMessageBox::Ok);
    return false;
  }
  return showHelpAt(parent, index);
}

bool showHelpAt(QWidget* parent, const QString& indexPath) {
  if (!QFileInfo(indexPath).isFile()) {
    dialogSeam().message(parent, QMessageBox::Warning, kAppName, helpMissingText({indexPath}),
                         QMessageBox::Ok);
    return false;
  }
  if (dialogSeam().openUrl(QUrl::fromLocalFile(indexPath))) return true;
  dialogSeam().message(parent, QMessageBox::Warning, kAppName, helpNotShownText(indexPath),
                       QMessageBox::Ok);
  return false;
}

}  // namespace mottler::ui
