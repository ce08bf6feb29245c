#include "document/file_names.h"

#include <algorithm>
#include <cctype>

namespace mottler {

namespace {

constexpr const char* kProgramExtension = ".mlr";

const char* extensionOf(PictureType type) { return type == PictureType::Png ? ".png" : ".bmp"; }

bool endsWithIgnoringCase(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), text.end() - static_cast<std::ptrdiff_t>(tail.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                    });
}

}  // namespace

std::string fileNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string programPathFor(const std::string& chosen) {
  // Only the file name counts: /home/j.smith/cave becomes cave.mlr there.
  return fileNameOf(chosen).find('.') == std::string::npos ? chosen + kProgramExtension : chosen;
}

bool endsInPictureType(const std::string& name, PictureType& type) {
  for (const PictureType t : {PictureType::Bitmap, PictureType::Png}) {
    if (endsWithIgnoringCase(name, extensionOf(t))) {
      type = t;
      return true;
    }
  }
  return false;
}

PicturePath picturePathFor(const std::string& chosen, PictureType filter) {
  std::string name = fileNameOf(chosen);
  PicturePath result;
  if (endsInPictureType(name, result.type)) {
    result.path = chosen;
    return result;
  }
  result.type = filter;
  if (filter == PictureType::Bitmap && name.find(".bmp") != std::string::npos) {
    result.path = chosen;
    return result;
  }
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  result.path = folderOf(chosen) + name + extensionOf(filter);
  return result;
}

std::string exportSuggestion(const std::string& documentPath, const std::string& exportFolder) {
  const std::string folder = exportFolder.empty() ? folderOf(documentPath) : exportFolder;
  return folder + fileNameOf(documentPath);
}

}  // namespace mottler
