// The message stores on disk: the walk over a store and its route folders,
// the scanners, the test requests written into the outbound queues, and the
// GSM 7-bit decoder as the services reach it. How a row is built from a
// parsed file is the native tests'; the outbound scanners, their row limit
// and a held request are the viewers'.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "queues/queue_scanners.h"
#include "queues/queue_store.h"
#include "queues/request_files.h"
#include "queues/store_walker.h"
#include "support/test_env.h"

namespace {

using Row = std::vector<std::string>;
using Scanner = void (*)(char**, unsigned*, unsigned*);

const std::string kGarbage = GarbageBytes();

struct ScanResult {
  std::vector<Row> rows;  // in scan order
  std::map<std::string, Row> byKey;
  unsigned total = 0;
};

ScanResult Scan(Scanner scanner, size_t fields) {
  ScanResult result;
  char** rows = AllocateQueueRows();
  if (!rows) {
    ADD_FAILURE() << "no rows";
    return result;
  }
  unsigned count = 12345;
  scanner(rows, &count, &result.total);
  EXPECT_LE(count, kQueueRowLimit);
  EXPECT_EQ(rows[kQueueRowLimit], nullptr) << "the spare slot stays empty";
  for (unsigned i = 0; i < count; ++i) {
    Row row;
    for (size_t f = 0; f < fields; ++f) row.push_back(QueueRowField(rows[i], fields, f));
    result.rows.push_back(row);
    result.byKey[row[0]] = row;
  }
  FreeQueueRows(rows, count);
  return result;
}

// The keys of the walk, sorted.
Row Walk(const std::string& store, const char* pattern) {
  Row keys;
  MessageWalk walk;
  for (bool more = FirstMessageFile(&walk, store.c_str(), pattern, false); more; more = NextMessageFile(&walk)) {
    keys.push_back(walk.relativePath);
    EXPECT_STREQ(walk.innerEntry.cFileName, keys.back().substr(keys.back().rfind('\\') + 1).c_str());
  }
  EndMessageWalk(&walk);
  std::sort(keys.begin(), keys.end());
  return keys;
}

class QueueFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    stores_ = CurrentStoreDirectories();
  }
  void Put(const std::string& path, const std::string& bytes, const FILETIME* created = nullptr) {
    ASSERT_TRUE(WriteStoreFile(path, bytes, created)) << path;
  }
  void PutAt(const std::string& path, const std::string& bytes, const FILETIME& created) { Put(path, bytes, &created); }

  TempDataDirectory dir_{"stores"};
  StoreDirectories stores_;
};

TEST_F(QueueFilesTest, TheWalkTakesTheStoreAndItsRouteFoldersAndStartsAgainAfterTheEnd) {
  std::string store = dir_.File("STORE\\");
  EXPECT_TRUE(Walk(store, "*.REQ").empty()) << "the store does not exist";
  EXPECT_TRUE(Walk("", "*.REQ").empty()) << "never the current directory";
  // Two levels down is not the console's business; G.REQ is a folder.
  for (const char* file : {"A.REQ", "route1\\B.REQ", "route1\\C.req", "route2\\deeper\\E.REQ", "route2\\F.TXT", "G.REQ\\x"})
    Put(store + file, "x");
  const Row expected = {"A.REQ", "route1\\B.REQ", "route1\\C.req"};
  EXPECT_EQ(Walk(store, "*.REQ"), expected);
  EXPECT_EQ(Walk(store.substr(0, store.size() - 1), "*.REQ"), expected) << "without its trailing backslash";

  MessageWalk walk;
  ASSERT_TRUE(FirstMessageFile(&walk, store.c_str(), "*.TXT", false));
  EXPECT_FALSE(NextMessageFile(&walk));
  EXPECT_TRUE(NextMessageFile(&walk)) << "from the top";
  char path[MAX_PATH], small[10];
  ASSERT_TRUE(CurrentMessagePath(walk, path, sizeof path));
  EXPECT_EQ(std::string(path), store + "route2\\F.TXT");
  EXPECT_FALSE(CurrentMessagePath(walk, small, sizeof small)) << "never a cut path";
  EXPECT_STREQ(small, "");
  EndMessageWalk(&walk);
}

TEST_F(QueueFilesTest, MissingStoresGiveNothing) {
  // The getters make the default folders again; point them elsewhere.
  const std::string none = dir_.File("none");
  for (const char* key : {"QDir", "SmsInDir", "MMSDir"})
    WritePrivateProfileStringA("SMSGW", key, none.c_str(), g_configFiles.smsIni);
  WritePrivateProfileStringA("MMSC", "VASPQDir", none.c_str(), g_configFiles.mmscIni);
  DeleteDirectoryTree(none.c_str());
  EXPECT_EQ(Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields).total + Scan(ScanOutboundMmsQueue, kOutboundMmsRowFields).total +
                Scan(ScanReceivedSms, kReceivedSmsRowFields).total + Scan(ScanReceivedMms, kReceivedMmsRowFields).total +
                CountOutboundSmsQueue() + CountOutboundMmsQueue(),
            0u);
  SmsFileRecord record;
  CopyText(record.phoneNumber, sizeof record.phoneNumber, "stale");
  ReadSmsFileRecord(INVALID_HANDLE_VALUE, &record);
  EXPECT_STREQ(record.phoneNumber, "") << "a file whose size cannot be had gives an empty record";
}

// Received messages are listed even when unreadable; their scanners remove
// route folders left empty for five minutes, the outbound ones nothing.
TEST_F(QueueFilesTest, ReceivedStoresListEveryMessageAndDropStaleEmptyFolders) {
  PutAt(stores_.smsIn + "bare.SMS", "just some text\r\n", LocalFileTime(2011, 11, 11, 11, 11, 11));
  PutAt(stores_.smsIn + "a.IN", "[SMS]\r\nSender=+3\r\nPhoneNumber=+4\r\n", LocalFileTime(2012, 5, 1, 9, 30, 5));
  Put(stores_.smsIn + "route\\b.REC", "");
  Put(stores_.smsIn + "d.IN", kGarbage);
  const FILETIME old = MinutesAgo(6), recent = MinutesAgo(4);
  Put(stores_.smsIn + "onlyother\\x.TXT", "");
  for (const char* folder : {"old", "recent", "onlyother"}) CreateDirectoryPath((stores_.smsIn + folder).c_str());
  ASSERT_TRUE(SetFileTimes(stores_.smsIn + "old", old) && SetFileTimes(stores_.smsIn + "recent", recent) &&
              SetFileTimes(stores_.smsIn + "onlyother", old));
  CreateDirectoryPath((stores_.smsQueue + "old").c_str());
  ASSERT_TRUE(SetFileTimes(stores_.smsQueue + "old", MinutesAgo(60)));
  ScanResult scan = Scan(ScanReceivedSms, kReceivedSmsRowFields);
  ASSERT_EQ(scan.rows.size(), 4u);
  EXPECT_EQ(scan.total, 4u);
  Row kinds;
  for (const Row& row : scan.rows) kinds.push_back(row[0].substr(row[0].rfind('.')));
  EXPECT_EQ(kinds, (Row{".IN", ".IN", ".REC", ".SMS"})) << "all .IN, then .REC, then .SMS";
  EXPECT_EQ(scan.byKey["a.IN"], (Row{"a.IN", "a.IN", "+3", "+4", "2012-05-01 09:30:05", "Queued", ""}));
  EXPECT_EQ(scan.byKey["bare.SMS"], (Row{"bare.SMS", "bare.SMS", "", "", "2011-11-11 11:11:11", "Received", ""}));
  EXPECT_EQ(scan.byKey["route\\b.REC"][5], "Queued");
  EXPECT_FALSE(IsDirectory((stores_.smsIn + "old").c_str()));
  EXPECT_TRUE(IsDirectory((stores_.smsIn + "recent").c_str()) && IsDirectory((stores_.smsIn + "onlyother").c_str()));
  Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  EXPECT_TRUE(IsDirectory((stores_.smsQueue + "old").c_str()));

  PutAt(stores_.mmsIn + "m1.HDR", "From: +4477/TYPE=PLMN\r\nTo:\t+4488\r\nSubject: s\r\n", LocalFileTime(2012, 3, 4, 5, 6, 7));
  Put(stores_.mmsIn + "route\\m2.HDR", "");
  Put(stores_.mmsIn + "m3.HDR", kGarbage);
  scan = Scan(ScanReceivedMms, kReceivedMmsRowFields);
  EXPECT_EQ(scan.rows.size(), 3u);
  EXPECT_EQ(scan.byKey["m1.HDR"], (Row{"m1.HDR", "m1.HDR", "+4477", "+4488", "2012-03-04 05:06:07", "s"}));

  // Received SMS: the .SMS walk fills what the .IN walk left of the row limit.
  for (int i = 0; i < 2600; ++i) Put(stores_.smsIn + "i" + std::to_string(i) + ".IN", "");
  for (int i = 0; i < 2600; ++i) Put(stores_.smsIn + "s" + std::to_string(i) + ".SMS", "");
  scan = Scan(ScanReceivedSms, kReceivedSmsRowFields);
  EXPECT_EQ(scan.rows.size(), 5000u);
  EXPECT_EQ(scan.total, 5204u);
  EXPECT_EQ(std::count_if(scan.rows.begin(), scan.rows.end(), [](const Row& r) { return r[5] == "Received"; }), 2397);
}

// Test requests are named by the low 16 bits of the test id and replace an
// old file whole; a queue that cannot take them leaves no half request.
TEST_F(QueueFilesTest, TestRequestsReplaceOldFilesAndShareOnlyReading) {
  char path[MAX_PATH], small[12];
  ASSERT_TRUE(TestRequestPath("C:\\Q\\", 0xAB, ".MMS", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\TEST00AB.MMS");
  EXPECT_FALSE(TestRequestPath("C:\\Q\\", 1, ".INI", small, sizeof small)) << "never a cut name";
  std::string request = stores_.smsQueue + "TEST1234.REQ";
  WriteFileText(request, std::string(500, 'z'));
  ASSERT_TRUE(QueueTestSms(0x71234, "+441234567"));
  EXPECT_EQ(ReadFileText(request), "[SMS]\r\nPhoneNumber=+441234567\r\nData=ZedSMS Test Message\r\n");
  CreateDirectoryPath((stores_.smsQueue + "TEST0001.REQ").c_str());
  EXPECT_FALSE(QueueTestSms(1, "123"));

  // A service may read a request meanwhile, not write it.
  HANDLE file = CreateRequestFile(request.c_str());
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  for (DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}}) {
    HANDLE other = CreateFileA(request.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other != INVALID_HANDLE_VALUE, access == GENERIC_READ) << access;
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  }
  CloseHandle(file);

  const std::string templatePath = ProgramFolder() + "MMSTEST.MMS";
  const std::string savedTemplate = ReadFileText(templatePath);
  std::string body;
  for (int i = 0; i < 70000; ++i) body += static_cast<char>(i * 7);  // more than one copy buffer, with NULs
  WriteFileText(templatePath, body);
  WriteFileText(stores_.mmsQueue + "TESTBEEF.MMS", std::string(100000, 'o'));
  char used[MAX_PATH] = "";
  EXPECT_EQ(QueueTestMms(0xBEEF, "+4470", used, sizeof used), kTestMmsQueued);
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TESTBEEF.MMS"), body);
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TESTBEEF.INI"), "[Recipients]\r\nRecip1=+4470/TYPE=VASP:zedsmslite\r\n");
  CreateDirectoryPath((stores_.mmsQueue + "TEST0003.MMS").c_str());
  EXPECT_EQ(QueueTestMms(3, "1", used, sizeof used), kTestMmsQueueError);
  EXPECT_EQ(ReadFileText(stores_.mmsQueue + "TEST0003.INI"), "") << "the empty control file stays";
  CreateDirectoryPath((stores_.mmsQueue + "TEST0004.INI").c_str());
  EXPECT_EQ(QueueTestMms(4, "1", used, sizeof used), kTestMmsQueueError);
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "TEST0004.MMS"));
  EXPECT_TRUE(DeleteFileA(templatePath.c_str())) << "the template was closed again";
  EXPECT_EQ(QueueTestMms(2, "1", used, sizeof used), kTestMmsNoTemplate);
  EXPECT_EQ(std::string(used), templatePath);
  EXPECT_FALSE(FileExists(stores_.mmsQueue + "TEST0002.INI") || FileExists(stores_.mmsQueue + "TEST0002.MMS"));
  WriteFileText(templatePath, savedTemplate);
}

// A failed read is no end of file: a cut copy must not pass for a whole one.
TEST_F(QueueFilesTest, CopyFileBodyCutsTheDestinationAndReportsAFailedReadOrWrite) {
  std::string from = dir_.File("from.bin"), to = dir_.File("to.bin");
  WriteFileText(from, "short");
  WriteFileText(to, "a much longer old content");
  const struct {
    DWORD sourceAccess, targetAccess;
    bool copied;
  } rows[] = {{GENERIC_READ, GENERIC_WRITE, true}, {GENERIC_READ, GENERIC_READ, false}, {GENERIC_WRITE, GENERIC_WRITE, false}};
  for (const auto& row : rows) {
    HANDLE source = CreateFileA(from.c_str(), row.sourceAccess, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE target = CreateFileA(to.c_str(), row.targetAccess, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(CopyFileBody(source, target), row.copied) << row.sourceAccess << " " << row.targetAccess;
    CloseHandle(source);
    CloseHandle(target);
  }
  EXPECT_EQ(ReadFileText(to), "short") << "what the one whole copy wrote";
}

// The services reach the decoder by its undecorated name.
TEST(Gsm7Export, ExportedByNameAndGuardsItsArguments) {
  using Decode = BOOL (*)(const char*, const char*, char*, size_t);
  auto decode = reinterpret_cast<Decode>(GetProcAddress(GetModuleHandleA("GWCORE.DLL"), "GSM7ToUTF8String"));
  ASSERT_NE(decode, nullptr);
  char buffer[64] = "E8329BFD06", untouched[4] = "abc";
  EXPECT_TRUE(decode(nullptr, buffer, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "hello");
  EXPECT_FALSE(decode("", nullptr, untouched, 0));
  EXPECT_STREQ(untouched, "abc");
  EXPECT_FALSE(decode("", "E8329BFD06", nullptr, 10));
}

}  // namespace
