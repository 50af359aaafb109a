// GWTLS.DLL's server side: the certificate in the local machine's store,
// and accepting TLS sessions.
#include "tls/tls_test_servers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "config/link_libraries.h"
#include "gwtls/tls_certificate.h"
#include "support/test_env.h"

namespace {

constexpr int kErrorTextSize = 1024;
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

void SetFriendlyName(PCCERT_CONTEXT cert) {
  CRYPT_DATA_BLOB name = {static_cast<DWORD>((wcslen(kCertificateFriendlyName) + 1) * sizeof(wchar_t)),
                          reinterpret_cast<BYTE*>(const_cast<wchar_t*>(kCertificateFriendlyName))};
  EXPECT_TRUE(CertSetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, 0, &name));
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
  if (!CryptAcquireContextW(&provider, container.c_str(), nullptr, PROV_RSA_AES, CRYPT_MACHINE_KEYSET))
    return false;
  CryptReleaseContext(provider, 0);
  return true;
}

// Every certificate of ours in the store, each a copy the caller frees.
std::vector<PCCERT_CONTEXT> OurCertificates() {
  std::vector<PCCERT_CONTEXT> found;
  HCERTSTORE store = OpenMachineStore();
  if (!store) return found;
  for (PCCERT_CONTEXT cert = nullptr; (cert = CertEnumCertificatesInStore(store, cert)) != nullptr;)
    if (HasFriendlyName(cert)) found.push_back(CertDuplicateCertificateContext(cert));
  CertCloseStore(store, 0);
  return found;
}

void FreeAll(std::vector<PCCERT_CONTEXT>& certs) {
  for (PCCERT_CONTEXT cert : certs) CertFreeCertificateContext(cert);
  certs.clear();
}

// Leaves the store without any certificate of ours, keys included.
void RemoveOurCertificates() {
  std::vector<PCCERT_CONTEXT> certs = OurCertificates();
  HCERTSTORE store = OpenMachineStore();
  for (PCCERT_CONTEXT cert : certs) {
    std::wstring container = KeyContainer(cert);
    HCRYPTPROV unused = 0;
    if (!container.empty())
      CryptAcquireContextW(&unused, container.c_str(), nullptr, PROV_RSA_AES,
                           CRYPT_DELETEKEYSET | CRYPT_MACHINE_KEYSET);
    PCCERT_CONTEXT inStore = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, cert,
                                                        nullptr);
    if (inStore) CertDeleteCertificateFromStore(inStore);
  }
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(store, 0);
  FreeAll(certs);
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

const CERT_EXTENSION* FindExtension(PCCERT_CONTEXT cert, const char* oid) {
  return CertFindExtension(oid, cert->pCertInfo->cExtension, cert->pCertInfo->rgExtension);
}

// The DNS names of a certificate's subject alternative name extension.
std::vector<std::wstring> DnsNames(PCCERT_CONTEXT cert) {
  std::vector<std::wstring> names;
  const CERT_EXTENSION* extension = FindExtension(cert, szOID_SUBJECT_ALT_NAME2);
  if (!extension) return names;
  CERT_ALT_NAME_INFO* info = nullptr;
  DWORD size = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, extension->Value.pbData,
                           extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &info, &size))
    return names;
  for (DWORD i = 0; i < info->cAltEntry; ++i)
    if (info->rgAltEntry[i].dwAltNameChoice == CERT_ALT_NAME_DNS_NAME) names.push_back(info->rgAltEntry[i].pwszDNSName);
  LocalFree(info);
  return names;
}

bool AllowsServerAuthentication(PCCERT_CONTEXT cert) {
  const CERT_EXTENSION* extension = FindExtension(cert, szOID_ENHANCED_KEY_USAGE);
  if (!extension) return false;
  CERT_ENHKEY_USAGE* usage = nullptr;
  DWORD size = 0;
  if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ENHANCED_KEY_USAGE, extension->Value.pbData,
                           extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &usage, &size))
    return false;
  bool found = false;
  for (DWORD i = 0; i < usage->cUsageIdentifier; ++i)
    found = found || strcmp(usage->rgpszUsageIdentifier[i], szOID_PKIX_KP_SERVER_AUTH) == 0;
  LocalFree(usage);
  return found;
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
  TlsSession AcceptFrom(SocketPair& pair, Client client) {
    std::thread peer([&] { client(pair.client); });
    TlsSession session = tls_.sslAcceptSession(pair.server, error_);
    peer.join();
    return session;
  }

  TlsLibrary tls_ = {};
  char error_[kErrorTextSize] = "";
};

}  // namespace

TEST_F(TlsServer, NoCertificateUntilOneIsGenerated) {
  EXPECT_FALSE(tls_.sslServerCertExists());
  EXPECT_FALSE(tls_.sslSignedCertExists());
  SocketPair pair;
  EXPECT_EQ(tls_.sslAcceptSession(pair.server, error_), 0u);
  EXPECT_STREQ(error_, kNoCertificate);
}

TEST_F(TlsServer, GeneratedCertificateIsSelfSignedForTheHostName) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("gateway.example.com")) << GetLastError();
  EXPECT_TRUE(tls_.sslServerCertExists());
  EXPECT_FALSE(tls_.sslSignedCertExists()) << "self-signed";

  std::vector<PCCERT_CONTEXT> certs = OurCertificates();
  ASSERT_EQ(certs.size(), 1u);
  PCCERT_CONTEXT cert = certs[0];
  EXPECT_EQ(SubjectText(cert), "CN=gateway.example.com");
  EXPECT_TRUE(CertCompareCertificateName(X509_ASN_ENCODING, &cert->pCertInfo->Subject, &cert->pCertInfo->Issuer));
  EXPECT_EQ(DnsNames(cert), std::vector<std::wstring>{L"gateway.example.com"});
  EXPECT_TRUE(AllowsServerAuthentication(cert));
  EXPECT_STREQ(cert->pCertInfo->SignatureAlgorithm.pszObjId, szOID_RSA_SHA256RSA);
  EXPECT_EQ(CertGetPublicKeyLength(X509_ASN_ENCODING, &cert->pCertInfo->SubjectPublicKeyInfo), 2048u);
  EXPECT_NEAR(ValidDays(cert), 5 * 365 + 2, 1.0) << "five years, from a day back";
  EXPECT_EQ(CertVerifyTimeValidity(nullptr, cert->pCertInfo), 0);

  DWORD flags = 0;
  std::wstring container = KeyContainer(cert, &flags);
  EXPECT_EQ(container.rfind(L"Zed SMS-MMS Gateway TLS key", 0), 0u);
  EXPECT_TRUE(flags & CRYPT_MACHINE_KEYSET) << "the service account reaches the key too";
  EXPECT_TRUE(KeyContainerExists(container));
  FreeAll(certs);
}

TEST_F(TlsServer, GeneratingAgainReplacesTheOldCertificateAndKey) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("old.example.com"));
  std::vector<PCCERT_CONTEXT> certs = OurCertificates();
  ASSERT_EQ(certs.size(), 1u);
  std::wstring oldContainer = KeyContainer(certs[0]);
  FreeAll(certs);

  Sleep(20);  // a new key container name comes from the clock
  ASSERT_TRUE(tls_.sslGenerateCertificate("new.example.com"));
  certs = OurCertificates();
  ASSERT_EQ(certs.size(), 1u) << "the earlier self-signed one is gone";
  EXPECT_EQ(SubjectText(certs[0]), "CN=new.example.com");
  EXPECT_NE(KeyContainer(certs[0]), oldContainer);
  EXPECT_FALSE(KeyContainerExists(oldContainer)) << "with its key";
  EXPECT_TRUE(KeyContainerExists(KeyContainer(certs[0])));
  FreeAll(certs);
}

TEST_F(TlsServer, SubjectsAsX500NameOrThisComputersName) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("CN=gw.example.com, O=Example Ltd"));
  std::vector<PCCERT_CONTEXT> certs = OurCertificates();
  ASSERT_EQ(certs.size(), 1u);
  EXPECT_EQ(SubjectText(certs[0]), "CN=gw.example.com, O=Example Ltd");
  EXPECT_TRUE(DnsNames(certs[0]).empty()) << "an X.500 name is taken as it is";
  FreeAll(certs);

  char host[256] = "";
  DWORD size = sizeof host;
  ASSERT_TRUE(GetComputerNameExA(ComputerNameDnsFullyQualified, host, &size));
  for (const char* subject : {"", static_cast<const char*>(nullptr)}) {
    ASSERT_TRUE(tls_.sslGenerateCertificate(subject));
    certs = OurCertificates();
    ASSERT_EQ(certs.size(), 1u);
    EXPECT_EQ(SubjectText(certs[0]), std::string("CN=") + host);
    FreeAll(certs);
  }

  ASSERT_TRUE(tls_.sslGenerateCertificate("gw.example.com, with a comma"));
  certs = OurCertificates();
  ASSERT_EQ(certs.size(), 1u);
  EXPECT_EQ(SubjectText(certs[0]), "CN=\"gw.example.com, with a comma\"") << "one name, not two";
  FreeAll(certs);
}

TEST_F(TlsServer, UnusableSubjectsAreRefusedAndChangeNothing) {
  EXPECT_FALSE(tls_.sslGenerateCertificate("bad\"quote.example.com"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(tls_.sslGenerateCertificate(std::string(256, 'a').c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(tls_.sslGenerateCertificate("CN=\"unterminated"));
  EXPECT_TRUE(OurCertificates().empty());
  EXPECT_FALSE(tls_.sslServerCertExists());
}

TEST_F(TlsServer, AuthoritySignedCertificateCountsOnceNamedAndSurvivesGeneration) {
  // openssl's authority-signed certificate, its key imported into a machine
  // key container of its own.
  const wchar_t container[] = L"gwtls test signed key";
  std::string blob = ReadFileText(Certificates().signedKeyBlob);
  ASSERT_FALSE(blob.empty());
  HCRYPTPROV provider = 0;
  CryptAcquireContextW(&provider, container, nullptr, PROV_RSA_AES, CRYPT_DELETEKEYSET | CRYPT_MACHINE_KEYSET);
  ASSERT_TRUE(CryptAcquireContextW(&provider, container, nullptr, PROV_RSA_AES, CRYPT_NEWKEYSET | CRYPT_MACHINE_KEYSET));
  HCRYPTKEY key = 0;
  ASSERT_TRUE(CryptImportKey(provider, reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()), 0,
                             0, &key))
      << GetLastError();
  CryptDestroyKey(key);
  CryptReleaseContext(provider, 0);

  PCCERT_CONTEXT cert = PemCertificate(Certificates().folder + "server.pem");
  ASSERT_NE(cert, nullptr);
  CRYPT_KEY_PROV_INFO keyInfo = {const_cast<wchar_t*>(container), nullptr, PROV_RSA_AES, CRYPT_MACHINE_KEYSET, 0,
                                 nullptr, AT_KEYEXCHANGE};
  ASSERT_TRUE(CertSetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, 0, &keyInfo));
  HCERTSTORE store = OpenMachineStore();
  PCCERT_CONTEXT stored = nullptr;
  ASSERT_TRUE(CertAddCertificateContextToStore(store, cert, CERT_STORE_ADD_NEW, &stored));
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  EXPECT_FALSE(tls_.sslSignedCertExists()) << "not ours until it carries our name";

  // Named, it takes the unnamed copy's place.
  ASSERT_TRUE(CertDeleteCertificateFromStore(stored));
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  SetFriendlyName(cert);
  ASSERT_TRUE(CertAddCertificateContextToStore(store, cert, CERT_STORE_ADD_NEW, &stored));
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  EXPECT_TRUE(tls_.sslSignedCertExists());
  EXPECT_TRUE(tls_.sslServerCertExists());
  ASSERT_TRUE(tls_.sslGenerateCertificate("gateway.example.com"));
  EXPECT_TRUE(tls_.sslSignedCertExists()) << "generation replaces self-signed ones only";
  std::vector<PCCERT_CONTEXT> certs = OurCertificates();
  EXPECT_EQ(certs.size(), 2u);
  FreeAll(certs);
  CertFreeCertificateContext(stored);
  CertFreeCertificateContext(cert);
  CertCloseStore(store, 0);
}

TEST_F(TlsServer, ExpiredOrKeylessCertificatesDoNotCount) {
  // Expired: made here with a key of its own.
  const wchar_t container[] = L"gwtls test expired key";
  HCRYPTPROV provider = 0;
  CryptAcquireContextW(&provider, container, nullptr, PROV_RSA_AES, CRYPT_DELETEKEYSET | CRYPT_MACHINE_KEYSET);
  ASSERT_TRUE(CryptAcquireContextW(&provider, container, nullptr, PROV_RSA_AES, CRYPT_NEWKEYSET | CRYPT_MACHINE_KEYSET));
  HCRYPTKEY key = 0;
  ASSERT_TRUE(CryptGenKey(provider, AT_KEYEXCHANGE, 1024 << 16, &key));
  CryptDestroyKey(key);
  BYTE name[128];
  DWORD nameSize = sizeof name;
  ASSERT_TRUE(CertStrToNameA(X509_ASN_ENCODING, "CN=expired.example.com", CERT_X500_NAME_STR, nullptr, name,
                             &nameSize, nullptr));
  CERT_NAME_BLOB subject = {nameSize, name};
  CRYPT_KEY_PROV_INFO keyInfo = {const_cast<wchar_t*>(container), nullptr, PROV_RSA_AES, CRYPT_MACHINE_KEYSET,
                                 0, nullptr, AT_KEYEXCHANGE};
  SYSTEMTIME start = {2001, 1, 1, 1, 0, 0, 0, 0};
  SYSTEMTIME end = {2002, 1, 2, 1, 0, 0, 0, 0};
  PCCERT_CONTEXT expired = CertCreateSelfSignCertificate(provider, &subject, 0, &keyInfo, nullptr, &start, &end,
                                                         nullptr);
  ASSERT_NE(expired, nullptr);
  CryptReleaseContext(provider, 0);
  SetFriendlyName(expired);
  HCERTSTORE store = OpenMachineStore();
  ASSERT_TRUE(CertAddCertificateContextToStore(store, expired, CERT_STORE_ADD_NEW, nullptr));
  CertFreeCertificateContext(expired);
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  EXPECT_FALSE(tls_.sslServerCertExists()) << "expired";

  // Keyless: openssl's self-signed certificate without its key.
  PCCERT_CONTEXT keyless = PemCertificate(Certificates().folder + "self.pem");
  ASSERT_NE(keyless, nullptr);
  SetFriendlyName(keyless);
  ASSERT_TRUE(CertAddCertificateContextToStore(store, keyless, CERT_STORE_ADD_NEW, nullptr));
  CertFreeCertificateContext(keyless);
  CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  CertCloseStore(store, 0);
  EXPECT_FALSE(tls_.sslServerCertExists()) << "no private key";
  EXPECT_FALSE(tls_.sslSignedCertExists());
  EXPECT_EQ(OurCertificates().size(), 2u) << "both are there, neither counts";

  SocketPair pair;
  EXPECT_EQ(tls_.sslAcceptSession(pair.server, error_), 0u);
  EXPECT_STREQ(error_, kNoCertificate);
}

TEST_F(TlsServer, PlainTextClientIsNamedWithWhatItSent) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("localhost"));
  SocketPair pair;
  TlsSession session = AcceptFrom(pair, [](SOCKET client) {
    const char request[] = "GET / HTTP/1.1\r\nHost: localhost\r\n\r\n";
    send(client, request, sizeof request - 1, 0);
  });
  EXPECT_EQ(session, 0u);
  EXPECT_STREQ(error_, "The client is not speaking TLS. It sent: \"GET / HTTP/1.1\"");
}

TEST_F(TlsServer, SilentClientIsGivenUpOnAfterTheSocketTimeout) {
  ASSERT_TRUE(tls_.sslGenerateCertificate("localhost"));
  SocketPair pair;
  SetReceiveTimeout(pair.server, 1000);
  DWORD started = GetTickCount();
  TlsSession session = AcceptFrom(pair, [](SOCKET) {});
  DWORD elapsed = GetTickCount() - started;
  EXPECT_EQ(session, 0u);
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
  char clientError[kErrorTextSize] = "";
  TlsSession client = 0;
  std::thread peer([&] { client = tls_.sslInitSession(pair.client, clientError); });
  TlsSession server = tls_.sslAcceptSession(pair.server, error_);
  // Without a server session the client's handshake ends when we hang up.
  if (server == 0) shutdown(pair.server, SD_BOTH);
  peer.join();
  if (server == 0) {
    // Wine 8: no server side in its Schannel, and its certificate key lookup
    // misses machine keys.
    EXPECT_TRUE(std::string(error_) ==
                    "This system's Schannel cannot accept TLS connections: the TLS provider does not "
                    "support this operation (error 0x80090302)." ||
                std::string(error_) ==
                    "Schannel refused the server certificate: the certificate or its private key cannot "
                    "be used (error 0x8009030D).")
        << error_;
    EXPECT_EQ(client, 0u);
    EXPECT_STREQ(clientError,
                 "The server closed the connection without answering the TLS handshake; it may not speak "
                 "TLS on this port.");
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
