#include "tls_wire.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned kChangeCipherSpec = 20;
constexpr unsigned kAlertRecord = 21;
constexpr unsigned kHeartbeat = 24;
constexpr size_t kHeaderSize = 5;
// The largest record TLS 1.2 allows on the wire (2^14 plus expansion).
constexpr size_t kMaxRecordBody = 16384 + 2048;

bool KnownRecordType(unsigned char type) { return type >= kChangeCipherSpec && type <= kHeartbeat; }

size_t RecordBodyLength(const unsigned char* header) {
  return (static_cast<size_t>(header[3]) << 8) | header[4];
}

}  // namespace

TlsOpening ClassifyOpening(const unsigned char* data, size_t length, unsigned* alert) {
  if (length == 0) return kOpeningIncomplete;
  if (!KnownRecordType(data[0])) return kOpeningNotTls;
  if (length < 2) return kOpeningIncomplete;
  if (data[1] != 3) return kOpeningNotTls;
  if (length < 3) return kOpeningIncomplete;
  if (data[2] > 4) return kOpeningNotTls;
  if (length < kHeaderSize) return kOpeningIncomplete;
  size_t body = RecordBodyLength(data);
  if (body == 0 || body > kMaxRecordBody) return kOpeningNotTls;
  if (data[0] != kAlertRecord || body != 2) return kOpeningTls;
  if (length < kHeaderSize + 2) return kOpeningIncomplete;
  if (alert) *alert = data[6];
  return kOpeningAlert;
}

bool FindPlainAlert(const unsigned char* data, size_t length, unsigned* alert) {
  size_t offset = 0;
  while (length - offset >= kHeaderSize) {
    const unsigned char* header = data + offset;
    if (!KnownRecordType(header[0]) || header[1] != 3) return false;
    size_t body = RecordBodyLength(header);
    if (length - offset - kHeaderSize < body) return false;
    if (header[0] == kAlertRecord && body == 2) {
      if (alert) *alert = header[6];
      return true;
    }
    offset += kHeaderSize + body;
  }
  return false;
}

unsigned ServerHelloVersion(const unsigned char* data, size_t length) {
  constexpr unsigned kHandshakeRecord = 22;
  constexpr unsigned kServerHello = 2;
  // Record header, handshake type and length, then the version.
  if (length < kHeaderSize + 6 || data[0] != kHandshakeRecord || data[1] != 3 ||
      data[kHeaderSize] != kServerHello)
    return 0;
  return (static_cast<unsigned>(data[kHeaderSize + 4]) << 8) | data[kHeaderSize + 5];
}

const char* ProtocolVersionName(unsigned version) {
  switch (version) {
    case 0x0300: return "SSL 3.0";
    case 0x0301: return "TLS 1.0";
    case 0x0302: return "TLS 1.1";
    case 0x0303: return "TLS 1.2";
    case 0x0304: return "TLS 1.3";
    default: return nullptr;
  }
}

bool EmptyRecordWasAlert(const unsigned char* header, size_t length) {
  constexpr unsigned kApplicationData = 23;
  // Inner plaintext of an encrypted alert: two alert bytes and the real type.
  constexpr size_t kSealedAlert = 3;
  if (length < kHeaderSize || header[1] != 3) return false;
  if (header[0] == kAlertRecord) return true;
  size_t body = RecordBodyLength(header);
  return header[0] == kApplicationData && (body == kSealedAlert + 16 || body == kSealedAlert + 8);
}

size_t QuotePeerText(const unsigned char* data, size_t length, char* out, size_t cap) {
  if (cap == 0) return 0;
  size_t start = 0;
  while (start < length && (data[start] == '\r' || data[start] == '\n')) ++start;
  size_t used = 0;
  size_t i = start;
  for (; i < length && data[i] != '\r' && data[i] != '\n'; ++i) {
    if (i - start == kQuotedPeerTextChars || used + 1 >= cap) break;
    unsigned char c = data[i];
    out[used++] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
  }
  bool cut = i < length && data[i] != '\r' && data[i] != '\n';
  for (const char* dots = "..."; cut && *dots && used + 1 < cap; ++dots) out[used++] = *dots;
  out[used] = '\0';
  return used;
}

SubjectForm CertificateSubject(const char* subject, char* x500, size_t cap) {
  size_t length = strlen(subject);
  if (length > kSubjectChars || cap == 0) return kSubjectRefused;
  bool isX500 = strchr(subject, '=') != nullptr;
  if (!isX500 && strchr(subject, '"')) return kSubjectRefused;
  int written = snprintf(x500, cap, isX500 ? "%s" : "CN=\"%s\"", subject);
  if (written < 0 || static_cast<size_t>(written) >= cap) return kSubjectRefused;
  return isX500 ? kSubjectX500 : kSubjectHostName;
}

const char* TlsAlertText(unsigned description) {
  switch (description) {
    case 0: return "it closed the connection";
    case 10: return "it received a message it did not expect";
    case 20: return "a record failed its integrity check";
    case 22: return "a record was too long";
    case 40: return "it found no cipher suite or parameters in common with this client";
    case 42: return "it rejected the certificate";
    case 43: return "it does not support the certificate's type";
    case 44: return "the certificate was revoked";
    case 45: return "the certificate has expired";
    case 46: return "it could not accept the certificate";
    case 47: return "a handshake field was out of range";
    case 48: return "the certificate authority is unknown to it";
    case 49: return "access was denied";
    case 50: return "a message could not be decoded";
    case 51: return "a signature or decryption check failed";
    case 70: return "it supports none of the TLS versions this side offers (TLS 1.2 and newer)";
    case 71: return "it requires stronger security than this side offers";
    case 80: return "it had an internal error";
    case 86: return "it detected a version downgrade";
    case 90: return "the handshake was cancelled";
    case 109: return "a required extension was missing";
    case 110: return "an extension was not supported";
    case 112: return "it needs the host name (server name indication), which this connection does not carry";
    case 116: return "it requires a client certificate, and this client has none";
    case 120: return "no application protocol in common";
    default: return nullptr;
  }
}

const char* SecurityStatusText(uint32_t status) {
  using namespace tls_status;
  switch (status) {
    case kUnsupportedFunction: return "the TLS provider does not support this operation";
    case kInternalError: return "the TLS provider reported an internal error";
    case kUnknownCredentials: return "the certificate or its private key cannot be used";
    case kNoCredentials: return "no certificate with a usable private key is available";
    case kMessageAltered: return "a message was altered in transit";
    case kContextExpired: return "the TLS session has ended";
    case kIncompleteMessage: return "a TLS message was cut short";
    case kWrongPrincipal: return "the certificate was issued to a different name";
    case kTimeSkew: return "the clocks of the two sides differ too much";
    case kUntrustedRoot: return "the certificate is not trusted (self-signed or unknown authority)";
    case kIllegalMessage: return "the peer sent a message that is not valid TLS";
    case kCertUnknown: return "the certificate could not be processed";
    case kCertExpired: return "the certificate has expired";
    case kDecryptFailure: return "a record could not be decrypted";
    case kAlgorithmMismatch:
      return "no TLS version or cipher suite in common (this side offers TLS 1.2 and newer)";
    case kNoAuthenticatingAuthority: return "no TLS version is enabled on this system";
    case kInvalidToken: return "the peer sent a handshake message that is not valid";
    case kInvalidHandle: return "the TLS session is not valid";
    default: return nullptr;
  }
}

const char* SocketErrorText(int error) {
  switch (error) {
    case 10004: return "the call was interrupted";
    case 10009:
    case 10038: return "the socket is not valid";
    case 10035: return "the socket is non-blocking and not ready";
    case 10050: return "the network is down";
    case 10051: return "the network cannot be reached";
    case 10052: return "the network dropped the connection";
    case 10053: return "the connection was aborted on this side";
    case 10054: return "the server reset the connection";
    case 10057: return "the socket is not connected";
    case 10058: return "the connection has been shut down";
    case 10060: return "the connection timed out";
    case 10061: return "the connection was refused";
    case 10065: return "the host cannot be reached";
    case 10093: return "Windows Sockets is not started";
    default: return nullptr;
  }
}
