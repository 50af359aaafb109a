// Whether the operator's WAP gateway answers over a freshly dialled connection.
#pragma once
#include <windows.h>

// How long the gateway may take to accept the probe.
constexpr DWORD kGatewayProbeMs = 10000;

// The probe: a TCP connection to the gateway's host and port (the address as
// ParseGatewayAddress reads it: port 8080 unless it names one) opens within
// timeoutMs; it is closed again at once. False for an unusable address, a
// host that cannot be resolved, a refused connection or no answer in time.
bool GatewayAnswers(const char* wapGateway, DWORD timeoutMs);
