// The operator list behind the operator picker: a text file of sections, one
// per operator, each with the settings the Modem page needs. No windows.h.
//   ; comment
//   [any name]
//   Country=United Kingdom
//   Operator=Example Mobile
//   APN=internet.example
//   APNLogin=web
//   APNPass=web
//   WAPGatewayIP=192.0.2.10
//   MMSURL=http://mms.example/servlets/mms
// Keys compare without case; blanks around keys and values are dropped.
#pragma once
#include <cstddef>

constexpr size_t kOperatorTextCapacity = 104;  // each text, with its terminator
constexpr size_t kMostOperators = 500;

struct OperatorEntry {
  char country[kOperatorTextCapacity];
  char name[kOperatorTextCapacity];
  char apn[kOperatorTextCapacity];
  char apnLogin[kOperatorTextCapacity];
  char apnPassword[kOperatorTextCapacity];
  char wapGateway[kOperatorTextCapacity];
  char mmsServerUrl[kOperatorTextCapacity];
};

// Reads length bytes of list text (NUL bytes count as line ends) into at most
// capacity entries, in file order. Sections without a country or an operator
// name are left out; values longer than a field are cut. The number of entries.
size_t ParseOperatorList(const char* text, size_t length, OperatorEntry* entries, size_t capacity);
