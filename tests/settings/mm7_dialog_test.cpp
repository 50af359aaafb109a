// The "Configure MM7 Receiver" dialog: what it shows of VASP.INI, the
// connection test against servers on loopback (plain, TLS, closed) and what
// it saves after a passed test, and only then.
#include "settings/loopback_servers.h"

#include <thread>

#include "config/config_files.h"
#include "config/link_libraries.h"
#include "resources/two_way_ids.h"
#include "settings/mm7_dialog.h"
#include "settings/settings_dialogs.h"
#include "tls/tls_test_servers.h"

namespace {

std::string Address(unsigned short port, const char* scheme = "http", const char* host = "127.0.0.1") {
  return std::string(scheme) + "://" + host + ":" + std::to_string(port) + "/vasp/mm7";
}

class Mm7DialogTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }

  std::string File() { return dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI"; }
  // Opens the dialog, makes the edits, sets the server and presses OK: true when the dialog closed.
  bool Save(const std::string& server, const std::function<void(HWND)>& edits) {
    INT_PTR result = 0;
    InDialog("Configure MM7 Receiver", [&] { result = ShowMm7Dialog(nullptr); }, [&](HWND dialog) {
      edits(dialog);
      SetDlgItemTextA(dialog, IDC_MM7_SERVER, server.c_str());
      Ok(dialog);
      if (!IsWindowVisible(dialog)) return;
      EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_MM7_SERVER)) << "refused: open on the server field";
      Cancel(dialog);
    });
    return result == IDOK;
  }

  SocketsStarted sockets_;
  TempDataDirectory dir_{"mm7"};
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(Mm7DialogTest, SettingsAreShownAndSavedAfterAPassedTestOnlyOverTlsForHttps) {
  ASSERT_TRUE(LoadTlsLibrary()) << "GWTLS.DLL beside the tests";
  Listener server;
  unsigned short closed = ClosedPort();
  boxes_.Answer(IDOK);
  boxes_.Answer(IDOK);
  EXPECT_FALSE(Save("", [](HWND) {}));
  EXPECT_FALSE(Save(Address(closed, "https"), [](HWND) {}));  // no TLS is tried
  EXPECT_EQ(BoxLines(boxes_.Boxes()), (Texts{"error OK: Please define a URL for connecting to the server",
                                             "error OK: Unable to connect to server 127.0.0.1:" + std::to_string(closed)}));
  EXPECT_FALSE(FileExists(dir_.Path() + "VASPOUT"));

  EXPECT_TRUE(Save(Address(server.Port()), [](HWND dialog) {
    for (const auto& field : {std::make_pair(IDC_MM7_VASP_ID, "vasp-1"), std::make_pair(IDC_MM7_VAS_ID, "vas-2"),
                              std::make_pair(IDC_MM7_SERVICE_CODE, "svc"), std::make_pair(IDC_MM7_USER_NAME, "user"),
                              std::make_pair(IDC_MM7_PASSWORD, "se cret")})
      SetDlgItemTextA(dialog, field.first, field.second);
    ComboChoose(dialog, IDC_MM7_SCHEMA, "REL-6-MM7-1-3");
    Click(dialog, IDC_MM7_STRIP_WHITE_SPACE);
  }));
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
  EXPECT_TRUE(Save(Address(server.Port(), "http", "localhost#2"), [](HWND dialog) {
    EXPECT_TRUE(Text(dialog, IDC_MM7_PASSWORD) == "se cret" && Checked(dialog, IDC_MM7_STRIP_WHITE_SPACE));
    EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VERSION) + " " + ComboChosen(dialog, IDC_MM7_SCHEMA) + " " +
                  ComboChosen(dialog, IDC_MM7_VARIATION),
              "7.0.0 (Custom) LogicaCMG - PAP");
    Click(dialog, IDC_MM7_STRIP_WHITE_SPACE);
    SetDlgItemTextA(dialog, IDC_MM7_VASP_ID, "");
    SetDlgItemTextA(dialog, IDC_MM7_PASSWORD, "");
    ComboChoose(dialog, IDC_MM7_VARIATION, "Ericsson");
  }));
  EXPECT_EQ(server.Accepted(), 2);
  const std::string saved = "[VASP]\r\nProtocol=EricssonMM7\r\nServer=" + Address(server.Port(), "http", "localhost#2") +
                            "\r\nVASID=vas-2\r\nServiceCode=svc\r\nmm7DeliverReq=Yes\r\nUserName=user\r\n"
                            "MM7Schema=urn:example:custom-mm7\r\nMM7Version=7.0.0\r\n";
  EXPECT_EQ(ReadFileText(File()), saved);

  // https negotiates TLS; a server that answers the hello with no TLS at all
  // is refused with the library's reason.
  OpenSslServer tls(Certificates().selfSignedCert, Certificates().selfSignedKey, "");
  ASSERT_NE(tls.Port(), 0);
  EXPECT_TRUE(Save(Address(tls.Port(), "https"), [](HWND) {}));
  EXPECT_TRUE(tls.WaitForOutput("CIPHER is", 10000)) << tls.Output();
  WriteFileText(File(), saved);
  std::thread peer([&] {
    SOCKET client = server.Accept(10000);
    char hello[4096];
    recv(client, hello, sizeof hello, 0);
    send(client, "HTTP/1.1 400 Bad Request\r\n\r\n", 28, 0);
    closesocket(client);
  });
  boxes_.Answer(IDOK);
  EXPECT_FALSE(Save(Address(server.Port(), "https"), [](HWND) {}));
  peer.join();
  std::string shown = BoxLines(boxes_.Boxes()).back();
  EXPECT_EQ(shown.substr(0, shown.find("\r\n\r\n")),
            "error OK: Unable to negotiate SSL/TLS connection with server 127.0.0.1:" + std::to_string(server.Port()));
  EXPECT_NE(shown.find("HTTP/1.1 400 Bad Request"), std::string::npos) << "the library's error text follows";
  EXPECT_EQ(ReadFileText(File()), saved);
}
