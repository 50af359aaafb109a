#include "common/file_util.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

class FileUtilTest : public testing::Test {
 protected:
  TempDataDirectory dir_{"files"};
};

// Folders whose name starts with a dot and read-only files are left, with
// the folders that hold them; everything else goes.
TEST_F(FileUtilTest, DeleteDirectoryTreeLeavesDotFoldersAndReadOnlyFiles) {
  std::string root = dir_.File("tree");
  ASSERT_TRUE(CreateDirectoryPath((root + "\\a\\b").c_str()));
  ASSERT_TRUE(CreateDirectoryPath((root + "\\.keep").c_str()));
  WriteFileText(root + "\\a\\b\\deep.req", "1");
  WriteFileText(root + "\\.keep\\inside.txt", "2");
  WriteFileText(root + "\\locked.txt", "3");
  SetFileAttributesA((root + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteDirectoryTree((root + "\\").c_str());
  EXPECT_FALSE(FileExists(root + "\\a"));
  EXPECT_TRUE(FileExists(root + "\\.keep\\inside.txt"));
  EXPECT_TRUE(FileExists(root + "\\locked.txt"));
  SetFileAttributesA((root + "\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteDirectoryTree(root.c_str());
  DeleteFileA((root + "\\.keep\\inside.txt").c_str());
  RemoveDirectoryA((root + "\\.keep").c_str());
}

TEST_F(FileUtilTest, CreatingPathsAndFilesKeepsWhatIsThere) {
  EXPECT_TRUE(CreateDirectoryPath(dir_.File("x\\y\\z\\").c_str()));
  EXPECT_TRUE(IsDirectory(dir_.File("x\\y\\z").c_str()));
  EXPECT_FALSE(IsPlainFile(dir_.File("x").c_str()));
  WriteFileText(dir_.File("file"), "data");
  EXPECT_FALSE(CreateDirectoryPath(dir_.File("file").c_str()));
  CreateFileIfMissing(dir_.File("file").c_str());
  EXPECT_EQ(ReadFileText(dir_.File("file")), "data");
  CreateFileIfMissing(dir_.File("new.ini").c_str());
  EXPECT_TRUE(IsPlainFile(dir_.File("new.ini").c_str()));
  EXPECT_EQ(ReadFileText(dir_.File("new.ini")), "");
  EXPECT_EQ(WriteText(INVALID_HANDLE_VALUE, "x"), 0u);
}
