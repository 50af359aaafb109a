#include "../../libs/gwtls/tls_wire.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::basic_string<unsigned char> Bytes(std::initializer_list<unsigned> values) {
  std::basic_string<unsigned char> bytes;
  for (unsigned v : values) bytes.push_back(static_cast<unsigned char>(v));
  return bytes;
}

std::basic_string<unsigned char> Text(const char* text) {
  return std::basic_string<unsigned char>(reinterpret_cast<const unsigned char*>(text), strlen(text));
}

std::string Quote(const std::basic_string<unsigned char>& data, size_t cap = 100) {
  char out[100];
  size_t n = QuotePeerText(data.data(), data.size(), out, cap);
  EXPECT_EQ(n, strlen(out));
  return out;
}

}  // namespace

TEST(TlsOpening, HandshakeRecordIsTls) {
  auto hello = Bytes({0x16, 0x03, 0x03, 0x00, 0x31, 0x02});
  EXPECT_EQ(ClassifyOpening(hello.data(), hello.size(), nullptr), kOpeningTls);
  auto ancient = Bytes({0x16, 0x03, 0x00, 0x00, 0x31});
  EXPECT_EQ(ClassifyOpening(ancient.data(), ancient.size(), nullptr), kOpeningTls) << "SSL 3.0 header";
}

TEST(TlsOpening, TooFewBytesWaitForMoreUnlessAlreadyWrong) {
  auto hello = Bytes({0x16, 0x03, 0x03, 0x00, 0x31});
  for (size_t n = 0; n < 5; ++n)
    EXPECT_EQ(ClassifyOpening(hello.data(), n, nullptr), kOpeningIncomplete) << n;
  auto text = Text("H");
  EXPECT_EQ(ClassifyOpening(text.data(), text.size(), nullptr), kOpeningNotTls) << "one letter is enough";
  auto wrongMajor = Bytes({0x16, 0x04});
  EXPECT_EQ(ClassifyOpening(wrongMajor.data(), wrongMajor.size(), nullptr), kOpeningNotTls);
  auto wrongMinor = Bytes({0x16, 0x03, 0x09});
  EXPECT_EQ(ClassifyOpening(wrongMinor.data(), wrongMinor.size(), nullptr), kOpeningNotTls);
}

TEST(TlsOpening, ImpossibleRecordLengthsAreNotTls) {
  auto empty = Bytes({0x16, 0x03, 0x01, 0x00, 0x00});
  EXPECT_EQ(ClassifyOpening(empty.data(), empty.size(), nullptr), kOpeningNotTls);
  auto huge = Bytes({0x17, 0x03, 0x03, 0x48, 0x01});
  EXPECT_EQ(ClassifyOpening(huge.data(), huge.size(), nullptr), kOpeningNotTls);
  auto largest = Bytes({0x17, 0x03, 0x03, 0x48, 0x00});
  EXPECT_EQ(ClassifyOpening(largest.data(), largest.size(), nullptr), kOpeningTls);
}

TEST(TlsOpening, PlainAlertGivesItsDescription) {
  auto alert = Bytes({0x15, 0x03, 0x01, 0x00, 0x02, 0x02, 0x46});
  unsigned description = 0;
  EXPECT_EQ(ClassifyOpening(alert.data(), 6, &description), kOpeningIncomplete);
  EXPECT_EQ(ClassifyOpening(alert.data(), alert.size(), &description), kOpeningAlert);
  EXPECT_EQ(description, 70u);
  EXPECT_EQ(ClassifyOpening(alert.data(), alert.size(), nullptr), kOpeningAlert);
  auto sealed = Bytes({0x15, 0x03, 0x03, 0x00, 0x1A});
  EXPECT_EQ(ClassifyOpening(sealed.data(), sealed.size(), &description), kOpeningTls) << "encrypted alert";
}

TEST(TlsOpening, HttpAndGreetingsAreNotTls) {
  for (const char* text : {"HTTP/1.1 400 Bad Request\r\n", "220 mail ESMTP\r\n", "SSH-2.0-OpenSSH\r\n"}) {
    auto data = Text(text);
    EXPECT_EQ(ClassifyOpening(data.data(), data.size(), nullptr), kOpeningNotTls) << text;
  }
}

TEST(TlsRecords, FindsAPlainAlertAfterOtherRecords) {
  auto flight = Bytes({0x16, 0x03, 0x03, 0x00, 0x03, 0x01, 0x02, 0x03,  // handshake
                       0x15, 0x03, 0x03, 0x00, 0x02, 0x02, 0x28});       // alert 40
  unsigned alert = 0;
  EXPECT_TRUE(FindPlainAlert(flight.data(), flight.size(), &alert));
  EXPECT_EQ(alert, 40u);
  EXPECT_FALSE(FindPlainAlert(flight.data(), 8, &alert)) << "no alert in the first record";
  EXPECT_FALSE(FindPlainAlert(flight.data(), flight.size() - 1, &alert)) << "cut alert";
  auto text = Text("HTTP/1.1 400 Bad Request");
  EXPECT_FALSE(FindPlainAlert(text.data(), text.size(), &alert));
  EXPECT_FALSE(FindPlainAlert(flight.data(), 0, &alert));
}

TEST(TlsRecords, ServerHelloVersion) {
  auto tls10 = Bytes({0x16, 0x03, 0x01, 0x00, 0x30, 0x02, 0x00, 0x00, 0x2C, 0x03, 0x01});
  EXPECT_EQ(ServerHelloVersion(tls10.data(), tls10.size()), 0x0301u);
  EXPECT_EQ(ServerHelloVersion(tls10.data(), tls10.size() - 1), 0u) << "cut short";
  auto clientHello = Bytes({0x16, 0x03, 0x01, 0x00, 0x30, 0x01, 0x00, 0x00, 0x2C, 0x03, 0x03});
  EXPECT_EQ(ServerHelloVersion(clientHello.data(), clientHello.size()), 0u);
  auto alert = Bytes({0x15, 0x03, 0x01, 0x00, 0x02, 0x02, 0x46, 0x00, 0x00, 0x03, 0x01});
  EXPECT_EQ(ServerHelloVersion(alert.data(), alert.size()), 0u);
  EXPECT_STREQ(ProtocolVersionName(0x0300), "SSL 3.0");
  EXPECT_STREQ(ProtocolVersionName(0x0301), "TLS 1.0");
  EXPECT_STREQ(ProtocolVersionName(0x0302), "TLS 1.1");
  EXPECT_STREQ(ProtocolVersionName(0x0303), "TLS 1.2");
  EXPECT_STREQ(ProtocolVersionName(0x0304), "TLS 1.3");
  EXPECT_EQ(ProtocolVersionName(0x0305), nullptr);
}

TEST(TlsRecords, EmptyRecordWasAlertBySize) {
  auto tls12Alert = Bytes({0x15, 0x03, 0x03, 0x00, 0x1A});
  EXPECT_TRUE(EmptyRecordWasAlert(tls12Alert.data(), tls12Alert.size()));
  auto sealed16 = Bytes({0x17, 0x03, 0x03, 0x00, 0x13});
  EXPECT_TRUE(EmptyRecordWasAlert(sealed16.data(), sealed16.size()));
  auto sealed8 = Bytes({0x17, 0x03, 0x03, 0x00, 0x0B});
  EXPECT_TRUE(EmptyRecordWasAlert(sealed8.data(), sealed8.size()));
  auto ticket = Bytes({0x17, 0x03, 0x03, 0x00, 0xEA});
  EXPECT_FALSE(EmptyRecordWasAlert(ticket.data(), ticket.size())) << "a session ticket";
  auto emptyData = Bytes({0x17, 0x03, 0x03, 0x00, 0x11});
  EXPECT_FALSE(EmptyRecordWasAlert(emptyData.data(), emptyData.size())) << "empty application data";
  auto handshake = Bytes({0x16, 0x03, 0x03, 0x00, 0x13});
  EXPECT_FALSE(EmptyRecordWasAlert(handshake.data(), handshake.size()));
  EXPECT_FALSE(EmptyRecordWasAlert(sealed16.data(), 4));
}

TEST(QuotePeerText, FirstLineOnlyWithControlCharactersMasked) {
  EXPECT_EQ(Quote(Text("HTTP/1.1 400 Bad Request\r\nServer: x\r\n")), "HTTP/1.1 400 Bad Request");
  EXPECT_EQ(Quote(Text("\r\n\r\n220 ready\n")), "220 ready") << "leading blank lines skipped";
  EXPECT_EQ(Quote(Bytes({'A', 0x01, 0xFF, 'B'})), "A..B");
  EXPECT_EQ(Quote(Text("")), "");
}

TEST(QuotePeerText, LongLinesAndSmallBuffersAreCut) {
  std::string longLine(100, 'x');
  EXPECT_EQ(Quote(Text(longLine.c_str())), std::string(60, 'x') + "...");
  std::string exact(60, 'y');
  EXPECT_EQ(Quote(Text((exact + "\r\n").c_str())), exact) << "a line of exactly 60 is whole";
  EXPECT_EQ(Quote(Text("abcdef"), 4), "abc");
  char untouched[1] = {'z'};
  EXPECT_EQ(QuotePeerText(reinterpret_cast<const unsigned char*>("abc"), 3, untouched, 0), 0u);
  EXPECT_EQ(untouched[0], 'z');
}

TEST(TlsTexts, KnownCodesHaveTextsOthersNone) {
  EXPECT_STREQ(TlsAlertText(70),
               "it supports none of the TLS versions this side offers (TLS 1.2 and newer)");
  EXPECT_STREQ(TlsAlertText(40), "it found no cipher suite or parameters in common with this client");
  EXPECT_STREQ(TlsAlertText(112),
               "it needs the host name (server name indication), which this connection does not carry");
  EXPECT_STREQ(TlsAlertText(116), "it requires a client certificate, and this client has none");
  EXPECT_EQ(TlsAlertText(255), nullptr);
  EXPECT_STREQ(SecurityStatusText(tls_status::kUnsupportedFunction),
               "the TLS provider does not support this operation");
  EXPECT_STREQ(SecurityStatusText(tls_status::kAlgorithmMismatch),
               "no TLS version or cipher suite in common (this side offers TLS 1.2 and newer)");
  EXPECT_STREQ(SecurityStatusText(tls_status::kUntrustedRoot),
               "the certificate is not trusted (self-signed or unknown authority)");
  EXPECT_EQ(SecurityStatusText(0), nullptr);
  EXPECT_STREQ(SocketErrorText(10054), "the server reset the connection");
  EXPECT_STREQ(SocketErrorText(10057), "the socket is not connected");
  EXPECT_STREQ(SocketErrorText(10038), "the socket is not valid");
  EXPECT_EQ(SocketErrorText(0), nullptr);
}
