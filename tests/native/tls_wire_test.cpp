#include "../../libs/gwtls/tls_wire.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::basic_string<unsigned char>;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string Quote(const Bytes& data, size_t cap = 100) {
  char out[100];
  size_t n = QuotePeerText(data.data(), data.size(), out, cap);
  EXPECT_EQ(n, strlen(out));
  return out;
}

}  // namespace

TEST(TlsWire, WhatThePeerOpenedWith) {
  const struct {
    Bytes data;
    TlsOpening opening;
    unsigned alert;
  } rows[] = {
      {{0x16, 0x03, 0x03, 0x00, 0x31, 0x02}, kOpeningTls, 0}, {{0x16, 0x03, 0x00, 0x00, 0x31}, kOpeningTls, 0},
      {{0x16, 0x03, 0x03, 0x00}, kOpeningIncomplete, 0}, {{}, kOpeningIncomplete, 0},
      {Text("H"), kOpeningNotTls, 0}, {{0x16, 0x04}, kOpeningNotTls, 0}, {{0x16, 0x03, 0x09}, kOpeningNotTls, 0},
      {{0x16, 0x03, 0x01, 0x00, 0x00}, kOpeningNotTls, 0}, {{0x17, 0x03, 0x03, 0x48, 0x01}, kOpeningNotTls, 0},
      {{0x17, 0x03, 0x03, 0x48, 0x00}, kOpeningTls, 0}, {{0x15, 0x03, 0x01, 0x00, 0x02, 0x02}, kOpeningIncomplete, 0},
      {{0x15, 0x03, 0x01, 0x00, 0x02, 0x02, 0x46}, kOpeningAlert, 70},
      {{0x15, 0x03, 0x03, 0x00, 0x1A}, kOpeningTls, 0},  // an encrypted alert
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    unsigned alert = 0;
    EXPECT_EQ(ClassifyOpening(row.data.data(), row.data.size(), &alert), row.opening);
    EXPECT_EQ(alert, row.alert);
  }
}

TEST(TlsWire, AlertsAndVersionsInTheServersRecords) {
  const Bytes flight = {0x16, 0x03, 0x03, 0x00, 0x03, 0x01, 0x02, 0x03,  // handshake
                        0x15, 0x03, 0x03, 0x00, 0x02, 0x02, 0x28};       // alert 40
  unsigned alert = 0;
  EXPECT_TRUE(FindPlainAlert(flight.data(), flight.size(), &alert));
  EXPECT_EQ(alert, 40u);
  EXPECT_FALSE(FindPlainAlert(flight.data(), 8, &alert)) << "no alert in the first record";
  EXPECT_FALSE(FindPlainAlert(flight.data(), flight.size() - 1, &alert)) << "cut alert";
  EXPECT_FALSE(FindPlainAlert(Text("HTTP/1.1 400").data(), 12, &alert));

  const Bytes tls10 = {0x16, 0x03, 0x01, 0x00, 0x30, 0x02, 0x00, 0x00, 0x2C, 0x03, 0x01};
  EXPECT_EQ(ServerHelloVersion(tls10.data(), tls10.size()), 0x0301u);
  EXPECT_EQ(ServerHelloVersion(tls10.data(), tls10.size() - 1), 0u) << "cut short";
  const Bytes clientHello = {0x16, 0x03, 0x01, 0x00, 0x30, 0x01, 0x00, 0x00, 0x2C, 0x03, 0x03};
  EXPECT_EQ(ServerHelloVersion(clientHello.data(), clientHello.size()), 0u) << "not a ServerHello";

  // A record that decrypts to nothing was an alert when its size fits one.
  const std::pair<Bytes, bool> headers[] = {
      {{0x15, 0x03, 0x03, 0x00, 0x1A}, true}, {{0x17, 0x03, 0x03, 0x00, 0x13}, true},
      {{0x17, 0x03, 0x03, 0x00, 0x0B}, true},
      {{0x17, 0x03, 0x03, 0x00, 0x11}, false},  // empty application data
      {{0x16, 0x03, 0x03, 0x00, 0x13}, false}, {{0x17, 0x03, 0x03, 0x00}, false}};
  for (const auto& header : headers)
    EXPECT_EQ(EmptyRecordWasAlert(header.first.data(), header.first.size()), header.second) << &header - headers;
}

TEST(TlsWire, PeerTextQuotedFirstLineOnlyMaskedAndCut) {
  EXPECT_EQ(Quote(Text("HTTP/1.1 400 Bad Request\r\nServer: x\r\n")), "HTTP/1.1 400 Bad Request");
  EXPECT_EQ(Quote(Text("\r\n\r\n220 ready\n")), "220 ready") << "leading blank lines skipped";
  EXPECT_EQ(Quote(Bytes{'A', 0x01, 0xFF, 'B'}), "A..B");
  EXPECT_EQ(Quote(Text(std::string(100, 'x'))), std::string(60, 'x') + "...");
  EXPECT_EQ(Quote(Text(std::string(60, 'y') + "\r\n")), std::string(60, 'y')) << "exactly 60 is whole";
  EXPECT_EQ(Quote(Text("abcdef"), 4), "abc");
  char untouched[1] = {'z'};
  EXPECT_EQ(QuotePeerText(Text("abc").data(), 3, untouched, 0), 0u);
  EXPECT_EQ(untouched[0], 'z');
}

TEST(TlsWire, CertificateSubjectsAsTyped) {
  const struct {
    std::string subject;
    SubjectForm form;
    std::string x500;
  } rows[] = {
      {"gateway.example.com", kSubjectHostName, "CN=\"gateway.example.com\""},
      {"gw.example.com, with a comma", kSubjectHostName, "CN=\"gw.example.com, with a comma\""},  // one name, not two
      {"CN=\"open", kSubjectX500, "CN=\"open"},  // X.500 syntax is the system's to judge
      {"bad\"quote.example.com", kSubjectRefused, ""},
      {std::string(255, 'a'), kSubjectHostName, "CN=\"" + std::string(255, 'a') + "\""},
      {std::string(256, 'a'), kSubjectRefused, ""}, {"CN=" + std::string(253, 'a'), kSubjectRefused, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.subject);
    char x500[300] = "";
    ASSERT_EQ(CertificateSubject(row.subject.c_str(), x500, sizeof x500), row.form);
    if (row.form != kSubjectRefused) EXPECT_EQ(x500, row.x500);
  }
  char tight[10];
  EXPECT_EQ(CertificateSubject("host.example", tight, sizeof tight), kSubjectRefused) << "never cut";
}
