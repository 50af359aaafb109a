#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "queues/mms_header.h"
#include "queues/recipients.h"

namespace {

// From a heap block of exactly the text's size, so reads past it are caught.
std::unique_ptr<char[]> Exact(const std::string& text) {
  std::unique_ptr<char[]> bytes(new char[text.size() ? text.size() : 1]);
  memcpy(bytes.get(), text.data(), text.size());
  return bytes;
}

MmsHeaderInfo ReadHeader(const std::string& text) {
  MmsHeaderInfo info;
  memset(&info, 0x5A, sizeof info);
  ReadMmsHeader(Exact(text).get(), text.size(), &info);
  return info;
}

std::string Recipients(const std::string& section, unsigned* count = nullptr) {
  char out[kRecipientsTextChars];
  unsigned n = FormatRecipientsText(Exact(section).get(), section.size(), out, sizeof out);
  if (count) *count = n;
  return out;
}

std::string NulSeparated(std::initializer_list<const char*> entries) {
  std::string section;
  for (const char* entry : entries) section += std::string(entry) + '\0';
  return section + '\0';
}

TEST(ContentObjects, ProgramsAreKnownByTheExtensionWindowsReads) {
  struct Row {
    const char* path;
    bool program;
  } rows[] = {
      {"m1\\run.exe", true},      {"m1\\RUN.EXE", true},        {"m1\\run.exe. . ", true},
      {"m1\\setup.msi", true},    {"m1\\link.lnk", true},       {"m1\\script.vbs", true},
      {"m1\\photo.jpg", false},   {"m1\\run.exe.txt", false},   {"m1.exe\\BODYTEXT", false},
      {"m1\\noextension", false}, {"m1\\archive.executable", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsProgramFileName(row.path), row.program) << row.path;
}

TEST(ContentObjects, OnlyPathsBelowTheFolderAreInside) {
  const char* folder = "C:\\Data\\MMSIN\\m1";
  struct Row {
    const char* path;
    bool inside;
  } rows[] = {
      {"C:\\Data\\MMSIN\\m1\\a.jpg", true},
      {"c:\\data\\mmsin\\M1\\sub\\a.jpg", true},
      {"C:\\Data\\MMSIN\\m1", false},
      {"C:\\Data\\MMSIN\\m1\\", false},
      {"C:\\Data\\MMSIN\\m10\\a.jpg", false},  // a sibling whose name begins the same
      {"C:\\Data\\MMSIN\\a.jpg", false},
  };
  for (const Row& row : rows) EXPECT_EQ(PathIsInsideFolder(folder, row.path), row.inside) << row.path;
  EXPECT_TRUE(PathIsInsideFolder("C:\\Data\\MMSIN\\m1\\", "C:\\Data\\MMSIN\\m1\\a.jpg"));
}

}  // namespace

TEST(ReadMmsHeader, NamesInAnyCaseTheLastLineWinsTypeMarkersGo) {
  MmsHeaderInfo h = ReadHeader(
      "FROM: a\nTo:\t+4790000002/type=plmn\nsubject:  Holiday photos \n\nbody text\n"
      "  Subject: second \nfrom: b/TYPE=VASP:zedsmslite\nX-From: c\nReply-To: d\n");
  EXPECT_STREQ(h.from, "b");
  EXPECT_STREQ(h.to, "+4790000002");
  EXPECT_STREQ(h.subject, "second ") << "a Subject: line inside the body still counts; leading blanks go";
  EXPECT_STREQ(ReadHeader("From: a\nFrom:\n").from, "") << "an empty later value replaces";
}

TEST(ReadMmsHeader, CapacitiesAndTheFirst8191Bytes) {
  MmsHeaderInfo h = ReadHeader("From: " + std::string(300, 'f') + "\nSubject: " + std::string(600, 's') +
                               "\nTo: " + std::string(146, 't') + "/TYPE=PLMN\n");
  EXPECT_EQ(strlen(h.from), 149u);
  EXPECT_EQ(strlen(h.subject), 499u);
  EXPECT_EQ(std::string(h.to), std::string(146, 't')) << "a marker across the capacity leaves nothing of itself";
  EXPECT_STREQ(ReadHeader(std::string(8191 - 10, '\n') + "From: abcdefghij").from, "abcd");
  EXPECT_STREQ(ReadHeader(std::string(8192 - 6, ' ') + "To: 12").to, "1") << "a file of exactly 8192 bytes";
  EXPECT_STREQ(ReadHeader("Subject: end").subject, "end");
  EXPECT_STREQ(ReadHeader("Subject:").subject, "");
  EXPECT_STREQ(ReadHeader("").subject, "");
}

TEST(ContentObjects, ItemsAsTheDetailsListShowsThemAndWhichOpenInNotepad) {
  std::string text =
      "From: a\r\nX-ZedMMS-Content-Location: 20120501-0001\\image1.jpg;image/jpeg;name=image1.jpg\r\n"
      "x-zedmms-content-location:   20120501-0001\\text1\r\n"
      "X-ZedMMS-Content-Location: 20120501-0001\\pres.smil;application/smil\r\n"
      "X-ZedMMS-Content-Location: " + std::string(3000, 'p') + ";t\r\n"
      "X-ZedMMS-Content-Location: a\\b.bin;" + std::string(200, 't') + ";x";
  const std::string expected[] = {"image1.jpg (image/jpeg)\t20120501-0001\\image1.jpg", "text1\t20120501-0001\\text1",
                                  "pres.smil (application/smil)\t20120501-0001\\pres.smil",
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
  EXPECT_STREQ(ContentItemPath("x (image/jpeg)\t20120501-0001\\image1.jpg"), "20120501-0001\\image1.jpg");
  EXPECT_EQ(ContentItemPath("no tab"), nullptr);
  for (const char* yes : {"p (APPLICATION/SMIL)\tp.smil", "body (text/plain)\tmsg.1\\body"})  // a dot in the folder
    EXPECT_TRUE(ContentItemOpensInNotepad(yes)) << yes;
  for (const char* no : {"i (image/jpeg)\ti.jpg", "p (text/plain)\tplain.txt", "no tab (text/plain)"})
    EXPECT_FALSE(ContentItemOpensInNotepad(no)) << no;  // an extension lets the shell choose
}

TEST(FormatRecipientsText, UpToFiveValuesThenACountUntilTheListEnds) {
  unsigned count = 0;
  EXPECT_EQ(Recipients(NulSeparated({"Recip1=+4790000001/type=vasp:ZEDSMSLITE"}), &count), "+4790000001");
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Recipients(NulSeparated({"a=1", "b=2/TYPE=PLMN", "c=3", "d=4", "e=5"})), "1, 2, 3, 4, 5");
  EXPECT_EQ(Recipients(NulSeparated({"a=1", "b=2", "c=3", "d=4", "e=5", "f=6"}), &count), "6 recipients");
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(Recipients(NulSeparated({"k=v=w"})), "v=w") << "the value starts after the first =";
  EXPECT_EQ(Recipients(NulSeparated({"a=1", "junk", "b=2"})), "1") << "an entry without = ends the list";
  EXPECT_EQ(Recipients(NulSeparated({})), "");
  EXPECT_EQ(Recipients(""), "");
  EXPECT_EQ(Recipients(std::string("a=1\0b=22", 8)), "1, 22") << "cut short by the profile buffer";
  std::string full = "r=" + std::string(kRecipientsSectionBytes - 2, '9');
  EXPECT_EQ(Recipients(full), std::string(kRecipientsSectionBytes - 2, '9'));
  char small[6];
  std::string section = NulSeparated({"a=12345678"});
  FormatRecipientsText(section.data(), section.size(), small, sizeof small);
  EXPECT_STREQ(small, "12345");
}

TEST(MmsControlFilePath, ReplacesTheExtensionOfTheFileName) {
  const char* const rows[][2] = {{"C:\\Q\\route\\A1.MMS", "C:\\Q\\route\\A1.INI"}, {"C:\\Q\\x.y.mms", "C:\\Q\\x.y.INI"},
                                 {"C:\\Q.d\\name", "C:\\Q.d\\name.INI"}};  // a dot in a folder is no extension
  char path[32];
  for (const auto& row : rows) {
    EXPECT_TRUE(MmsControlFilePath(row[0], path, sizeof path)) << row[0];
    EXPECT_STREQ(path, row[1]);
  }
  EXPECT_FALSE(MmsControlFilePath("C:\\a-rather-long-folder\\A.MMS", path, 20));
  EXPECT_STREQ(path, "");
  EXPECT_TRUE(PathWithoutExtension("D:\\MMSIN\\20120501-0001.HDR", path, sizeof path));
  EXPECT_STREQ(path, "D:\\MMSIN\\20120501-0001");
}
