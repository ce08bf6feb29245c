#include "ui/dialogs/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>
#include <QVBoxLayout>

#include "document/version.h"
#include "ui/dialogs/dialog_seam.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/help_key.h"

using namespace mottler::ui;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kAboutTitle);
  setObjectName(QString::number(kTemplateId));
  setModal(true);

  auto* picture = new QLabel(this);
  picture->setPixmap(emblem(64));
  picture->setAlignment(Qt::AlignTop);

  auto* name = new QLabel(kAppName, this);
  QFont big = name->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  name->setFont(big);
  auto* version =
      new QLabel(QStringLiteral("Version %1").arg(QString::fromLatin1(mottler::kVersion)), this);
  version->setObjectName(QStringLiteral("version"));
  auto* what = new QLabel(
      QStringLiteral("Makes seamless procedural textures from a program of commands."), this);
  what->setWordWrap(true);
  auto* maker = new QLabel(QStringLiteral("Made by Varnholt."), this);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(version);
  texts->addSpacing(6);
  texts->addWidget(what);
  texts->addWidget(maker);
  texts->addStretch(1);

  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addSpacing(12);
  top->addLayout(texts, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  what->setMinimumWidth(240);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  ignoreHelpKey(this);
}

QPixmap CAboutDlg::emblem(int side) {
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(QColor(0x2b, 0x1d, 0x14));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // Soft spots placed on a small lattice and repeated across the edges, so
  // that the emblem itself tiles like the textures it stands for.
  const QColor colours[] = {QColor(0xd9, 0x8c, 0x3f), QColor(0x9c, 0x4a, 0x1c),
                            QColor(0xf2, 0xc1, 0x6b), QColor(0x6b, 0x8f, 0x71)};
  unsigned state = 7;
  for (int i = 0; i < 14; ++i) {
    state = state * 1103515245u + 12345u;
    const double x = (state >> 8) % 1000 / 1000.0 * side;
    state = state * 1103515245u + 12345u;
    const double y = (state >> 8) % 1000 / 1000.0 * side;
    const double r = side * (0.12 + (i % 4) * 0.05);
    const QColor c = colours[i % 4];
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy) {
        const QPointF centre(x + dx * side, y + dy * side);
        QRadialGradient g(centre, r);
        QColor inner = c;
        inner.setAlpha(200);
        QColor outer = c;
        outer.setAlpha(0);
        g.setColorAt(0, inner);
        g.setColorAt(1, outer);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(centre, r, r);
      }
  }
  p.end();
  return QPixmap::fromImage(image);
}

namespace mottler::ui {
void showAbout(QWidget* parent) {
  CAboutDlg dialog(parent);
  dialogSeam().runModal(dialog);
}
}  // namespace mottler::ui
