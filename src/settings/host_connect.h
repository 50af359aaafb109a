// Opens a TCP connection to a server given by name or dotted address, for
// the MM7 connection test.
#pragma once
#include <windows.h>

#include <cstddef>

// How long one address may take to answer a connect: what Windows itself
// allows by default (a first try and two retries).
constexpr DWORD kConnectTimeoutMs = 21000;

// Connects *socket (an open TCP socket, passed as its handle value) to the
// host and port. "#" and digits at the end of the host are ignored; a dotted
// IPv4 address is connected in its normal form; any other name is resolved
// and its addresses are tried in turn from one chosen by the tick count, so
// that repeated tests spread over them. A connect that does not complete
// within timeoutMs counts as failed. A socket whose connect failed, or is
// still pending, cannot be used for the next address, so *socket is replaced
// by a fresh one before each further try (the caller closes whichever it
// holds in the end). The socket is left blocking. False when no address
// answered, the name cannot be resolved, the host is empty or the port is
// beyond 65535.
bool ConnectToHost(UINT_PTR* socket, const char* host, unsigned port, DWORD timeoutMs);

// The walk over resolved addresses (network byte order), starting at start
// and wrapping from the last to the first, until one connect succeeds.
bool ConnectToAddresses(UINT_PTR* socket, const unsigned long* addresses, size_t count, size_t start,
                        unsigned port, DWORD timeoutMs);
