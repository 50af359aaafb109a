// The walk over a store directory and its route folders, and the removal of
// folders the services left empty.
#include "queues/store_walker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "queues/queue_store.h"
#include "support/test_env.h"

namespace {

class StoreWalkerTest : public testing::Test {
 protected:
  std::string Store() const { return dir_.File("STORE\\"); }
  void Put(const std::string& relative, const std::string& bytes = "x") {
    ASSERT_TRUE(WriteStoreFile(Store() + relative, bytes)) << relative;
  }
  void Folder(const std::string& relative) { ASSERT_TRUE(CreateDirectoryPath((Store() + relative).c_str())); }
  std::vector<std::string> Walk(const char* pattern, bool removeStale = false) {
    std::vector<std::string> keys;
    MessageWalk walk;
    for (bool more = FirstMessageFile(&walk, Store().c_str(), pattern, removeStale); more;
         more = NextMessageFile(&walk)) {
      keys.push_back(walk.relativePath);
      EXPECT_STREQ(walk.innerEntry.cFileName, keys.back().substr(keys.back().rfind('\\') + 1).c_str());
    }
    EndMessageWalk(&walk);
    std::sort(keys.begin(), keys.end());
    return keys;
  }
  void AgeFolder(const std::string& relative, int minutes) {
    FILETIME then = MinutesAgo(minutes);
    ASSERT_TRUE(SetFileTimes(Store() + relative, then, then));
  }

  TempDataDirectory dir_{"walker"};
};

TEST_F(StoreWalkerTest, StoreAndFirstLevelFoldersWithTheirKeys) {
  Put("A.REQ");
  Put("route1\\B.REQ");
  Put("route1\\C.req");
  Put("route2\\D.REQ");
  Put("route2\\deeper\\E.REQ");  // two levels down: not the console's business
  Put("route2\\F.TXT");
  Folder("route3");
  Folder("G.REQ");  // a folder named like a message
  EXPECT_EQ(Walk("*.REQ"),
            (std::vector<std::string>{"A.REQ", "route1\\B.REQ", "route1\\C.req", "route2\\D.REQ"}));
}

TEST_F(StoreWalkerTest, MissingOrEmptyStoreGivesNothing) {
  EXPECT_TRUE(Walk("*.REQ").empty()) << "the store does not exist";
  Folder("");
  EXPECT_TRUE(Walk("*.REQ").empty());
  MessageWalk walk;
  EXPECT_FALSE(FirstMessageFile(&walk, "", "*.REQ", false)) << "never the current directory";
  EndMessageWalk(&walk);
}

TEST_F(StoreWalkerTest, StoreDirectoryWithoutTrailingBackslash) {
  Put("A.SMS");
  Put("sub\\B.SMS");
  std::string store = Store();
  store.pop_back();
  MessageWalk walk;
  std::vector<std::string> keys;
  for (bool more = FirstMessageFile(&walk, store.c_str(), "*.SMS", false); more; more = NextMessageFile(&walk))
    keys.push_back(walk.relativePath);
  EndMessageWalk(&walk);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"A.SMS", "sub\\B.SMS"}));
}

TEST_F(StoreWalkerTest, AfterTheEndTheWalkStartsAgain) {
  Put("A.IN");
  MessageWalk walk;
  ASSERT_TRUE(FirstMessageFile(&walk, Store().c_str(), "*.IN", false));
  EXPECT_FALSE(NextMessageFile(&walk));
  EXPECT_TRUE(NextMessageFile(&walk)) << "from the top";
  EXPECT_STREQ(walk.relativePath, "A.IN");
  EndMessageWalk(&walk);
}

TEST_F(StoreWalkerTest, CurrentPathIsStoreAndKey) {
  Put("route\\A.REQ");
  MessageWalk walk;
  ASSERT_TRUE(FirstMessageFile(&walk, Store().c_str(), "*.REQ", false));
  char path[MAX_PATH];
  ASSERT_TRUE(CurrentMessagePath(walk, path, sizeof path));
  EXPECT_EQ(std::string(path), Store() + "route\\A.REQ");
  char small[10];
  EXPECT_FALSE(CurrentMessagePath(walk, small, sizeof small)) << "never a cut path";
  EXPECT_STREQ(small, "");
  EndMessageWalk(&walk);
}

TEST_F(StoreWalkerTest, EmptyFoldersUntouchedForFiveMinutesGo) {
  Folder("old");
  Folder("recent");
  Put("full\\A.SMS");
  Folder("onlyother");
  Put("onlyother\\B.IN");
  AgeFolder("old", 6);
  AgeFolder("recent", 4);
  AgeFolder("full", 6);
  AgeFolder("onlyother", 6);
  EXPECT_EQ(Walk("*.SMS", true), std::vector<std::string>{"full\\A.SMS"});
  EXPECT_FALSE(IsDirectory((Store() + "old").c_str())) << "empty and 6 minutes old";
  EXPECT_TRUE(IsDirectory((Store() + "recent").c_str())) << "changed 4 minutes ago";
  EXPECT_TRUE(IsDirectory((Store() + "full").c_str()));
  EXPECT_TRUE(IsDirectory((Store() + "onlyother").c_str())) << "holds a file of another kind";
}

TEST_F(StoreWalkerTest, FileTimeTextInLocalTime) {
  char text[32];
  FormatFileTime(LocalFileTime(2012, 5, 1, 9, 30, 5), text, sizeof text);
  EXPECT_STREQ(text, "2012-05-01 09:30:05");
  FormatFileTime(LocalFileTime(1999, 12, 31, 23, 59, 59), text, sizeof text);
  EXPECT_STREQ(text, "1999-12-31 23:59:59");
}

}  // namespace
