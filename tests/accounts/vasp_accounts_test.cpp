// The MM7/EAIF (VASP) accounts of MMSACCT.DLL.
#include <gtest/gtest.h>

#include "accounts/account_files.h"
#include "support/test_env.h"

namespace {

constexpr size_t kRecord = sizeof(VaspAccountRecord);
using Names = std::vector<std::string>;

class VaspAccountsTest : public testing::Test {
 protected:
  std::string Users() { return PrivateFile("VASPUSERS.DAT"); }
  TempDataDirectory dir_{"vasp"};
};

// Found by whole name without regard to case, replaced where they are, and
// read around the damage of a record without a name ending and a partial one.
TEST_F(VaspAccountsTest, AccountsAreFoundReplacedAndDeletedAroundDamage) {
  VaspAccountRecord carol = Pattern<VaspAccountRecord>("carol"), alice = Pattern<VaspAccountRecord>("alice");
  WriteFileText(Users(), std::string(kRecord, '\xC3') + std::string(reinterpret_cast<char*>(carol.bytes), kRecord) +
                             std::string(200, 'z'));
  ASSERT_TRUE(VASPAddUser(&alice));
  VaspAccountRecord found = {};
  ASSERT_TRUE(VASPFindUserRecord("ALICE", &found));
  EXPECT_EQ(memcmp(found.bytes, alice.bytes, kRecord), 0) << "all the record's bytes come back";
  EXPECT_FALSE(VASPFindUserRecord("ali", &found) || VASPFindUserRecord(nullptr, &found));
  VaspAccountRecord newCarol = Pattern<VaspAccountRecord>("Carol");
  newCarol.bytes[400] = 7;
  ASSERT_TRUE(VASPAddUser(&newCarol));
  ASSERT_TRUE(VASPFindUserRecord("carol", &found));
  EXPECT_EQ(found.bytes[400], 7);
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"", "Carol", "alice"}));
  EXPECT_EQ(ReadFileText(Users()).size(), 3 * kRecord) << "the partial record overwritten";
  EXPECT_TRUE(VASPDeleteUser("carol"));
  EXPECT_FALSE(VASPDeleteUser("carol")) << "already gone";
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"", "alice"}));

  VaspAccountRecord unterminated, empty = {};
  memset(unterminated.bytes, 'v', kRecord);
  EXPECT_FALSE(VASPAddUser(&unterminated) || VASPAddUser(&empty) || VASPAddUser(nullptr) ||
               VASPOutAddUser(&unterminated));
  EXPECT_EQ(ReadFileText(Users()).size(), 2 * kRecord);
}

TEST_F(VaspAccountsTest, TheOutboundRouteIsKeptApartFromTheUsers) {
  VaspAccountRecord route = {}, found;
  strcpy(reinterpret_cast<char*>(route.bytes), "zedsmslite");
  ASSERT_TRUE(VASPOutAddUser(&route));
  ASSERT_TRUE(VASPOutAddUser(&route)) << "registering again replaces it";
  std::string stored = ReadFileText(PrivateFile("VASPROUTES.DAT"));
  EXPECT_EQ(stored, std::string(reinterpret_cast<char*>(route.bytes), kRecord));
  EXPECT_FALSE(VASPFindUserRecord("zedsmslite", &found)) << "a route is no login";
  EXPECT_FALSE(VASPDeleteUser("zedsmslite")) << "and cannot be deleted as a user";
  VaspAccountRecord user = Pattern<VaspAccountRecord>("zedsmslite");
  ASSERT_TRUE(VASPAddUser(&user));
  EXPECT_EQ(ReadFileText(PrivateFile("VASPROUTES.DAT")), stored) << "a user of the same name leaves the route alone";
}

}  // namespace
