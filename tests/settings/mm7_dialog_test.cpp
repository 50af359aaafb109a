// The "Configure MM7 Receiver" dialog: what it shows of VASP.INI, the
// connection test against servers on loopback (plain, TLS, silent, closed)
// and what it saves after a passed test, and only then.
#include "settings/loopback_servers.h"

#include "config/config_files.h"
#include "config/link_libraries.h"
#include "resources/two_way_ids.h"
#include "settings/host_connect.h"
#include "settings/mm7_dialog.h"
#include "settings/settings_dialogs.h"
#include "tls/tls_test_servers.h"

namespace {

const char kTitle[] = "Configure MM7 Receiver";

std::string Address(unsigned short port, const char* scheme = "http", const char* host = "127.0.0.1") {
  return std::string(scheme) + "://" + host + ":" + std::to_string(port) + "/vasp/mm7";
}
std::string Refusal(const std::string& host, unsigned short port) {
  return "error OK: Unable to connect to server " + host + ":" + std::to_string(port);
}

class Mm7DialogTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }

  std::string File() { return dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI"; }
  INT_PTR Open(const std::function<void(HWND)>& action) {
    INT_PTR result = 0;
    InDialog(kTitle, [&] { result = ShowMm7Dialog(nullptr); }, action);
    return result;
  }
  // OK with the server typed is refused; the dialog stays open on the server field.
  void Refused(HWND dialog, const std::string& server) {
    boxes_.Answer(IDOK);
    SetDlgItemTextA(dialog, IDC_MM7_SERVER, server.c_str());
    Ok(dialog);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_MM7_SERVER));
  }
  // Sets the server after the edits and presses OK, which must pass.
  void SaveWithServer(const std::string& server, const std::function<void(HWND)>& edits) {
    EXPECT_EQ(Open([&](HWND dialog) {
                edits(dialog);
                SetDlgItemTextA(dialog, IDC_MM7_SERVER, server.c_str());
                Ok(dialog);
              }),
              IDOK);
  }

  SocketsStarted sockets_;
  TempDataDirectory dir_{"mm7"};
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(Mm7DialogTest, SettingsAreShownAndSavedAfterAPassedTestOnly) {
  Listener server;
  EXPECT_EQ(Open([this](HWND dialog) {
              EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VERSION) + " " + ComboChosen(dialog, IDC_MM7_SCHEMA) + " " +
                            ComboChosen(dialog, IDC_MM7_VARIATION),
                        "5.3.0 REL-5-MM7-1-2 None - Use Standard MM7");
              EXPECT_FALSE(Text(dialog, IDC_MM7_VASP_ID) + Text(dialog, IDC_MM7_PASSWORD) != "" ||
                           Checked(dialog, IDC_MM7_STRIP_WHITE_SPACE));
              Refused(dialog, "");
              Cancel(dialog);
            }),
            IDCANCEL);
  EXPECT_EQ(BoxLines(boxes_.Boxes()), Texts{"error OK: Please define a URL for connecting to the server"});
  EXPECT_FALSE(FileExists(dir_.Path() + "VASPOUT"));

  SaveWithServer(Address(server.Port()), [](HWND dialog) {
    for (const auto& field : {std::make_pair(IDC_MM7_VASP_ID, "vasp-1"), std::make_pair(IDC_MM7_VAS_ID, "vas-2"),
                              std::make_pair(IDC_MM7_SERVICE_CODE, "svc"), std::make_pair(IDC_MM7_USER_NAME, "user"),
                              std::make_pair(IDC_MM7_PASSWORD, "se cret")})
      SetDlgItemTextA(dialog, field.first, field.second);
    ComboChoose(dialog, IDC_MM7_SCHEMA, "REL-6-MM7-1-3");
    Click(dialog, IDC_MM7_STRIP_WHITE_SPACE);
  });
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_EQ(ReadFileText(File()), "[VASP]\r\nProtocol=MM7\r\nServer=" + Address(server.Port()) +
                                      "\r\nVASPID=vasp-1\r\nVASID=vas-2\r\nServiceCode=svc\r\nmm7DeliverReq=Yes\r\n"
                                      "UserName=user\r\nPassword=se cret\r\nMM7Schema=http://www.3gpp.org/ftp/Specs/"
                                      "archive/23_series/23.140/schema/REL-6-MM7-1-3\r\nStripWhiteSpace=Yes\r\n");

  // Values outside the lists are offered and kept; emptied fields, Domain
  // and the switches of other variations go.
  for (const auto& key : {std::make_pair("MM7Version", "7.0.0"), std::make_pair("MM7Schema", "urn:example:custom-mm7"),
                          std::make_pair("LogicaCMG", "Yes"), std::make_pair("Domain", "example.com")})
    WritePrivateProfileStringA("VASP", key.first, key.second, File().c_str());
  SaveWithServer(Address(server.Port(), "http", "localhost#2"), [](HWND dialog) {
    EXPECT_TRUE(Text(dialog, IDC_MM7_PASSWORD) == "se cret" && Checked(dialog, IDC_MM7_STRIP_WHITE_SPACE));
    EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VERSION), ComboTexts(dialog, IDC_MM7_VERSION).back());
    EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VERSION) + " " + ComboChosen(dialog, IDC_MM7_SCHEMA) + " " +
                  ComboChosen(dialog, IDC_MM7_VARIATION),
              "7.0.0 (Custom) LogicaCMG - PAP");
    Click(dialog, IDC_MM7_STRIP_WHITE_SPACE);
    SetDlgItemTextA(dialog, IDC_MM7_VASP_ID, "");
    SetDlgItemTextA(dialog, IDC_MM7_PASSWORD, "");
    ComboChoose(dialog, IDC_MM7_VARIATION, "Ericsson");
  });
  EXPECT_EQ(server.Accepted(), 2);
  EXPECT_EQ(ReadFileText(File()), "[VASP]\r\nProtocol=EricssonMM7\r\nServer=" +
                                      Address(server.Port(), "http", "localhost#2") + "\r\nVASID=vas-2\r\nServiceCode=svc\r\nmm7DeliverReq=Yes\r\nUserName=user\r\n"
                                      "MM7Schema=urn:example:custom-mm7\r\nMM7Version=7.0.0\r\n");
}

TEST_F(Mm7DialogTest, FailedConnectionsAreShownWithinTheTimeOutAndWriteNothing) {
  unsigned short closed = ClosedPort();
  Listener silent("127.0.0.1", 0, true);
  ASSERT_NE(silent.Port(), 0);
  Open([&](HWND dialog) {
    for (const std::string& server : {Address(closed), std::string("http://127.0.0.1:/vasp/mm7"),
                                      Address(closed, "https")}) {  // no TLS is tried
      DWORD started = GetTickCount();
      Refused(dialog, server);
      EXPECT_LT(GetTickCount() - started, 5000u) << server;
    }
    DWORD started = GetTickCount();
    Refused(dialog, Address(silent.Port()));
    EXPECT_GE(GetTickCount() - started, kConnectTimeoutMs - 500) << "waited for the connect";
    EXPECT_LT(GetTickCount() - started, kConnectTimeoutMs + 5000);
    // Without sockets the test fails as a whole.
    int cleanups = 0;
    while (WSACleanup() == 0) ++cleanups;
    Refused(dialog, "http://127.0.0.1:80/");
    WSADATA data;
    for (int i = 0; i < cleanups; ++i) WSAStartup(MAKEWORD(1, 1), &data);
    Cancel(dialog);
  });
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (Texts{Refusal("127.0.0.1", closed), Refusal("127.0.0.1", 0),
                                             Refusal("127.0.0.1", closed), Refusal("127.0.0.1", silent.Port()),
                                             "error OK: General socket error"}));
  EXPECT_FALSE(FileExists(dir_.Path() + "VASPOUT"));
}

TEST_F(Mm7DialogTest, HttpsNegotiatesTlsAndShowsTheLibrarysReasonWhenItFails) {
  if (!LoadTlsLibrary()) GTEST_SKIP() << "GWTLS.DLL is not beside the tests";
  OpenSslServer tls(Certificates().selfSignedCert, Certificates().selfSignedKey, "");
  ASSERT_NE(tls.Port(), 0);
  SaveWithServer(Address(tls.Port(), "https"), [](HWND) {});
  EXPECT_TRUE(tls.WaitForOutput("CIPHER is", 10000)) << tls.Output();
  DeleteFileA(File().c_str());

  // A server that answers the client's hello with no TLS at all.
  Listener plain;
  Open([&](HWND dialog) {
    boxes_.Answer(IDOK);
    SetDlgItemTextA(dialog, IDC_MM7_SERVER, Address(plain.Port(), "https").c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    SOCKET peer = plain.Accept(10000);
    char hello[4096];
    recv(peer, hello, sizeof hello, 0);
    send(peer, "HTTP/1.1 400 Bad Request\r\n\r\n", 28, 0);
    closesocket(peer);
    EXPECT_TRUE(WaitUntil([&] { return boxes_.Pending() == 0; }, 10000));
    Cancel(dialog);
  });
  ASSERT_EQ(boxes_.Boxes().size(), 1u);
  std::string shown = BoxLines(boxes_.Boxes())[0];
  EXPECT_EQ(shown.substr(0, shown.find("\r\n\r\n")),
            "error OK: Unable to negotiate SSL/TLS connection with server 127.0.0.1:" + std::to_string(plain.Port()));
  EXPECT_NE(shown.find("HTTP/1.1 400 Bad Request"), std::string::npos) << "the library's error text follows";
  EXPECT_FALSE(FileExists(File()));
}

// The console still tests the TCP connection of an https address when
// GWTLS.DLL is missing. The library is bound once per process, so the case
// runs in a copy of this program in a folder without the library.
TEST(Mm7WithoutTls, HttpsTestsOnlyTheTcpConnection) {
  if (LoadTlsLibrary()) {
    TempDataDirectory scratch("notls");
    for (const char* file : {"two_way_tests.exe", "GWCORE.DLL", "MMSACCT.DLL"})
      ASSERT_TRUE(CopyFileA((ProgramFolder() + file).c_str(), (scratch.Path() + file).c_str(), FALSE)) << file;
    std::string report = scratch.Path() + "report.xml";
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA(scratch.Path().c_str());  // the library must not be found there either
    EXPECT_EQ(RunProgram(scratch.Path() + "two_way_tests.exe",
                         "--gtest_filter=Mm7WithoutTls.* --gtest_output=xml:" + report, 120000), 0);
    SetCurrentDirectoryA(current);
    std::string results = ReadFileText(report);
    EXPECT_TRUE(results.find("tests=\"1\"") != std::string::npos && results.find("skipped=\"1\"") == std::string::npos)
        << results;
    return;
  }
  SocketsStarted sockets;
  TempDataDirectory dir("notls-data");
  MessageBoxAnswerer boxes;
  Listener server;  // speaks no TLS at all
  INT_PTR result = 0;
  InDialog(kTitle, [&] { result = ShowMm7Dialog(nullptr); }, [&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_MM7_SERVER, Address(server.Port(), "https").c_str());
    Ok(dialog);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_EQ(ReadIni(dir.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI", "VASP", "Server"), Address(server.Port(), "https"));
  EXPECT_TRUE(boxes.Boxes().empty());
}
