// The generated part of the help manual: the command reference, written
// from the catalogue's declarations, and the small example programs whose
// pictures illustrate it (rendered at build time by mottler-compose and
// mottler-render).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mottler::help {

// "Sine Plasma" -> "sine-plasma": the anchor and file stem of a command.
std::string slug(std::string_view name);

// One example program in text form; rendered to images/<stem>.png.
struct Sample {
  std::string stem;
  std::string text;
};

// Side of the example pictures, in pixels.
inline constexpr int kSampleSide = 128;

// The example program of a command (catalogue index), ending with the command.
std::string commandSample(int index);
// The program the command works on, for commands that change an existing
// texture; empty for commands that draw on their own.
std::string commandBeforeSample(int index);

// Every example program of the manual: one per command (<slug>), the
// "before" programs (<slug>-before) and the blend-method gallery
// (blend-texture, blend-layer, blend-<method>).
std::vector<Sample> allSamples();

// The command reference page (commands.html).
std::string commandReferenceHtml();

// Writes commands.html and samples/<stem>.txt into dir.  false with a reason
// in *error when a file could not be written.
bool writeGeneratedPages(const std::filesystem::path& dir, std::string* error = nullptr);

// The scale of the manual's large-texture page.
inline constexpr int kSheetScale = 4;

// The page of large textures (large-textures.html): for every example
// program in examplesDir (*.mlr, by name), a contact sheet of three
// pictures written into dir/images: the design size (sheet-<stem>.png),
// the texture at kSheetScale times the size shrunk back by averaging every
// block (sheet-<stem>-shrunk.png), and a design-size crop of that texture
// at full resolution from its middle (sheet-<stem>-crop.png).  false with
// a reason in *error when an example cannot be read or a file written.
bool writeContactSheets(const std::filesystem::path& examplesDir, const std::filesystem::path& dir,
                        std::string* error = nullptr);

}  // namespace mottler::help
