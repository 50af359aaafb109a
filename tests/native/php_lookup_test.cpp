#include "settings/php_lookup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// A file system of the listed files that records every path asked for.
struct FakeFiles {
  explicit FakeFiles(std::set<std::string> existing = {}) : files(std::move(existing)) {}
  std::set<std::string> files;
  std::vector<std::string> asked;
};

bool Exists(const char* path, void* context) {
  auto* fake = static_cast<FakeFiles*>(context);
  fake->asked.push_back(path);
  return fake->files.count(path) != 0;
}

}  // namespace

TEST(PhpLookup, CandidateAddsABackslashOnlyWhenMissing) {
  char path[64];
  ASSERT_TRUE(PhpProgramCandidate("C:\\php", 6, path, sizeof path));
  EXPECT_STREQ(path, "C:\\php\\php-cgi.exe");
  ASSERT_TRUE(PhpProgramCandidate("C:\\php\\;rest", 7, path, sizeof path));
  EXPECT_STREQ(path, "C:\\php\\php-cgi.exe");
  EXPECT_FALSE(PhpProgramCandidate("", 0, path, sizeof path));
  EXPECT_TRUE(PhpProgramCandidate("C:\\p", 4, path, 17)) << "exactly fits";
  EXPECT_FALSE(PhpProgramCandidate("C:\\p", 4, path, 16)) << "a cut path would name another file";
}

TEST(PhpLookup, PhprcComesFirst) {
  FakeFiles fake({"C:\\rc\\php-cgi.exe", "C:\\path\\php-cgi.exe"});
  char found[260];
  ASSERT_TRUE(FindPhpProgram("C:\\rc", "C:\\path", Exists, &fake, found, sizeof found));
  EXPECT_STREQ(found, "C:\\rc\\php-cgi.exe");
  EXPECT_EQ(fake.asked.size(), 1u);
}

TEST(PhpLookup, PathFoldersAreTriedInOrderWhenPhprcFails) {
  FakeFiles fake({"D:\\two\\php-cgi.exe", "D:\\three\\php-cgi.exe"});
  char found[260];
  ASSERT_TRUE(FindPhpProgram("C:\\rc\\", "D:\\one;  D:\\two;D:\\three", Exists, &fake, found, sizeof found));
  EXPECT_STREQ(found, "D:\\two\\php-cgi.exe") << "blanks after a semicolon are skipped";
  EXPECT_EQ(fake.asked, (std::vector<std::string>{"C:\\rc\\php-cgi.exe", "D:\\one\\php-cgi.exe", "D:\\two\\php-cgi.exe"}));
}

TEST(PhpLookup, EmptyFoldersArePassedOverAndAnEmptyRemainderEnds) {
  FakeFiles fake;
  char found[260] = "stale";
  EXPECT_FALSE(FindPhpProgram("", "A;;  ;B; ", Exists, &fake, found, sizeof found));
  EXPECT_EQ(fake.asked, (std::vector<std::string>{"A\\php-cgi.exe", "B\\php-cgi.exe"}))
      << "never the drive root that an empty folder would give";
  EXPECT_STREQ(found, "");
  fake.asked.clear();
  EXPECT_FALSE(FindPhpProgram("", "", Exists, &fake, found, sizeof found));
  EXPECT_TRUE(fake.asked.empty());
}

TEST(PhpLookup, LongPathListIsWalkedToItsEnd) {
  std::string path;
  for (int i = 0; i < 300; ++i) path += "C:\\folder" + std::to_string(i) + ";";
  path += "C:\\php";
  ASSERT_GT(path.size(), 2048u);
  FakeFiles fake({"C:\\php\\php-cgi.exe"});
  char found[260];
  ASSERT_TRUE(FindPhpProgram("", path.c_str(), Exists, &fake, found, sizeof found));
  EXPECT_STREQ(found, "C:\\php\\php-cgi.exe");
  EXPECT_EQ(fake.asked.size(), 301u);
}

TEST(PhpLookup, FoldersTooLongForAPathAreSkipped) {
  std::string longFolder(300, 'x');
  FakeFiles fake({"C:\\php\\php-cgi.exe"});
  char found[260];
  ASSERT_TRUE(FindPhpProgram(longFolder.c_str(), (longFolder + ";C:\\php").c_str(), Exists, &fake, found,
                             sizeof found));
  EXPECT_STREQ(found, "C:\\php\\php-cgi.exe");
  EXPECT_EQ(fake.asked.size(), 1u) << "the cut candidates are never asked for";
}
