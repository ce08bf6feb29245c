#include "ui/dialogs/exit_info_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "ui/dialogs/dialog_seam.h"
#include "ui/dialogs/dialog_texts.h"
#include "ui/dialogs/external_links.h"
#include "ui/dialogs/help_key.h"

using namespace mottler::ui;

CExitInfoDlg::CExitInfoDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kExitInfoTitle);
  setObjectName(QString::number(kTemplateId));
  setModal(true);

  auto* pictureLabel = new QLabel(this);
  pictureLabel->setObjectName(QString::number(kPictureId));
  pictureLabel->setPixmap(QPixmap::fromImage(picture()));
  pictureLabel->setFixedSize(kPictureWidth, kPictureHeight);

  webPageButton_ = new QPushButton(kGoToWebPageText, this);
  webPageButton_->setObjectName(QString::number(IDC_WEB_PAGE));
  webPageButton_->setAutoDefault(false);
  exitButton_ = new QPushButton(kExitText, this);
  exitButton_->setObjectName(QStringLiteral("2"));
  exitButton_->setDefault(true);

  // The web page opens in the browser; the dialog stays.
  connect(webPageButton_, &QPushButton::clicked, this, [] { openWebPage(); });
  connect(exitButton_, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(webPageButton_);
  buttons->addWidget(exitButton_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pictureLabel);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  ignoreHelpKey(this);
}

namespace {

// A small deterministic generator so that the picture is the same every time.
struct Dice {
  unsigned state;
  int next(int n) {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) % static_cast<unsigned>(n));
  }
};

// A mosaic of hexagonal stones with grout between them: what Tessavane makes.
void paintMosaic(QPainter& p, const QRectF& area) {
  p.save();
  p.setClipRect(area);
  p.fillRect(area, QColor(0xd8, 0xd0, 0xc0));  // grout
  const QColor palette[] = {QColor(0x1f, 0x5f, 0x8b), QColor(0x2e, 0x86, 0xab),
                            QColor(0xe0, 0xa4, 0x58), QColor(0xc0, 0x5a, 0x3a),
                            QColor(0xf4, 0xe3, 0xb1), QColor(0x3b, 0x7a, 0x57)};
  Dice dice{2024};
  const double r = 13.0;
  const double w = std::sqrt(3.0) * r;
  int row = 0;
  for (double y = area.top(); y < area.bottom() + r; y += 1.5 * r, ++row) {
    const double shift = (row % 2) ? w / 2 : 0;
    int column = 0;
    for (double x = area.left() - w + shift; x < area.right() + w; x += w, ++column) {
      QPainterPath hex;
      for (int k = 0; k < 6; ++k) {
        const double a = M_PI / 180.0 * (60 * k - 30);
        const QPointF corner(x + (r - 1.6) * std::cos(a), y + (r - 1.6) * std::sin(a));
        if (k == 0)
          hex.moveTo(corner);
        else
          hex.lineTo(corner);
      }
      hex.closeSubpath();
      // A rosette pattern: rings of colour around the middle, with some noise.
      const double dx = x - area.center().x(), dy = y - area.center().y();
      const int ring = static_cast<int>(std::sqrt(dx * dx + dy * dy) / (1.6 * r));
      QColor c = palette[(ring + (dice.next(9) == 0 ? 1 : 0)) % 6];
      c = c.lighter(92 + dice.next(18));
      QLinearGradient shine(x - r, y - r, x + r, y + r);
      shine.setColorAt(0, c.lighter(125));
      shine.setColorAt(1, c.darker(115));
      p.setPen(QPen(c.darker(140), 0.8));
      p.setBrush(shine);
      p.drawPath(hex);
      (void)column;
    }
  }
  p.restore();
}

// A view of the product's window: title bar, tool column and the mosaic.
void paintWindowView(QPainter& p, const QRectF& frame) {
  p.save();
  // Shadow.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawRoundedRect(frame.translated(6, 7), 6, 6);
  // Window.
  p.setBrush(QColor(0xec, 0xe9, 0xe2));
  p.setPen(QPen(QColor(0x55, 0x55, 0x60), 1));
  p.drawRoundedRect(frame, 6, 6);
  const QRectF title(frame.left() + 1, frame.top() + 1, frame.width() - 2, 22);
  QLinearGradient bar(title.topLeft(), title.bottomLeft());
  bar.setColorAt(0, QColor(0x3c, 0x5f, 0x9e));
  bar.setColorAt(1, QColor(0x24, 0x3f, 0x73));
  p.setPen(Qt::NoPen);
  p.setBrush(bar);
  p.drawRoundedRect(title, 5, 5);
  p.setPen(Qt::white);
  QFont f = p.font();
  f.setPixelSize(12);
  f.setBold(true);
  p.setFont(f);
  p.drawText(title.adjusted(10, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
             QStringLiteral("Tessavane - courtyard.tsv"));
  // Three title-bar buttons.
  for (int i = 0; i < 3; ++i) {
    p.setBrush(i == 2 ? QColor(0xd0, 0x5a, 0x4e) : QColor(0xb8, 0xc6, 0xe0));
    p.drawEllipse(QPointF(title.right() - 14 - 18 * i, title.center().y()), 5, 5);
  }
  // Tool column with stone shapes.
  const QRectF tools(frame.left() + 8, title.bottom() + 8, 58, frame.bottom() - title.bottom() - 16);
  p.setPen(QPen(QColor(0xa0, 0xa0, 0xa8), 1));
  p.setBrush(QColor(0xf8, 0xf7, 0xf3));
  p.drawRect(tools);
  const QColor toolColours[] = {QColor(0x2e, 0x86, 0xab), QColor(0xe0, 0xa4, 0x58),
                                QColor(0xc0, 0x5a, 0x3a), QColor(0x3b, 0x7a, 0x57),
                                QColor(0x1f, 0x5f, 0x8b)};
  for (int i = 0; i < 5; ++i) {
    const QRectF cell(tools.left() + 9, tools.top() + 10 + 42 * i, 40, 32);
    p.setPen(QPen(QColor(0x80, 0x80, 0x88), 1));
    p.setBrush(i == 0 ? QColor(0xd6, 0xe4, 0xf5) : QColor(0xff, 0xff, 0xff));
    p.drawRect(cell);
    p.setPen(Qt::NoPen);
    p.setBrush(toolColours[i]);
    if (i % 3 == 0) {
      p.drawRect(cell.adjusted(10, 6, -10, -6));
    } else if (i % 3 == 1) {
      p.drawEllipse(cell.center(), 11, 11);
    } else {
      QPolygonF tri;
      tri << QPointF(cell.center().x(), cell.top() + 5) << QPointF(cell.right() - 8, cell.bottom() - 5)
          << QPointF(cell.left() + 8, cell.bottom() - 5);
      p.drawPolygon(tri);
    }
  }
  // The work area.
  const QRectF work(tools.right() + 8, tools.top(), frame.right() - tools.right() - 16, tools.height());
  paintMosaic(p, work);
  p.setPen(QPen(QColor(0x80, 0x80, 0x88), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(work);
  p.restore();
}

}  // namespace

QImage CExitInfoDlg::picture() {
  QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient sky(0, 0, kPictureWidth, kPictureHeight);
  sky.setColorAt(0, QColor(0x10, 0x2a, 0x3a));
  sky.setColorAt(1, QColor(0x23, 0x1d, 0x3f));
  p.fillRect(image.rect(), sky);

  QFont f = p.font();
  f.setFamily(QStringLiteral("DejaVu Serif"));
  f.setPixelSize(48);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(0xf4, 0xe3, 0xb1));
  p.drawText(QPointF(34, 78), QStringLiteral("Tessavane"));

  f.setFamily(QStringLiteral("DejaVu Sans"));
  f.setBold(false);
  f.setPixelSize(15);
  p.setFont(f);
  p.setPen(QColor(0xb8, 0xc8, 0xd8));
  p.drawText(QPointF(38, 104), QStringLiteral("from Varnholt, the makers of Mottler"));

  f.setPixelSize(17);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(38, 126, 310, 50), Qt::TextWordWrap,
             QStringLiteral("Lay mosaics and tiled floors stone by stone."));

  f.setPixelSize(14);
  p.setFont(f);
  const QString points[] = {QStringLiteral("Square, hexagonal and free-form stones"),
                            QStringLiteral("Grout, bevels and lighting"),
                            QStringLiteral("Use Mottler textures as stone surfaces"),
                            QStringLiteral("Exports seamless tiles")};
  for (int i = 0; i < 4; ++i) {
    const double y = 190 + 24 * i;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0xa4, 0x58));
    QPolygonF stone;
    for (int k = 0; k < 6; ++k) {
      const double a = M_PI / 180.0 * (60 * k - 30);
      stone << QPointF(46 + 6 * std::cos(a), y - 5 + 6 * std::sin(a));
    }
    p.drawPolygon(stone);
    p.setPen(QColor(0xe8, 0xec, 0xf0));
    p.drawText(QPointF(60, y), points[i]);
  }

  paintWindowView(p, QRectF(376, 24, 318, 270));
  p.end();
  return image;
}

namespace mottler::ui {
void showExitInfo(QWidget* parent) {
  CExitInfoDlg dialog(parent);
  dialogSeam().runModal(dialog);
}
}  // namespace mottler::ui
