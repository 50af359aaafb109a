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
// read around a damaged record (the record file is the user file's, whose
// damage cases are tested there).
TEST_F(VaspAccountsTest, AccountsAreFoundReplacedAndDeletedAroundDamage) {
  VaspAccountRecord carol = Pattern<VaspAccountRecord>("carol"), alice = Pattern<VaspAccountRecord>("alice");
  WriteFileText(Users(), std::string(kRecord, '\xC3') + std::string(reinterpret_cast<char*>(carol.bytes), kRecord));
  ASSERT_TRUE(VASPAddUser(&alice));
  VaspAccountRecord found = {};
  ASSERT_TRUE(VASPFindUserRecord("ALICE", &found));
  EXPECT_EQ(memcmp(found.bytes, alice.bytes, kRecord), 0) << "all the record's bytes come back";
  EXPECT_FALSE(VASPFindUserRecord("ali", &found) || VASPFindUserRecord(nullptr, &found));
  VaspAccountRecord newCarol = Pattern<VaspAccountRecord>("Carol");
  ASSERT_TRUE(VASPAddUser(&newCarol));
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"", "Carol", "alice"}));
  EXPECT_TRUE(VASPDeleteUser("carol"));
  EXPECT_FALSE(VASPDeleteUser("carol")) << "already gone";
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"", "alice"}));
  VaspAccountRecord empty = {};
  EXPECT_FALSE(VASPAddUser(&empty) || VASPAddUser(nullptr) || VASPOutAddUser(&empty));
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
