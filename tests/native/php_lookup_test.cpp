#include "settings/php_lookup.h"

#include <gtest/gtest.h>

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
  char found[260] = "stale";

  bool Find(const std::string& phprc, const std::string& path) {
    return FindPhpProgram(phprc.c_str(), path.c_str(), Exists, this, found, sizeof found);
  }
  static bool Exists(const char* path, void* context) {
    auto* fake = static_cast<FakeFiles*>(context);
    fake->asked.push_back(path);
    return fake->files.count(path) != 0;
  }
};

using Paths = std::vector<std::string>;

}  // namespace

TEST(PhpLookup, CandidateAddsABackslashOnlyWhenMissingAndIsNeverCut) {
  char path[64];
  ASSERT_TRUE(PhpProgramCandidate("C:\\php\\;rest", 7, path, sizeof path));
  EXPECT_STREQ(path, "C:\\php\\php-cgi.exe");
  EXPECT_FALSE(PhpProgramCandidate("", 0, path, sizeof path));
  ASSERT_TRUE(PhpProgramCandidate("C:\\p", 4, path, 17));
  EXPECT_STREQ(path, "C:\\p\\php-cgi.exe");
  EXPECT_FALSE(PhpProgramCandidate("C:\\p", 4, path, 16)) << "a cut path would name another file";
}

TEST(PhpLookup, PhprcFirstThenPathFoldersInOrder) {
  FakeFiles both({"C:\\rc\\php-cgi.exe", "C:\\path\\php-cgi.exe"});
  ASSERT_TRUE(both.Find("C:\\rc", "C:\\path"));
  EXPECT_STREQ(both.found, "C:\\rc\\php-cgi.exe");
  EXPECT_EQ(both.asked.size(), 1u);

  FakeFiles later({"D:\\two\\php-cgi.exe", "D:\\three\\php-cgi.exe"});
  ASSERT_TRUE(later.Find("C:\\rc\\", "D:\\one;  D:\\two;D:\\three"));
  EXPECT_STREQ(later.found, "D:\\two\\php-cgi.exe") << "blanks after a semicolon are skipped";
  EXPECT_EQ(later.asked, (Paths{"C:\\rc\\php-cgi.exe", "D:\\one\\php-cgi.exe", "D:\\two\\php-cgi.exe"}));

  FakeFiles none;
  EXPECT_FALSE(none.Find("", "A;;  ;B; "));
  EXPECT_EQ(none.asked, (Paths{"A\\php-cgi.exe", "B\\php-cgi.exe"})) << "never the root an empty folder gives";
  EXPECT_STREQ(none.found, "");
  none.asked.clear();
  EXPECT_FALSE(none.Find("", ""));
  EXPECT_TRUE(none.asked.empty());
}

TEST(PhpLookup, LongPathListsAndOverlongFolders) {
  std::string path;
  for (int i = 0; i < 300; ++i) path += "C:\\folder" + std::to_string(i) + ";";
  FakeFiles fake({"C:\\php\\php-cgi.exe"});
  ASSERT_TRUE(fake.Find("", path + "C:\\php"));
  EXPECT_EQ(fake.asked.size(), 301u) << "walked to its end, past 2048 characters";

  std::string longFolder(300, 'x');
  fake.asked.clear();
  ASSERT_TRUE(fake.Find(longFolder, longFolder + ";C:\\php"));
  EXPECT_STREQ(fake.found, "C:\\php\\php-cgi.exe");
  EXPECT_EQ(fake.asked.size(), 1u) << "the cut candidates are never asked for";
}
