// The four scanners over real store directories, and the Status page's
// queue counts. How a row is built from a parsed file has its native table.
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
using Scanner = void (*)(char**, unsigned*, unsigned*);

struct ScanResult {
  std::vector<Row> rows;  // in scan order
  std::map<std::string, Row> byKey;
  unsigned total = 0;
};

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
    result.byKey[row[0]] = row;
  }
  FreeQueueRows(rows, count);
  return result;
}

const char kGarbageBytes[] = "\x00\xFF\x1B[SMS]\x00PhoneNumber\r\n=\xFE" "Data=\x80";
const std::string kGarbage(kGarbageBytes, sizeof kGarbageBytes - 1);

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
  // Opened without sharing, as a gateway service holds a message it works on.
  HANDLE Hold(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    return file;
  }

  TempDataDirectory dir_{"scan"};
  StoreDirectories stores_;
};

TEST_F(QueueScannerTest, OutboundSmsListsWhatItCanReadAndCountsEveryRequest) {
  PutAt(stores_.smsQueue + "modem1\\B2.REQ",
        RequestText("555", "SubmitUser=bob\r\n[ErrorDetail]\r\nRetryCount=3\r\nLastErrorInfo=No signal\r\n"),
        LocalFileTime(2012, 5, 2, 10, 0, 0));
  Put(stores_.smsQueue + "big.REQ", "[SMS]\r\n" + std::string(20000, ';') + "\r\nPhoneNumber=777\r\n");
  Put(stores_.smsQueue + "nophone.REQ", "[SMS]\r\nData=no recipient\r\n");
  Put(stores_.smsQueue + "emptyphone.REQ", "[SMS]\r\nPhoneNumber=\r\n");
  Put(stores_.smsQueue + "empty.REQ", "");
  Put(stores_.smsQueue + "garbage.REQ", kGarbage);
  Put(stores_.smsQueue + "route\\deeper\\hidden.REQ", RequestText("2"));
  Put(stores_.smsQueue + "locked.REQ", RequestText("3"));
  HANDLE lock = Hold(stores_.smsQueue + "locked.REQ");
  ScanResult scan = Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  CloseHandle(lock);
  ASSERT_EQ(scan.rows.size(), 2u) << "only files with a recipient that can be read";
  EXPECT_EQ(scan.byKey["modem1\\B2.REQ"], (Row{"modem1\\B2.REQ", "B2.REQ", "bob", "555", "2012-05-02 10:00:00",
                                               "Retry -  3 attempt(s) - No signal"}));
  EXPECT_EQ(scan.byKey["big.REQ"][3], "777") << "a large file is read whole";
  EXPECT_EQ(scan.total, 7u) << "every .REQ of the queue and its route folders, listed or not";
  EXPECT_EQ(CountOutboundSmsQueue(), 7u);
}

TEST_F(QueueScannerTest, RowLimitWithTheTrueTotal) {
  for (int i = 0; i < 5001; ++i) {
    char name[32];
    FormatText(name, sizeof name, "%sR%05d.REQ", i % 2 ? "route\\" : "", i);
    Put(stores_.smsQueue + name, RequestText("1"));
  }
  ScanResult scan = Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  EXPECT_EQ(scan.rows.size(), 5000u);
  EXPECT_EQ(scan.total, 5001u);
  EXPECT_EQ(CountOutboundSmsQueue(), 5001u);

  // Received SMS: the .SMS walk fills what the .IN walk left.
  for (int i = 0; i < 2600; ++i) Put(stores_.smsIn + "i" + std::to_string(i) + ".IN", "");
  for (int i = 0; i < 2600; ++i) Put(stores_.smsIn + "s" + std::to_string(i) + ".SMS", "");
  scan = Scan(ScanReceivedSms, kReceivedSmsRowFields);
  EXPECT_EQ(scan.rows.size(), 5000u);
  EXPECT_EQ(scan.total, 5200u);
  EXPECT_EQ(std::count_if(scan.rows.begin(), scan.rows.end(), [](const Row& r) { return r[5] == "Received"; }), 2400);
}

TEST_F(QueueScannerTest, MissingStoresGiveNothing) {
  // The getters make the default folders again; point them elsewhere.
  WritePrivateProfileStringA("SMSGW", "QDir", dir_.File("no-sms").c_str(), g_configFiles.smsIni);
  WritePrivateProfileStringA("SMSGW", "SmsInDir", dir_.File("no-sms-in").c_str(), g_configFiles.smsIni);
  WritePrivateProfileStringA("MMSC", "VASPQDir", dir_.File("no-mms").c_str(), g_configFiles.mmscIni);
  WritePrivateProfileStringA("SMSGW", "MMSDir", dir_.File("no-mms-in").c_str(), g_configFiles.smsIni);
  for (const char* folder : {"no-sms", "no-sms-in", "no-mms", "no-mms-in"})
    DeleteDirectoryTree(dir_.File(folder).c_str());
  EXPECT_EQ(Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields).total, 0u);
  EXPECT_EQ(Scan(ScanOutboundMmsQueue, kOutboundMmsRowFields).total, 0u);
  EXPECT_EQ(Scan(ScanReceivedSms, kReceivedSmsRowFields).total, 0u);
  EXPECT_EQ(Scan(ScanReceivedMms, kReceivedMmsRowFields).total, 0u);
  EXPECT_EQ(CountOutboundSmsQueue(), 0u);
  EXPECT_EQ(CountOutboundMmsQueue(), 0u);
  SmsFileRecord record;
  CopyText(record.phoneNumber, sizeof record.phoneNumber, "stale");
  ReadSmsFileRecord(INVALID_HANDLE_VALUE, &record);
  EXPECT_STREQ(record.phoneNumber, "") << "a file whose size cannot be had gives an empty record";
}

TEST_F(QueueScannerTest, OutboundMmsRowsComeFromTheControlFiles) {
  PutAt(stores_.mmsQueue + "route\\M1.MMS", "binary", LocalFileTime(2012, 1, 2, 3, 4, 5));
  Put(stores_.mmsQueue + "route\\M1.INI",
      "[Recipients]\r\nRecip1=+111/TYPE=PLMN\r\nx=+222/type=vasp:zedsmslite\r\n"
      "[Routing]\r\nSenderAddress=+999\r\nRetryCount=2\r\nLastErrorInfo=Timeout\r\n");
  std::string many = "[Recipients]\r\n";
  for (int i = 0; i < 40; ++i) many += "Recip" + std::to_string(i) + "=+1234567890\r\n";
  Put(stores_.mmsQueue + "many.MMS", "");
  Put(stores_.mmsQueue + "many.INI", many);
  Put(stores_.mmsQueue + "lonely.MMS", "");
  Put(stores_.mmsQueue + "orphan.INI", "[Recipients]\r\nRecip1=1\r\n");
  Put(stores_.mmsQueue + "held.MMS", "x");
  Put(stores_.mmsQueue + "held.INI", "[Recipients]\r\nRecip1=2\r\n");
  HANDLE lock = Hold(stores_.mmsQueue + "held.INI");
  ScanResult scan = Scan(ScanOutboundMmsQueue, kOutboundMmsRowFields);
  EXPECT_EQ(CountOutboundMmsQueue(), 3u) << "the Status page counts messages whose control file exists";
  CloseHandle(lock);
  ASSERT_EQ(scan.rows.size(), 2u) << "a control file that is missing or cannot be opened gives no row";
  EXPECT_EQ(scan.total, 4u);
  EXPECT_EQ(scan.byKey["route\\M1.MMS"], (Row{"route\\M1.MMS", "M1.MMS", "+999", "+111, +222", "2012-01-02 03:04:05",
                                             "Retry -  2 attempt(s) - Timeout"}));
  unsigned counted = 0;
  ASSERT_EQ(sscanf(scan.byKey["many.MMS"][3].c_str(), "%u recipients", &counted), 1) << scan.byKey["many.MMS"][3];
  // 25 whole entries fit in the 500 bytes read of the section; a cut last one may count too.
  EXPECT_GE(counted, 25u);
  EXPECT_LE(counted, 26u);
}

TEST_F(QueueScannerTest, ReceivedStoresListEveryMessageEvenWhenUnreadable) {
  PutAt(stores_.smsIn + "bare.SMS", "just some text\r\n", LocalFileTime(2011, 11, 11, 11, 11, 11));
  PutAt(stores_.smsIn + "a.IN", "[SMS]\r\nSender=+3\r\nPhoneNumber=+4\r\n", LocalFileTime(2012, 5, 1, 9, 30, 5));
  Put(stores_.smsIn + "route\\b.REC", "");
  Put(stores_.smsIn + "d.IN", kGarbage);
  ASSERT_TRUE(CreateDirectoryPath((stores_.smsIn + "old").c_str()));
  ASSERT_TRUE(SetFileTimes(stores_.smsIn + "old", MinutesAgo(6), MinutesAgo(6)));
  ASSERT_TRUE(CreateDirectoryPath((stores_.smsQueue + "old").c_str()));
  ASSERT_TRUE(SetFileTimes(stores_.smsQueue + "old", MinutesAgo(60), MinutesAgo(60)));
  ScanResult scan = Scan(ScanReceivedSms, kReceivedSmsRowFields);
  ASSERT_EQ(scan.rows.size(), 4u);
  EXPECT_EQ(scan.total, 4u);
  Row kinds;
  for (const Row& row : scan.rows) kinds.push_back(row[0].substr(row[0].rfind('.')));
  EXPECT_EQ(kinds, (Row{".IN", ".IN", ".REC", ".SMS"})) << "all .IN, then .REC, then .SMS";
  EXPECT_EQ(scan.byKey["a.IN"], (Row{"a.IN", "a.IN", "+3", "+4", "2012-05-01 09:30:05", "Queued", ""}));
  EXPECT_EQ(scan.byKey["bare.SMS"], (Row{"bare.SMS", "bare.SMS", "", "", "2011-11-11 11:11:11", "Received", ""}));
  EXPECT_EQ(scan.byKey["route\\b.REC"][5], "Queued");
  EXPECT_FALSE(IsDirectory((stores_.smsIn + "old").c_str())) << "a stale empty folder goes";
  Scan(ScanOutboundSmsQueue, kOutboundSmsRowFields);
  EXPECT_TRUE(IsDirectory((stores_.smsQueue + "old").c_str())) << "the outbound scanners remove nothing";

  PutAt(stores_.mmsIn + "m1.HDR", "From: +4477/TYPE=PLMN\r\nTo:\t+4488\r\nSubject: s\r\n", LocalFileTime(2012, 3, 4, 5, 6, 7));
  Put(stores_.mmsIn + "route\\m2.HDR", "");
  Put(stores_.mmsIn + "m3.HDR", kGarbage);
  scan = Scan(ScanReceivedMms, kReceivedMmsRowFields);
  EXPECT_EQ(scan.rows.size(), 3u);
  EXPECT_EQ(scan.byKey["m1.HDR"], (Row{"m1.HDR", "m1.HDR", "+4477", "+4488", "2012-03-04 05:06:07", "s"}));
}

}  // namespace
