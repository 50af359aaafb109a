// GWTLS.DLL as the console binds it, as a TLS client against openssl
// s_server and against scripted peers on loopback.
#include "tls/tls_test_servers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "config/link_libraries.h"
#include "gwtls/tls_wire.h"

namespace {

constexpr DWORD kReadTimeoutMs = 10000;
const char kReversedPrompt[] = "tset noitcennoc 7MM";

class TlsClient : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  static void TearDownTestSuite() { WSACleanup(); }

  void SetUp() override {
    ASSERT_TRUE(BindTlsLibrary("GWTLS.DLL", &tls_)) << "GWTLS.DLL beside the program, every entry point exported";
    ASSERT_TRUE(tls_.sslInitLib());
  }
  void TearDown() override {
    CloseSocket();
    if (!tls_.module) return;
    tls_.sslTermLib();
    FreeLibrary(tls_.module);
  }

  // A TLS session with the server on port, or 0 with the library's text in error_.
  TlsSession Connect(unsigned short port) {
    CloseSocket();
    socket_ = ConnectLoopback(port, kReadTimeoutMs);
    return socket_ == INVALID_SOCKET ? 0 : tls_.sslInitSession(socket_, error_);
  }
  void CloseSocket() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }

  // Receives in pieces of pieceSize until the text holds terminator, or
  // without one until the peer ends the stream cleanly.
  std::string Receive(TlsSession session, int pieceSize, const std::string& terminator = "") {
    std::string text;
    char buffer[4096];
    int n = 0;
    while (terminator.empty() || text.find(terminator) == std::string::npos) {
      if ((n = tls_.sslRecv(session, buffer, pieceSize)) <= 0) break;
      text.append(buffer, n);
    }
    if (terminator.empty()) {
      EXPECT_EQ(n, 0) << "the stream ends cleanly, error " << WSAGetLastError();
    }
    return text;
  }

  bool Send(TlsSession session, const std::string& text) {
    return tls_.sslSend(session, text.data(), static_cast<int>(text.size())) == static_cast<int>(text.size());
  }

  TlsLibrary tls_ = {};
  SOCKET socket_ = INVALID_SOCKET;
  char error_[1024] = "";
};

std::string FromHex(const char* hex) {
  std::string bytes;
  for (const char* p = hex; p[0] && p[1]; p += 2)
    bytes.push_back(static_cast<char>(strtoul(std::string(p, 2).c_str(), nullptr, 16)));
  return bytes;
}

}  // namespace

TEST_F(TlsClient, ServersOfEachKindCarryRequestsAndAnswersOnOneSession) {
  const TestCertificates& certs = Certificates();
  const struct {
    std::string cert, key, options, protocol;
  } servers[] = {
      {certs.selfSignedCert, certs.selfSignedKey, "-rev -tls1_2", "TLSv1.2"},
      {certs.signedCert, certs.signedKey, "-rev -cert_chain '" + certs.authorityCert + "'", ""},  // unknown authority
      {certs.selfSignedCert, certs.selfSignedKey, "-rev -tls1_3", "TLSv1.3"},
  };
  for (const auto& row : servers) {
    SCOPED_TRACE(row.options);
    OpenSslServer server(row.cert, row.key, row.options);
    TlsSession session = Connect(server.Port());
    if (session == 0 && row.protocol == "TLSv1.3") {
      // Older Schannel versions (and Wine's) stop at TLS 1.2: the server refuses, and it says why.
      EXPECT_EQ(std::string(error_),
                "The server refused the TLS handshake: " + std::string(TlsAlertText(70)) + " (TLS alert 70).");
      continue;
    }
    ASSERT_NE(session, 0u) << error_;
    EXPECT_STREQ(error_, "") << "no text on success";
    ASSERT_TRUE(Send(session, "MM7 connection test\n"));
    EXPECT_EQ(Receive(session, 4096, "\n").substr(0, sizeof kReversedPrompt - 1), kReversedPrompt);
    EXPECT_EQ(tls_.sslDataPending(session), 0) << "everything was handed over";
    ASSERT_TRUE(Send(session, "abc\n"));
    EXPECT_EQ(Receive(session, 4096, "\n").substr(0, 3), "cba");
    if (!row.protocol.empty()) {
      EXPECT_NE(server.Output().find("Protocol version: " + row.protocol), std::string::npos) << server.Output();
    }
    tls_.sslFreeSession(session);
  }
}

TEST_F(TlsClient, RecordsCutUpOrRunTogetherAreReassembledAndReadInPieces) {
  const TestCertificates& certs = Certificates();
  for (int chunk : {1, 7, 0}) {
    SCOPED_TRACE(chunk);
    OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-www");
    LoopbackRelay relay(server.Port(), chunk);
    TlsSession session = Connect(relay.Port());
    ASSERT_NE(session, 0u) << error_;
    ASSERT_TRUE(Send(session, "GET / HTTP/1.0\r\n\r\n"));
    char start[16];
    ASSERT_EQ(tls_.sslRecv(session, start, sizeof start), 16);
    EXPECT_EQ(std::string(start, 16), "HTTP/1.0 200 ok\r");
    EXPECT_GT(tls_.sslDataPending(session), 0) << "the rest of the record waits, decrypted";
    EXPECT_NE(Receive(session, 100).find("</BODY></HTML>"), std::string::npos) << "the page arrived whole";
    EXPECT_EQ(tls_.sslDataPending(session), 0);
    EXPECT_EQ(tls_.sslRecv(session, start, sizeof start), 0) << "close-notify: the end stays the end";
    EXPECT_EQ(tls_.sslSend(session, "x", 1), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
    if (chunk == 1) {
      EXPECT_GT(relay.ServerSends(), 1000) << "the records did arrive cut up";
    }
    if (chunk == 0) {
      EXPECT_LE(relay.ServerSends(), 4) << "the answer's records did arrive run together";
    }
    tls_.sslFreeSession(session);
  }
}

// Servers with several names choose their certificate by the name the
// client sends; without one some refuse the handshake.
TEST_F(TlsClient, TheServersHostNameGoesWithTheHandshake) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey,
                       "-servername localhost -cert2 '" + certs.signedCert + "' -key2 '" + certs.signedKey + "'");
  ASSERT_NE(tls_.sslInitSessionForHost, nullptr);
  socket_ = ConnectLoopback(server.Port(), kReadTimeoutMs);
  TlsSession session = tls_.sslInitSessionForHost(socket_, "localhost", error_);
  ASSERT_NE(session, 0u) << error_;
  EXPECT_TRUE(server.WaitForOutput("Hostname in TLS extension: \"localhost\"", 10000)) << server.Output();
  tls_.sslFreeSession(session);
}

TEST_F(TlsClient, PendingCountsRecordsAlreadyReceived) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev");
  LoopbackRelay relay(server.Port(), 0);
  TlsSession session = Connect(relay.Port());
  ASSERT_NE(session, 0u) << error_;
  // Two lines, answered in two records that the relay passes on together.
  ASSERT_TRUE(Send(session, "abc\ndefg\n"));
  char buffer[64];
  ASSERT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), 4) << "one record at a time";
  EXPECT_EQ(tls_.sslDataPending(session), 5) << "the second record came with the first";
  ASSERT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(buffer, 5), "gfed\n");
  tls_.sslFreeSession(session);
}

TEST_F(TlsClient, LargeRequestArrivesWholeAndFreeingTheSessionSendsCloseNotify) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "");
  TlsSession session = Connect(server.Port());
  ASSERT_NE(session, 0u) << error_;
  std::string request;
  for (int line = 0; request.size() < 100000; ++line) request += "request line " + std::to_string(line) + "\n";
  request += "END OF REQUEST\n";
  EXPECT_TRUE(Send(session, request));
  // s_server prints what it receives, and DONE when the client closed the session properly.
  ASSERT_TRUE(server.WaitForOutput("END OF REQUEST", 10000));
  EXPECT_NE(server.Output().find(request), std::string::npos) << "in order, nothing lost or doubled";
  EXPECT_EQ(tls_.sslSend(session, request.data(), 0), 0);
  EXPECT_EQ(tls_.sslSend(session, nullptr, 5), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  tls_.sslFreeSession(session);
  EXPECT_TRUE(server.WaitForOutput("DONE", 10000)) << server.Output();
  EXPECT_EQ(server.Output().find("unexpected eof"), std::string::npos);
  EXPECT_NE(closesocket(socket_), SOCKET_ERROR) << "the socket stays the caller's";
  socket_ = INVALID_SOCKET;
}

TEST_F(TlsClient, ServersThatFailTheHandshakeAreNamedWithTheReason) {
  enum Then { kReturn, kClose, kHangUp, kStall };
  const std::string refused = "The server refused the TLS handshake";
  const struct {
    std::string reply;
    Then then;
    DWORD timeoutMs;
    std::string error;
  } rows[] = {
      {"HTTP/1.1 400 Bad Request\r\nServer: test\r\n\r\n", kClose, kReadTimeoutMs,
       "The server is not speaking TLS on this port (check the address and port, or use http:// instead of "
       "https://). It answered: \"HTTP/1.1 400 Bad Request\""},
      {"", kHangUp, kReadTimeoutMs,
       "The server closed the connection without answering the TLS handshake; it may not speak TLS on this port."},
      {FromHex("15030300020228"), kReturn, kReadTimeoutMs, refused + ": " + TlsAlertText(40) + " (TLS alert 40)."},
      {FromHex("15030300020263"), kReturn, kReadTimeoutMs, refused + " with TLS alert 99."},
      // A handshake record announcing 80 bytes, of which 4 come.
      {FromHex("160303005002000046"), kClose, kReadTimeoutMs,
       "The server closed the connection during the TLS handshake."},
      {FromHex("160303005002000046"), kStall, 1000,
       "The server stopped answering during the TLS handshake (nothing for 1 second)."},
      {FromHex("16030300080000000000000000"), kReturn, kReadTimeoutMs,  // TLS outside, nonsense inside
       "The TLS handshake with the server failed: "},
      {"", kStall, 1000, "The server did not answer the TLS handshake within 1 second."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    SocketPair pair;
    SetReceiveTimeout(pair.client, row.timeoutMs);
    std::string hello;
    std::thread peer([&] {
      hello = ReadAvailable(pair.server, 300);
      send(pair.server, row.reply.data(), static_cast<int>(row.reply.size()), 0);
      if (row.then == kClose) shutdown(pair.server, SD_SEND);
      if (row.then == kHangUp) shutdown(pair.server, SD_BOTH);
      if (row.then == kStall) ReadAvailable(pair.server, 3000);
    });
    DWORD started = GetTickCount();
    EXPECT_EQ(tls_.sslInitSession(pair.client, error_), 0u);
    DWORD clientMs = GetTickCount() - started;
    peer.join();
    ASSERT_FALSE(hello.empty());
    EXPECT_EQ(hello[0], '\x16') << "the client spoke first, with a TLS handshake record";
    // The whole text, or its start and then Schannel's own reason.
    std::string error = error_;
    EXPECT_EQ(error.substr(0, row.error.size()), row.error);
    if (error.size() > row.error.size()) {
      EXPECT_NE(error.find("(error 0x8009"), std::string::npos) << error;
    }
    if (row.timeoutMs == 1000) {
      EXPECT_GE(clientMs, 900u);
      EXPECT_LT(clientMs, 2500u) << "the socket's own time-out bounds the wait";
    }
  }
}

TEST_F(TlsClient, ServerChoosingTls10Or11IsRefusedWithTheReason) {
  const TestCertificates& certs = Certificates();
  for (const char* version : {"1", "1_1"}) {
    OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey,
                         std::string("-tls") + version + " -cipher DEFAULT:@SECLEVEL=0");
    EXPECT_EQ(Connect(server.Port()), 0u);
    EXPECT_EQ(std::string(error_), std::string("The server chose TLS ") + (version[1] ? "1.1" : "1.0") +
                                       ", which this client refuses: TLS 1.2 or newer is required.");
  }
}

TEST_F(TlsClient, SocketsWithoutAConnectionFailWithWhatTheSocketReports) {
  socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_EQ(send(probe, "x", 1, 0), SOCKET_ERROR);
  const int unconnected = WSAGetLastError();
  closesocket(probe);
  for (const auto& row : {std::make_pair(socket_, unconnected), std::make_pair(INVALID_SOCKET, WSAENOTSOCK)}) {
    ASSERT_NE(SocketErrorText(row.second), nullptr) << row.second;
    EXPECT_EQ(tls_.sslInitSession(row.first, error_), 0u);
    EXPECT_EQ(std::string(error_), "Sending the TLS handshake to the server failed: " +
                                       std::string(SocketErrorText(row.second)) + " (Windows Sockets error " +
                                       std::to_string(row.second) + ").");
  }
  EXPECT_EQ(tls_.sslInitSession(INVALID_SOCKET, nullptr), 0u) << "no text buffer is fine too";
}

TEST_F(TlsClient, StartUpsAreCountedAndTheLastTermClosesLeftoverSessions) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev");
  ASSERT_TRUE(tls_.sslInitLib());
  tls_.sslTermLib();  // one of two start-ups ended: still usable
  TlsSession session = Connect(server.Port());
  ASSERT_NE(session, 0u) << error_;
  tls_.sslTermLib();  // the last one: the forgotten session goes with it
  EXPECT_TRUE(server.WaitForOutput("CONNECTION CLOSED", 10000)) << server.Output();
  char buffer[8];
  EXPECT_EQ(tls_.sslSend(session, "x", 1), SOCKET_ERROR);
  EXPECT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), SOCKET_ERROR);
  const std::string notInitialised = "The TLS library is not initialised (sslInitLib was not called).";
  EXPECT_EQ(tls_.sslInitSession(socket_, error_), 0u);
  EXPECT_EQ(std::string(error_), notInitialised);
  EXPECT_EQ(tls_.sslAcceptSession(socket_, error_), 0u);
  EXPECT_EQ(std::string(error_), notInitialised);
  ASSERT_TRUE(tls_.sslInitLib()) << "and it starts again";
}

TEST_F(TlsClient, FreedAndForeignHandlesAreRefused) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev");
  TlsSession session = Connect(server.Port());
  ASSERT_NE(session, 0u) << error_;
  tls_.sslFreeSession(session);
  tls_.sslFreeSession(session);  // twice: ignored
  char buffer[8];
  for (TlsSession bad : {session, static_cast<TlsSession>(0), static_cast<TlsSession>(12345)}) {
    EXPECT_EQ(tls_.sslSend(bad, "x", 1), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSA_INVALID_HANDLE);
    EXPECT_EQ(tls_.sslRecv(bad, buffer, sizeof buffer), SOCKET_ERROR);
    EXPECT_EQ(tls_.sslDataPending(bad), 0);
  }
}
