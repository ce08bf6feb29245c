// The application's pictures, drawn at start: icon 128 (the application
// icon), icons 153 and 154 (the arrows on "Up" and "Down") and bitmap 142 (a
// strip of 16 x 16 images: the five command categories and, at index 5, the
// red cross of a switched-off program entry).
#pragma once

#include <QIcon>
#include <QPixmap>

namespace mottler::ui {

inline constexpr int kStripImageSize = 16;
inline constexpr int kStripImageCount = 16;
inline constexpr int kDisabledEntryImage = 5;

QIcon applicationIcon();         // icon 128
QIcon upIcon();                  // icon 153
QIcon downIcon();                // icon 154
const QPixmap& commandStrip();   // bitmap 142, 256 x 16
QIcon stripImage(int index);     // one 16 x 16 image of the strip

}  // namespace mottler::ui
