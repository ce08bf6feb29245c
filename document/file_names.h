// The naming rules of the file commands, on paths as the user chose them
// ("/" separates folders; a dot in a folder's name is no extension).
#pragma once

#include <string>

#include "document/bitmap_export.h"

namespace mottler {

// The part of a path after its last "/", and up to and including it.
std::string fileNameOf(const std::string& path);
std::string folderOf(const std::string& path);

// The path Save As writes for a chosen one: a file name without any "."
// gets ".mlr"; any other name is written as typed.
std::string programPathFor(const std::string& chosen);

// The type a file name ends in (".bmp" or ".png", any case), if it is one.
bool endsInPictureType(const std::string& name, PictureType& type);

struct PicturePath {
  std::string path;
  PictureType type = PictureType::Bitmap;
};

// What Export writes for a chosen path and the type of the dialog's filter.
// A name ending in a type Export writes decides the type, whatever the
// filter: exp.png is a PNG even with the bitmap filter chosen.  Otherwise the
// filter decides: a bitmap keeps a name that contains ".bmp" anywhere, and
// any other name loses what follows its last "." (if any) and gets the
// filter's extension, so that cave.mlr becomes cave.bmp (or cave.png).
PicturePath picturePathFor(const std::string& chosen, PictureType filter);

// The name the Export dialog suggests: the program file's name in the folder
// of the last export, or in the program's own folder before any.
std::string exportSuggestion(const std::string& documentPath, const std::string& exportFolder);

}  // namespace mottler
