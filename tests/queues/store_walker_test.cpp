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

using Keys = std::vector<std::string>;

class StoreWalkerTest : public testing::Test {
 protected:
  std::string Store() const { return dir_.File("STORE\\"); }
  void Put(const std::string& relative) { ASSERT_TRUE(WriteStoreFile(Store() + relative, "x")) << relative; }
  void Folder(const std::string& relative, int minutesAgo = 0) {
    ASSERT_TRUE(CreateDirectoryPath((Store() + relative).c_str()));
    FILETIME then = MinutesAgo(minutesAgo);
    ASSERT_TRUE(SetFileTimes(Store() + relative, then, then));
  }
  bool Exists(const std::string& relative) { return IsDirectory((Store() + relative).c_str()); }
  Keys Walk(const std::string& store, const char* pattern, bool removeStale = false) {
    Keys keys;
    MessageWalk walk;
    for (bool more = FirstMessageFile(&walk, store.c_str(), pattern, removeStale); more;
         more = NextMessageFile(&walk)) {
      keys.push_back(walk.relativePath);
      EXPECT_STREQ(walk.innerEntry.cFileName, keys.back().substr(keys.back().rfind('\\') + 1).c_str());
    }
    EndMessageWalk(&walk);
    std::sort(keys.begin(), keys.end());
    return keys;
  }

  TempDataDirectory dir_{"walker"};
};

TEST_F(StoreWalkerTest, StoreAndFirstLevelFoldersWithTheirKeys) {
  EXPECT_TRUE(Walk(Store(), "*.REQ").empty()) << "the store does not exist";
  Folder("");
  EXPECT_TRUE(Walk(Store(), "*.REQ").empty());
  EXPECT_TRUE(Walk("", "*.REQ").empty()) << "never the current directory";

  Put("A.REQ");
  Put("route1\\B.REQ");
  Put("route1\\C.req");
  Put("route2\\deeper\\E.REQ");  // two levels down: not the console's business
  Put("route2\\F.TXT");
  Folder("route3");
  Folder("G.REQ");  // a folder named like a message
  const Keys expected = {"A.REQ", "route1\\B.REQ", "route1\\C.req"};
  EXPECT_EQ(Walk(Store(), "*.REQ"), expected);
  std::string bare = Store();
  bare.pop_back();
  EXPECT_EQ(Walk(bare, "*.REQ"), expected) << "a store without its trailing backslash";
}

TEST_F(StoreWalkerTest, AfterTheEndTheWalkStartsAgainAndPathsAreNeverCut) {
  Put("route\\A.IN");
  MessageWalk walk;
  ASSERT_TRUE(FirstMessageFile(&walk, Store().c_str(), "*.IN", false));
  EXPECT_FALSE(NextMessageFile(&walk));
  EXPECT_TRUE(NextMessageFile(&walk)) << "from the top";
  char path[MAX_PATH];
  ASSERT_TRUE(CurrentMessagePath(walk, path, sizeof path));
  EXPECT_EQ(std::string(path), Store() + "route\\A.IN");
  char small[10];
  EXPECT_FALSE(CurrentMessagePath(walk, small, sizeof small));
  EXPECT_STREQ(small, "");
  EndMessageWalk(&walk);
}

TEST_F(StoreWalkerTest, EmptyFoldersUntouchedForFiveMinutesGo) {
  Put("full\\A.SMS");
  Put("onlyother\\B.IN");
  Folder("old", 6);
  Folder("recent", 4);
  Folder("full", 6);
  Folder("onlyother", 6);
  EXPECT_EQ(Walk(Store(), "*.SMS", true), Keys{"full\\A.SMS"});
  EXPECT_FALSE(Exists("old")) << "empty and 6 minutes old";
  EXPECT_TRUE(Exists("recent")) << "changed 4 minutes ago";
  EXPECT_TRUE(Exists("full"));
  EXPECT_TRUE(Exists("onlyother")) << "holds a file of another kind";
}

}  // namespace
