// The connect routine of the MM7 connection test against listeners on
// loopback addresses: the host forms the dialog's test does not reach, the
// walk over several addresses and the bound on each connect.
#include "settings/loopback_servers.h"

#include "settings/host_connect.h"
#include "support/window_driver.h"

namespace {

constexpr DWORD kShortTimeoutMs = 1500;

class HostConnectTest : public testing::Test {
 protected:
  void TearDown() override { closesocket(static_cast<SOCKET>(socket_)); }
  // Each connect on a fresh socket.
  UINT_PTR* Fresh() {
    closesocket(static_cast<SOCKET>(socket_));
    socket_ = static_cast<UINT_PTR>(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    return &socket_;
  }
  bool ConnectOver(std::vector<const char*> hosts, size_t first, unsigned short port) {
    std::vector<unsigned long> addresses;
    for (const char* host : hosts) addresses.push_back(inet_addr(host));
    return ConnectToAddresses(Fresh(), addresses.data(), addresses.size(), first, port, kShortTimeoutMs);
  }
  // The address the socket is connected to.
  std::string Peer() {
    sockaddr_in peer = {};
    int size = sizeof peer;
    getpeername(static_cast<SOCKET>(socket_), reinterpret_cast<sockaddr*>(&peer), &size);
    return inet_ntoa(peer.sin_addr);
  }

  SocketsStarted sockets_;
  UINT_PTR socket_ = INVALID_SOCKET;
};

}  // namespace

TEST_F(HostConnectTest, HostsInNormalFormAndAddressesTriedFromTheFirstGivenUntilOneAnswers) {
  // "127.1" is 127.1.0.0 in normal form, where inet_addr would read 127.0.0.1.
  Listener server("127.1.0.0");
  EXPECT_TRUE(ConnectToHost(Fresh(), "127.1", server.Port(), kShortTimeoutMs));
  EXPECT_EQ(Peer(), "127.1.0.0");
  EXPECT_FALSE(ConnectToHost(Fresh(), "#80", 80, kShortTimeoutMs)) << "nothing is left of the host";
  EXPECT_FALSE(ConnectToHost(Fresh(), "127.1", server.Port() + 65536u, kShortTimeoutMs)) << "not wrapped onto another port";
  EXPECT_EQ(server.Accepted(), 1);

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
  EXPECT_TRUE(elapsed >= kShortTimeoutMs - 100 && elapsed < kShortTimeoutMs + 3000) << "the silent one was tried";
  EXPECT_EQ(Peer(), "127.0.0.3");
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
