// The MM7/EAIF (VASP) accounts of MMSACCT.DLL.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>

#include "accounts/account_files.h"
#include "config/mmsacct_api.h"
#include "support/test_env.h"

namespace {

constexpr size_t kRecord = sizeof(VaspAccountRecord);
typedef std::vector<std::string> Names;

class VaspAccountsTest : public testing::Test {
 protected:
  std::string Users() { return PrivateFile("VASPUSERS.DAT"); }
  std::string Routes() { return PrivateFile("VASPROUTES.DAT"); }
  TempDataDirectory dir_{"vasp"};
};

TEST_F(VaspAccountsTest, AccountsAreAddedFoundReplacedAndDeletedByName) {
  VaspAccountRecord alice = PatternVasp("alice");
  VaspAccountRecord bob = PatternVasp("bob");
  ASSERT_TRUE(VASPAddUser(&alice));
  ASSERT_TRUE(VASPAddUser(&bob));
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"alice", "bob"}));
  EXPECT_EQ(ReadBytes(Users()).size(), 2 * kRecord) << "511-byte records and nothing else";

  VaspAccountRecord found = {};
  ASSERT_TRUE(VASPFindUserRecord("ALICE", &found)) << "names compare without regard to case";
  EXPECT_EQ(memcmp(found.bytes, alice.bytes, kRecord), 0) << "all 511 bytes come back";
  EXPECT_FALSE(VASPFindUserRecord("ali", &found));
  EXPECT_FALSE(VASPFindUserRecord(nullptr, &found));

  VaspAccountRecord newBob = PatternVasp("Bob");
  newBob.bytes[400] = 7;
  ASSERT_TRUE(VASPAddUser(&newBob));
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"alice", "Bob"})) << "replaced where it was";
  ASSERT_TRUE(VASPFindUserRecord("bob", &found));
  EXPECT_EQ(found.bytes[400], 7);

  EXPECT_TRUE(VASPDeleteUser("alice"));
  EXPECT_FALSE(VASPDeleteUser("alice")) << "already gone";
  EXPECT_FALSE(VASPFindUserRecord("alice", &found));
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"Bob"}));
}

TEST_F(VaspAccountsTest, RecordsWithoutAReadableNameAreRefused) {
  VaspAccountRecord empty = {};
  EXPECT_FALSE(VASPAddUser(&empty));
  VaspAccountRecord unterminated;
  memset(unterminated.bytes, 'v', sizeof unterminated.bytes);
  EXPECT_FALSE(VASPAddUser(&unterminated));
  EXPECT_FALSE(VASPOutAddUser(&unterminated));
  EXPECT_FALSE(VASPAddUser(nullptr));
  EXPECT_EQ(ReadBytes(Users()).size(), 0u);
}

TEST_F(VaspAccountsTest, TheOutboundRouteIsKeptApartFromTheUsers) {
  VaspAccountRecord route = {};
  strcpy(reinterpret_cast<char*>(route.bytes), "zedsmslite");
  ASSERT_TRUE(VASPOutAddUser(&route));
  ASSERT_TRUE(VASPOutAddUser(&route)) << "registering again replaces it";
  std::vector<unsigned char> stored = ReadBytes(Routes());
  ASSERT_EQ(stored.size(), kRecord);
  EXPECT_EQ(memcmp(stored.data(), route.bytes, kRecord), 0);
  VaspAccountRecord found;
  EXPECT_FALSE(VASPFindUserRecord("zedsmslite", &found)) << "a route is no login";
  EXPECT_FALSE(VASPDeleteUser("zedsmslite")) << "and cannot be deleted as a user";
  VaspAccountRecord user = PatternVasp("zedsmslite");
  ASSERT_TRUE(VASPAddUser(&user));
  EXPECT_EQ(ReadBytes(Routes()), stored) << "a user of the same name leaves the route alone";
}

TEST_F(VaspAccountsTest, DamagedStoresAreReadAroundTheirDamage) {
  VaspAccountRecord carol = PatternVasp("carol");
  std::vector<unsigned char> bytes(2 * kRecord + 200, 'z');  // ending in a partial record
  memset(&bytes[0], 0xC3, kRecord);  // a record with no name ending
  memcpy(&bytes[kRecord], carol.bytes, kRecord);
  WriteBytes(Users(), bytes);
  VaspAccountRecord found;
  ASSERT_TRUE(VASPFindUserRecord("carol", &found));
  EXPECT_EQ(memcmp(found.bytes, carol.bytes, kRecord), 0);
  VaspAccountRecord dave = PatternVasp("dave");
  ASSERT_TRUE(VASPAddUser(&dave));
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"", "carol", "dave"}));
  EXPECT_EQ(ReadBytes(Users()).size(), 3 * kRecord);
  EXPECT_TRUE(VASPDeleteUser("carol"));
  EXPECT_EQ(StoredNames(Users(), kRecord), (Names{"", "dave"}));
}

}  // namespace
