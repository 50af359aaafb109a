// What GWTLS.DLL reads off the wire before Schannel sees it, and the texts it
// turns failures into. No windows.h: compiled natively too, for sanitizers.
#pragma once
#include <cstddef>
#include <cstdint>

// The first bytes a peer sends tell whether it speaks TLS at all, long before
// Schannel would give a generic "illegal message".
enum TlsOpening {
  kOpeningIncomplete,  // too few bytes to tell yet
  kOpeningTls,         // a TLS record header
  kOpeningAlert,       // a plaintext TLS alert record (the peer refuses)
  kOpeningNotTls,      // something else: plain text, another protocol
};

// Classifies the start of what a peer sent. For kOpeningAlert, *alert (when
// not null) receives the alert's description code.
TlsOpening ClassifyOpening(const unsigned char* data, size_t length, unsigned* alert);

// Walks whole TLS records from the start of data and finds the first
// plaintext alert among them. False when there is none or the data is not a
// sequence of TLS records.
bool FindPlainAlert(const unsigned char* data, size_t length, unsigned* alert);

// The protocol version a server chose in its ServerHello, when data starts
// with one (0 otherwise): 0x0301 is TLS 1.0 and so on. A TLS 1.3 server
// shows 0x0303 here.
unsigned ServerHelloVersion(const unsigned char* data, size_t length);
// "TLS 1.0" and the like, or nullptr for versions not known here.
const char* ProtocolVersionName(unsigned version);

// Whether a record that decrypted to no data at all was an alert, judged by
// its header: an alert record (TLS 1.2 and older show the type), or a TLS 1.3
// record just the size of an encrypted two-byte alert (AEAD tag of 16 or 8
// bytes). Some Schannel implementations hand the peer's close-notify over
// this way instead of reporting the end of the session.
bool EmptyRecordWasAlert(const unsigned char* header, size_t length);

// The first line of what a non-TLS peer sent, for an error text: printable
// characters only (others become '.'), at most kQuotedPeerTextChars of them,
// "..." appended when cut. Returns the length written.
constexpr size_t kQuotedPeerTextChars = 60;
size_t QuotePeerText(const unsigned char* data, size_t length, char* out, size_t cap);

// The subject of a generated certificate as typed: an X.500 name (it holds
// an '=') is taken as it is; anything else is one host name, quoted so that
// a comma or plus stays part of it, which the certificate also carries as
// its DNS name. Refused: more than kSubjectChars characters, a host name with
// a double quote, or a name that does not fit in cap.
constexpr size_t kSubjectChars = 255;  // the longest DNS name
enum SubjectForm { kSubjectRefused, kSubjectX500, kSubjectHostName };
SubjectForm CertificateSubject(const char* subject, char* x500, size_t cap);

// Reader-facing explanations, or nullptr for codes not known here.
const char* TlsAlertText(unsigned description);
const char* SecurityStatusText(uint32_t status);
const char* SocketErrorText(int error);

// The Schannel status codes the texts cover (the Windows shell checks that
// they match the system headers).
namespace tls_status {
constexpr uint32_t kUnsupportedFunction = 0x80090302u;
constexpr uint32_t kInternalError = 0x80090304u;
constexpr uint32_t kUnknownCredentials = 0x8009030Du;
constexpr uint32_t kNoCredentials = 0x8009030Eu;
constexpr uint32_t kMessageAltered = 0x8009030Fu;
constexpr uint32_t kContextExpired = 0x80090317u;
constexpr uint32_t kIncompleteMessage = 0x80090318u;
constexpr uint32_t kWrongPrincipal = 0x80090322u;
constexpr uint32_t kTimeSkew = 0x80090324u;
constexpr uint32_t kUntrustedRoot = 0x80090325u;
constexpr uint32_t kIllegalMessage = 0x80090326u;
constexpr uint32_t kCertUnknown = 0x80090327u;
constexpr uint32_t kCertExpired = 0x80090328u;
constexpr uint32_t kDecryptFailure = 0x80090330u;
constexpr uint32_t kAlgorithmMismatch = 0x80090331u;
constexpr uint32_t kNoAuthenticatingAuthority = 0x80090311u;
constexpr uint32_t kInvalidToken = 0x80090308u;
constexpr uint32_t kInvalidHandle = 0x80090301u;
}  // namespace tls_status
