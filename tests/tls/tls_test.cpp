// GWTLS.DLL as the console and the gateway bind it: the client against
// openssl s_server and scripted peers on loopback, and the server side with
// its certificate in the local machine's store.
#include "tls/tls_test_servers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "config/link_libraries.h"
#include "gwtls/tls_certificate.h"
#include "gwtls/tls_wire.h"
#include "support/test_env.h"

using namespace std::string_literals;

namespace {

HCERTSTORE OpenMachineStore() {
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, kCertificateStoreName);
}

// Every certificate of ours in the store, freed with the list.
struct OurCertificates {
  OurCertificates() {
    HCERTSTORE store = OpenMachineStore();
    wchar_t name[64];
    for (PCCERT_CONTEXT cert = nullptr; store && (cert = CertEnumCertificatesInStore(store, cert)) != nullptr;) {
      DWORD size = sizeof name;
      if (CertGetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, name, &size) &&
          wcscmp(name, kCertificateFriendlyName) == 0)
        list.push_back(CertDuplicateCertificateContext(cert));
    }
    if (store) CertCloseStore(store, 0);
  }
  ~OurCertificates() {
    for (PCCERT_CONTEXT cert : list) CertFreeCertificateContext(cert);
  }
  std::vector<PCCERT_CONTEXT> list;
};

// The key container a certificate names, or "" when it names none.
std::wstring KeyContainer(PCCERT_CONTEXT cert, DWORD* flags = nullptr) {
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) return L"";
  std::vector<BYTE> bytes(size);
  auto* info = reinterpret_cast<CRYPT_KEY_PROV_INFO*>(bytes.data());
  if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, info, &size)) return L"";
  if (flags) *flags = info->dwFlags;
  return info->pwszContainerName ? info->pwszContainerName : L"";
}

// Opens (and releases) or, with CRYPT_DELETEKEYSET, deletes a machine key container.
bool MachineKeySet(const std::wstring& container, DWORD flags = 0) {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextW(&provider, container.c_str(), nullptr, PROV_RSA_AES, flags | CRYPT_MACHINE_KEYSET))
    return false;
  if (!(flags & CRYPT_DELETEKEYSET)) CryptReleaseContext(provider, 0);
  return true;
}

// Leaves the store without any certificate of ours, keys included.
void RemoveOurCertificates() {
  HCERTSTORE store = OpenMachineStore();
  for (PCCERT_CONTEXT cert : OurCertificates().list) {
    MachineKeySet(KeyContainer(cert), CRYPT_DELETEKEYSET);
    PCCERT_CONTEXT inStore = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr);
    if (inStore) CertDeleteCertificateFromStore(inStore);
  }
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(store, 0);
}

// Puts one of the test certificates (a PEM file) into the store, under our
// name or none, with server.key imported into a new machine key container
// when one is named.
void AddToStore(const char* pemFile, const wchar_t* container, bool named) {
  std::string pem = ReadFileText(Certificates().folder + pemFile);
  BYTE der[4096];
  DWORD size = sizeof der;
  ASSERT_TRUE(CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der, &size, nullptr, nullptr));
  PCCERT_CONTEXT cert = CertCreateCertificateContext(X509_ASN_ENCODING, der, size);
  CRYPT_DATA_BLOB name = {static_cast<DWORD>(sizeof kCertificateFriendlyName),
                          reinterpret_cast<BYTE*>(const_cast<wchar_t*>(kCertificateFriendlyName))};
  EXPECT_TRUE(CertSetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, 0, named ? &name : nullptr));
  if (container) {
    MachineKeySet(container, CRYPT_DELETEKEYSET);
    std::string blob = ReadFileText(Certificates().folder + "server.blob");
    HCRYPTPROV provider = 0;
    HCRYPTKEY key = 0;
    EXPECT_TRUE(CryptAcquireContextW(&provider, container, nullptr, PROV_RSA_AES, CRYPT_NEWKEYSET | CRYPT_MACHINE_KEYSET));
    EXPECT_TRUE(CryptImportKey(provider, reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()),
                               0, 0, &key)) << GetLastError();
    CryptDestroyKey(key);
    CryptReleaseContext(provider, 0);
    CRYPT_KEY_PROV_INFO keyInfo = {const_cast<wchar_t*>(container), nullptr, PROV_RSA_AES, CRYPT_MACHINE_KEYSET,
                                   0, nullptr, AT_KEYEXCHANGE};
    EXPECT_TRUE(CertSetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, 0, &keyInfo));
  }
  // Under Wine a replace in place does not take the new properties: the old one goes first.
  HCERTSTORE store = OpenMachineStore();
  PCCERT_CONTEXT old = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr);
  if (old) CertDeleteCertificateFromStore(old);
  EXPECT_TRUE(CertAddCertificateContextToStore(store, cert, CERT_STORE_ADD_NEW, nullptr));
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(store, 0);
  CertFreeCertificateContext(cert);
}

// openssl's reading of a certificate.
std::string OpenSslView(PCCERT_CONTEXT cert) {
  ScratchFolder folder;
  WriteFileText(folder.path + "cert.der", std::string(reinterpret_cast<const char*>(cert->pbCertEncoded),
                                                       cert->cbCertEncoded));
  EXPECT_EQ(RunUnixShell(folder, "openssl x509 -inform DER -in cert.der -noout -text > cert.txt", 10000), 0);
  return ReadFileText(folder.path + "cert.txt");
}

class Tls : public testing::Test {
 protected:
  // sslInitLib starts Windows Sockets too.
  void SetUp() override {
    RemoveOurCertificates();
    ASSERT_TRUE(BindTlsLibrary("GWTLS.DLL", &tls_)) << "GWTLS.DLL beside the program, every entry point exported";
    ASSERT_TRUE(tls_.sslInitLib());
  }
  void TearDown() override {
    closesocket(socket_);
    if (tls_.module) {
      tls_.sslTermLib();
      FreeLibrary(tls_.module);
    }
    RemoveOurCertificates();
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
  // Runs sslAcceptSession on the server end while client plays the peer.
  template <typename Client>
  TlsSession AcceptFrom(Client client) {
    SocketPair pair;
    std::thread peer([&] { client(pair.client); });
    TlsSession session = tls_.sslAcceptSession(pair.server, error_);
    peer.join();
    return session;
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
      {"-servername localhost -cert2 '" + certs.signedCert + "' -key2 '" + certs.signedKey + "'", "localhost",
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
  enum Then { kStayOpen, kClose, kHangUp };
  const struct {
    std::string reply;
    Then then;
    DWORD timeoutMs;
    std::string error;
  } rows[] = {
      {"HTTP/1.1 400 Bad Request\r\nServer: test\r\n\r\n", kClose, 10000,
       "The server is not speaking TLS on this port (check the address and port, or use http:// instead of "
       "https://). It answered: \"HTTP/1.1 400 Bad Request\""},
      {"", kHangUp, 10000,
       "The server closed the connection without answering the TLS handshake; it may not speak TLS on this port."},
      {"", kStayOpen, 1000, "The server did not answer the TLS handshake within 1 second."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.error);
    SocketPair pair;
    SetReceiveTimeout(pair.client, row.timeoutMs);
    char hello[4096] = "";
    std::thread peer([&] {
      recv(pair.server, hello, sizeof hello, 0);
      send(pair.server, row.reply.data(), static_cast<int>(row.reply.size()), 0);
      if (row.then != kStayOpen) shutdown(pair.server, row.then == kClose ? SD_SEND : SD_BOTH);
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

// How subjects are written is a rule of its own; here the certificates as
// openssl reads them, with or without a DNS name.
TEST_F(Tls, GeneratedCertificatesAreSelfSignedForTheirSubjectAndReplaceTheLastOne) {
  char host[256] = "";
  DWORD size = sizeof host;
  ASSERT_TRUE(GetComputerNameExA(ComputerNameDnsFullyQualified, host, &size));
  EXPECT_FALSE(tls_.sslServerCertExists());
  const struct {
    const char* subject;
    std::string shown, dns;
  } rows[] = {{"", "CN = "s + host, "DNS:"s + host},
              {"CN=gw.example.com, O=Example Ltd", "CN = gw.example.com, O = Example Ltd", ""},
              {"gateway.example.com", "CN = gateway.example.com", "DNS:gateway.example.com"}};
  std::wstring lastContainer;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    ASSERT_TRUE(tls_.sslGenerateCertificate(row.subject)) << GetLastError();
    EXPECT_TRUE(tls_.sslServerCertExists());
    EXPECT_FALSE(tls_.sslSignedCertExists()) << "self-signed";
    OurCertificates ours;
    ASSERT_EQ(ours.list.size(), 1u) << "the last one replaced";
    PCCERT_CONTEXT cert = ours.list[0];
    EXPECT_TRUE(lastContainer.empty() || !MachineKeySet(lastContainer)) << "the old key went with the old one";
    DWORD flags = 0;
    lastContainer = KeyContainer(cert, &flags);
    EXPECT_TRUE(flags & CRYPT_MACHINE_KEYSET) << "the service account reaches the key too";
    EXPECT_TRUE(MachineKeySet(lastContainer));
    ULARGE_INTEGER from = {{cert->pCertInfo->NotBefore.dwLowDateTime, cert->pCertInfo->NotBefore.dwHighDateTime}};
    ULARGE_INTEGER to = {{cert->pCertInfo->NotAfter.dwLowDateTime, cert->pCertInfo->NotAfter.dwHighDateTime}};
    EXPECT_NEAR((to.QuadPart - from.QuadPart) / (24 * 3600 * 1e7), 5 * 365 + 2, 1.0) << "five years, from a day back";
    EXPECT_EQ(CertVerifyTimeValidity(nullptr, cert->pCertInfo), 0);
    const std::string view = OpenSslView(cert);
    EXPECT_EQ(view.find("DNS:") == std::string::npos, row.dns.empty()) << view;
    for (const std::string& part : {"Subject: " + row.shown, "Issuer: " + row.shown, row.dns,
                                    "TLS Web Server Authentication"s, "Signature Algorithm: sha256WithRSAEncryption"s,
                                    "Public-Key: (2048 bit)"s})
      EXPECT_NE(view.find(part), std::string::npos) << part << " in\n" << view;
  }
  SetLastError(0);
  EXPECT_FALSE(tls_.sslGenerateCertificate("bad\"quote.example.com"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(tls_.sslGenerateCertificate("CN=\"open")) << "the system refuses the X.500 name";
  OurCertificates ours;
  ASSERT_EQ(ours.list.size(), 1u);
  EXPECT_EQ(KeyContainer(ours.list[0]), lastContainer) << "the last good one stays";
}

TEST_F(Tls, OnlyValidCertificatesWithAKeyCountAndGenerationKeepsAuthoritySignedOnes) {
  AddToStore("expired.pem", L"gwtls test expired key", true);
  AddToStore("self.pem", nullptr, true);  // without its key
  EXPECT_EQ(OurCertificates().list.size(), 2u);
  EXPECT_FALSE(tls_.sslServerCertExists()) << "neither counts";
  EXPECT_EQ(AcceptFrom([](SOCKET) {}), 0u);
  EXPECT_NE(strstr(error_, "No usable server certificate"), nullptr) << error_;

  AddToStore("server.pem", L"gwtls test signed key", false);
  EXPECT_FALSE(tls_.sslSignedCertExists()) << "not ours until it carries our name";
  AddToStore("server.pem", L"gwtls test signed key", true);
  EXPECT_TRUE(tls_.sslSignedCertExists());
  EXPECT_TRUE(tls_.sslServerCertExists());
  ASSERT_TRUE(tls_.sslGenerateCertificate("gateway.example.com"));
  EXPECT_TRUE(tls_.sslSignedCertExists()) << "generation replaces self-signed ones only";
  EXPECT_EQ(OurCertificates().list.size(), 2u) << "the new one and the authority-signed one";
}

// A client that sends no handshake is named; then the library against itself
// over loopback, the data path being the client's. Where Schannel cannot act as a server (Wine before version
// 9 has no AcceptSecurityContext for it), both sides must fail cleanly with
// texts that say so.
TEST_F(Tls, ServerNamesClientsWithoutAHandshakeAndServesTheLibrarysOwnClient) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("localhost"));
  EXPECT_EQ(AcceptFrom([](SOCKET client) { send(client, "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n", 35, 0); }), 0u);
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
