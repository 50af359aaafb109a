#include "common/file_util.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

// Folders whose name starts with a dot and read-only files are left, with
// the folders that hold them; everything else goes. A path is created where
// a file is not in the way.
TEST(FileUtil, DeleteTreeLeavesDotFoldersAndReadOnlyFilesAndCreatingAPathStopsAtAFile) {
  TempDataDirectory dir("files");
  std::string root = dir.File("tree\\");
  ASSERT_TRUE(CreateDirectoryPath((root + "a\\b\\").c_str()));
  ASSERT_TRUE(IsDirectory((root + "a\\b").c_str()) && !IsPlainFile((root + "a").c_str()));
  ASSERT_TRUE(CreateDirectoryPath((root + ".keep").c_str()));
  WriteFileText(root + "a\\b\\deep.req", "1");
  WriteFileText(root + ".keep\\inside.txt", "2");
  WriteFileText(root + "locked.txt", "3");
  SetFileAttributesA((root + "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteDirectoryTree(root.c_str());
  EXPECT_FALSE(FileExists(root + "a"));
  EXPECT_TRUE(FileExists(root + ".keep\\inside.txt") && FileExists(root + "locked.txt"));
  EXPECT_FALSE(CreateDirectoryPath((root + "locked.txt").c_str()));
  EXPECT_EQ(ReadFileText(root + "locked.txt"), "3");
  SetFileAttributesA((root + "locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA((root + ".keep\\inside.txt").c_str());
  RemoveDirectoryA((root + ".keep").c_str());
  EXPECT_EQ(WriteText(INVALID_HANDLE_VALUE, "x"), 0u);
}
