// Reading a window arrangement from a layout description (resources/*.layout)
// and converting its dialog units into pixels for the dialog's font.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

namespace mottler::ui {

// One line of a layout description.
struct ControlTemplate {
  QString kind;      // dialog, group, label, value, preview, hscroll, button, iconbutton,
                     // check, edit, combo, tree, list, progress
  int id = -1;       // numeric identifier, -1 for none
  QRect units;       // position and size in dialog units
  QStringList flags; // disabled, checked, sunken, centred
  QString text;

  bool has(const QString& flag) const { return flags.contains(flag); }
};

struct DialogTemplate {
  QRect units;   // size of the whole client area in dialog units
  QString caption;
  int widenPercent = 100;  // extra width of x units
  QVector<ControlTemplate> controls;
  QString error; // empty when the description was read completely
};

// Reads a layout description.  A line that cannot be understood stops the
// reading and is named in `error`.
DialogTemplate readDialogTemplate(const QString& path);

// Dialog units of a font: x units are a quarter of the average character
// width, y units an eighth of the character height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseX, int baseY, int widenPercent = 100)
      : baseX_(baseX), baseY_(baseY), widenPercent_(widenPercent) {}
  // The same units with x units made `percent` percent as wide.
  DialogUnits widened(int percent) const { return DialogUnits(baseX_, baseY_, percent); }

  int toPixelsX(int units) const { return (units * baseX_ * widenPercent_ + 200) / 400; }
  int toPixelsY(int units) const { return (units * baseY_ + 4) / 8; }
  QRect toPixels(const QRect& units) const;
  int baseX() const { return baseX_; }
  int baseY() const { return baseY_; }

 private:
  int baseX_ = 6;
  int baseY_ = 13;
  int widenPercent_ = 100;
};

}  // namespace mottler::ui
