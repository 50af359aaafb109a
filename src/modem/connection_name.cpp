#include "modem/connection_name.h"

#include <initializer_list>

#include "common/text_util.h"

void ConnectionSectionName(const char* connection, char* section, size_t cap) {
  if (cap == 0) return;
  section[0] = '\0';
  bool prefixed = false;
  for (const char* prefix : {"SMPP - ", "HTTP - ", "UCP - ", "CIMD - "})
    if (FindNoCase(connection, prefix) == connection) prefixed = true;
  if (!prefixed) AppendText(section, cap, "Modem - ");
  for (const char* c = connection; *c; ++c) {
    const char one[2] = {*c, '\0'};
    const char* piece = *c == '[' ? "\\x5B" : *c == ']' ? "\\x5D" : one;
    AppendText(section, cap, piece);
  }
}
