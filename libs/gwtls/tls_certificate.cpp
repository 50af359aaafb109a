#include "tls_certificate.h"

#include <ncrypt.h>

#include <cstring>
#include <cwchar>

#include "common/text_util.h"
#include "tls_wire.h"

namespace {

constexpr unsigned kKeyBits = 2048;
constexpr int kValidYears = 5;
constexpr ULONGLONG kTicksPerDay = 24ULL * 60 * 60 * 10000000;

HCERTSTORE OpenStore(bool forWriting) {
  DWORD flags = CERT_SYSTEM_STORE_LOCAL_MACHINE;
  if (!forWriting) flags |= CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG;
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, flags, kCertificateStoreName);
}

// Writes the store's changes out now. A system store may otherwise keep
// them until its last reference goes, which some implementations never see
// happen. Where the store writes through anyway, this has nothing to do.
void CommitStore(HCERTSTORE store) { CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr); }

bool IsOurs(PCCERT_CONTEXT cert) {
  wchar_t name[64];
  DWORD size = sizeof name;
  if (!CertGetCertificateContextProperty(cert, CERT_FRIENDLY_NAME_PROP_ID, name, &size)) return false;
  name[sizeof name / sizeof name[0] - 1] = L'\0';
  return wcscmp(name, kCertificateFriendlyName) == 0;
}

bool IsSelfSigned(PCCERT_CONTEXT cert) {
  return CertCompareCertificateName(X509_ASN_ENCODING, &cert->pCertInfo->Subject,
                                    &cert->pCertInfo->Issuer) != FALSE;
}

// The certificate's key information, on the process heap (HeapFree it), or
// null when it has none.
CRYPT_KEY_PROV_INFO* KeyInfo(PCCERT_CONTEXT cert) {
  DWORD size = 0;
  if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) return nullptr;
  auto* info = static_cast<CRYPT_KEY_PROV_INFO*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
  if (info && !CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, info, &size)) {
    HeapFree(GetProcessHeap(), 0, info);
    return nullptr;
  }
  return info;
}

// Opens the key container the key information names, with its own flags.
// Some implementations of CryptAcquireCertificatePrivateKey drop the
// machine-keyset flag and miss machine keys; this finds them all the same.
bool KeyContainerHoldsKey(const CRYPT_KEY_PROV_INFO* info) {
  HCRYPTPROV provider = 0;
  if (info->dwProvType == 0 ||
      !CryptAcquireContextW(&provider, info->pwszContainerName, info->pwszProvName, info->dwProvType,
                            (info->dwFlags & CRYPT_MACHINE_KEYSET) | CRYPT_SILENT))
    return false;
  HCRYPTKEY key = 0;
  bool found = CryptGetUserKey(provider, info->dwKeySpec, &key) != FALSE;
  if (found) CryptDestroyKey(key);
  CryptReleaseContext(provider, 0);
  return found;
}

bool HasPrivateKey(PCCERT_CONTEXT cert) {
  HCRYPTPROV_OR_NCRYPT_KEY_HANDLE key = 0;
  DWORD spec = 0;
  BOOL mustFree = FALSE;
  if (CryptAcquireCertificatePrivateKey(cert, CRYPT_ACQUIRE_SILENT_FLAG | CRYPT_ACQUIRE_ALLOW_NCRYPT_KEY_FLAG,
                                        nullptr, &key, &spec, &mustFree)) {
    if (mustFree) {
      if (spec == CERT_NCRYPT_KEY_SPEC)
        NCryptFreeObject(key);
      else
        CryptReleaseContext(key, 0);
    }
    return true;
  }
  CRYPT_KEY_PROV_INFO* info = KeyInfo(cert);
  if (!info) return false;
  bool found = KeyContainerHoldsKey(info);
  HeapFree(GetProcessHeap(), 0, info);
  return found;
}

bool IsUsable(PCCERT_CONTEXT cert) {
  return CertVerifyTimeValidity(nullptr, cert->pCertInfo) == 0 && HasPrivateKey(cert);
}

// Signed before self-signed, then the one valid longest. Null when none.
PCCERT_CONTEXT FindBest(HCERTSTORE store, bool signedOnly) {
  PCCERT_CONTEXT best = nullptr;
  bool bestSigned = false;
  for (PCCERT_CONTEXT cert = nullptr; (cert = CertEnumCertificatesInStore(store, cert)) != nullptr;) {
    if (!IsOurs(cert) || !IsUsable(cert)) continue;
    bool isSigned = !IsSelfSigned(cert);
    if (signedOnly && !isSigned) continue;
    bool better = !best || (isSigned && !bestSigned) ||
                  (isSigned == bestSigned &&
                   CompareFileTime(&cert->pCertInfo->NotAfter, &best->pCertInfo->NotAfter) > 0);
    if (!better) continue;
    if (best) CertFreeCertificateContext(best);
    best = CertDuplicateCertificateContext(cert);
    bestSigned = isSigned;
  }
  return best;
}

// Removes a generated certificate's key container. Only containers this
// library made are touched.
void DeleteKeyContainer(PCCERT_CONTEXT cert) {
  CRYPT_KEY_PROV_INFO* info = KeyInfo(cert);
  if (!info) return;
  wchar_t prefix[64];
  MultiByteToWideChar(CP_ACP, 0, kKeyContainerName, -1, prefix, 64);
  if (info->pwszContainerName && wcsncmp(info->pwszContainerName, prefix, wcslen(prefix)) == 0) {
    HCRYPTPROV unused = 0;
    CryptAcquireContextW(&unused, info->pwszContainerName, info->pwszProvName, info->dwProvType,
                         CRYPT_DELETEKEYSET | (info->dwFlags & CRYPT_MACHINE_KEYSET));
  }
  HeapFree(GetProcessHeap(), 0, info);
}

// Deletes our self-signed certificates other than keep, with their keys.
// Deleting in the middle of a walk through a system store is not safe, so
// each deletion starts a new walk; the limit only guards against a store
// that refuses to delete.
void RemoveOldSelfSigned(HCERTSTORE store, PCCERT_CONTEXT keep) {
  constexpr int kMaxDeletions = 64;
  for (int deleted = 0; deleted < kMaxDeletions; ++deleted) {
    PCCERT_CONTEXT old = nullptr;
    for (PCCERT_CONTEXT cert = nullptr; !old && (cert = CertEnumCertificatesInStore(store, cert)) != nullptr;) {
      if (IsOurs(cert) && IsSelfSigned(cert) &&
          !CertCompareCertificate(X509_ASN_ENCODING, cert->pCertInfo, keep->pCertInfo))
        old = CertDuplicateCertificateContext(cert);
      if (old) CertFreeCertificateContext(cert);
    }
    if (!old) return;
    DeleteKeyContainer(old);
    if (!CertDeleteCertificateFromStore(old)) return;  // frees old either way
  }
}

// The X.500 subject and, for a plain host name, the DNS name.
bool BuildSubject(const char* subject, char* x500, size_t x500Cap, wchar_t* dnsName, size_t dnsCap) {
  char host[kSubjectChars + 1] = "";
  if (!subject || !*subject) {
    DWORD size = sizeof host;
    if (!GetComputerNameExA(ComputerNameDnsFullyQualified, host, &size) || !*host) {
      size = sizeof host;
      if (!GetComputerNameA(host, &size)) return false;
    }
    subject = host;
  }
  SubjectForm form = CertificateSubject(subject, x500, x500Cap);
  if (form == kSubjectRefused) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  dnsName[0] = L'\0';
  if (form == kSubjectHostName) {
    MultiByteToWideChar(CP_ACP, 0, subject, -1, dnsName, static_cast<int>(dnsCap));
    dnsName[dnsCap - 1] = L'\0';
  }
  return true;
}

// Everything one generation holds, released in one place.
struct Generation {
  BYTE* name = nullptr;
  DWORD nameSize = 0;
  BYTE* usage = nullptr;
  DWORD usageSize = 0;
  BYTE* altName = nullptr;
  DWORD altNameSize = 0;
  HCRYPTPROV provider = 0;
  char container[128] = "";
  PCCERT_CONTEXT created = nullptr;
  PCCERT_CONTEXT stored = nullptr;
  HCERTSTORE store = nullptr;
};

void ReleaseGeneration(Generation* g, bool succeeded) {
  DWORD error = GetLastError();
  if (g->name) HeapFree(GetProcessHeap(), 0, g->name);
  if (g->usage) LocalFree(g->usage);
  if (g->altName) LocalFree(g->altName);
  if (g->created) CertFreeCertificateContext(g->created);
  if (g->stored) CertFreeCertificateContext(g->stored);
  if (g->store) CertCloseStore(g->store, 0);
  if (g->provider) {
    CryptReleaseContext(g->provider, 0);
    if (!succeeded) {
      HCRYPTPROV unused = 0;
      CryptAcquireContextA(&unused, g->container, MS_ENH_RSA_AES_PROV_A, PROV_RSA_AES,
                           CRYPT_DELETEKEYSET | CRYPT_MACHINE_KEYSET);
    }
  }
  SetLastError(error);
}

bool EncodeName(Generation* g, const char* x500) {
  if (!CertStrToNameA(X509_ASN_ENCODING, x500, CERT_X500_NAME_STR, nullptr, nullptr, &g->nameSize, nullptr))
    return false;
  g->name = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, g->nameSize));
  return g->name && CertStrToNameA(X509_ASN_ENCODING, x500, CERT_X500_NAME_STR, nullptr, g->name,
                                   &g->nameSize, nullptr);
}

bool EncodeExtensions(Generation* g, wchar_t* dnsName) {
  char* serverAuth[] = {const_cast<char*>(szOID_PKIX_KP_SERVER_AUTH)};
  CERT_ENHKEY_USAGE usage = {1, serverAuth};
  if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_ENHANCED_KEY_USAGE, &usage, CRYPT_ENCODE_ALLOC_FLAG,
                           nullptr, &g->usage, &g->usageSize))
    return false;
  if (!*dnsName) return true;
  CERT_ALT_NAME_ENTRY entry = {};
  entry.dwAltNameChoice = CERT_ALT_NAME_DNS_NAME;
  entry.pwszDNSName = dnsName;
  CERT_ALT_NAME_INFO names = {1, &entry};
  return CryptEncodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, &names, CRYPT_ENCODE_ALLOC_FLAG,
                             nullptr, &g->altName, &g->altNameSize) != FALSE;
}

bool CreateKey(Generation* g) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  // A container of its own per generation, so the old key stays until the
  // new certificate is safely in the store.
  FormatText(g->container, sizeof g->container, "%s %08lX%08lX", kKeyContainerName,
             static_cast<unsigned long>(now.dwHighDateTime), static_cast<unsigned long>(now.dwLowDateTime));
  if (!CryptAcquireContextA(&g->provider, g->container, MS_ENH_RSA_AES_PROV_A, PROV_RSA_AES,
                            CRYPT_NEWKEYSET | CRYPT_MACHINE_KEYSET))
    return false;
  HCRYPTKEY key = 0;
  if (!CryptGenKey(g->provider, AT_KEYEXCHANGE, kKeyBits << 16, &key)) return false;
  CryptDestroyKey(key);
  return true;
}

SYSTEMTIME DaysFromNow(LONGLONG days) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t;
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart += static_cast<ULONGLONG>(days * static_cast<LONGLONG>(kTicksPerDay));
  FILETIME shifted = {t.LowPart, t.HighPart};
  SYSTEMTIME result;
  FileTimeToSystemTime(&shifted, &result);
  return result;
}

bool CreateCertificate(Generation* g) {
  wchar_t container[128];
  wchar_t provider[128];
  MultiByteToWideChar(CP_ACP, 0, g->container, -1, container, 128);
  MultiByteToWideChar(CP_ACP, 0, MS_ENH_RSA_AES_PROV_A, -1, provider, 128);
  CRYPT_KEY_PROV_INFO keyInfo = {container, provider, PROV_RSA_AES, CRYPT_MACHINE_KEYSET, 0, nullptr,
                                 AT_KEYEXCHANGE};
  CRYPT_ALGORITHM_IDENTIFIER signature = {const_cast<char*>(szOID_RSA_SHA256RSA), {0, nullptr}};
  // A day back, so that a client whose clock runs a little behind accepts it.
  SYSTEMTIME start = DaysFromNow(-1);
  SYSTEMTIME end = DaysFromNow(365LL * kValidYears + 1);
  CERT_EXTENSION extensions[2] = {
      {const_cast<char*>(szOID_ENHANCED_KEY_USAGE), FALSE, {g->usageSize, g->usage}},
      {const_cast<char*>(szOID_SUBJECT_ALT_NAME2), FALSE, {g->altNameSize, g->altName}}};
  CERT_EXTENSIONS list = {g->altName ? 2u : 1u, extensions};
  CERT_NAME_BLOB name = {g->nameSize, g->name};
  g->created = CertCreateSelfSignCertificate(g->provider, &name, 0, &keyInfo, &signature, &start, &end, &list);
  if (!g->created) return false;
  CRYPT_DATA_BLOB friendly = {static_cast<DWORD>((wcslen(kCertificateFriendlyName) + 1) * sizeof(wchar_t)),
                              reinterpret_cast<BYTE*>(const_cast<wchar_t*>(kCertificateFriendlyName))};
  return CertSetCertificateContextProperty(g->created, CERT_FRIENDLY_NAME_PROP_ID, 0, &friendly) != FALSE;
}

}  // namespace

bool ServerCertificateExists(bool signedOnly) {
  HCERTSTORE store = OpenStore(false);
  if (!store) return false;
  PCCERT_CONTEXT best = FindBest(store, signedOnly);
  if (best) CertFreeCertificateContext(best);
  CertCloseStore(store, 0);
  return best != nullptr;
}

bool GenerateServerCertificate(const char* subject) {
  char x500[kSubjectChars * 2 + 16];
  wchar_t dnsName[kSubjectChars + 1];
  if (!BuildSubject(subject, x500, sizeof x500, dnsName, kSubjectChars + 1)) return false;
  Generation g;
  bool done = EncodeName(&g, x500) && EncodeExtensions(&g, dnsName) && CreateKey(&g) &&
              CreateCertificate(&g) && (g.store = OpenStore(true)) != nullptr &&
              CertAddCertificateContextToStore(g.store, g.created, CERT_STORE_ADD_NEW, &g.stored);
  if (done) {
    CommitStore(g.store);
    RemoveOldSelfSigned(g.store, g.stored);
    CommitStore(g.store);
  }
  ReleaseGeneration(&g, done);
  return done;
}

PCCERT_CONTEXT FindServerCertificate(ErrorText* error) {
  HCERTSTORE store = OpenStore(false);
  PCCERT_CONTEXT cert = store ? FindBest(store, false) : nullptr;
  if (store) CertCloseStore(store, 0);
  if (!cert)
    SetErrorText(error,
                 "No usable server certificate named \"Zed SMS/MMS Gateway\" (valid, with its private "
                 "key) is in the local machine's personal certificate store; generate one first.");
  return cert;
}

bool AcquireServerCredentials(PCCERT_CONTEXT certificate, CredHandle* credentials, ErrorText* error) {
  SCHANNEL_CRED settings = {};
  settings.dwVersion = SCHANNEL_CRED_VERSION;
  settings.cCreds = 1;
  settings.paCred = &certificate;
  settings.dwFlags = SCH_USE_STRONG_CRYPTO;
  const DWORD protocolChoices[] = {SP_PROT_TLS1_2_SERVER | SP_PROT_TLS1_3_SERVER, SP_PROT_TLS1_2_SERVER};
  SECURITY_STATUS status = SEC_E_INTERNAL_ERROR;
  for (DWORD protocols : protocolChoices) {
    settings.grbitEnabledProtocols = protocols;
    TimeStamp expiry;
    status = AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_INBOUND, nullptr,
                                       &settings, nullptr, nullptr, credentials, &expiry);
    if (status == SEC_E_OK) return true;
  }
  const char* reason = SecurityStatusText(static_cast<uint32_t>(status));
  SetErrorText(error, "Schannel refused the server certificate: %s (error 0x%08lX).",
               reason ? reason : "unexpected error", static_cast<unsigned long>(status));
  return false;
}
