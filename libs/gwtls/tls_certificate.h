// The gateway's TLS server certificates. They live in the local machine's
// "MY" store, where the gateway service (running as LocalSystem) and an
// administrator's console both find them, with their private keys in
// machine key containers. The store may hold other certificates: ours are
// the ones carrying kCertificateFriendlyName. A certificate an authority
// signed gets that name when the administrator imports it; the self-signed
// one is made by GenerateServerCertificate.
#pragma once
#include <winsock2.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include "tls_session.h"

constexpr wchar_t kCertificateFriendlyName[] = L"Zed SMS/MMS Gateway";
constexpr char kCertificateStoreName[] = "MY";
// The key container of the generated certificate; replaced on each generation.
constexpr char kKeyContainerName[] = "Zed SMS-MMS Gateway TLS key";

// Whether a usable certificate (within its validity period, private key at
// hand) of ours exists; signedOnly asks for one not issued by itself.
bool ServerCertificateExists(bool signedOnly);

// Makes a new self-signed server certificate for subject: a host name (used
// as CN and as DNS name), an X.500 name such as "CN=gw.example.com, O=Example",
// or empty for this computer's DNS name. Earlier self-signed certificates of
// ours are removed; signed ones stay. False with GetLastError() on failure.
bool GenerateServerCertificate(const char* subject);

// Our best certificate: a signed one before a self-signed one, the longest
// valid first. Null with a text when there is none (free it otherwise).
PCCERT_CONTEXT FindServerCertificate(ErrorText* error);

// Schannel server credentials over the certificate.
bool AcquireServerCredentials(PCCERT_CONTEXT certificate, CredHandle* credentials, ErrorText* error);
