#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "queues/mms_header.h"
#include "queues/recipients.h"

namespace {

// From a heap block of exactly the text's size, so reads past it are caught.
MmsHeaderInfo ReadHeader(const std::string& text) {
  std::unique_ptr<char[]> bytes(new char[text.size() ? text.size() : 1]);
  memcpy(bytes.get(), text.data(), text.size());
  MmsHeaderInfo info;
  memset(&info, 0x5A, sizeof info);
  ReadMmsHeader(bytes.get(), text.size(), &info);
  return info;
}

std::string Recipients(const std::string& section, unsigned* count = nullptr) {
  std::unique_ptr<char[]> bytes(new char[section.size() ? section.size() : 1]);
  memcpy(bytes.get(), section.data(), section.size());
  char out[kRecipientsTextChars];
  memset(out, 'x', sizeof out);
  unsigned n = FormatRecipientsText(bytes.get(), section.size(), out, sizeof out);
  if (count) *count = n;
  return out;
}

std::string NulSeparated(std::initializer_list<const char*> entries) {
  std::string section;
  for (const char* entry : entries) {
    section += entry;
    section += '\0';
  }
  section += '\0';
  return section;
}

}  // namespace

TEST(ReadMmsHeader, SenderRecipientAndSubject) {
  MmsHeaderInfo h = ReadHeader(
      "From: +4790000001/TYPE=PLMN\r\nTo:\t+4790000002/type=plmn\r\nSubject:  Holiday photos \r\n"
      "Content-Type: application/vnd.wap.multipart.related\r\n");
  EXPECT_STREQ(h.from, "+4790000001");
  EXPECT_STREQ(h.to, "+4790000002");
  EXPECT_STREQ(h.subject, "Holiday photos ") << "leading blanks only are skipped";
}

TEST(ReadMmsHeader, NamesInAnyCaseAndTheLastLineWins) {
  MmsHeaderInfo h = ReadHeader(
      "FROM: a\nsubject: first\n\nbody text\n  Subject: second\nfrom: b/TYPE=VASP:zedsmslite\n");
  EXPECT_STREQ(h.from, "b");
  EXPECT_STREQ(h.subject, "second") << "a Subject: line inside the body still counts";
  EXPECT_STREQ(h.to, "");
  EXPECT_STREQ(ReadHeader("X-From: a\nReply-To: b\n").from, "");
  EXPECT_STREQ(ReadHeader("From: a\nFrom:\n").from, "") << "an empty later value replaces";
}

TEST(ReadMmsHeader, CapacitiesAndTheTypeMarker) {
  MmsHeaderInfo h = ReadHeader("From: " + std::string(300, 'f') + "\nSubject: " +
                               std::string(600, 's') + "\nTo: " + std::string(146, 't') +
                               "/TYPE=PLMN\n");
  EXPECT_EQ(strlen(h.from), 149u);
  EXPECT_EQ(strlen(h.subject), 499u);
  EXPECT_EQ(std::string(h.to), std::string(146, 't'))
      << "a marker across the capacity leaves nothing of itself";
}

TEST(ReadMmsHeader, OnlyTheFirst8191BytesAndNothingBeyondTheRange) {
  std::string text = std::string(8191 - 10, '\n') + "From: abcdefghij";
  MmsHeaderInfo h = ReadHeader(text);
  EXPECT_STREQ(h.from, "abcd") << "the file is read up to byte 8191";
  EXPECT_STREQ(ReadHeader("Subject: end").subject, "end");
  EXPECT_STREQ(ReadHeader("Subject:").subject, "");
  EXPECT_STREQ(ReadHeader("").subject, "");
  std::string exact = std::string(8192 - 6, ' ') + "To: 12";
  EXPECT_STREQ(ReadHeader(exact).to, "1") << "a file of exactly 8192 bytes";
}

TEST(ContentObjects, ItemsAsTheDetailsListShowsThem) {
  std::string text =
      "From: a\r\n"
      "X-ZedMMS-Content-Location: 20120501-0001\\image1.jpg;image/jpeg;name=image1.jpg\r\n"
      "x-zedmms-content-location:   20120501-0001\\text1\r\n"
      "X-ZedMMS-Content-Location: 20120501-0001\\pres.smil;application/smil\r\n"
      "X-ZedMMS-Content-Location: plain.txt;text/plain";
  LineCursor cursor;
  BeginLines(&cursor, text.data(), text.size());
  char item[kContentItemChars];
  ASSERT_TRUE(NextContentObjectItem(&cursor, item, sizeof item));
  EXPECT_STREQ(item, "image1.jpg (image/jpeg)\t20120501-0001\\image1.jpg");
  EXPECT_STREQ(ContentItemPath(item), "20120501-0001\\image1.jpg");
  EXPECT_FALSE(ContentItemOpensInNotepad(item));
  ASSERT_TRUE(NextContentObjectItem(&cursor, item, sizeof item));
  EXPECT_STREQ(item, "text1\t20120501-0001\\text1");
  ASSERT_TRUE(NextContentObjectItem(&cursor, item, sizeof item));
  EXPECT_STREQ(item, "pres.smil (application/smil)\t20120501-0001\\pres.smil");
  EXPECT_TRUE(ContentItemOpensInNotepad(item));
  ASSERT_TRUE(NextContentObjectItem(&cursor, item, sizeof item));
  EXPECT_STREQ(item, "plain.txt (text/plain)\tplain.txt");
  EXPECT_FALSE(ContentItemOpensInNotepad(item)) << "an extension lets the shell choose";
  EXPECT_FALSE(NextContentObjectItem(&cursor, item, sizeof item));
}

TEST(ContentObjects, NotepadRuleAndCuts) {
  EXPECT_TRUE(ContentItemOpensInNotepad("body (text/plain)\tmsg.1\\body"))
      << "a dot in the folder is no extension";
  EXPECT_TRUE(ContentItemOpensInNotepad("p (APPLICATION/SMIL)\tp.smil"));
  EXPECT_FALSE(ContentItemOpensInNotepad("no tab (text/plain)"));
  EXPECT_EQ(ContentItemPath("no tab"), nullptr);

  std::string text = "X-ZedMMS-Content-Location: " + std::string(3000, 'p') + ";" +
                     std::string(200, 't');
  LineCursor cursor;
  BeginLines(&cursor, text.data(), text.size());
  char item[kContentItemChars];
  ASSERT_TRUE(NextContentObjectItem(&cursor, item, sizeof item));
  EXPECT_EQ(strlen(item), kContentItemChars - 1);
  EXPECT_EQ(strchr(item, '\t'), nullptr) << "a name that fills the item leaves no room";

  text = "X-ZedMMS-Content-Location: a\\b.bin;" + std::string(200, 't') + ";x";
  BeginLines(&cursor, text.data(), text.size());
  ASSERT_TRUE(NextContentObjectItem(&cursor, item, sizeof item));
  EXPECT_EQ(std::string(item), "b.bin (" + std::string(149, 't') + ")\ta\\b.bin")
      << "the type keeps 149 characters";
}

TEST(FormatRecipientsText, JoinsUpToFiveValues) {
  unsigned count = 0;
  EXPECT_EQ(Recipients(NulSeparated({"Recip1=+4790000001/TYPE=VASP:zedsmslite"}), &count),
            "+4790000001");
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Recipients(NulSeparated({"Recip1=+4790000001/type=vasp:ZEDSMSLITE"})), "+4790000001");
  EXPECT_EQ(Recipients(NulSeparated({"a=1", "b=2/TYPE=PLMN", "c=3", "d=4", "e=5"}), &count),
            "1, 2, 3, 4, 5");
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(Recipients(NulSeparated({"a=1", "b=2", "c=3", "d=4", "e=5", "f=6"}), &count),
            "6 recipients");
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(Recipients(NulSeparated({"k=v=w"})), "v=w") << "the value starts after the first =";
  EXPECT_EQ(Recipients(NulSeparated({"k="})), "");
}

TEST(FormatRecipientsText, EndOfTheList) {
  EXPECT_EQ(Recipients(NulSeparated({"a=1", "junk", "b=2"})), "1")
      << "an entry without = ends the list";
  EXPECT_EQ(Recipients(NulSeparated({})), "");
  EXPECT_EQ(Recipients(""), "");
  // A section cut short by the profile API's buffer: no final terminator.
  EXPECT_EQ(Recipients(std::string("a=1\0b=22", 8)), "1, 22");
  std::string full = "r=" + std::string(kRecipientsSectionBytes - 2, '9');
  EXPECT_EQ(Recipients(full), std::string(kRecipientsSectionBytes - 2, '9'));
  char small[6];
  std::string section = NulSeparated({"a=12345678"});
  FormatRecipientsText(section.data(), section.size(), small, sizeof small);
  EXPECT_STREQ(small, "12345");
}

TEST(MmsControlFilePath, ReplacesTheExtensionOfTheFileName) {
  char path[32];
  EXPECT_TRUE(MmsControlFilePath("C:\\Q\\route\\A1.MMS", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\route\\A1.INI");
  EXPECT_TRUE(MmsControlFilePath("C:\\Q\\x.y.mms", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q\\x.y.INI");
  EXPECT_TRUE(MmsControlFilePath("C:\\Q.d\\name", path, sizeof path));
  EXPECT_STREQ(path, "C:\\Q.d\\name.INI") << "a dot in a folder is not the extension";
  EXPECT_FALSE(MmsControlFilePath("C:\\a-rather-long-folder\\A.MMS", path, 20));
  EXPECT_STREQ(path, "");
  EXPECT_TRUE(PathWithoutExtension("D:\\MMSIN\\20120501-0001.HDR", path, sizeof path));
  EXPECT_STREQ(path, "D:\\MMSIN\\20120501-0001");
}
