#include "ui/dialog_template.h"

#include <QFile>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QTextStream>

namespace mottler::ui {

namespace {

const QStringList kKinds = {"dialog", "group",  "label", "value", "preview", "hscroll",  "button",
                            "iconbutton", "check", "edit", "combo", "tree",   "list", "progress"};

// Parses "kind id x y w h [flags] ["text"]"; returns false on any malformed line.
bool parseLine(const QString& line, ControlTemplate& out) {
  QString rest = line;
  const int quote = rest.indexOf(QLatin1Char('"'));
  if (quote >= 0) {
    const int close = rest.lastIndexOf(QLatin1Char('"'));
    if (close <= quote) return false;
    out.text = rest.mid(quote + 1, close - quote - 1);
    rest = rest.left(quote);
  }
  const QStringList fields = rest.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  if (fields.size() < 6 || !kKinds.contains(fields[0])) return false;
  out.kind = fields[0];
  bool ok = true;
  if (fields[1] != QLatin1String("-")) {
    out.id = fields[1].toInt(&ok);
    if (!ok) return false;
  }
  int numbers[4];
  for (int i = 0; i < 4; ++i) {
    numbers[i] = fields[2 + i].toInt(&ok);
    if (!ok) return false;
  }
  out.units = QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
  out.flags = fields.mid(6);
  return true;
}

}  // namespace

DialogTemplate readDialogTemplate(const QString& path) {
  DialogTemplate result;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    result.error = QStringLiteral("cannot read %1").arg(path);
    return result;
  }
  QTextStream in(&file);
  int lineNumber = 0;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    ++lineNumber;
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    ControlTemplate control;
    if (!parseLine(line, control)) {
      result.error = QStringLiteral("%1, line %2: cannot read \"%3\"").arg(path).arg(lineNumber).arg(line);
      return result;
    }
    if (control.kind == QLatin1String("dialog")) {
      result.units = control.units;
      result.caption = control.text;
      for (const QString& flag : control.flags) {
        if (flag.startsWith(QLatin1String("widen="))) result.widenPercent = flag.mid(6).toInt();
      }
      if (result.widenPercent < 50 || result.widenPercent > 200) {
        result.error = QStringLiteral("%1, line %2: widen must be 50..200").arg(path).arg(lineNumber);
        return result;
      }
    } else {
      result.controls.push_back(control);
    }
  }
  return result;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  baseX_ = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
  baseY_ = metrics.height();
  if (baseX_ < 1) baseX_ = 1;
  if (baseY_ < 1) baseY_ = 1;
}

QRect DialogUnits::toPixels(const QRect& units) const {
  const int left = toPixelsX(units.x());
  const int top = toPixelsY(units.y());
  const int right = toPixelsX(units.x() + units.width());
  const int bottom = toPixelsY(units.y() + units.height());
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace mottler::ui
