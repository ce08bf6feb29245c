// The installed file type, as the desktop's MIME database reads it (the test
// runs with XDG_DATA_DIRS pointing at the installed tree): program files are
// recognised by their extension and, named otherwise, by the bytes
// 00 'M' 'L' 'R' at offset 4 of their header.
#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <QTemporaryDir>
#include <fstream>

#include "document/program_file.h"

namespace {

const QString kProgramType = QStringLiteral("application/x-mottler-program");

class InstalledFileType : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }

  QString programFile(const QString& name) {
    const QString path = dir.filePath(name);
    mottler::ProgramDocument doc;
    doc.remark = "mime";
    EXPECT_TRUE(mottler::writeProgramFile(path.toStdString(), doc));
    return path;
  }
  QString otherFile(const QString& name, const std::string& bytes) {
    const QString path = dir.filePath(name);
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
    return path;
  }

  QTemporaryDir dir;
  QMimeDatabase db;
};

TEST_F(InstalledFileType, IsKnownWithItsComment) {
  const QMimeType type = db.mimeTypeForName(kProgramType);
  ASSERT_TRUE(type.isValid()) << "the installed MIME package was not found";
  EXPECT_EQ(type.comment(), "Mottler program");
  EXPECT_TRUE(type.globPatterns().contains("*.mlr"));
}

TEST_F(InstalledFileType, ProgramFilesByNameAndByContent) {
  EXPECT_EQ(db.mimeTypeForFile(programFile("cave.mlr")).name(), kProgramType);
  EXPECT_EQ(db.mimeTypeForFile(programFile("CAVE.MLR")).name(), kProgramType);
  // Renamed, a program file is still known by its header.
  EXPECT_EQ(db.mimeTypeForFile(programFile("cave.backup")).name(), kProgramType);
  EXPECT_EQ(db.mimeTypeForFile(programFile("cave")).name(), kProgramType);
}

TEST_F(InstalledFileType, OtherFilesAreNotPrograms) {
  // The magic is at offset 4 exactly, not anywhere in the file.
  EXPECT_NE(db.mimeTypeForFile(otherFile("shifted", std::string("\x9c\0\0\0\0\0MLR\n", 10))).name(),
            kProgramType);
  EXPECT_NE(db.mimeTypeForFile(otherFile("plain", "MLR is not a program\n")).name(), kProgramType);
  EXPECT_NE(db.mimeTypeForName("application/x-mlr").name(), kProgramType);
}

}  // namespace
