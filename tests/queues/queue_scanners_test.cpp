// The four scanners over real store directories, and the Status page's
// queue counts.
#include "queues/queue_scanners.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/text_util.h"
#include "config/config_files.h"
#include "queues/queue_store.h"
#include "support/test_env.h"

namespace {

using Row = std::vector<std::string>;

struct ScanResult {
  std::vector<Row> rows;  // in scan order
  unsigned total = 0;
  // Rows by key.
  std::map<std::string, Row> ByKey() const {
    std::map<std::string, Row> byKey;
    for (const Row& row : rows) byKey[row[0]] = row;
    return byKey;
  }
  std::vector<std::string> Keys() const {
    std::vector<std::string> keys;
    for (const Row& row : rows) keys.push_back(row[0]);
    return keys;
  }
};

using Scanner = void (*)(char**, unsigned*, unsigned*);

// The bytes of a literal, NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

ScanResult Scan(Scanner scanner, size_t fields) {
  ScanResult result;
  char** rows = AllocateQueueRows();
  EXPECT_NE(rows, nullptr);
  if (!rows) return result;
  unsigned count = 12345;
  scanner(rows, &count, &result.total);
  EXPECT_LE(count, kQueueRowLimit);
  EXPECT_EQ(rows[kQueueRowLimit], nullptr) << "the spare slot stays empty";
  for (unsigned i = 0; i < count; ++i) {
    Row row;
    for (size_t f = 0; f < fields; ++f) row.push_back(QueueRowField(rows[i], fields, f));
    result.rows.push_back(row);
  }
  FreeQueueRows(rows, count);
  return result;
}

class QueueScannerTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareConfigFiles();
    stores_ = CurrentStoreDirectories();
  }
  void Put(const std::string& path, const std::string& bytes) { ASSERT_TRUE(WriteStoreFile(path, bytes)) << path; }
  void PutAt(const std::string& path, const std::string& bytes, const FILETIME& created) {
    Put(path, bytes);
    ASSERT_TRUE(SetFileTimes(path, created, created));
  }

  TempDataDirectory dir_{"scan"};
  StoreDirectories stores_;
};

// ---------------------------------------------------------------- outbound SMS

TEST_F(QueueScannerTest, OutboundSmsRowsFromRootAndRouteFolders) {
  PutAt(stores_.smsQueue + "A1.REQ", RequestText("+4412345", "SubmitUser=alice\r\n"),
        LocalFileTime(2012, 5, 1, 9, 30, 5));
  PutAt(stores_.smsQueue + "modem1\\B2.REQ",
        RequestText("555", "SubmitUser=bob\r\n[ErrorDetail]\r\nRetryCount=3\r\nLastErrorInfo=No signal\r\n"),
        LocalFileTime(2012, 5, 2, 10, 0, 0));
  ScanResult scan = Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  EXPECT_EQ(scan.total, 2u);
  auto rows = scan.ByKey();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows["A1.REQ"], (Row{"A1.REQ", "A1.REQ", "alice", "+4412345", "2012-05-01 09:30:05", "Queued"}));
  EXPECT_EQ(rows["modem1\\B2.REQ"], (Row{"modem1\\B2.REQ", "B2.REQ", "bob", "555", "2012-05-02 10:00:00",
                                         "Retry -  3 attempt(s) - No signal"}));
}

TEST_F(QueueScannerTest, OutboundSmsCountsWhatItCannotList) {
  Put(stores_.smsQueue + "listed.REQ", RequestText("1"));
  Put(stores_.smsQueue + "nophone.REQ", "[SMS]\r\nData=no recipient\r\n");
  Put(stores_.smsQueue + "emptyphone.REQ", "[SMS]\r\nPhoneNumber=\r\n");
  Put(stores_.smsQueue + "empty.REQ", "");
  Put(stores_.smsQueue + "garbage.REQ", Bytes("\x00\xFF\x1B[SMS\x00PhoneNumber\r\n=\xFE"));
  Put(stores_.smsQueue + "route\\deeper\\hidden.REQ", RequestText("2"));
  Put(stores_.smsQueue + "locked.REQ", RequestText("3"));
  HANDLE lock = CreateFileA((stores_.smsQueue + "locked.REQ").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ScanResult scan = Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  CloseHandle(lock);
  EXPECT_EQ(scan.Keys(), std::vector<std::string>{"listed.REQ"});
  EXPECT_EQ(scan.total, 6u) << "every .REQ of the queue and its route folders, listed or not";
  EXPECT_EQ(CountOutboundSmsQueue(), 6u);
}

TEST_F(QueueScannerTest, OutboundSmsRowLimitAndTotal) {
  for (int i = 0; i < 5001; ++i) {
    char name[32];
    FormatText(name, sizeof name, "%sR%05d.REQ", i % 2 ? "route\\" : "", i);
    Put(stores_.smsQueue + name, RequestText("1"));
  }
  ScanResult scan = Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  EXPECT_EQ(scan.rows.size(), 5000u);
  EXPECT_EQ(scan.total, 5001u);
  EXPECT_EQ(CountOutboundSmsQueue(), 5001u);
}

TEST_F(QueueScannerTest, LargeRequestFileIsReadWhole) {
  std::string padding(20000, ';');
  Put(stores_.smsQueue + "big.REQ", "[SMS]\r\n" + padding + "\r\nPhoneNumber=777\r\nSubmitUser=carol\r\n");
  ScanResult scan = Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  ASSERT_EQ(scan.rows.size(), 1u);
  EXPECT_EQ(scan.rows[0][3], "777");
  EXPECT_EQ(scan.rows[0][2], "carol");
}

TEST_F(QueueScannerTest, MissingQueuesGiveNothing) {
  DeleteDirectoryTree(stores_.smsQueue.c_str());
  DeleteDirectoryTree(stores_.smsIn.c_str());
  // The getters make the default queue folders again; point them elsewhere.
  WritePrivateProfileStringA("SMSGW", "QDir", dir_.File("nothing-here").c_str(), g_configFiles.smsIni);
  WritePrivateProfileStringA("SMSGW", "SmsInDir", dir_.File("nothing-either").c_str(), g_configFiles.smsIni);
  WritePrivateProfileStringA("MMSC", "VASPQDir", dir_.File("no-mms").c_str(), g_configFiles.mmscIni);
  WritePrivateProfileStringA("SMSGW", "MMSDir", dir_.File("no-mms-in").c_str(), g_configFiles.smsIni);
  DeleteDirectoryTree(dir_.File("nothing-here").c_str());
  DeleteDirectoryTree(dir_.File("no-mms").c_str());
  DeleteDirectoryTree(dir_.File("no-mms-in").c_str());
  EXPECT_EQ(Scan(ScanReceivedSms, kReceivedSmsRowFields).total, 0u);
  EXPECT_EQ(Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields).total, 0u);
  EXPECT_EQ(Scan(ScanOutboundMmsQueue, kOutboundMmsRowFields).total, 0u);
  EXPECT_EQ(Scan(ScanReceivedMms, kReceivedMmsRowFields).total, 0u);
  EXPECT_EQ(CountOutboundMmsQueue(), 0u);
}

// ---------------------------------------------------------------- outbound MMS

TEST_F(QueueScannerTest, OutboundMmsRowsFromTheControlFiles) {
  PutAt(stores_.mmsQueue + "M1.MMS", "binary", LocalFileTime(2012, 1, 2, 3, 4, 5));
  Put(stores_.mmsQueue + "M1.INI",
      "[Recipients]\r\nRecip1=+111/TYPE=PLMN\r\nx=+222/type=vasp:zedsmslite\r\n"
      "[Routing]\r\nSenderAddress=+999\r\nRetryCount=2\r\nLastErrorInfo=Timeout\r\n");
  Put(stores_.mmsQueue + "route\\M2.MMS", "");
  Put(stores_.mmsQueue + "route\\M2.INI",
      "[Recipients]\r\na=1\r\nb=2\r\nc=3\r\nd=4\r\ne=5\r\nf=6\r\n");
  Put(stores_.mmsQueue + "M3.MMS", "");
  Put(stores_.mmsQueue + "M3.INI",
      "[Recipients]\r\na=1\r\nb=2\r\nc=3\r\nd=4\r\ne=5\r\n");
  ScanResult scan = Scan(ScanOutboundMmsQueue, kOutboundMmsRowFields);
  EXPECT_EQ(scan.total, 3u);
  auto rows = scan.ByKey();
  EXPECT_EQ(rows["M1.MMS"], (Row{"M1.MMS", "M1.MMS", "+999", "+111, +222", "2012-01-02 03:04:05",
                                 "Retry -  2 attempt(s) - Timeout"}));
  EXPECT_EQ(rows["route\\M2.MMS"][3], "6 recipients");
  EXPECT_EQ(rows["route\\M2.MMS"][5], "Queued");
  EXPECT_EQ(rows["route\\M2.MMS"][2], "") << "no sender";
  EXPECT_EQ(rows["M3.MMS"][3], "1, 2, 3, 4, 5");
}

TEST_F(QueueScannerTest, OutboundMmsWithoutControlFileCountsButIsNotListed) {
  Put(stores_.mmsQueue + "lonely.MMS", "");
  Put(stores_.mmsQueue + "orphan.INI", "[Recipients]\r\nRecip1=1\r\n");
  Put(stores_.mmsQueue + "ok.MMS", "x");
  Put(stores_.mmsQueue + "ok.INI", "[Recipients]\r\nRecip1=1\r\n");
  Put(stores_.mmsQueue + "held.MMS", "x");
  Put(stores_.mmsQueue + "held.INI", "[Recipients]\r\nRecip1=2\r\n");
  HANDLE lock = CreateFileA((stores_.mmsQueue + "held.INI").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ScanResult scan = Scan(ScanOutboundMmsQueue, kOutboundMmsRowFields);
  EXPECT_EQ(scan.Keys(), std::vector<std::string>{"ok.MMS"}) << "a control file that cannot be opened gives no row";
  EXPECT_EQ(scan.total, 3u);
  EXPECT_EQ(CountOutboundMmsQueue(), 2u) << "the Status page counts messages whose control file exists";
  CloseHandle(lock);
}

TEST_F(QueueScannerTest, RecipientsSectionReadUpTo500Bytes) {
  std::string section = "[Recipients]\r\n";
  for (int i = 0; i < 40; ++i) section += "Recip" + std::to_string(i) + "=+1234567890\r\n";
  Put(stores_.mmsQueue + "many.MMS", "");
  Put(stores_.mmsQueue + "many.INI", section);
  ScanResult scan = Scan(ScanOutboundMmsQueue, kOutboundMmsRowFields);
  ASSERT_EQ(scan.rows.size(), 1u);
  unsigned counted = 0;
  ASSERT_EQ(sscanf(scan.rows[0][3].c_str(), "%u recipients", &counted), 1) << scan.rows[0][3];
  // 25 whole entries fit in 500 bytes; a cut last one may count too.
  EXPECT_GE(counted, 25u);
  EXPECT_LE(counted, 26u) << "only what fits in 500 bytes is read";
}

// ---------------------------------------------------------------- received SMS

TEST_F(QueueScannerTest, ReceivedSmsInPatternOrderWithStatusAndText) {
  Put(stores_.smsIn + "c.SMS", "[SMS-IN]\r\nSender=+1\r\nPhoneNumber=+2\r\nData=line1\\r\\nline2\r\n");
  Put(stores_.smsIn + "a.IN", "[SMS]\r\nSender=+3\r\nData=" + HexUcs2("Hi") + "\r\nbinary=1\r\ndcs=08\r\n");
  Put(stores_.smsIn + "route\\b.REC", "[SMS]\r\nData=" + PackGsm7("hello") + "\r\nbinary=yes\r\ndcs=0\r\n");
  Put(stores_.smsIn + "d.IN", "[SMS]\r\nData=" + HexUcs2("Hi") + "\r\nbinary=0\r\ndcs=08\r\n");
  ScanResult scan = Scan(ScanReceivedSms, kReceivedSmsRowFields);
  ASSERT_EQ(scan.rows.size(), 4u);
  EXPECT_EQ(scan.total, 4u);
  std::vector<std::string> kinds;
  for (const Row& row : scan.rows) kinds.push_back(row[0].substr(row[0].rfind('.')));
  EXPECT_EQ(kinds, (std::vector<std::string>{".IN", ".IN", ".REC", ".SMS"})) << "all .IN, then .REC, then .SMS";
  auto rows = scan.ByKey();
  EXPECT_EQ(rows["a.IN"][2], "+3");
  EXPECT_EQ(rows["a.IN"][5], "Queued");
  EXPECT_EQ(rows["a.IN"][6], "Hi") << "UCS-2";
  EXPECT_EQ(rows["route\\b.REC"][5], "Queued");
  EXPECT_EQ(rows["route\\b.REC"][6], "hello") << "GSM 7-bit";
  EXPECT_EQ(rows["c.SMS"][5], "Received");
  EXPECT_EQ(rows["c.SMS"][3], "+2");
  EXPECT_EQ(rows["c.SMS"][6], "line1\r\nline2");
  EXPECT_EQ(rows["d.IN"][6], HexUcs2("Hi")) << "not binary: shown as stored";
}

TEST_F(QueueScannerTest, ReceivedSmsWithoutMessageSectionStillGivesARow) {
  PutAt(stores_.smsIn + "bare.SMS", "just some text\r\n", LocalFileTime(2011, 11, 11, 11, 11, 11));
  Put(stores_.smsIn + "empty.IN", "");
  Put(stores_.smsIn + "garbage.REC", Bytes("\xFF\xFE\x00\x01[SMS]\x00" "Data=\x80"));
  ScanResult scan = Scan(ScanReceivedSms, kReceivedSmsRowFields);
  EXPECT_EQ(scan.total, 3u);
  auto rows = scan.ByKey();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows["bare.SMS"], (Row{"bare.SMS", "bare.SMS", "", "", "2011-11-11 11:11:11", "Received", ""}));
  EXPECT_EQ(rows["empty.IN"][5], "Queued");
}

TEST_F(QueueScannerTest, ReceivedSmsRemovesStaleEmptyFolders) {
  ASSERT_TRUE(CreateDirectoryPath((stores_.smsIn + "old").c_str()));
  ASSERT_TRUE(CreateDirectoryPath((stores_.smsIn + "new").c_str()));
  ASSERT_TRUE(SetFileTimes(stores_.smsIn + "old", MinutesAgo(6), MinutesAgo(6)));
  ASSERT_TRUE(SetFileTimes(stores_.smsIn + "new", MinutesAgo(4), MinutesAgo(4)));
  Scan(ScanReceivedSms, kReceivedSmsRowFields);
  EXPECT_FALSE(IsDirectory((stores_.smsIn + "old").c_str()));
  EXPECT_TRUE(IsDirectory((stores_.smsIn + "new").c_str()));

  ASSERT_TRUE(CreateDirectoryPath((stores_.smsQueue + "route").c_str()));
  ASSERT_TRUE(SetFileTimes(stores_.smsQueue + "route", MinutesAgo(60), MinutesAgo(60)));
  Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  EXPECT_TRUE(IsDirectory((stores_.smsQueue + "route").c_str())) << "the outbound scanners remove nothing";
}

TEST_F(QueueScannerTest, ReceivedLimitRunsOnAcrossThePatterns) {
  for (int i = 0; i < 2600; ++i) Put(stores_.smsIn + "i" + std::to_string(i) + ".IN", "");
  for (int i = 0; i < 2600; ++i) Put(stores_.smsIn + "s" + std::to_string(i) + ".SMS", "");
  ScanResult scan = Scan(ScanReceivedSms, kReceivedSmsRowFields);
  EXPECT_EQ(scan.rows.size(), 5000u);
  EXPECT_EQ(scan.total, 5200u);
  size_t received = std::count_if(scan.rows.begin(), scan.rows.end(), [](const Row& r) { return r[5] == "Received"; });
  EXPECT_EQ(received, 2400u) << "the .SMS walk fills what the .IN walk left";
}

// ---------------------------------------------------------------- received MMS

TEST_F(QueueScannerTest, ReceivedMmsHeaderFields) {
  PutAt(stores_.mmsIn + "m1.HDR",
        "From: +4477/TYPE=PLMN\r\nTo:\t+4488/type=plmn\r\nSubject: first\r\n\r\nbody\r\nSubject: last\r\n",
        LocalFileTime(2012, 3, 4, 5, 6, 7));
  Put(stores_.mmsIn + "route\\m2.HDR", "");
  Put(stores_.mmsIn + "m3.HDR", std::string(9000, 'x') + "\r\nSubject: beyond the first 8191 bytes\r\n");
  ScanResult scan = Scan(ScanReceivedMms, kReceivedMmsRowFields);
  EXPECT_EQ(scan.total, 3u);
  auto rows = scan.ByKey();
  EXPECT_EQ(rows["m1.HDR"], (Row{"m1.HDR", "m1.HDR", "+4477", "+4488", "2012-03-04 05:06:07", "last"}));
  EXPECT_EQ(rows["route\\m2.HDR"][5], "");
  EXPECT_EQ(rows["m3.HDR"][5], "");
}

// ---------------------------------------------------------------- file reading

TEST_F(QueueScannerTest, ReadSmsFileRecordFromAHandle) {
  std::string path = stores_.smsQueue + "r.REQ";
  Put(path, "[SMS]\r\nPhoneNumber=42\r\ndcs=F5\r\n");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SmsFileRecord record;
  ReadSmsFileRecord(file, &record);
  CloseHandle(file);
  EXPECT_STREQ(record.phoneNumber, "42");
  EXPECT_EQ(record.dcs, 0xF5);
  ReadSmsFileRecord(INVALID_HANDLE_VALUE, &record);
  EXPECT_STREQ(record.phoneNumber, "") << "a size that cannot be had leaves the record empty";
}

}  // namespace
