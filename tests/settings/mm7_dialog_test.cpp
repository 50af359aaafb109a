// The "Configure MM7 Receiver" dialog: what it shows of VASP.INI, the
// connection test against servers on loopback (plain, TLS, silent, closed)
// and what it saves after a passed test, and only then.
#include "settings/loopback_servers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "config/config_files.h"
#include "config/link_libraries.h"
#include "settings/host_connect.h"
#include "settings/mm7_dialog.h"
#include "support/dialog_items.h"
#include "support/message_box_answerer.h"
#include "support/test_env.h"
#include "support/window_driver.h"
#include "tls/tls_test_servers.h"

namespace {

const char kCaption[] = "Zed SMS/MMS Gateway Lite Edition (v2012.05.01)";
const char kTitle[] = "Configure MM7 Receiver";
const char kPrefix[] = "http://www.3gpp.org/ftp/Specs/archive/23_series/23.140/schema/";
constexpr int kUserName = 104, kPassword = 108, kServer = 124, kVaspId = 150, kVasId = 152;
constexpr int kServiceCode = 160, kVersion = 178, kSchema = 180, kStrip = 181, kVariation = 196;
typedef std::vector<std::string> Texts;

Texts Items(HWND dialog, int id) {
  Texts items;
  int count = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[600] = "";
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}
std::string Chosen(HWND dialog, int id) {
  int index = static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
  if (index < 0) return "<none>";
  return Items(dialog, id)[index];
}
void Choose(HWND dialog, int id, const char* text) {
  LRESULT index = SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(text));
  ASSERT_NE(index, CB_ERR) << text;
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
}
std::string Address(unsigned short port, const char* scheme = "http", const char* host = "127.0.0.1") {
  return std::string(scheme) + "://" + host + ":" + std::to_string(port) + "/vasp/mm7";
}

class Mm7DialogTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }

  std::string File() { return dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI"; }
  std::string Read(const char* key) { return ReadIni(File(), "VASP", key, "<none>"); }
  void Store(const char* key, const char* value) {
    CreateDirectoryPath((dir_.Path() + "VASPOUT\\zedsmslitemm7").c_str());
    WritePrivateProfileStringA("VASP", key, value, File().c_str());
  }
  INT_PTR Open(std::function<void(HWND)> action) {
    WindowDriver driver(kTitle, std::move(action));
    INT_PTR result = ShowMm7Dialog(nullptr);
    EXPECT_TRUE(driver.Appeared());
    return result;
  }
  // OK is refused with the message; the dialog stays open on the server field.
  void ExpectRefused(HWND dialog, const std::string& message) {
    size_t before = boxes_.Boxes().size();
    boxes_.Answer(IDOK);
    Ok(dialog);
    ASSERT_EQ(boxes_.Boxes().size(), before + 1);
    MessageBoxRecord box = boxes_.Boxes().back();
    EXPECT_EQ(box.text, message);
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, kServer));
  }
  // Sets the server and presses OK, which must pass and close the dialog.
  INT_PTR SaveWithServer(const std::string& server, std::function<void(HWND)> edits = nullptr) {
    return Open([&](HWND dialog) {
      SetDlgItemTextA(dialog, kServer, server.c_str());
      if (edits) edits(dialog);
      Ok(dialog);
    });
  }
  bool NothingWritten() { return !FileExists(dir_.Path() + "VASPOUT"); }

  SocketsStarted sockets_;
  TempDataDirectory dir_{"mm7"};
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(Mm7DialogTest, OpensWithItsListsAndDefaultsWhenNothingIsStored) {
  INT_PTR result = Open([](HWND dialog) {
    EXPECT_EQ(InternalText(dialog), kTitle);
    EXPECT_EQ(Items(dialog, kVersion),
              (Texts{"5.2.0", "5.3.0", "5.4.0", "5.5.0", "5.6.0", "5.7.0", "5.8.0", "5.9.0", "5.10.0", "5.11.0",
                     "6.0.0", "6.1.0", "6.2.0", "6.3.0", "6.4.0", "6.5.0", "6.6.0", "6.7.0"}));
    EXPECT_EQ(Items(dialog, kSchema),
              (Texts{"REL-5-MM7-1-0", "REL-5-MM7-1-1", "REL-5-MM7-1-2", "REL-5-MM7-1-3", "REL-5-MM7-1-4",
                     "REL-5-MM7-1-5", "REL-6-MM7-1-0", "REL-6-MM7-1-1", "REL-6-MM7-1-2", "REL-6-MM7-1-3"}));
    EXPECT_EQ(Items(dialog, kVariation), (Texts{"None - Use Standard MM7", "PHP Multipart File Upload", "Ericsson",
                                               "LogicaCMG - PAP", "AnnyWay"}));
    EXPECT_EQ(Chosen(dialog, kVersion), "5.3.0");
    EXPECT_EQ(Chosen(dialog, kSchema), "REL-5-MM7-1-2");
    EXPECT_EQ(Chosen(dialog, kVariation), "None - Use Standard MM7");
    for (int id : {kServer, kVaspId, kVasId, kServiceCode, kUserName, kPassword}) EXPECT_EQ(Text(dialog, id), "") << id;
    EXPECT_FALSE(Checked(dialog, kStrip));
    EXPECT_EQ(Text(dialog, kStrip), "Remove White Space from MM7 XML");
    EXPECT_FALSE(GetWindowLongA(GetDlgItem(dialog, kPassword), GWL_STYLE) & ES_PASSWORD) << "shown unmasked";
    Cancel(dialog);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(NothingWritten());
}

TEST_F(Mm7DialogTest, OpensTheStoredSettings) {
  Store("Protocol", "mm7");
  Store("LogicaCMG", "Yes");
  Store("PHPMultipartPost", "1");
  Store("Server", "https://mm7.example.com:8443/mm7");
  Store("VASPID", "vasp-1");
  Store("VASID", "vas-2");
  Store("ServiceCode", "svc");
  Store("UserName", "user");
  Store("Password", "se cret");
  Store("MM7Version", "6.2.0");
  Store("MM7Schema", (std::string(kPrefix) + "REL-6-MM7-1-0").c_str());
  Store("StripWhiteSpace", "true");
  Open([](HWND dialog) {
    EXPECT_EQ(Chosen(dialog, kVariation), "LogicaCMG - PAP") << "LogicaCMG before PHP upload";
    EXPECT_EQ(Text(dialog, kServer), "https://mm7.example.com:8443/mm7");
    EXPECT_EQ(Text(dialog, kVaspId), "vasp-1");
    EXPECT_EQ(Text(dialog, kVasId), "vas-2");
    EXPECT_EQ(Text(dialog, kServiceCode), "svc");
    EXPECT_EQ(Text(dialog, kUserName), "user");
    EXPECT_EQ(Text(dialog, kPassword), "se cret");
    EXPECT_EQ(Chosen(dialog, kVersion), "6.2.0");
    EXPECT_EQ(Items(dialog, kVersion).size(), 18u);
    EXPECT_EQ(Chosen(dialog, kSchema), "REL-6-MM7-1-0");
    EXPECT_EQ(Items(dialog, kSchema).size(), 10u);
    EXPECT_TRUE(Checked(dialog, kStrip));
    Cancel(dialog);
  });
}

TEST_F(Mm7DialogTest, AnEmptyServerAddressIsRefused) {
  INT_PTR result = Open([this](HWND dialog) {
    ExpectRefused(dialog, "Please define a URL for connecting to the server");
    Cancel(dialog);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(NothingWritten());
}

TEST_F(Mm7DialogTest, AClosedPortAndPortZeroFailAndWriteNothing) {
  unsigned short closed = ClosedPort();
  Open([&](HWND dialog) {
    SetDlgItemTextA(dialog, kServer, Address(closed).c_str());
    ExpectRefused(dialog, "Unable to connect to server 127.0.0.1:" + std::to_string(closed));
    SetDlgItemTextA(dialog, kServer, "http://127.0.0.1:/vasp/mm7");
    ExpectRefused(dialog, "Unable to connect to server 127.0.0.1:0");
    SetDlgItemTextA(dialog, kServer, Address(closed, "https").c_str());
    // No TLS without a connection.
    ExpectRefused(dialog, "Unable to connect to server 127.0.0.1:" + std::to_string(closed));
    Cancel(dialog);
  });
  EXPECT_TRUE(NothingWritten());
}

TEST_F(Mm7DialogTest, APassedTestSavesEveryKeyInOrder) {
  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  INT_PTR result = SaveWithServer(Address(server.Port()), [](HWND dialog) {
    SetDlgItemTextA(dialog, kVaspId, "vasp-1");
    SetDlgItemTextA(dialog, kVasId, "vas-2");
    SetDlgItemTextA(dialog, kServiceCode, "svc");
    SetDlgItemTextA(dialog, kUserName, "user");
    SetDlgItemTextA(dialog, kPassword, "pw");
    Choose(dialog, kVersion, "6.7.0");
    Choose(dialog, kSchema, "REL-6-MM7-1-3");
    CheckDlgButton(dialog, kStrip, BST_CHECKED);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_EQ(ReadFileText(File()),
            "[VASP]\r\nProtocol=MM7\r\nServer=" + Address(server.Port()) +
                "\r\nVASPID=vasp-1\r\nVASID=vas-2\r\nServiceCode=svc\r\nmm7DeliverReq=Yes\r\nUserName=user\r\n"
                "Password=pw\r\nMM7Version=6.7.0\r\nMM7Schema=" + kPrefix + "REL-6-MM7-1-3\r\nStripWhiteSpace=Yes\r\n");
}

TEST_F(Mm7DialogTest, DefaultVersionAndSchemaAndEmptyFieldsAreDeleted) {
  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  Store("Domain", "example.com");
  Store("MM7Version", "6.0.0");
  Store("MM7Schema", (std::string(kPrefix) + "REL-6-MM7-1-0").c_str());
  Store("StripWhiteSpace", "Yes");
  Store("VASPID", "old");
  Store("Password", "old");
  EXPECT_EQ(SaveWithServer(Address(server.Port()), [](HWND dialog) {
              Choose(dialog, kVersion, "5.3.0");
              Choose(dialog, kSchema, "REL-5-MM7-1-2");
              CheckDlgButton(dialog, kStrip, BST_UNCHECKED);
              SetDlgItemTextA(dialog, kVaspId, "");
              SetDlgItemTextA(dialog, kPassword, "");
            }),
            IDOK);
  for (const char* key : {"Domain", "MM7Version", "MM7Schema", "StripWhiteSpace", "VASPID", "Password", "AnnyWay",
                          "LogicaCMG", "PHPMultipartPost"})
    EXPECT_EQ(Read(key), "<none>") << key;
  EXPECT_EQ(Read("mm7DeliverReq"), "Yes");
  Open([](HWND dialog) {
    EXPECT_EQ(Chosen(dialog, kVersion), "5.3.0");
    EXPECT_EQ(Chosen(dialog, kSchema), "REL-5-MM7-1-2");
    Cancel(dialog);
  });
}

TEST_F(Mm7DialogTest, ValuesOutsideTheListsAreOfferedAndKept) {
  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  Store("MM7Version", "7.0.0");
  Store("MM7Schema", "urn:example:custom-mm7");
  EXPECT_EQ(SaveWithServer(Address(server.Port()), [](HWND dialog) {
              EXPECT_EQ(Chosen(dialog, kVersion), "7.0.0");
              EXPECT_EQ(Items(dialog, kVersion).back(), "7.0.0");
              EXPECT_EQ(Items(dialog, kVersion).size(), 19u);
              EXPECT_EQ(Chosen(dialog, kSchema), "(Custom)");
              EXPECT_EQ(Items(dialog, kSchema).back(), "(Custom)");
              EXPECT_EQ(Items(dialog, kSchema).size(), 11u);
            }),
            IDOK);
  EXPECT_EQ(Read("MM7Version"), "7.0.0");
  EXPECT_EQ(Read("MM7Schema"), "urn:example:custom-mm7") << "a custom schema survives a save";
  // A schema of the list under another namespace is custom too.
  Store("MM7Schema", "http://example.com/schema/REL-5-MM7-1-2");
  Open([](HWND dialog) {
    EXPECT_EQ(Chosen(dialog, kSchema), "(Custom)");
    Cancel(dialog);
  });
}

TEST_F(Mm7DialogTest, EricssonAndTheOtherVariationsWriteTheirKeys) {
  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  Store("Protocol", "MM7");
  Store("AnnyWay", "Yes");
  Store("LogicaCMG", "Yes");
  Store("PHPMultipartPost", "Yes");
  EXPECT_EQ(SaveWithServer(Address(server.Port()), [](HWND dialog) { Choose(dialog, kVariation, "Ericsson"); }), IDOK);
  EXPECT_EQ(Read("Protocol"), "EricssonMM7");
  for (const char* key : {"AnnyWay", "LogicaCMG", "PHPMultipartPost"}) EXPECT_EQ(Read(key), "<none>") << key;

  struct Case {
    const char* variation;
    const char* yesKey;
  };
  for (const Case& c : {Case{"None - Use Standard MM7", nullptr}, Case{"PHP Multipart File Upload", "PHPMultipartPost"},
                        Case{"LogicaCMG - PAP", "LogicaCMG"}, Case{"AnnyWay", "AnnyWay"}}) {
    EXPECT_EQ(SaveWithServer(Address(server.Port()), [&](HWND dialog) {
                if (c.yesKey == nullptr) {
                  EXPECT_EQ(Chosen(dialog, kVariation), "Ericsson");
                }
                Choose(dialog, kVariation, c.variation);
              }),
              IDOK);
    EXPECT_EQ(Read("Protocol"), "MM7") << c.variation;
    for (const char* key : {"AnnyWay", "LogicaCMG", "PHPMultipartPost"})
      EXPECT_EQ(Read(key), c.yesKey && std::string(key) == c.yesKey ? "Yes" : "<none>") << c.variation << " " << key;
  }
}

TEST_F(Mm7DialogTest, HostForms) {
  // "127.1" is connected as 127.1.0.0; "#" and digits after a name are ignored.
  PlainServer normal("127.1.0.0");
  ASSERT_NE(normal.Port(), 0);
  EXPECT_EQ(SaveWithServer(Address(normal.Port(), "http", "127.1")), IDOK);
  EXPECT_EQ(normal.Accepted(), 1);
  PlainServer named;
  ASSERT_NE(named.Port(), 0);
  EXPECT_EQ(SaveWithServer(Address(named.Port(), "http", "localhost#2")), IDOK);
  EXPECT_EQ(named.Accepted(), 1);
  EXPECT_EQ(Read("Server"), Address(named.Port(), "http", "localhost#2")) << "saved as typed";
}

TEST_F(Mm7DialogTest, AHostThatDoesNotAnswerFailsWithinTheConnectTimeOut) {
  SilentServer silent;
  ASSERT_NE(silent.Port(), 0);
  DWORD elapsed = 0;
  Open([&](HWND dialog) {
    SetDlgItemTextA(dialog, kServer, Address(silent.Port()).c_str());
    DWORD started = GetTickCount();
    ExpectRefused(dialog, "Unable to connect to server 127.0.0.1:" + std::to_string(silent.Port()));
    elapsed = GetTickCount() - started;
    Cancel(dialog);
  });
  EXPECT_GE(elapsed, kConnectTimeoutMs - 500);
  EXPECT_LT(elapsed, kConnectTimeoutMs + 5000);
  EXPECT_TRUE(NothingWritten());
}

TEST_F(Mm7DialogTest, WithoutSocketsTheTestFailsWithAGeneralSocketError) {
  int cleanups = 0;
  while (WSACleanup() == 0) ++cleanups;
  Open([this](HWND dialog) {
    SetDlgItemTextA(dialog, kServer, "http://127.0.0.1:80/");
    ExpectRefused(dialog, "General socket error");
    Cancel(dialog);
  });
  WSADATA data;
  for (int i = 0; i < cleanups; ++i) WSAStartup(MAKEWORD(1, 1), &data);
  EXPECT_GE(cleanups, 1);
  EXPECT_TRUE(NothingWritten());
}

TEST_F(Mm7DialogTest, HttpsPassesAgainstATlsServer) {
  if (!LoadTlsLibrary()) GTEST_SKIP() << "GWTLS.DLL is not beside the tests";
  const TestCertificates& certificates = Certificates();
  OpenSslServer server(certificates.selfSignedCert, certificates.selfSignedKey, "");
  ASSERT_NE(server.Port(), 0);
  EXPECT_EQ(SaveWithServer(Address(server.Port(), "https")), IDOK);
  EXPECT_EQ(Read("Server"), Address(server.Port(), "https"));
  EXPECT_TRUE(server.WaitForOutput("CIPHER is", 10000)) << server.Output();
}

TEST_F(Mm7DialogTest, HttpsToAServerThatDoesNotSpeakTlsShowsTheLibrarysReason) {
  if (!LoadTlsLibrary()) GTEST_SKIP() << "GWTLS.DLL is not beside the tests";
  PlainServer server("127.0.0.1", 0, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
  ASSERT_NE(server.Port(), 0);
  std::string expected = "Unable to negotiate SSL/TLS connection with server 127.0.0.1:" +
                         std::to_string(server.Port()) + "\r\n\r\n";
  Open([&](HWND dialog) {
    SetDlgItemTextA(dialog, kServer, Address(server.Port(), "https").c_str());
    boxes_.Answer(IDOK);
    Ok(dialog);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    MessageBoxRecord box = boxes_.Boxes()[0];
    EXPECT_EQ(box.text.substr(0, expected.size()), expected);
    EXPECT_GT(box.text.size(), expected.size()) << "the library's error text follows";
    EXPECT_NE(box.text.find("HTTP/1.1 400 Bad Request"), std::string::npos) << box.text;
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, kServer));
    Cancel(dialog);
  });
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_TRUE(NothingWritten());
}

// The console still tests the TCP connection of an https address when
// GWTLS.DLL is missing. The library is bound once per process, so the case
// runs in a copy of this program in a folder without the library.
TEST(Mm7WithoutTls, HttpsTestsOnlyTheTcpConnection) {
  if (LoadTlsLibrary()) {
    TempDataDirectory scratch("notls");
    std::string program = scratch.Path() + "two_way_tests.exe";
    for (const char* file : {"two_way_tests.exe", "GWCORE.DLL", "MMSACCT.DLL"})
      ASSERT_TRUE(CopyFileA((ProgramFolder() + file).c_str(), (scratch.Path() + file).c_str(), FALSE)) << file;
    std::string report = scratch.Path() + "report.xml";
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA(scratch.Path().c_str());  // the library must not be found there either
    int status = RunProgram(program, "--gtest_filter=Mm7WithoutTls.* --gtest_output=xml:" + report, 120000);
    SetCurrentDirectoryA(current);
    std::string results = ReadFileText(report);
    EXPECT_EQ(status, 0) << results;
    EXPECT_NE(results.find("tests=\"1\""), std::string::npos) << results;
    EXPECT_EQ(results.find("skipped=\"1\""), std::string::npos) << results;
    return;
  }
  SocketsStarted sockets;
  TempDataDirectory dir("notls-data");
  MessageBoxAnswerer boxes;
  PlainServer server;  // speaks no TLS at all
  ASSERT_NE(server.Port(), 0);
  WindowDriver driver(kTitle, [&](HWND dialog) {
    SetDlgItemTextA(dialog, kServer, Address(server.Port(), "https").c_str());
    Ok(dialog);
  });
  EXPECT_EQ(ShowMm7Dialog(nullptr), IDOK);
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_EQ(ReadIni(dir.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI", "VASP", "Server"), Address(server.Port(), "https"));
  EXPECT_TRUE(boxes.Boxes().empty());
}
