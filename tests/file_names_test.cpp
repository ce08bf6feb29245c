// The naming rules of Save As and Export.
#include <gtest/gtest.h>

#include "document/file_names.h"

using namespace mottler;

struct PictureCase {
  const char* chosen;
  PictureType filter;
  const char* path;
  PictureType type;
};

class ExportName : public ::testing::TestWithParam<PictureCase> {};

TEST_P(ExportName, ATypedTypeDecidesAndTheFilterOnlyForANameWithoutOne) {
  const PictureCase c = GetParam();
  const PicturePath p = picturePathFor(c.chosen, c.filter);
  EXPECT_EQ(p.path, c.path);
  EXPECT_EQ(p.type, c.type);
}

constexpr PictureType B = PictureType::Bitmap;
constexpr PictureType P = PictureType::Png;

INSTANTIATE_TEST_SUITE_P(
    Names, ExportName,
    ::testing::Values(
        // Regression: a PNG typed with the bitmap filter chosen was written
        // as exp.bmp.
        PictureCase{"/t/exp.png", B, "/t/exp.png", P}, PictureCase{"/t/exp.PNG", B, "/t/exp.PNG", P},
        PictureCase{"/t/exp.bmp", P, "/t/exp.bmp", B}, PictureCase{"/t/exp.Bmp", P, "/t/exp.Bmp", B},
        // No type of ours: the filter decides.
        PictureCase{"/t/cave.mlr", B, "/t/cave.bmp", B}, PictureCase{"/t/cave.mlr", P, "/t/cave.png", P},
        PictureCase{"/t/tex.txt", B, "/t/tex.bmp", B}, PictureCase{"/t/tex", P, "/t/tex.png", P},
        PictureCase{"/t/tex.bmp.old", B, "/t/tex.bmp.old", B},  // ".bmp" anywhere keeps a bitmap's name
        PictureCase{"/t/tex.bmp.old", P, "/t/tex.bmp.png", P},
        // A dot in a folder is no extension.
        PictureCase{"/home/j.smith/tex", B, "/home/j.smith/tex.bmp", B},
        PictureCase{"/home/j.png/tex", B, "/home/j.png/tex.bmp", B}));

TEST(SaveAsName, AFileNameWithoutADotGetsTheProgramExtension) {
  EXPECT_EQ(programPathFor("/t/cave"), "/t/cave.mlr");
  EXPECT_EQ(programPathFor("/home/j.smith/cave"), "/home/j.smith/cave.mlr");
  EXPECT_EQ(programPathFor("/t/name.txt"), "/t/name.txt");
  EXPECT_EQ(programPathFor("/t/cave.mlr"), "/t/cave.mlr");
}

TEST(ExportSuggestion, TheProgramsNameInTheLastExportFolder) {
  EXPECT_EQ(exportSuggestion("/work/cave.mlr", ""), "/work/cave.mlr");
  EXPECT_EQ(exportSuggestion("/work/cave.mlr", "/pictures/"), "/pictures/cave.mlr");
  EXPECT_EQ(fileNameOf("/a/b.c"), "b.c");
  EXPECT_EQ(folderOf("/a/b.c"), "/a/");
  EXPECT_EQ(folderOf("b.c"), "");
}
