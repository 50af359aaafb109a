// The connect routine of the MM7 connection test against listeners on
// loopback addresses: host forms, the walk over several addresses and the
// bound on each connect.
#include "settings/loopback_servers.h"

#include "settings/host_connect.h"
#include "support/window_driver.h"
#include "tls/tls_test_servers.h"

namespace {

constexpr DWORD kShortTimeoutMs = 1500;

class HostConnectTest : public testing::Test {
 protected:
  void TearDown() override { closesocket(static_cast<SOCKET>(socket_)); }
  // Each connect on a fresh socket.
  bool Connect(const char* host, unsigned port, DWORD timeoutMs = kShortTimeoutMs) {
    closesocket(static_cast<SOCKET>(socket_));
    socket_ = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    return ConnectToHost(&socket_, host, port, timeoutMs);
  }
  bool ConnectOver(std::vector<const char*> hosts, size_t first, unsigned short port) {
    closesocket(static_cast<SOCKET>(socket_));
    socket_ = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    std::vector<unsigned long> addresses;
    for (const char* host : hosts) addresses.push_back(inet_addr(host));
    return ConnectToAddresses(&socket_, addresses.data(), addresses.size(), first, port, kShortTimeoutMs);
  }
  // The address and port the socket is connected to, as "a.b.c.d:port".
  std::string Peer() {
    sockaddr_in peer = {};
    int size = sizeof peer;
    if (getpeername(static_cast<SOCKET>(socket_), reinterpret_cast<sockaddr*>(&peer), &size) != 0) return "";
    return std::string(inet_ntoa(peer.sin_addr)) + ":" + std::to_string(ntohs(peer.sin_port));
  }

  SocketsStarted sockets_;
  UINT_PTR socket_ = INVALID_SOCKET;
};

}  // namespace

TEST_F(HostConnectTest, HostFormsReachTheirServerAndBadOnesFailAtOnce) {
  // "127.1" is 127.1.0.0 in normal form, where inet_addr would read 127.0.0.1.
  const char* const forms[][2] = {{"127.1", "127.1.0.0"}, {"127.0.0.1#12", "127.0.0.1"}, {"localhost", "127.0.0.1"}};
  for (const auto& form : forms) {
    Listener server(form[1]);
    EXPECT_TRUE(Connect(form[0], server.Port())) << form[0];
    EXPECT_EQ(Peer(), std::string(form[1]) + ":" + std::to_string(server.Port()));
  }
  // A closed port and port 0 are the dialog's test's.
  Listener server;
  EXPECT_FALSE(Connect("", 80));
  EXPECT_FALSE(Connect("#80", 80)) << "nothing is left of the host";
  EXPECT_FALSE(Connect("127.0.0.1", server.Port() + 65536u)) << "not wrapped onto another port";
  EXPECT_EQ(server.Accepted(), 0);
}

TEST_F(HostConnectTest, AddressesAreTriedFromTheFirstGivenUntilOneAnswers) {
  // The same port on three loopback addresses: answering, none, and silent.
  Listener answering("127.0.0.3");
  Listener silent("127.0.0.2", answering.Port(), true);
  ASSERT_NE(silent.Port(), 0);
  const std::vector<const char*> hosts = {"127.0.0.3", "127.0.0.4", "127.0.0.2"};
  // From the second, wrapping to the first; a refused and a pending connect
  // are given up, the pending one after the time-out, and the next address
  // gets a fresh socket.
  DWORD started = GetTickCount();
  EXPECT_TRUE(ConnectOver(hosts, 1, answering.Port()));
  DWORD elapsed = GetTickCount() - started;
  EXPECT_GE(elapsed, kShortTimeoutMs - 100) << "the silent address was tried";
  EXPECT_LT(elapsed, kShortTimeoutMs + 3000);
  EXPECT_EQ(Peer(), "127.0.0.3:" + std::to_string(answering.Port()));
  started = GetTickCount();
  EXPECT_TRUE(ConnectOver(hosts, 0, answering.Port()));
  EXPECT_LT(GetTickCount() - started, 1000u) << "starting at the answering one, no other is tried";
  EXPECT_EQ(answering.Accepted(), 2);
  // All failing fails, each address within its bound, and leaves a socket to close.
  started = GetTickCount();
  EXPECT_FALSE(ConnectOver({"127.0.0.4", "127.0.0.2"}, 0, answering.Port()));
  EXPECT_LT(GetTickCount() - started, kShortTimeoutMs + 3000);
  EXPECT_NE(static_cast<SOCKET>(socket_), INVALID_SOCKET);
  EXPECT_FALSE(ConnectOver({}, 0, answering.Port()));
}
