// mottler-icons: writes the application icon as PNG files for the desktop's
// icon theme, rendered from the same artwork as the window's icon:
//   mottler-icons OUTDIR NAME  ->  OUTDIR/<N>x<N>/apps/NAME.png
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "ui/artwork.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fputs("Usage: mottler-icons OUTDIR NAME\n", stderr);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int size : mottler::ui::kApplicationIconSizes) {
    const QString folder = QStringLiteral("%1x%1/apps").arg(size);
    const QString file = out.filePath(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    if (!out.mkpath(folder) || !mottler::ui::renderApplicationIcon(size).save(file)) {
      std::fprintf(stderr, "mottler-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
