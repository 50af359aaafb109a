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
constexpr int kErrorTextSize = 1024;

class TlsClient : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  static void TearDownTestSuite() { WSACleanup(); }

  void SetUp() override {
    ASSERT_TRUE(BindTlsLibrary("GWTLS.DLL", &tls_));
    ASSERT_TRUE(tls_.sslInitLib());
  }
  void TearDown() override {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    if (!tls_.module) return;
    tls_.sslTermLib();
    FreeLibrary(tls_.module);
  }

  // A TLS session with the server, or 0 with the library's text in error_.
  TlsSession Connect(const OpenSslServer& server) {
    if (server.Port() == 0) return 0;
    socket_ = ConnectLoopback(server.Port(), kReadTimeoutMs);
    if (socket_ == INVALID_SOCKET) return 0;
    return tls_.sslInitSession(socket_, error_);
  }

  // Everything the peer sends until it closes, read in pieces of pieceSize.
  std::string ReceiveAll(TlsSession session, int pieceSize) {
    std::string text;
    char buffer[4096];
    int n;
    while ((n = tls_.sslRecv(session, buffer, pieceSize)) > 0) text.append(buffer, n);
    EXPECT_EQ(n, 0) << "the stream ends cleanly, error " << WSAGetLastError();
    return text;
  }

  // Receives until text contains terminator (or the stream ends).
  std::string ReceiveUntil(TlsSession session, const std::string& terminator) {
    std::string text;
    char buffer[4096];
    while (text.find(terminator) == std::string::npos) {
      int n = tls_.sslRecv(session, buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, n);
    }
    return text;
  }

  bool Send(TlsSession session, const std::string& text) {
    return tls_.sslSend(session, text.data(), static_cast<int>(text.size())) == static_cast<int>(text.size());
  }

  TlsLibrary tls_ = {};
  SOCKET socket_ = INVALID_SOCKET;
  char error_[kErrorTextSize] = "";
};

// Runs the TLS client on one end of a loopback connection while peer plays
// the server on the other (it may close its socket and set it invalid); the
// library's text lands in error.
template <typename Peer>
TlsSession ConnectToScriptedPeer(const TlsLibrary& tls, DWORD clientTimeoutMs, char* error, Peer peer,
                                 DWORD* clientMs = nullptr) {
  SocketPair pair;
  SetReceiveTimeout(pair.client, clientTimeoutMs);
  std::thread server([&] { peer(pair.server); });
  DWORD started = GetTickCount();
  TlsSession session = tls.sslInitSession(pair.client, error);
  if (clientMs) *clientMs = GetTickCount() - started;
  server.join();
  return session;
}

const char kReversedPrompt[] = "tset noitcennoc 7MM";

// Sends bytes given as pairs of hex digits.
void SendHex(SOCKET peer, const char* hex) {
  std::string bytes;
  for (const char* p = hex; p[0] && p[1]; p += 2)
    bytes.push_back(static_cast<char>(strtoul(std::string(p, 2).c_str(), nullptr, 16)));
  send(peer, bytes.data(), static_cast<int>(bytes.size()), 0);
}

}  // namespace

TEST(TlsBinding, ConsoleBindsTheRealLibrary) {
  const TlsLibrary* tls = LoadTlsLibrary();
  ASSERT_NE(tls, nullptr) << "GWTLS.DLL beside the program, every entry point exported by name";
  for (const void* entry :
       {reinterpret_cast<const void*>(tls->sslInitSession), reinterpret_cast<const void*>(tls->sslAcceptSession),
        reinterpret_cast<const void*>(tls->sslFreeSession), reinterpret_cast<const void*>(tls->sslSend),
        reinterpret_cast<const void*>(tls->sslRecv), reinterpret_cast<const void*>(tls->sslDataPending),
        reinterpret_cast<const void*>(tls->sslInitLib), reinterpret_cast<const void*>(tls->sslTermLib),
        reinterpret_cast<const void*>(tls->sslServerCertExists),
        reinterpret_cast<const void*>(tls->sslSignedCertExists),
        reinterpret_cast<const void*>(tls->sslGenerateCertificate)})
    EXPECT_NE(entry, nullptr);
  EXPECT_TRUE(tls->sslInitLib()) << "Schannel is there";
  tls->sslTermLib();
}

TEST_F(TlsClient, SessionCarriesARequestAndItsAnswer) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev");
  TlsSession session = Connect(server);
  ASSERT_NE(session, 0u) << error_;
  EXPECT_STREQ(error_, "") << "no text on success";
  EXPECT_EQ(tls_.sslDataPending(session), 0);

  ASSERT_TRUE(Send(session, "MM7 connection test\n"));
  std::string answer = ReceiveUntil(session, "\n");
  EXPECT_EQ(answer.substr(0, sizeof kReversedPrompt - 1), kReversedPrompt);
  EXPECT_EQ(tls_.sslDataPending(session), 0) << "everything was handed over";

  // A second exchange on the same session.
  ASSERT_TRUE(Send(session, "abc\n"));
  EXPECT_EQ(ReceiveUntil(session, "\n").substr(0, 3), "cba");
  tls_.sslFreeSession(session);
}

TEST_F(TlsClient, AnswerSpanningRecordsIsReadInPiecesAndEndsWithCloseNotify) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-www");
  TlsSession session = Connect(server);
  ASSERT_NE(session, 0u) << error_;
  ASSERT_TRUE(Send(session, "GET / HTTP/1.0\r\n\r\n"));

  char start[16];
  ASSERT_EQ(tls_.sslRecv(session, start, sizeof start), 16);
  EXPECT_EQ(std::string(start, 16), "HTTP/1.0 200 ok\r");
  EXPECT_GT(tls_.sslDataPending(session), 0) << "the rest of the record waits, decrypted";

  std::string rest = ReceiveAll(session, 100);
  EXPECT_GT(rest.size(), 1000u);
  EXPECT_NE(rest.find("</BODY></HTML>"), std::string::npos) << "the page arrived whole";
  EXPECT_EQ(tls_.sslDataPending(session), 0);
  char more[8];
  EXPECT_EQ(tls_.sslRecv(session, more, sizeof more), 0) << "the end stays the end";
  EXPECT_EQ(tls_.sslSend(session, "x", 1), SOCKET_ERROR) << "the server has closed the session";
  EXPECT_EQ(WSAGetLastError(), WSAESHUTDOWN);
  tls_.sslFreeSession(session);
}

TEST_F(TlsClient, RecordsCutUpOrRunTogetherAreReassembled) {
  const TestCertificates& certs = Certificates();
  for (int chunk : {1, 7, 0}) {
    OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-www");
    LoopbackRelay relay(server.Port(), chunk);
    socket_ = ConnectLoopback(relay.Port(), kReadTimeoutMs);
    ASSERT_NE(socket_, INVALID_SOCKET);
    TlsSession session = tls_.sslInitSession(socket_, error_);
    ASSERT_NE(session, 0u) << "chunk " << chunk << ": " << error_;
    ASSERT_TRUE(Send(session, "GET / HTTP/1.0\r\n\r\n"));
    std::string page = ReceiveAll(session, 4096);
    EXPECT_EQ(page.rfind("HTTP/1.0 200 ok\r\n", 0), 0u) << "chunk " << chunk;
    EXPECT_NE(page.find("</BODY></HTML>"), std::string::npos) << "chunk " << chunk;
    if (chunk == 1) {
      EXPECT_GT(relay.ServerSends(), 1000) << "the records did arrive cut up";
    }
    if (chunk == 0) {
      EXPECT_LE(relay.ServerSends(), 4) << "the answer's records did arrive run together";
    }
    tls_.sslFreeSession(session);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
}

TEST_F(TlsClient, PendingCountsRecordsAlreadyReceived) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev");
  LoopbackRelay relay(server.Port(), 0);
  socket_ = ConnectLoopback(relay.Port(), kReadTimeoutMs);
  ASSERT_NE(socket_, INVALID_SOCKET);
  TlsSession session = tls_.sslInitSession(socket_, error_);
  ASSERT_NE(session, 0u) << error_;
  // Two lines, answered in two records that the relay passes on together.
  ASSERT_TRUE(Send(session, "abc\ndefg\n"));
  char buffer[64];
  ASSERT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), 4) << "one record at a time";
  EXPECT_EQ(std::string(buffer, 4), "cba\n");
  EXPECT_EQ(tls_.sslDataPending(session), 5) << "the second record came with the first";
  ASSERT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), 5);
  EXPECT_EQ(std::string(buffer, 5), "gfed\n");
  EXPECT_EQ(tls_.sslDataPending(session), 0);
  tls_.sslFreeSession(session);
}

TEST_F(TlsClient, LargeRequestIsSplitIntoRecordsAndArrivesWhole) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "");
  TlsSession session = Connect(server);
  ASSERT_NE(session, 0u) << error_;
  std::string request;
  for (int line = 0; request.size() < 100000; ++line) request += "request line " + std::to_string(line) + "\n";
  request += "END OF REQUEST\n";
  EXPECT_EQ(tls_.sslSend(session, request.data(), static_cast<int>(request.size())),
            static_cast<int>(request.size()));
  // s_server prints what it receives.
  ASSERT_TRUE(server.WaitForOutput("END OF REQUEST", 10000));
  EXPECT_NE(server.Output().find(request), std::string::npos) << "in order, nothing lost or doubled";
  EXPECT_EQ(tls_.sslSend(session, request.data(), 0), 0);
  EXPECT_EQ(tls_.sslSend(session, nullptr, 5), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  tls_.sslFreeSession(session);
}

TEST_F(TlsClient, FreeingTheSessionSendsCloseNotify) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "");
  TlsSession session = Connect(server);
  ASSERT_NE(session, 0u) << error_;
  ASSERT_TRUE(Send(session, "bye\n"));
  ASSERT_TRUE(server.WaitForOutput("bye", 10000));
  tls_.sslFreeSession(session);
  // s_server says DONE when the client closed the TLS session properly.
  EXPECT_TRUE(server.WaitForOutput("DONE", 10000)) << server.Output();
  EXPECT_EQ(server.Output().find("unexpected eof"), std::string::npos);
  EXPECT_NE(closesocket(socket_), SOCKET_ERROR) << "the socket stays the caller's";
  socket_ = INVALID_SOCKET;
}

TEST_F(TlsClient, SelfSignedAndAuthoritySignedCertificatesAreBothAccepted) {
  const TestCertificates& certs = Certificates();
  {
    OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev");
    TlsSession session = Connect(server);
    EXPECT_NE(session, 0u) << "self-signed: " << error_;
    tls_.sslFreeSession(session);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
  OpenSslServer server(certs.signedCert, certs.signedKey, "-rev -cert_chain '" + certs.authorityCert + "'");
  TlsSession session = Connect(server);
  ASSERT_NE(session, 0u) << "signed by an unknown authority: " << error_;
  ASSERT_TRUE(Send(session, "MM7 connection test\n"));
  EXPECT_EQ(ReceiveUntil(session, "\n").substr(0, sizeof kReversedPrompt - 1), kReversedPrompt);
  tls_.sslFreeSession(session);
}

TEST_F(TlsClient, Tls12IsSpokenAndTls13WhereTheSystemOffersIt) {
  const TestCertificates& certs = Certificates();
  {
    OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev -tls1_2");
    TlsSession session = Connect(server);
    ASSERT_NE(session, 0u) << error_;
    ASSERT_TRUE(Send(session, "MM7 connection test\n"));
    EXPECT_EQ(ReceiveUntil(session, "\n").substr(0, sizeof kReversedPrompt - 1), kReversedPrompt);
    EXPECT_NE(server.Output().find("Protocol version: TLSv1.2"), std::string::npos) << server.Output();
    tls_.sslFreeSession(session);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
  // Older Schannel versions (and Wine's) stop at TLS 1.2: a server that
  // insists on TLS 1.3 then refuses, and says why.
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev -tls1_3");
  TlsSession session = Connect(server);
  if (session == 0) {
    EXPECT_STREQ(error_,
                 "The server refused the TLS handshake: it supports none of the TLS versions this side "
                 "offers (TLS 1.2 and newer) (TLS alert 70).");
    return;
  }
  ASSERT_TRUE(Send(session, "MM7 connection test\n"));
  EXPECT_EQ(ReceiveUntil(session, "\n").substr(0, sizeof kReversedPrompt - 1), kReversedPrompt);
  EXPECT_NE(server.Output().find("Protocol version: TLSv1.3"), std::string::npos) << server.Output();
  tls_.sslFreeSession(session);
}

TEST_F(TlsClient, ServerChoosingTls10Or11IsRefusedWithTheReason) {
  const TestCertificates& certs = Certificates();
  for (const char* version : {"1", "1_1"}) {
    OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey,
                         std::string("-tls") + version + " -cipher DEFAULT:@SECLEVEL=0");
    EXPECT_EQ(Connect(server), 0u);
    std::string expected = std::string("The server chose TLS ") + (version[1] ? "1.1" : "1.0") +
                           ", which this client refuses: TLS 1.2 or newer is required.";
    EXPECT_EQ(std::string(error_), expected);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
}

TEST_F(TlsClient, PlainTextServerIsNamedWithWhatItSaid) {
  std::string clientHello;
  TlsSession session = ConnectToScriptedPeer(tls_, kReadTimeoutMs, error_, [&](SOCKET& peer) {
    clientHello = ReadAvailable(peer, 500);
    const char reply[] = "HTTP/1.1 400 Bad Request\r\nServer: test\r\nContent-Length: 0\r\n\r\n";
    send(peer, reply, sizeof reply - 1, 0);
    shutdown(peer, SD_SEND);
  });
  EXPECT_EQ(session, 0u);
  ASSERT_GE(clientHello.size(), 5u);
  EXPECT_EQ(clientHello[0], '\x16') << "the client spoke first, with a TLS handshake record";
  EXPECT_STREQ(error_,
               "The server is not speaking TLS on this port (check the address and port, or use "
               "http:// instead of https://). It answered: \"HTTP/1.1 400 Bad Request\"");
}

TEST_F(TlsClient, GreetingServerIsNamedAndLongLinesAreCut) {
  TlsSession session = ConnectToScriptedPeer(tls_, kReadTimeoutMs, error_, [](SOCKET& peer) {
    std::string greeting = "220 " + std::string(100, 'x') + "\r\n";
    send(peer, greeting.data(), static_cast<int>(greeting.size()), 0);
    ReadAvailable(peer, 500);
    shutdown(peer, SD_SEND);
  });
  EXPECT_EQ(session, 0u);
  std::string expected = "It answered: \"220 " + std::string(56, 'x') + "...\"";
  EXPECT_NE(std::string(error_).find(expected), std::string::npos) << error_;
}

TEST_F(TlsClient, ServerClosingWithoutAnswerIsNamed) {
  TlsSession session = ConnectToScriptedPeer(tls_, kReadTimeoutMs, error_, [](SOCKET& peer) {
    ReadAvailable(peer, 500);
    shutdown(peer, SD_BOTH);
  });
  EXPECT_EQ(session, 0u);
  EXPECT_STREQ(error_,
               "The server closed the connection without answering the TLS handshake; it may not speak "
               "TLS on this port.");
}

TEST_F(TlsClient, AlertInsteadOfAnAnswerIsExplained) {
  struct Case {
    const char* alert;
    const char* text;
  } cases[] = {
      {"15030300020228",
       "The server refused the TLS handshake: it found no cipher suite or parameters in common with this "
       "client (TLS alert 40)."},
      {"1503030002022A", "The server refused the TLS handshake: it rejected the certificate (TLS alert 42)."},
      {"15030300020274", "The server refused the TLS handshake: it requires a client certificate, and this "
                         "client has none (TLS alert 116)."},
      {"15030300020263", "The server refused the TLS handshake with TLS alert 99."},
  };
  for (const Case& c : cases) {
    TlsSession session = ConnectToScriptedPeer(tls_, kReadTimeoutMs, error_, [&](SOCKET& peer) {
      ReadAvailable(peer, 300);
      SendHex(peer, c.alert);
    });
    EXPECT_EQ(session, 0u);
    EXPECT_STREQ(error_, c.text);
  }
}

TEST_F(TlsClient, AnswerCutShortIsNamed) {
  // A handshake record announcing 80 bytes, of which 4 come.
  const char cut[] = "160303005002000046";
  TlsSession session = ConnectToScriptedPeer(tls_, kReadTimeoutMs, error_, [&](SOCKET& peer) {
    ReadAvailable(peer, 300);
    SendHex(peer, cut);
    shutdown(peer, SD_SEND);
  });
  EXPECT_EQ(session, 0u);
  EXPECT_STREQ(error_, "The server closed the connection during the TLS handshake.");

  session = ConnectToScriptedPeer(tls_, 1000, error_, [&](SOCKET& peer) {
    ReadAvailable(peer, 300);
    SendHex(peer, cut);
    ReadAvailable(peer, 3000);
  });
  EXPECT_EQ(session, 0u);
  EXPECT_STREQ(error_, "The server stopped answering during the TLS handshake (nothing for 1 second).");
}

TEST_F(TlsClient, NonsenseInsideATlsRecordGetsSchannelsReason) {
  // A whole handshake record of zeros: TLS on the outside, nonsense inside.
  TlsSession session = ConnectToScriptedPeer(tls_, kReadTimeoutMs, error_, [](SOCKET& peer) {
    ReadAvailable(peer, 300);
    SendHex(peer, "16030300080000000000000000");
  });
  EXPECT_EQ(session, 0u);
  EXPECT_EQ(std::string(error_).rfind("The TLS handshake with the server failed: ", 0), 0u) << error_;
  EXPECT_NE(std::string(error_).find("(error 0x8009"), std::string::npos) << error_;
}

TEST_F(TlsClient, SilentServerIsGivenUpOnAfterTheSocketTimeout) {
  DWORD clientMs = 0;
  TlsSession session = ConnectToScriptedPeer(
      tls_, 1000, error_, [](SOCKET& peer) { ReadAvailable(peer, 3000); }, &clientMs);
  EXPECT_EQ(session, 0u);
  EXPECT_STREQ(error_, "The server did not answer the TLS handshake within 1 second.");
  EXPECT_GE(clientMs, 900u);
  EXPECT_LT(clientMs, 2500u) << "the socket's own time-out bounds the wait";
}

TEST_F(TlsClient, SocketWithoutConnectionFailsWithASocketText) {
  // A closed port fails at connect, before TLS: the console reports that itself.
  unsigned short port = ClosedPort();
  EXPECT_EQ(ConnectLoopback(port, kReadTimeoutMs), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);

  // Handed such a socket anyway, the library fails cleanly with what the
  // socket itself reports.
  socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_EQ(send(probe, "x", 1, 0), SOCKET_ERROR);
  int code = WSAGetLastError();
  closesocket(probe);
  ASSERT_NE(SocketErrorText(code), nullptr) << code;
  EXPECT_EQ(tls_.sslInitSession(socket_, error_), 0u);
  EXPECT_EQ(std::string(error_), "Sending the TLS handshake to the server failed: " +
                                     std::string(SocketErrorText(code)) + " (Windows Sockets error " +
                                     std::to_string(code) + ").");
  EXPECT_EQ(tls_.sslInitSession(INVALID_SOCKET, error_), 0u);
  EXPECT_STREQ(error_,
               "Sending the TLS handshake to the server failed: the socket is not valid (Windows Sockets "
               "error 10038).");
  EXPECT_EQ(tls_.sslInitSession(INVALID_SOCKET, nullptr), 0u) << "no text buffer is fine too";
}

TEST_F(TlsClient, StartUpIsCountedAndTermClosesLeftoverSessions) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev");
  ASSERT_TRUE(tls_.sslInitLib());
  tls_.sslTermLib();  // one of two start-ups ended: still usable
  TlsSession session = Connect(server);
  ASSERT_NE(session, 0u) << error_;
  tls_.sslTermLib();  // the last one: the forgotten session goes with it
  EXPECT_TRUE(server.WaitForOutput("CONNECTION CLOSED", 10000)) << server.Output();

  char buffer[8];
  EXPECT_EQ(tls_.sslSend(session, "x", 1), SOCKET_ERROR);
  EXPECT_EQ(tls_.sslRecv(session, buffer, sizeof buffer), SOCKET_ERROR);
  EXPECT_EQ(tls_.sslDataPending(session), 0);
  EXPECT_EQ(tls_.sslInitSession(socket_, error_), 0u);
  EXPECT_STREQ(error_, "The TLS library is not initialised (sslInitLib was not called).");
  EXPECT_EQ(tls_.sslAcceptSession(socket_, error_), 0u);
  EXPECT_STREQ(error_, "The TLS library is not initialised (sslInitLib was not called).");
  ASSERT_TRUE(tls_.sslInitLib()) << "and it starts again";
}

TEST_F(TlsClient, StaleAndForeignHandlesAreRefused) {
  const TestCertificates& certs = Certificates();
  OpenSslServer server(certs.selfSignedCert, certs.selfSignedKey, "-rev");
  TlsSession session = Connect(server);
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
