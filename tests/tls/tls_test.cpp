// GWTLS.DLL as the console and the gateway bind it: the client against
// openssl s_server and scripted peers on loopback, and the server side with
// its certificate in the local machine's store.
#include "tls/tls_test_servers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "config/link_libraries.h"
#include "gwtls/tls_wire.h"
#include "support/test_env.h"

namespace {

class Tls : public testing::Test {
 protected:
  // sslInitLib starts Windows Sockets too.
  void SetUp() override {
    ASSERT_TRUE(BindTlsLibrary("GWTLS.DLL", &tls_)) << "GWTLS.DLL beside the program, every entry point exported";
    ASSERT_TRUE(tls_.sslInitLib());
  }
  void TearDown() override {
    closesocket(socket_);
    if (tls_.module) {
      tls_.sslTermLib();
      FreeLibrary(tls_.module);
    }
  }

  // A TLS session with the server on port, or 0 with the library's text in error_.
  TlsSession Connect(unsigned short port, const char* host = nullptr) {
    closesocket(socket_);
    socket_ = ConnectLoopback(port, 10000);
    if (socket_ == INVALID_SOCKET) return 0;
    return host ? tls_.sslInitSessionForHost(socket_, host, error_) : tls_.sslInitSession(socket_, error_);
  }
  bool Send(TlsSession session, const std::string& text) {
    return tls_.sslSend(session, text.data(), static_cast<int>(text.size())) == static_cast<int>(text.size());
  }

  TlsLibrary tls_ = {};
  SOCKET socket_ = INVALID_SOCKET;
  char error_[1024] = "";
};

}  // namespace

// Each row one server, reached through a relay that passes its records on
// run together. Servers with several names choose their certificate by the
// name the client sends.
TEST_F(Tls, ClientSessionsWithEachKindOfServerOrTheReasonThereIsNone) {
  const TestCertificates& certs = Certificates();
  const struct {
    std::string options;
    const char* host;
    std::string output, refusal;
  } rows[] = {
      {"-tls1_2", nullptr, "Protocol version: TLSv1.2", ""},
      {"-servername localhost -cert2 '" + certs.selfSignedCert + "' -key2 '" + certs.selfSignedKey + "'", "localhost",
       "Hostname in TLS extension: \"localhost\"", ""},
      // Older Schannel versions (and Wine's) stop at TLS 1.2: the server refuses, and it says why.
      {"-tls1_3", nullptr, "Protocol version: TLSv1.3",
       "The server refused the TLS handshake: " + std::string(TlsAlertText(70)) + " (TLS alert 70)."},
      {"-tls1_1 -cipher DEFAULT:@SECLEVEL=0", nullptr, "",
       "The server chose TLS 1.1, which this client refuses: TLS 1.2 or newer is required."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.options);
    OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev " + row.options);
    LoopbackRelay relay(server.Port(), 0);
    TlsSession session = Connect(relay.Port(), row.host);
    if (session == 0) {
      EXPECT_EQ(std::string(error_), row.refusal);
      continue;
    }
    EXPECT_STREQ(error_, "") << "no text on success";
    // Two lines, answered in two records that the relay passes on together.
    ASSERT_TRUE(Send(session, "abc\ndefg\n"));
    char buffer[64];
    ASSERT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), 4) << "one record at a time";
    EXPECT_EQ(tls_.sslDataPending(session), 5) << "the second record came with the first";
    ASSERT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "gfed\n");
    EXPECT_EQ(tls_.sslDataPending(session), 0) << "everything was handed over";
    tls_.sslFreeSession(session);
    // Closed while the socket stays open: close-notify came. Some lines come only as s_server exits.
    EXPECT_TRUE(server.WaitForOutput("CONNECTION CLOSED")) << server.Output();
    EXPECT_TRUE(server.WaitForOutput(row.output)) << server.Output();
  }
}

// Records cut up byte by byte; run together they are the rows above.
TEST_F(Tls, ClientReassemblesRecordsCutUpAndHandsThemOverInPieces) {
  OpenSslServer server(Certificates().selfSignedCert, Certificates().selfSignedKey, "-www");
  LoopbackRelay relay(server.Port(), 1);
  TlsSession session = Connect(relay.Port());
  ASSERT_NE(session, 0u) << error_;
  ASSERT_TRUE(Send(session, "GET / HTTP/1.0\r\n\r\n"));
  char buffer[100];
  ASSERT_EQ(tls_.sslRecv(session, buffer, 16), 16);
  EXPECT_EQ(std::string(buffer, 16), "HTTP/1.0 200 ok\r");
  EXPECT_GT(tls_.sslDataPending(session), 0) << "the rest of the record waits, decrypted";
  std::string page;
  int n = 0;
  while ((n = tls_.sslRecv(session, buffer, sizeof buffer)) > 0) page.append(buffer, n);
  EXPECT_EQ(n, 0) << "close-notify ends the stream cleanly, error " << WSAGetLastError();
  EXPECT_NE(page.find("</BODY></HTML>"), std::string::npos) << "the page arrived whole";
  EXPECT_EQ(tls_.sslSend(session, "x", 1), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
  tls_.sslFreeSession(session);
}

// s_server prints what it receives, and DONE when the client closed the
// session properly: here the last sslTermLib closes the forgotten session.
TEST_F(Tls, LargeRequestArrivesWholeAndTheLastTermClosesLeftoverSessions) {
  OpenSslServer server(Certificates().selfSignedCert, Certificates().selfSignedKey, "");
  ASSERT_TRUE(tls_.sslInitLib());
  tls_.sslTermLib();  // one of two start-ups ended: still usable
  TlsSession session = Connect(server.Port());
  ASSERT_NE(session, 0u) << error_;
  std::string request;
  for (int line = 0; request.size() < 100000; ++line) request += "request line " + std::to_string(line) + "\n";
  request += "END OF REQUEST\n";
  EXPECT_TRUE(Send(session, request));
  ASSERT_TRUE(server.WaitForOutput("END OF REQUEST"));
  EXPECT_NE(server.Output().find(request), std::string::npos) << "in order, nothing lost or doubled";
  tls_.sslTermLib();
  EXPECT_TRUE(server.WaitForOutput("DONE")) << server.Output();
  EXPECT_EQ(tls_.sslAcceptSession(socket_, error_), 0u);
  EXPECT_STREQ(error_, "The TLS library is not initialised (sslInitLib was not called).");
  ASSERT_TRUE(tls_.sslInitLib()) << "and it starts again";
  char buffer[8];
  EXPECT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), SOCKET_ERROR) << "the session went with the library";
  EXPECT_EQ(WSAGetLastError(), WSA_INVALID_HANDLE);
  EXPECT_NE(closesocket(socket_), SOCKET_ERROR) << "the socket stays the caller's";
  socket_ = INVALID_SOCKET;
  EXPECT_EQ(tls_.sslInitSession(INVALID_SOCKET, nullptr), 0u) << "no text buffer is fine too";
}

TEST_F(Tls, ServersThatFailTheHandshakeAreNamedWithTheReason) {
  const struct {
    std::string reply;
    bool close;
    DWORD timeoutMs;
    std::string error;
  } rows[] = {
      {"HTTP/1.1 400 Bad Request\r\nServer: test\r\n\r\n", true, 10000,
       "The server is not speaking TLS on this port (check the address and port, or use http:// instead of "
       "https://). It answered: \"HTTP/1.1 400 Bad Request\""},
      {"", false, 1000, "The server did not answer the TLS handshake within 1 second."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    SocketPair pair;
    SetReceiveTimeout(pair.client, row.timeoutMs);
    char hello[4096] = "";
    std::thread peer([&] {
      recv(pair.server, hello, sizeof hello, 0);
      send(pair.server, row.reply.data(), static_cast<int>(row.reply.size()), 0);
      if (row.close) shutdown(pair.server, SD_SEND);
    });
    DWORD started = GetTickCount();
    EXPECT_EQ(tls_.sslInitSession(pair.client, error_), 0u);
    DWORD clientMs = GetTickCount() - started;
    peer.join();
    EXPECT_EQ(hello[0], '\x16') << "the client spoke first, with a TLS handshake record";
    EXPECT_EQ(std::string(error_), row.error);
    EXPECT_TRUE(row.timeoutMs > 1000 || (clientMs >= 900 && clientMs < 2500)) << "the socket's time-out bounds the wait";
  }
}

// A client that sends no handshake is named; then the library against itself
// over loopback, the data path being the client's. Where Schannel cannot act as a server (Wine before version
// 9 has no AcceptSecurityContext for it), both sides must fail cleanly with
// texts that say so.
TEST_F(Tls, ServerNamesClientsWithoutAHandshakeAndServesTheLibrarysOwnClient) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("localhost"));
  EXPECT_TRUE(tls_.sslServerCertExists()) << "made with its key, valid from now on";
  SocketPair plain;
  send(plain.client, "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n", 35, 0);
  EXPECT_EQ(tls_.sslAcceptSession(plain.server, error_), 0u);
  EXPECT_STREQ(error_, "The client is not speaking TLS. It sent: \"GET / HTTP/1.1\"");

  SocketPair pair;
  char clientError[1024] = "";
  TlsSession client = 0;
  std::thread peer([&] { client = tls_.sslInitSession(pair.client, clientError); });
  TlsSession server = tls_.sslAcceptSession(pair.server, error_);
  // Without a server session the client's handshake ends when we hang up.
  if (server == 0) shutdown(pair.server, SD_BOTH);
  peer.join();
  // Wine 8: no server side in its Schannel, and its certificate key lookup misses machine keys.
  if (server == 0) {
    EXPECT_TRUE(strstr(error_, "cannot accept TLS connections") || strstr(error_, "refused the server certificate"))
        << error_;
  }
  EXPECT_EQ(client != 0, server != 0) << clientError;
  EXPECT_TRUE(client || strstr(clientError, "closed the connection without answering")) << clientError;
  tls_.sslFreeSession(client);
  tls_.sslFreeSession(server);
}
