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
  bool ConnectFrom(unsigned first, unsigned short port) {
    closesocket(static_cast<SOCKET>(socket_));
    socket_ = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    const unsigned long addresses[] = {LoopbackAddress("127.0.0.2"), LoopbackAddress("127.0.0.3"),
                                       LoopbackAddress("127.0.0.4")};
    return ConnectToAddresses(&socket_, addresses, 3, first, port, kShortTimeoutMs);
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

TEST_F(HostConnectTest, HostFormsReachTheirServerAndBadOnesFailAtOnce) {
  // "127.1" is 127.1.0.0 in normal form, where inet_addr would read 127.0.0.1.
  const char* const forms[][3] = {{"127.1", "127.1.0.0", "127.1.0.0"},
                                  {"127.0.0.1#12", "127.0.0.1", "127.0.0.1"},  // a number after # is ignored
                                  {"localhost", "127.0.0.1", "127.0.0.1"}};
  for (const auto& form : forms) {
    PlainServer server(form[1]);
    ASSERT_NE(server.Port(), 0);
    EXPECT_TRUE(Connect(form[0], server.Port())) << form[0];
    EXPECT_EQ(Peer(), std::string(form[2]) + ":" + std::to_string(server.Port()));
    EXPECT_TRUE(WaitUntil([&] { return server.Accepted() == 1; }, 5000));
    closesocket(static_cast<SOCKET>(socket_));
    socket_ = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  }

  PlainServer server;
  ASSERT_NE(server.Port(), 0);
  unsigned short closed = ClosedPort();
  DWORD started = GetTickCount();
  EXPECT_FALSE(Connect("127.0.0.1", closed, kConnectTimeoutMs));
  EXPECT_LT(GetTickCount() - started, 5000u) << "a refused connect fails at once";
  EXPECT_FALSE(Connect("127.0.0.1", 0));
  EXPECT_FALSE(Connect("", 80));
  EXPECT_FALSE(Connect("#80", 80)) << "nothing is left of the host";
  EXPECT_FALSE(Connect("127.0.0.1", server.Port() + 65536u)) << "not wrapped onto another port";
  EXPECT_FALSE(WaitUntil([&] { return server.Accepted() != 0; }, 200));
}

TEST_F(HostConnectTest, AddressesAreTriedFromTheFirstGivenUntilOneAnswers) {
  // The same port on three loopback addresses: silent, answering, and none.
  PlainServer answering("127.0.0.3");
  ASSERT_NE(answering.Port(), 0);
  SilentServer silent("127.0.0.2", answering.Port());
  ASSERT_NE(silent.Port(), 0);
  std::string answeringPeer = "127.0.0.3:" + std::to_string(answering.Port());

  // A pending connect is given up after the time-out and the next address
  // gets a fresh socket.
  DWORD started = GetTickCount();
  EXPECT_TRUE(ConnectFrom(0, answering.Port()));
  DWORD elapsed = GetTickCount() - started;
  EXPECT_GE(elapsed, kShortTimeoutMs - 100) << "the silent address was tried first";
  EXPECT_LT(elapsed, kShortTimeoutMs + 3000);
  EXPECT_EQ(Peer(), answeringPeer);
  EXPECT_TRUE(ConnectFrom(2, answering.Port())) << "from the last, wrapping to the first two";
  EXPECT_EQ(Peer(), answeringPeer);
  started = GetTickCount();
  EXPECT_TRUE(ConnectFrom(1, answering.Port()));
  EXPECT_LT(GetTickCount() - started, 1000u) << "starting at the answering one, no other is tried";
  EXPECT_TRUE(WaitUntil([&] { return answering.Accepted() == 3; }, 5000));

  // All failing fails, each address within its bound, and leaves a socket to close.
  const unsigned long failing[] = {LoopbackAddress("127.0.0.4"), LoopbackAddress("127.0.0.2")};
  started = GetTickCount();
  EXPECT_FALSE(ConnectToAddresses(&socket_, failing, 2, 0, answering.Port(), kShortTimeoutMs));
  EXPECT_LT(GetTickCount() - started, kShortTimeoutMs + 3000);
  EXPECT_NE(static_cast<SOCKET>(socket_), INVALID_SOCKET);
  EXPECT_FALSE(ConnectToAddresses(&socket_, failing, 0, 0, answering.Port(), kShortTimeoutMs));
}
