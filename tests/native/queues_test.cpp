// The queue folders' files as the viewer reads them: SMS files and their
// texts, MMS headers, rows. Parsers read from heap blocks of exactly the
// file's size, so that the address sanitizer catches a read past the end.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/text_util.h"
#include "queues/gsm7.h"
#include "queues/hex_text.h"
#include "queues/mms_header.h"
#include "queues/queue_rows.h"
#include "queues/queue_view_rules.h"
#include "queues/recipients.h"
#include "queues/sms_file.h"
#include "queues/sms_text.h"

namespace {

std::unique_ptr<char[]> Exact(const std::string& text) {
  std::unique_ptr<char[]> bytes(new char[text.size() ? text.size() : 1]);
  memcpy(bytes.get(), text.data(), text.size());
  return bytes;
}

std::unique_ptr<SmsFileRecord> Parse(const std::string& text) {
  auto record = std::make_unique<SmsFileRecord>();
  memset(record.get(), 0x5A, sizeof *record);  // the parse must clear it
  ParseSmsFile(Exact(text).get(), text.size(), record.get());
  return record;
}

MmsHeaderInfo ReadHeader(const std::string& text) {
  MmsHeaderInfo info;
  memset(&info, 0x5A, sizeof info);
  ReadMmsHeader(Exact(text).get(), text.size(), &info);
  return info;
}

std::string Decode(const char* header, const std::string& data, size_t cap = 256) {
  std::vector<char> out(cap + 1, 'x');
  DecodeGsm7Hex(header, data.c_str(), out.data(), cap);
  EXPECT_EQ(out[cap], 'x') << "written past the capacity";
  return out.data();
}

}  // namespace

// Packed septets as a sender writes them, after the header's fill bits.
TEST(Gsm7, DecodesPackedSeptetsAfterTheHeaderAndCutsAtWholeCharacters) {
  const std::string udh5 = "050003A70201";  // six octets: one fill bit
  std::string deltas;  // 5000 Greek capitals, 10000 bytes of text
  for (int i = 0; i < 625; ++i) deltas += "10080402814020";
  const struct Row {
    const char* header;
    std::string data;
    std::string text;
    size_t cap = 256;
  } rows[] = {
      {"", "E8329BFD06", "hello"}, {nullptr, "e8329bfd06", "hello"},
      {"", "61F1985C369FD1", "abcdefgh"},  // eight septets fill seven octets
      // Default alphabet beyond ASCII, and the extension table after an escape.
      {"", "00484010E190FE", "@\xCE\x94\xC2\xA3$_\xC3\x86\xC2\xA4\xC3\xA0"},
      {"", "1BC586B2E16D5E9B32", "\f^[\\\xE2\x82\xAC"},
      {"", "1B3C", "x"},  // an unknown extension shows the default character
      {"", "9B4D10", " A"}, {"", "E10D", "a"},  // escape escape A; a dangling escape shows nothing
      // The header decides the fill bits; data that carries the header is read past it.
      {udh5.c_str(), "9069", "Hi"}, {"050003a70201", udh5 + "9069", "Hi"}, {"06080400010201", "CF25", "OK"},
      {"03000102", "782E43", "OK!"}, {"Z5", "E8329BFD06", "hello"},
      // Spare bits of the last octet are no text: zero or CR padding; a wanted CR stays.
      {"", "61F1985C369F01", "abcdefg"}, {"", "61F1985C369F1B", "abcdefg"},
      {"", "61F1985C369F1B0D", "abcdefg\r\r"}, {"", "61F1985C363700", "abcdef\r"},
      // Malformed or cut short: what came before stays.
      {"", "", ""}, {"", "E8329BFD0", "hell"}, {"", "E832 9BFD06", "he"}, {"", "G8329BFD06", ""},
      // Cut at the capacity, whole characters only: the euro sign takes three bytes.
      {"", "E8329BFD06", "hel", 4}, {"", "E8329BFD06", "", 1}, {"", "B54D19", "5", 4},
  };
  for (const Row& row : rows) EXPECT_EQ(Decode(row.header, row.data, row.cap), row.text) << row.data;
  std::vector<char> big(20000, 'x');
  EXPECT_FALSE(DecodeGsm7Hex("", deltas.c_str(), big.data(), big.size())) << "cut";
  EXPECT_EQ(strlen(big.data()), 8190u) << "the decoder's limit, whole characters only";
}

TEST(HexUcs2ToUtf8, UnitsToUtf8UntilAZeroUnitANonDigitOrTheEndCutAtWholeCharacters) {
  const struct {
    const char* hex;
    size_t cap;
    const char* text;
  } rows[] = {
      {"0041", 64, "A"}, {"07FF0800", 64, "\xDF\xBF\xE0\xA0\x80"},
      {"D83DDE00", 64, "\xED\xA0\xBD\xED\xB8\x80"},  // surrogates one by one
      {"004100000042", 64, "A"}, {"0041 0042", 64, "A"}, {"", 64, ""},
      {"00410", 64, "A"},    // a trailing zero digit forms a zero unit
      {"004142", 64, "AB"},  // a short last group still forms a unit
      {"004120AC00E9", 5, "A\xE2\x82\xAC"}, {"20AC", 3, ""}, {nullptr, 8, ""},  // not the e-acute, not the euro sign
  };
  for (const auto& row : rows) {
    char out[65];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(HexUcs2ToUtf8(row.hex, out, row.cap), strlen(row.text)) << row.hex;
    EXPECT_STREQ(out, row.text);
    EXPECT_EQ(out[row.cap], 'x') << "nothing written past the capacity";
  }
}

TEST(ParseSmsFile, WhichLinesCountAndTheirValues) {
  // Phone number, sender, dcs (in hex), binary, data.
  auto fields = [](const std::string& file) {
    auto r = Parse(file);
    char numbers[64];
    FormatText(numbers, sizeof numbers, "|%X|%d|", r->dcs, r->binary);
    return std::string(r->phoneNumber) + "|" + r->sender + numbers + r->data;
  };
  const char withNul[] = "[SMS]\nPhoneNumber=1\0Sender=2\n";  // a NUL ends a line
  const std::pair<std::string, const char*> rows[] = {
      {"[sms]\nphonenumber=555\n", "555||0|0|"}, {"[SMS]\nPhoneNumber =555\n", "||0|0|"},
      {"[SMS]\nSender= +47=\t\n", "| +47=\t|0|0|"},  // not trimmed, split at the first =
      {"[SMS]\nSender=first\nSender=second\n", "|second|0|0|"},
      {"\r\n\r\n  \t[SMS]\r\n\r\n\t  PhoneNumber=1\r\n\x01\x02Sender=2\r\n", "1|2|0|0|"},
      {"[SMS]\rPhoneNumber=1\rSender=2", "1|2|0|0|"}, {std::string(withNul, sizeof withNul - 1), "1|2|0|0|"},
      {"[SMS-IN]\nPhoneNumber=1\n[SMS]\nPhoneNumber=2\nSender=x\n", "1||0|0|"},  // the first section only
      {"[Other]\nPhoneNumber=0\n[SMS]\nPhoneNumber=1\n[ErrorDetail]\nSender=x\n", "1||0|0|"},
      {"[SMSX]\nPhoneNumber=1\n", "||0|0|"}, {"[SMS] trailing\nPhoneNumber=1\n", "1||0|0|"},
      {"[SMS", "||0|0|"}, {"[SMS]\ndcs=1FF\n", "||FF|0|"}, {"[SMS]\ndcs", "||0|0|"},
      {"[SMS]\ndcs=" + std::string(100, '0') + "8\n", "||8|0|"},  // long values are read whole; a cut key is none
      {"[SMS]\nbinary=true", "||0|1|"}, {"[SMS]\nbinary=TRUEX", "||0|0|"}, {"[SMS]\nbinary= yes", "||0|0|"},
      // Only backslash-r and backslash-n pairs are line breaks.
      {"[SMS]\nData=a\\tb\\R\\N\\\\r", "||0|0|a\\tb\\R\\N\\\r"}, {"[SMS]\nData=end\\", "||0|0|end\\"},
  };
  for (const auto& row : rows) EXPECT_EQ(fields(row.first), row.second) << row.first;
}

TEST(ParseSmsFile, SectionsInEitherOrderCutValuesAndTheFixedBufferSize) {
  auto r = Parse("[ErrorDetail]\nRetryCount=3\nLastErrorInfo=" + std::string(300, 'e') + "\n[SMS]\nPhoneNumber=" +
                 std::string(400, '1') + "\n");
  EXPECT_EQ(r->retryCount, 3);
  EXPECT_EQ(strlen(r->lastErrorInfo), 199u);
  EXPECT_EQ(strlen(r->phoneNumber), 149u);
  // Data keeps 8191 characters, then each "\n" pair among them becomes one.
  EXPECT_EQ(strlen(Parse("[SMS]\nData=" + std::string(9000, 'd') + "\n")->data), 8191u);
  r = Parse("[SMS]\nData=" + std::string(8189, 'd') + "\\n\\n\n");
  EXPECT_EQ(strlen(r->data), 8190u);
  EXPECT_EQ(r->data[8189], '\n');
  r = Parse("[SMS]\nData=" + std::string(8190, 'd') + "\\n\n");
  EXPECT_EQ(strlen(r->data), 8191u);
  EXPECT_EQ(r->data[8190], '\\') << "a pair cut in two stays a backslash";
  // A file of exactly 8192 bytes whose last line is a key with its value.
  std::string text = "[SMS]\n" + std::string(8192 - 6 - 14, ';') + "\nPhoneNumber=5";
  ASSERT_EQ(text.size(), 8192u);
  EXPECT_STREQ(Parse(text)->phoneNumber, "5");
}

TEST(SmsText, SignedDecimalsCodingGroupsAndTheTextShown) {
  const std::pair<const char*, int32_t> numbers[] = {{"  -7x", -7}, {"\t+3", 3}, {"", 0}, {"-", 0}, {"- 1", 0},
                                                     {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN},
                                                     {"-99999999999", INT_MIN}, {nullptr, 0}};
  for (const auto& row : numbers) EXPECT_EQ(ParseSignedDecimal(row.first), row.second) << row.first;
  // 'G': GSM 7-bit, 'U': UCS-2, '-': neither.
  const std::pair<unsigned, char> codings[] = {
      {0x00, 'G'}, {0x01, 'G'}, {0x10, 'G'}, {0x20, 'G'}, {0xC0, 'G'}, {0xD1, 'G'}, {0xF0, 'G'}, {0xF8, 'G'},
      {0x08, 'U'}, {0x0C, 'U'}, {0x18, 'U'}, {0xE0, 'U'}, {0x04, '-'}, {0x40, '-'}, {0x80, '-'}, {0xF4, '-'},
      {0x14, '-'}, {0xBF, '-'}, {0xFC, '-'}};
  for (const auto& row : codings) {
    uint8_t dcs = static_cast<uint8_t>(row.first);
    EXPECT_EQ(IsGsm7Dcs(dcs) ? 'G' : IsUcs2Dcs(dcs) ? 'U' : '-', row.second) << std::hex << row.first;
    EXPECT_FALSE(IsGsm7Dcs(dcs) && IsUcs2Dcs(dcs));
  }
  // The text a message shows: the decoder by binary and coding scheme, cut to the room.
  const struct {
    const char* lines;  // after "[SMS]\n"
    size_t room;
    const char* text;
  } texts[] = {
      {"dcs=8\nData=00E9", 64, "00E9"},  // not binary: the text, whatever dcs says
      {"binary=1\ndcs=8\nData=00E920AC", 64, "\xC3\xA9\xE2\x82\xAC"},
      {"binary=1\ndcs=4\nData=48656C6C6F", 64, "48656C6C6F"},  // 8-bit data keeps its digits
      {"binary=1\ndcs=F0\nudh=050003A70201\nData=9069", 64, "Hi"},
      {"binary=1\ndcs=8\nData=004100E920AC", 4, "A\xC3\xA9"},  // not the euro sign
  };
  for (const auto& row : texts) {
    auto record = Parse(std::string("[SMS]\n") + row.lines);
    DecodeSmsText(record.get(), row.room);
    EXPECT_STREQ(record->data, row.text) << row.lines;
  }
}

TEST(QueueRows, FieldsCutSoThatEveryFieldFitsTheStatusAndTheReceivedText) {
  std::string longText(10000, 't');
  const char* middle[] = {"k", longText.c_str(), "after"};
  char small[32];
  EXPECT_EQ(AssembleQueueRow(middle, 3, small, sizeof small), sizeof small);
  EXPECT_EQ(std::string(QueueRowField(small, 3, 1)), longText.substr(0, 27)) << "later fields present";
  EXPECT_STREQ(QueueRowField(small, 3, 2), "");
  EXPECT_STREQ(QueueRowField(small, 3, 3), "") << "no field beyond the row";

  const struct {
    int32_t retries;
    const char* error;
    size_t cap;
    const char* status;
  } rows[] = {{0, "ignored", 64, "Queued"}, {3, "error", 8, "Retry -"},
              {-1, "", 64, "Retry - 4294967295 attempt(s)"}};  // the count is unsigned
  char status[64];
  for (const auto& row : rows) {
    FormatOutboundStatus(row.retries, row.error, status, row.cap);
    EXPECT_STREQ(status, row.status);
  }
  // 4000 Greek capitals decode in place from 7000 digits to 8000 bytes; with
  // the other fields in front the row has less room, and the text stops
  // before a split character.
  std::string data;
  for (int i = 0; i < 500; ++i) data += "10080402814020";
  auto record = Parse("[SMS]\nSender=" + std::string(149, 's') + "\nPhoneNumber=" + std::string(149, 'p') +
                      "\nbinary=yes\ndcs=0\nData=" + data + "\n");
  char full[kQueueRowBytes];
  EXPECT_EQ(BuildReceivedSmsRow(std::string(300, 'k').c_str(), "x.SMS", record.get(), "2012-05-01 09:30:05",
                                "Received", full, sizeof full),
            kQueueRowBytes);
  std::string text = QueueRowField(full, kReceivedSmsRowFields, 6);
  EXPECT_EQ(text.size() % 2, 0u);
  EXPECT_EQ(text.substr(text.size() - 2), "\xCE\x94");
  EXPECT_EQ(full[kQueueRowBytes - 2], '\0') << "the row ends in its empty string";
}

TEST(ReadMmsHeader, NamesInAnyCaseTheLastLineWinsTypeMarkersGoAndTheFirst8191Bytes) {
  MmsHeaderInfo h = ReadHeader(
      "FROM: a\nTo:\t+4790000002/type=plmn\nsubject:  Holiday photos \n\nbody text\n"
      "  Subject: second \nfrom: b/TYPE=VASP:zedsmslite\nX-From: c\nReply-To: d\n");
  EXPECT_STREQ(h.from, "b");
  EXPECT_STREQ(h.to, "+4790000002");
  EXPECT_STREQ(h.subject, "second ") << "a Subject: line inside the body still counts; leading blanks go";
  h = ReadHeader("To: " + std::string(146, 't') + "/TYPE=PLMN\n");
  EXPECT_EQ(std::string(h.to), std::string(146, 't')) << "a marker across the capacity leaves nothing of itself";
  EXPECT_STREQ(ReadHeader(std::string(8192 - 6, ' ') + "To: 12").to, "1") << "a file of exactly 8192 bytes";
  EXPECT_STREQ(ReadHeader("Subject:").subject, "");
}

// Content paths come from outside the machine.
TEST(ContentObjects, ItemsAsTheDetailsListShowsThemWhichOpenInNotepadAndWhichNever) {
  std::string text =
      "From: a\r\nX-ZedMMS-Content-Location: 20120501-0001\\image1.jpg;image/jpeg;name=image1.jpg\r\n"
      "x-zedmms-content-location:   20120501-0001\\text1\r\n"
      "X-ZedMMS-Content-Location: " + std::string(3000, 'p') + ";t\r\n"
      "X-ZedMMS-Content-Location: a\\b.bin;" + std::string(200, 't') + ";x";
  const std::string expected[] = {"image1.jpg (image/jpeg)\t20120501-0001\\image1.jpg", "text1\t20120501-0001\\text1",
                                  std::string(kContentItemChars - 1, 'p'),  // no room left for the path
                                  "b.bin (" + std::string(149, 't') + ")\ta\\b.bin"};  // the type keeps 149
  LineCursor cursor;
  BeginLines(&cursor, text.data(), text.size());
  char item[kContentItemChars];
  for (const std::string& want : expected) {
    ASSERT_TRUE(NextContentObjectItem(&cursor, item, sizeof item));
    EXPECT_EQ(std::string(item), want);
  }
  EXPECT_FALSE(NextContentObjectItem(&cursor, item, sizeof item));
  EXPECT_EQ(ContentItemPath("no tab"), nullptr);
  for (const char* yes : {"p (APPLICATION/SMIL)\tp.smil", "body (text/plain)\tmsg.1\\body"})  // a dot in the folder
    EXPECT_TRUE(ContentItemOpensInNotepad(yes)) << yes;
  for (const char* no : {"p (text/plain)\tplain.txt", "no tab (text/plain)"})
    EXPECT_FALSE(ContentItemOpensInNotepad(no)) << no;  // an extension lets the shell choose
  for (const char* program : {"m1\\RUN.EXE", "m1\\run.exe. . ", "m1\\link.lnk"}) EXPECT_TRUE(IsProgramFileName(program));
  for (const char* other : {"m1\\run.exe.txt", "m1.exe\\BODYTEXT", "m1\\noextension", "m1\\archive.executable"})
    EXPECT_FALSE(IsProgramFileName(other)) << other;
  const char* folder = "C:\\Data\\MMSIN\\m1";
  EXPECT_TRUE(PathIsInsideFolder(folder, "c:\\data\\mmsin\\M1\\sub\\a.jpg"));
  EXPECT_TRUE(PathIsInsideFolder("C:\\Data\\MMSIN\\m1\\", "C:\\Data\\MMSIN\\m1\\a.jpg"));
  for (const char* outside : {"C:\\Data\\MMSIN\\m1\\", "C:\\Data\\MMSIN\\a.jpg",
                              "C:\\Data\\MMSIN\\m10\\a.jpg"})  // a sibling whose name begins the same
    EXPECT_FALSE(PathIsInsideFolder(folder, outside)) << outside;
}

TEST(FormatRecipientsText, UpToFiveValuesThenACountUntilTheListEnds) {
  const struct {
    std::string section;  // NUL-separated entries, as the profile gives them
    std::string text;
    unsigned count;
  } rows[] = {
      {std::string("a=1\0b=2/TYPE=PLMN\0c=3\0d=4\0e=5/type=vasp:ZEDSMSLITE\0", 51), "1, 2, 3, 4, 5", 5},
      {std::string("a=1\0b=2\0c=3\0d=4\0e=5\0f=6\0", 25), "6 recipients", 6},
      {std::string("k=v=w\0", 7), "v=w", 1},  // the value starts after the first =
      {std::string("a=1\0junk\0b=2\0", 14), "1", 1},  // an entry without = ends the list
      {"", "", 0}, {std::string("a=1\0b=22", 8), "1, 22", 2},  // cut short by the profile buffer
      {"r=" + std::string(kRecipientsSectionBytes - 2, '9'), std::string(kRecipientsSectionBytes - 2, '9'), 1},
  };
  for (const auto& row : rows) {
    char out[kRecipientsTextChars];
    EXPECT_EQ(FormatRecipientsText(Exact(row.section).get(), row.section.size(), out, sizeof out), row.count);
    EXPECT_EQ(std::string(out), row.text) << row.section;
  }
}

TEST(QueueViewRules, SortClicksTheSelectedRowAgainAndTheStatusLine) {
  const struct {
    int state, column;
    unsigned rows;
    int next;
  } clicks[] = {{4, 1, 3, 2}, {2, 1, 3, -2}, {-2, 1, 3, 2}, {-4, 3, 3, 4},  // descending time, then the time column
                {4, 2, 0, 4}, {4, 5, 3, 4}, {4, -1, 3, 4}};  // an empty list, no such column
  for (const auto& row : clicks)
    EXPECT_EQ(NextSortState(row.state, row.column, 5, row.rows), row.next) << row.state << " " << row.column;
  char blocks[2][32];
  char* rows[2] = {blocks[0], blocks[1]};
  const char* fields[2][2] = {{"a.REQ", "name"}, {"route\\B.REQ", "name"}};
  for (int i = 0; i < 2; ++i) AssembleQueueRow(fields[i], 2, blocks[i], sizeof blocks[i]);
  const std::pair<const char*, int> finds[] = {{"ROUTE\\b.req", 1}, {"a.REQ", 0}, {"a", -1}, {"name", -1}, {"", -1}};
  for (const auto& find : finds) EXPECT_EQ(FindRowByKey(rows, 2, 2, find.first), find.second) << find.first;
  // Many messages, and one to delete, are the viewers' walks.
  const std::pair<unsigned, const char*> counts[] = {{0, "Queue:  None"}, {1, "Queue:  1 message"}};
  char text[64];
  for (const auto& row : counts) {
    FormatQueueStatus("Queue:  ", "None", row.first, text, sizeof text);
    EXPECT_STREQ(text, row.second);
  }
}

// Paths a viewer opens or deletes: never cut, as a cut path names another file.
TEST(MessagePaths, ControlFileAndStorePath) {
  const char* const controls[][2] = {{"C:\\Q\\route\\A1.MMS", "C:\\Q\\route\\A1.INI"}, {"C:\\Q\\x.y.mms", "C:\\Q\\x.y.INI"},
                                     {"C:\\Q.d\\name", "C:\\Q.d\\name.INI"}};  // a dot in a folder is no extension
  char path[32];
  for (const auto& row : controls) {
    EXPECT_TRUE(MmsControlFilePath(row[0], path, sizeof path)) << row[0];
    EXPECT_STREQ(path, row[1]);
  }
  EXPECT_FALSE(MmsControlFilePath("C:\\a-rather-long-folder\\A.MMS", path, 20));
  EXPECT_STREQ(path, "");
  EXPECT_FALSE(MessagePath("C:\\Q\\", "ab.REQ", path, 11));
  EXPECT_STREQ(path, "");
}
