// The "Configure MM7 Receiver" dialog: what it shows of VASP.INI, the
// connection test against servers on loopback (plain, TLS, silent, closed)
// and what it saves after a passed test, and only then.
#include "settings/loopback_servers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/config_files.h"
#include "config/link_libraries.h"
#include "resources/two_way_ids.h"
#include "settings/host_connect.h"
#include "settings/mm7_dialog.h"
#include "settings/settings_dialogs.h"
#include "support/dialog_items.h"
#include "support/test_env.h"
#include "support/window_driver.h"
#include "tls/tls_test_servers.h"

namespace {

const char kTitle[] = "Configure MM7 Receiver";
const char kPrefix[] = "http://www.3gpp.org/ftp/Specs/archive/23_series/23.140/schema/";

std::string Address(unsigned short port, const char* scheme = "http", const char* host = "127.0.0.1") {
  return std::string(scheme) + "://" + host + ":" + std::to_string(port) + "/vasp/mm7";
}

class Mm7DialogTest : public testing::Test {
 protected:
  void SetUp() override { PrepareConfigFiles(); }
  void TearDown() override { boxes_.ExpectAllAnswered(); }

  std::string File() { return dir_.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI"; }
  std::string Read(const char* key) { return ReadIni(File(), "VASP", key, "<none>"); }
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
    EXPECT_EQ(box.text.substr(0, message.size()), message);
    EXPECT_EQ(box.caption, kProductCaption);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
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
  bool NothingWritten() { return !FileExists(dir_.Path() + "VASPOUT"); }

  SocketsStarted sockets_;
  TempDataDirectory dir_{"mm7"};
  MessageBoxAnswerer boxes_;
};

}  // namespace

TEST_F(Mm7DialogTest, SettingsAreShownAndSavedAfterAPassedTestOnly) {
  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  EXPECT_EQ(Open([this](HWND dialog) {
              EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VERSION), "5.3.0");
              EXPECT_EQ(ComboChosen(dialog, IDC_MM7_SCHEMA), "REL-5-MM7-1-2");
              EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VARIATION), "None - Use Standard MM7");
              for (int id : {IDC_MM7_SERVER, IDC_MM7_VASP_ID, IDC_MM7_VAS_ID, IDC_MM7_SERVICE_CODE,
                             IDC_MM7_USER_NAME, IDC_MM7_PASSWORD})
                EXPECT_EQ(Text(dialog, id), "") << id;
              EXPECT_FALSE(Checked(dialog, IDC_MM7_STRIP_WHITE_SPACE));
              ExpectRefused(dialog, "Please define a URL for connecting to the server");
              Cancel(dialog);
            }),
            IDCANCEL);
  EXPECT_TRUE(NothingWritten());

  SaveWithServer(Address(server.Port()), [](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_MM7_VASP_ID, "vasp-1");
    SetDlgItemTextA(dialog, IDC_MM7_VAS_ID, "vas-2");
    SetDlgItemTextA(dialog, IDC_MM7_SERVICE_CODE, "svc");
    SetDlgItemTextA(dialog, IDC_MM7_USER_NAME, "user");
    SetDlgItemTextA(dialog, IDC_MM7_PASSWORD, "se cret");
    ComboChoose(dialog, IDC_MM7_VERSION, "6.7.0");
    ComboChoose(dialog, IDC_MM7_SCHEMA, "REL-6-MM7-1-3");
    Click(dialog, IDC_MM7_STRIP_WHITE_SPACE);
  });
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_EQ(ReadFileText(File()),
            "[VASP]\r\nProtocol=MM7\r\nServer=" + Address(server.Port()) +
                "\r\nVASPID=vasp-1\r\nVASID=vas-2\r\nServiceCode=svc\r\nmm7DeliverReq=Yes\r\nUserName=user\r\n"
                "Password=se cret\r\nMM7Version=6.7.0\r\nMM7Schema=" + kPrefix +
                "REL-6-MM7-1-3\r\nStripWhiteSpace=Yes\r\n");

  // Values outside the lists are offered and kept; emptied fields, Domain
  // and the switches of other variations go.
  WritePrivateProfileStringA("VASP", "MM7Version", "7.0.0", File().c_str());
  WritePrivateProfileStringA("VASP", "MM7Schema", "urn:example:custom-mm7", File().c_str());
  WritePrivateProfileStringA("VASP", "LogicaCMG", "Yes", File().c_str());
  WritePrivateProfileStringA("VASP", "Domain", "example.com", File().c_str());
  SaveWithServer(Address(server.Port(), "http", "localhost#2"), [](HWND dialog) {
    EXPECT_EQ(Text(dialog, IDC_MM7_PASSWORD), "se cret");
    EXPECT_TRUE(Checked(dialog, IDC_MM7_STRIP_WHITE_SPACE));
    EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VERSION), "7.0.0");
    EXPECT_EQ(ComboTexts(dialog, IDC_MM7_VERSION).back(), "7.0.0");
    EXPECT_EQ(ComboChosen(dialog, IDC_MM7_SCHEMA), "(Custom)");
    EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VARIATION), "LogicaCMG - PAP");
    Click(dialog, IDC_MM7_STRIP_WHITE_SPACE);
    SetDlgItemTextA(dialog, IDC_MM7_VASP_ID, "");
    SetDlgItemTextA(dialog, IDC_MM7_PASSWORD, "");
    ComboChoose(dialog, IDC_MM7_VARIATION, "Ericsson");
  });
  EXPECT_EQ(server.Accepted(), 2);
  EXPECT_EQ(Read("Server"), Address(server.Port(), "http", "localhost#2")) << "saved as typed";
  EXPECT_EQ(Read("MM7Version"), "7.0.0");
  EXPECT_EQ(Read("MM7Schema"), "urn:example:custom-mm7");
  EXPECT_EQ(Read("Protocol"), "EricssonMM7");
  for (const char* key : {"Domain", "StripWhiteSpace", "VASPID", "Password", "LogicaCMG"})
    EXPECT_EQ(Read(key), "<none>") << key;

  // The default version and schema are not stored.
  SaveWithServer(Address(server.Port()), [](HWND dialog) {
    EXPECT_EQ(ComboChosen(dialog, IDC_MM7_VARIATION), "Ericsson");
    ComboChoose(dialog, IDC_MM7_VERSION, "5.3.0");
    ComboChoose(dialog, IDC_MM7_SCHEMA, "REL-5-MM7-1-2");
    ComboChoose(dialog, IDC_MM7_VARIATION, "AnnyWay");
  });
  EXPECT_EQ(Read("MM7Version"), "<none>");
  EXPECT_EQ(Read("MM7Schema"), "<none>");
  EXPECT_EQ(Read("Protocol"), "MM7");
  EXPECT_EQ(Read("AnnyWay"), "Yes");
}

TEST_F(Mm7DialogTest, FailedConnectionsAreShownWithinTheTimeOutAndWriteNothing) {
  unsigned short closed = ClosedPort();
  SilentServer silent;
  ASSERT_NE(silent.Port(), 0);
  const struct {
    std::string server, message;
    bool silent;
  } rows[] = {
      {Address(closed), "Unable to connect to server 127.0.0.1:" + std::to_string(closed), false},
      {"http://127.0.0.1:/vasp/mm7", "Unable to connect to server 127.0.0.1:0", false},
      {Address(closed, "https"), "Unable to connect to server 127.0.0.1:" + std::to_string(closed), false},  // no TLS
      {Address(silent.Port()), "Unable to connect to server 127.0.0.1:" + std::to_string(silent.Port()), true},
  };
  Open([&](HWND dialog) {
    for (const auto& row : rows) {
      SetDlgItemTextA(dialog, IDC_MM7_SERVER, row.server.c_str());
      DWORD started = GetTickCount();
      ExpectRefused(dialog, row.message);
      DWORD elapsed = GetTickCount() - started;
      EXPECT_EQ(boxes_.Boxes().back().text, row.message);
      EXPECT_LT(elapsed, kConnectTimeoutMs + 5000) << row.server;
      if (row.silent) {
        EXPECT_GE(elapsed, kConnectTimeoutMs - 500) << "waited for the connect";
      }
    }
    Cancel(dialog);
  });
  EXPECT_TRUE(NothingWritten());
}

TEST_F(Mm7DialogTest, WithoutSocketsTheTestFailsWithAGeneralSocketError) {
  int cleanups = 0;
  while (WSACleanup() == 0) ++cleanups;
  Open([this](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_MM7_SERVER, "http://127.0.0.1:80/");
    ExpectRefused(dialog, "General socket error");
    Cancel(dialog);
  });
  WSADATA data;
  for (int i = 0; i < cleanups; ++i) WSAStartup(MAKEWORD(1, 1), &data);
  EXPECT_GE(cleanups, 1);
  EXPECT_TRUE(NothingWritten());
}

TEST_F(Mm7DialogTest, HttpsNegotiatesTlsAndShowsTheLibrarysReasonWhenItFails) {
  if (!LoadTlsLibrary()) GTEST_SKIP() << "GWTLS.DLL is not beside the tests";
  const TestCertificates& certificates = Certificates();
  OpenSslServer tls(certificates.selfSignedCert, certificates.selfSignedKey, "");
  ASSERT_NE(tls.Port(), 0);
  SaveWithServer(Address(tls.Port(), "https"), [](HWND) {});
  EXPECT_TRUE(tls.WaitForOutput("CIPHER is", 10000)) << tls.Output();
  DeleteFileA(File().c_str());

  PlainServer plain("127.0.0.1", 0, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
  ASSERT_NE(plain.Port(), 0);
  Open([&](HWND dialog) {
    SetDlgItemTextA(dialog, IDC_MM7_SERVER, Address(plain.Port(), "https").c_str());
    ExpectRefused(dialog, "Unable to negotiate SSL/TLS connection with server 127.0.0.1:" +
                              std::to_string(plain.Port()) + "\r\n\r\n");
    EXPECT_NE(boxes_.Boxes().back().text.find("HTTP/1.1 400 Bad Request"), std::string::npos)
        << "the library's error text follows";
    Cancel(dialog);
  });
  EXPECT_EQ(plain.Accepted(), 1);
  EXPECT_FALSE(FileExists(File()));
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
    SetDlgItemTextA(dialog, IDC_MM7_SERVER, Address(server.Port(), "https").c_str());
    Ok(dialog);
  });
  EXPECT_EQ(ShowMm7Dialog(nullptr), IDOK);
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_EQ(ReadIni(dir.Path() + "VASPOUT\\zedsmslitemm7\\VASP.INI", "VASP", "Server"), Address(server.Port(), "https"));
  EXPECT_TRUE(boxes.Boxes().empty());
}
