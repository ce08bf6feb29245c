#include "ui/dialogs/external_links.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include "ui/dialogs/dialog_seam.h"

namespace mottler::ui {

void openWebPage() { dialogSeam().openUrl(QUrl(kMakerWebAddress)); }

QString helpIndexPath() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/help/index.html");
}

bool showHelp(QWidget*) { return showHelpAt(helpIndexPath()); }

bool showHelpAt(const QString& indexPath) {
  if (!QFileInfo(indexPath).isFile()) return false;
  return dialogSeam().openUrl(QUrl::fromLocalFile(indexPath));
}

}  // namespace mottler::ui
