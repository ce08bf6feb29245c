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

bool showHelp(QWidget*) {
  const QString index = helpIndexPath();
  if (!QFileInfo(index).isFile()) return false;
  return dialogSeam().openUrl(QUrl::fromLocalFile(index));
}

}  // namespace mottler::ui
