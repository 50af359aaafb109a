// The connect routine of the MM7 connection test against servers on
// loopback addresses: address forms, resolution, the walk over several
// addresses and the bound on each connect.
#include "settings/loopback_servers.h"

#include <gtest/gtest.h>

#include "settings/host_connect.h"
#include "support/window_driver.h"
#include "tls/tls_test_servers.h"

namespace {

constexpr DWORD kShortTimeoutMs = 1500;

class HostConnectTest : public testing::Test {
 protected:
  void SetUp() override { socket_ = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)); }
  void TearDown() override { closesocket(static_cast<SOCKET>(socket_)); }
  bool Connect(const char* host, unsigned port, DWORD timeoutMs = kShortTimeoutMs) {
    return ConnectToHost(&socket_, host, port, timeoutMs);
  }
  // The address and port the socket is connected to, as "a.b.c.d:port".
  std::string Peer() {
    sockaddr_in peer = {};
    int size = sizeof peer;
    if (getpeername(static_cast<SOCKET>(socket_), reinterpret_cast<sockaddr*>(&peer), &size) != 0) return "";
    return std::string(inet_ntoa(peer.sin_addr)) + ":" + std::to_string(ntohs(peer.sin_port));
  }

  SocketsStarted sockets_;
  UINT_PTR socket_ = 0;
};

}  // namespace

TEST_F(HostConnectTest, DottedAddressesAreConnectedInTheirNormalForm) {
  // "127.1" is 127.1.0.0 in normal form, where inet_addr would read 127.0.0.1.
  PlainServer server("127.1.0.0");
  ASSERT_NE(server.Port(), 0);
  EXPECT_TRUE(Connect("127.1", server.Port()));
  EXPECT_EQ(Peer(), "127.1.0.0:" + std::to_string(server.Port()));
  EXPECT_TRUE(WaitUntil([&] { return server.Accepted() == 1; }, 5000));
}

TEST_F(HostConnectTest, NumberSuffixAfterHashIsIgnored) {
  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  EXPECT_TRUE(Connect("127.0.0.1#12", server.Port()));
  EXPECT_EQ(Peer(), "127.0.0.1:" + std::to_string(server.Port()));
}

TEST_F(HostConnectTest, NamesAreResolved) {
  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  EXPECT_TRUE(Connect("localhost", server.Port()));
  EXPECT_EQ(Peer(), "127.0.0.1:" + std::to_string(server.Port()));
}

TEST_F(HostConnectTest, ClosedPortsPortZeroAndEmptyHostsFail) {
  unsigned short closed = ClosedPort();
  DWORD started = GetTickCount();
  EXPECT_FALSE(Connect("127.0.0.1", closed, kConnectTimeoutMs));
  EXPECT_LT(GetTickCount() - started, 5000u) << "a refused connect fails at once";
  EXPECT_FALSE(Connect("127.0.0.1", 0));
  EXPECT_FALSE(Connect("", 80));
  EXPECT_FALSE(Connect("#80", 80)) << "nothing is left of the host";
}

TEST_F(HostConnectTest, PortsBeyond65535AreNotWrappedOntoAnother) {
  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  EXPECT_FALSE(Connect("127.0.0.1", server.Port() + 65536u));
  Sleep(200);
  EXPECT_EQ(server.Accepted(), 0);
}

TEST_F(HostConnectTest, AHostThatDoesNotAnswerFailsWithinTheTimeOut) {
  SilentServer silent;
  ASSERT_NE(silent.Port(), 0);
  DWORD started = GetTickCount();
  EXPECT_FALSE(Connect("127.0.0.1", silent.Port(), kShortTimeoutMs));
  DWORD elapsed = GetTickCount() - started;
  EXPECT_GE(elapsed, kShortTimeoutMs - 100);
  EXPECT_LT(elapsed, kShortTimeoutMs + 3000);
}

TEST_F(HostConnectTest, AddressesAreTriedFromTheStartUntilOneAnswers) {
  // The same port on three loopback addresses: silent, answering, and none.
  PlainServer answering("127.0.0.3");
  ASSERT_NE(answering.Port(), 0);
  SilentServer silent("127.0.0.2", answering.Port());
  ASSERT_NE(silent.Port(), 0);
  const unsigned long addresses[] = {LoopbackAddress("127.0.0.2"), LoopbackAddress("127.0.0.3"),
                                     LoopbackAddress("127.0.0.4")};
  std::string answeringPeer = "127.0.0.3:" + std::to_string(answering.Port());

  // A pending connect is given up and the next address gets a fresh socket.
  DWORD started = GetTickCount();
  EXPECT_TRUE(ConnectToAddresses(&socket_, addresses, 3, 0, answering.Port(), kShortTimeoutMs));
  EXPECT_GE(GetTickCount() - started, kShortTimeoutMs - 100) << "the silent address was tried first";
  EXPECT_EQ(Peer(), answeringPeer);

  // From the last address, wrapping to the first two.
  closesocket(static_cast<SOCKET>(socket_));
  socket_ = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  EXPECT_TRUE(ConnectToAddresses(&socket_, addresses, 3, 2, answering.Port(), kShortTimeoutMs));
  EXPECT_EQ(Peer(), answeringPeer);

  // Starting at the answering one, no other is tried.
  closesocket(static_cast<SOCKET>(socket_));
  socket_ = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  started = GetTickCount();
  EXPECT_TRUE(ConnectToAddresses(&socket_, addresses, 3, 1, answering.Port(), kShortTimeoutMs));
  EXPECT_LT(GetTickCount() - started, 1000u);
  EXPECT_TRUE(WaitUntil([&] { return answering.Accepted() == 3; }, 5000));
}

TEST_F(HostConnectTest, AllAddressesFailingFails) {
  SilentServer silent("127.0.0.2");
  ASSERT_NE(silent.Port(), 0);
  const unsigned long addresses[] = {LoopbackAddress("127.0.0.4"), LoopbackAddress("127.0.0.2")};
  DWORD started = GetTickCount();
  EXPECT_FALSE(ConnectToAddresses(&socket_, addresses, 2, 0, silent.Port(), kShortTimeoutMs));
  EXPECT_LT(GetTickCount() - started, kShortTimeoutMs + 3000) << "each address has its bound";
  EXPECT_NE(static_cast<SOCKET>(socket_), INVALID_SOCKET) << "a socket the caller can close";
  EXPECT_FALSE(ConnectToAddresses(&socket_, addresses, 0, 0, silent.Port(), kShortTimeoutMs));
}
