// GWTLS.DLL's server side: the certificate in the local machine's store,
// and accepting TLS sessions.
#include "tls/tls_test_servers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "config/link_libraries.h"
#include "gwtls/tls_certificate.h"
#include "support/test_env.h"

namespace {

const char kNoCertificate[] =
    "No usable server certificate named \"Zed SMS/MMS Gateway\" (valid, with its private key) is in the "
    "local machine's personal certificate store; generate one first.";

HCERTSTORE OpenMachineStore() {
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "MY");
}

bool HasFriendlyName(PCCERT_CONTEXT cert) {
  wchar_t name[64];
  DWORD size = sizeof name;
  return CertGetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, name, &size) &&
         wcscmp(name, kCertificateFriendlyName) == 0;
}

// The key container a certificate names, or "" when it names none.
std::wstring KeyContainer(PCCERT_CONTEXT cert, DWORD* flags = nullptr) {
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) return L"";
  std::string bytes(size, '\0');
  auto* info = reinterpret_cast<CRYPT_KEY_PROV_INFO*>(&bytes[0]);
  if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, info, &size)) return L"";
  if (flags) *flags = info->dwFlags;
  return info->pwszContainerName ? info->pwszContainerName : L"";
}

bool KeyContainerExists(const std::wstring& container) {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextW(&provider, container.c_str(), nullptr, PROV_RSA_AES, CRYPT_MACHINE_KEYSET)) return false;
  CryptReleaseContext(provider, 0);
  return true;
}

void DeleteMachineKeySet(const wchar_t* container) {
  HCRYPTPROV unused = 0;
  CryptAcquireContextW(&unused, container, nullptr, PROV_RSA_AES, CRYPT_DELETEKEYSET | CRYPT_MACHINE_KEYSET);
}

// A machine key container of that name, new and empty.
HCRYPTPROV NewMachineKeySet(const wchar_t* container) {
  DeleteMachineKeySet(container);
  HCRYPTPROV provider = 0;
  EXPECT_TRUE(
      CryptAcquireContextW(&provider, container, nullptr, PROV_RSA_AES, CRYPT_NEWKEYSET | CRYPT_MACHINE_KEYSET));
  return provider;
}

// Every certificate of ours in the store, freed with the list.
struct OurCertificates {
  OurCertificates() {
    HCERTSTORE store = OpenMachineStore();
    for (PCCERT_CONTEXT cert = nullptr; store && (cert = CertEnumCertificatesInStore(store, cert)) != nullptr;)
      if (HasFriendlyName(cert)) list.push_back(CertDuplicateCertificateContext(cert));
    if (store) CertCloseStore(store, 0);
  }
  ~OurCertificates() {
    for (PCCERT_CONTEXT cert : list) CertFreeCertificateContext(cert);
  }
  std::vector<PCCERT_CONTEXT> list;
};

void RemoveFromStore(PCCERT_CONTEXT cert) {
  HCERTSTORE store = OpenMachineStore();
  PCCERT_CONTEXT inStore = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert, nullptr);
  if (inStore) CertDeleteCertificateFromStore(inStore);
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(store, 0);
}

// Leaves the store without any certificate of ours, keys included.
void RemoveOurCertificates() {
  OurCertificates ours;
  for (PCCERT_CONTEXT cert : ours.list) {
    std::wstring container = KeyContainer(cert);
    if (!container.empty()) DeleteMachineKeySet(container.c_str());
    RemoveFromStore(cert);
  }
}

CRYPT_KEY_PROV_INFO MachineKey(const wchar_t* container) {
  return {const_cast<wchar_t*>(container), nullptr, PROV_RSA_AES, CRYPT_MACHINE_KEYSET, 0, nullptr, AT_KEYEXCHANGE};
}

// Puts a certificate into the store, with the key container given (if any),
// under our name or none.
void AddToStore(PCCERT_CONTEXT cert, const wchar_t* container, bool named) {
  CRYPT_DATA_BLOB name = {static_cast<DWORD>((wcslen(kCertificateFriendlyName) + 1) * sizeof(wchar_t)),
                          reinterpret_cast<BYTE*>(const_cast<wchar_t*>(kCertificateFriendlyName))};
  EXPECT_TRUE(CertSetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, 0, named ? &name : nullptr));
  CRYPT_KEY_PROV_INFO keyInfo = MachineKey(container);
  if (container) {
    EXPECT_TRUE(CertSetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, 0, &keyInfo));
  }
  HCERTSTORE store = OpenMachineStore();
  EXPECT_TRUE(CertAddCertificateContextToStore(store, cert, CERT_STORE_ADD_NEW, nullptr));
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(store, 0);
}

// A certificate context from a PEM file, or null.
PCCERT_CONTEXT PemCertificate(const std::string& path) {
  std::string pem = ReadFileText(path);
  BYTE der[4096];
  DWORD size = sizeof der;
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der, &size, nullptr, nullptr)) return nullptr;
  return CertCreateCertificateContext(X509_ASN_ENCODING, der, size);
}

std::string SubjectText(PCCERT_CONTEXT cert) {
  char text[512] = "";
  CertNameToStrA(X509_ASN_ENCODING, &cert->pCertInfo->Subject, CERT_X500_NAME_STR, text, sizeof text);
  return text;
}

// openssl's reading of a certificate.
std::string OpenSslView(PCCERT_CONTEXT cert) {
  ScratchFolder folder;
  WriteFileText(folder.Path() + "cert.der", std::string(reinterpret_cast<const char*>(cert->pbCertEncoded),
                                                        cert->cbCertEncoded));
  EXPECT_EQ(RunUnixShell(folder, "openssl x509 -inform DER -in cert.der -noout -text > cert.txt", 10000), 0);
  return ReadFileText(folder.Path() + "cert.txt");
}

double ValidDays(PCCERT_CONTEXT cert) {
  ULARGE_INTEGER from, to;
  from.LowPart = cert->pCertInfo->NotBefore.dwLowDateTime;
  from.HighPart = cert->pCertInfo->NotBefore.dwHighDateTime;
  to.LowPart = cert->pCertInfo->NotAfter.dwLowDateTime;
  to.HighPart = cert->pCertInfo->NotAfter.dwHighDateTime;
  return static_cast<double>(to.QuadPart - from.QuadPart) / (24.0 * 3600 * 10000000);
}

class TlsServer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  static void TearDownTestSuite() { WSACleanup(); }

  void SetUp() override {
    RemoveOurCertificates();
    ASSERT_TRUE(BindTlsLibrary("GWTLS.DLL", &tls_));
    ASSERT_TRUE(tls_.sslInitLib());
  }
  void TearDown() override {
    if (tls_.module) {
      tls_.sslTermLib();
      FreeLibrary(tls_.module);
    }
    RemoveOurCertificates();
  }

  // Runs sslAcceptSession on the server end while client plays the peer.
  template <typename Client>
  TlsSession AcceptFrom(Client client, DWORD timeoutMs = 10000) {
    SocketPair pair;
    SetReceiveTimeout(pair.server, timeoutMs);
    std::thread peer([&] { client(pair.client); });
    TlsSession session = tls_.sslAcceptSession(pair.server, error_);
    peer.join();
    return session;
  }

  TlsLibrary tls_ = {};
  char error_[1024] = "";
};

}  // namespace

TEST_F(TlsServer, GeneratedCertificateIsSelfSignedForTheHostAndReplacesTheLastOne) {
  EXPECT_FALSE(tls_.sslServerCertExists());
  EXPECT_EQ(AcceptFrom([](SOCKET) {}), 0u);
  EXPECT_STREQ(error_, kNoCertificate);

  ASSERT_TRUE(tls_.sslGenerateCertificate("old.example.com")) << GetLastError();
  std::wstring oldContainer = KeyContainer(OurCertificates().list.at(0));
  ASSERT_TRUE(tls_.sslGenerateCertificate("gateway.example.com")) << GetLastError();
  EXPECT_TRUE(tls_.sslServerCertExists());
  EXPECT_FALSE(tls_.sslSignedCertExists()) << "self-signed";
  EXPECT_FALSE(KeyContainerExists(oldContainer)) << "the old key went with the old certificate";

  OurCertificates ours;
  ASSERT_EQ(ours.list.size(), 1u);
  PCCERT_CONTEXT cert = ours.list[0];
  EXPECT_EQ(SubjectText(cert), "CN=gateway.example.com");
  const std::string view = OpenSslView(cert);
  for (const char* part : {"Issuer: CN = gateway.example.com", "DNS:gateway.example.com",
                           "TLS Web Server Authentication", "Signature Algorithm: sha256WithRSAEncryption",
                           "Public-Key: (2048 bit)"})
    EXPECT_NE(view.find(part), std::string::npos) << part << " in\n" << view;
  EXPECT_NEAR(ValidDays(cert), 5 * 365 + 2, 1.0) << "five years, from a day back";
  EXPECT_EQ(CertVerifyTimeValidity(nullptr, cert->pCertInfo), 0);
  DWORD flags = 0;
  std::wstring container = KeyContainer(cert, &flags);
  EXPECT_NE(container, oldContainer);
  EXPECT_TRUE(flags & CRYPT_MACHINE_KEYSET) << "the service account reaches the key too";
  EXPECT_TRUE(KeyContainerExists(container));
}

TEST_F(TlsServer, SubjectsAsX500NameOrThisComputersNameAndUnusableOnesChangeNothing) {
  char host[256] = "";
  DWORD size = sizeof host;
  ASSERT_TRUE(GetComputerNameExA(ComputerNameDnsFullyQualified, host, &size));
  const struct {
    const char* subject;
    std::string expected;
  } rows[] = {{"CN=gw.example.com, O=Example Ltd", "CN=gw.example.com, O=Example Ltd"},  // no DNS name
              {"", std::string("CN=") + host}, {nullptr, std::string("CN=") + host},
              {"gw.example.com, with a comma", "CN=\"gw.example.com, with a comma\""}};  // one name, not two
  for (const auto& row : rows) {
    ASSERT_TRUE(tls_.sslGenerateCertificate(row.subject)) << row.expected;
    OurCertificates ours;
    ASSERT_EQ(ours.list.size(), 1u);
    EXPECT_EQ(SubjectText(ours.list[0]), row.expected);
    if (row.subject && strncmp(row.subject, "CN=", 3) == 0) {
      EXPECT_EQ(OpenSslView(ours.list[0]).find("DNS:"), std::string::npos) << "no DNS name for an X.500 name";
    }
  }
  for (const std::string& bad :
       {std::string("bad\"quote.example.com"), std::string(256, 'a'), std::string("CN=\"open")}) {
    SetLastError(0);
    EXPECT_FALSE(tls_.sslGenerateCertificate(bad.c_str())) << bad;
    if (bad != "CN=\"open") {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
  }
  OurCertificates ours;
  ASSERT_EQ(ours.list.size(), 1u);
  EXPECT_EQ(SubjectText(ours.list[0]), "CN=\"gw.example.com, with a comma\"") << "the last good one stays";
}

TEST_F(TlsServer, OnlyValidCertificatesWithAKeyCountAndGenerationKeepsAuthoritySignedOnes) {
  // Expired, with a key of its own; and openssl's self-signed one without its key.
  HCRYPTPROV provider = NewMachineKeySet(L"gwtls test expired key");
  HCRYPTKEY key = 0;
  ASSERT_TRUE(CryptGenKey(provider, AT_KEYEXCHANGE, 1024 << 16, &key));
  CryptDestroyKey(key);
  BYTE name[128];
  DWORD nameSize = sizeof name;
  ASSERT_TRUE(CertStrToNameA(X509_ASN_ENCODING, "CN=expired.example.com", CERT_X500_NAME_STR, nullptr, name, &nameSize,
                             nullptr));
  CERT_NAME_BLOB subject = {nameSize, name};
  SYSTEMTIME start = {2001, 1, 1, 1, 0, 0, 0, 0}, end = {2002, 1, 2, 1, 0, 0, 0, 0};
  CRYPT_KEY_PROV_INFO keyInfo = MachineKey(L"gwtls test expired key");
  PCCERT_CONTEXT expired =
      CertCreateSelfSignCertificate(provider, &subject, 0, &keyInfo, nullptr, &start, &end, nullptr);
  ASSERT_NE(expired, nullptr);
  CryptReleaseContext(provider, 0);
  AddToStore(expired, L"gwtls test expired key", true);
  CertFreeCertificateContext(expired);
  PCCERT_CONTEXT keyless = PemCertificate(Certificates().folder + "self.pem");
  ASSERT_NE(keyless, nullptr);
  AddToStore(keyless, nullptr, true);
  CertFreeCertificateContext(keyless);
  EXPECT_EQ(OurCertificates().list.size(), 2u);
  EXPECT_FALSE(tls_.sslServerCertExists()) << "neither counts";
  EXPECT_EQ(AcceptFrom([](SOCKET) {}), 0u);
  EXPECT_STREQ(error_, kNoCertificate);

  // openssl's authority-signed certificate, its key imported into a machine key container.
  std::string blob = ReadFileText(Certificates().signedKeyBlob);
  provider = NewMachineKeySet(L"gwtls test signed key");
  ASSERT_TRUE(
      CryptImportKey(provider, reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()), 0, 0, &key))
      << GetLastError();
  CryptDestroyKey(key);
  CryptReleaseContext(provider, 0);
  PCCERT_CONTEXT authoritySigned = PemCertificate(Certificates().folder + "server.pem");
  ASSERT_NE(authoritySigned, nullptr);
  AddToStore(authoritySigned, L"gwtls test signed key", false);
  EXPECT_FALSE(tls_.sslSignedCertExists()) << "not ours until it carries our name";
  RemoveFromStore(authoritySigned);
  AddToStore(authoritySigned, L"gwtls test signed key", true);
  CertFreeCertificateContext(authoritySigned);
  EXPECT_TRUE(tls_.sslSignedCertExists());
  EXPECT_TRUE(tls_.sslServerCertExists());
  ASSERT_TRUE(tls_.sslGenerateCertificate("gateway.example.com"));
  EXPECT_TRUE(tls_.sslSignedCertExists()) << "generation replaces self-signed ones only";
  EXPECT_EQ(OurCertificates().list.size(), 2u) << "the new one and the authority-signed one";
  DeleteMachineKeySet(L"gwtls test expired key");  // its certificate went, as a self-signed one of ours
}

TEST_F(TlsServer, ClientsThatSendNoHandshakeAreNamed) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("localhost"));
  EXPECT_EQ(AcceptFrom([](SOCKET client) {
              const char request[] = "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n";
              send(client, request, sizeof request - 1, 0);
            }),
            0u);
  EXPECT_STREQ(error_, "The client is not speaking TLS. It sent: \"GET / HTTP/1.1\"");

  DWORD started = GetTickCount();
  EXPECT_EQ(AcceptFrom([](SOCKET) {}, 1000), 0u);
  DWORD elapsed = GetTickCount() - started;
  EXPECT_STREQ(error_, "The client did not send a TLS handshake within 1 second.");
  EXPECT_GE(elapsed, 900u);
  EXPECT_LT(elapsed, 2500u);
}

// The library against itself over loopback. Where Schannel cannot act as a
// server (Wine before version 9 has no AcceptSecurityContext for it), both
// sides must fail cleanly with texts that say so.
TEST_F(TlsServer, LibraryServesItsOwnClientWhereSchannelCanAccept) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("localhost"));
  SocketPair pair;
  char clientError[1024] = "";
  TlsSession client = 0;
  std::thread peer([&] { client = tls_.sslInitSession(pair.client, clientError); });
  TlsSession server = tls_.sslAcceptSession(pair.server, error_);
  // Without a server session the client's handshake ends when we hang up.
  if (server == 0) shutdown(pair.server, SD_BOTH);
  peer.join();
  if (server == 0) {
    // Wine 8: no server side in its Schannel, and its certificate key lookup misses machine keys.
    const std::string error = error_;
    EXPECT_TRUE(error == "This system's Schannel cannot accept TLS connections: the TLS provider does not "
                         "support this operation (error 0x80090302)." ||
                error == "Schannel refused the server certificate: the certificate or its private key cannot "
                         "be used (error 0x8009030D).")
        << error;
    EXPECT_EQ(client, 0u);
    EXPECT_STREQ(clientError,
                 "The server closed the connection without answering the TLS handshake; it may not speak TLS on "
                 "this port.");
    return;
  }
  ASSERT_NE(client, 0u) << clientError;
  ASSERT_EQ(tls_.sslSend(client, "ping", 4), 4);
  char buffer[16];
  ASSERT_EQ(tls_.sslRecv(server, buffer, 2), 2);
  EXPECT_EQ(tls_.sslDataPending(server), 2);
  ASSERT_EQ(tls_.sslRecv(server, buffer + 2, sizeof buffer - 2), 2);
  EXPECT_EQ(std::string(buffer, 4), "ping");
  ASSERT_EQ(tls_.sslSend(server, "pong", 4), 4);
  ASSERT_EQ(tls_.sslRecv(client, buffer, sizeof buffer), 4);
  EXPECT_EQ(std::string(buffer, 4), "pong");
  tls_.sslFreeSession(client);
  EXPECT_EQ(tls_.sslRecv(server, buffer, sizeof buffer), 0) << "close-notify ends the server's stream";
  tls_.sslFreeSession(server);
}
