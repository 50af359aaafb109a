#include "common/file_util.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

class FileUtilTest : public testing::Test {
 protected:
  TempDataDirectory dir_{"files"};
};

TEST_F(FileUtilTest, IsPlainFileOnlyForExistingFiles) {
  WriteFileText(dir_.File("a.txt"), "x");
  CreateDirectoryA(dir_.File("sub").c_str(), nullptr);
  EXPECT_TRUE(IsPlainFile(dir_.File("a.txt").c_str()));
  EXPECT_FALSE(IsPlainFile(dir_.File("sub").c_str()));
  EXPECT_FALSE(IsPlainFile(dir_.File("missing.txt").c_str()));
}

TEST_F(FileUtilTest, DeleteDirectoryTreeRemovesNestedFolders) {
  std::string root = dir_.File("tree");
  ASSERT_TRUE(CreateDirectoryPath((root + "\\a\\b").c_str()));
  WriteFileText(root + "\\top.ini", "1");
  WriteFileText(root + "\\a\\b\\deep.req", "2");
  DeleteDirectoryTree((root + "\\").c_str());
  EXPECT_FALSE(FileExists(root));
}

TEST_F(FileUtilTest, DeleteDirectoryTreeLeavesDotFoldersAndReadOnlyFiles) {
  std::string root = dir_.File("tree");
  ASSERT_TRUE(CreateDirectoryPath((root + "\\.keep").c_str()));
  WriteFileText(root + "\\.keep\\inside.txt", "1");
  WriteFileText(root + "\\locked.txt", "2");
  WriteFileText(root + "\\plain.txt", "3");
  SetFileAttributesA((root + "\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteDirectoryTree(root.c_str());
  EXPECT_TRUE(FileExists(root + "\\.keep\\inside.txt"));
  EXPECT_TRUE(FileExists(root + "\\locked.txt"));
  EXPECT_FALSE(FileExists(root + "\\plain.txt"));
  // What the tree deletion leaves must not outlive the test.
  SetFileAttributesA((root + "\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA((root + "\\.keep\\inside.txt").c_str());
  RemoveDirectoryA((root + "\\.keep").c_str());
}

TEST_F(FileUtilTest, WriteTextReportsBytesWritten) {
  std::string path = dir_.File("out.txt");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WriteText(file, "hello\r\n"), 7u);
  EXPECT_EQ(WriteText(file, ""), 0u);
  CloseHandle(file);
  EXPECT_EQ(ReadFileText(path), "hello\r\n");
  EXPECT_EQ(WriteText(INVALID_HANDLE_VALUE, "x"), 0u);
}

TEST_F(FileUtilTest, CreateDirectoryPathMakesParentsAndKeepsFiles) {
  std::string nested = dir_.File("x\\y\\z\\");
  EXPECT_TRUE(CreateDirectoryPath(nested.c_str()));
  EXPECT_TRUE(IsDirectory(dir_.File("x\\y\\z").c_str()));
  WriteFileText(dir_.File("file"), "data");
  EXPECT_FALSE(CreateDirectoryPath(dir_.File("file").c_str()));
  CreateFileIfMissing(dir_.File("file").c_str());
  EXPECT_EQ(ReadFileText(dir_.File("file")), "data") << "an existing file is left as it is";
  CreateFileIfMissing(dir_.File("new.ini").c_str());
  EXPECT_TRUE(IsPlainFile(dir_.File("new.ini").c_str()));
  EXPECT_EQ(ReadFileText(dir_.File("new.ini")), "");
}
