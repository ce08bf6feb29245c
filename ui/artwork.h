// The application's pictures: icon 128 (the application icon, rendered from
// the SVG artwork in the resources) and, drawn at start, icons 153 and 154
// (the arrows on "Up" and "Down") and bitmap 142 (a strip of 16 x 16 images:
// the five command categories and, at index 5, the red cross of a
// switched-off program entry).
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace mottler::ui {

inline constexpr int kStripImageSize = 16;
inline constexpr int kStripImageCount = 16;
inline constexpr int kDisabledEntryImage = 5;

// The sizes, in pixels, at which the application icon is made: for the
// window and for the desktop's icon theme.
inline constexpr int kApplicationIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QImage renderApplicationIcon(int size);  // the artwork at size x size
QIcon applicationIcon();         // icon 128
QIcon upIcon();                  // icon 153
QIcon downIcon();                // icon 154
const QPixmap& commandStrip();   // bitmap 142, 256 x 16
QIcon stripImage(int index);     // one 16 x 16 image of the strip

}  // namespace mottler::ui
