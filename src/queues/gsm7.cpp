#include "queues/gsm7.h"

#include <cstring>

#include "queues/hex_text.h"

namespace {

// GSM 03.38 default alphabet.
const unsigned short kDefaultAlphabet[128] = {
    0x0040, 0x00A3, 0x0024, 0x00A5, 0x00E8, 0x00E9, 0x00F9, 0x00EC,  // @ £ $ ¥ è é ù ì
    0x00F2, 0x00C7, 0x000A, 0x00D8, 0x00F8, 0x000D, 0x00C5, 0x00E5,  // ò Ç LF Ø ø CR Å å
    0x0394, 0x005F, 0x03A6, 0x0393, 0x039B, 0x03A9, 0x03A0, 0x03A8,  // Δ _ Φ Γ Λ Ω Π Ψ
    0x03A3, 0x0398, 0x039E, 0x001B, 0x00C6, 0x00E6, 0x00DF, 0x00C9,  // Σ Θ Ξ ESC Æ æ ß É
    0x0020, 0x0021, 0x0022, 0x0023, 0x00A4, 0x0025, 0x0026, 0x0027,  //   ! " # ¤ % & '
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,  // ( ) * + , - . /
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,  // 0-7
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,  // 8 9 : ; < = > ?
    0x00A1, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,  // ¡ A-G
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,  // H-O
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,  // P-W
    0x0058, 0x0059, 0x005A, 0x00C4, 0x00D6, 0x00D1, 0x00DC, 0x00A7,  // X Y Z Ä Ö Ñ Ü §
    0x00BF, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,  // ¿ a-g
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,  // h-o
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,  // p-w
    0x0078, 0x0079, 0x007A, 0x00E4, 0x00F6, 0x00F1, 0x00FC, 0x00E0,  // x y z ä ö ñ ü à
};

constexpr unsigned kEscape = 0x1B;

unsigned OctetAt(const char* hex, size_t index) {
  return HexDigitValue(hex[2 * index]) * 16u + HexDigitValue(hex[2 * index + 1]);
}

// Number of whole octets written as hexadecimal digit pairs at the start.
size_t CountHexOctets(const char* hex) {
  size_t digits = 0;
  if (hex) {
    while (IsHexDigit(hex[digits])) ++digits;
  }
  return digits / 2;
}

bool StartsWithOctets(const char* data, size_t dataOctets, const char* header, size_t octets) {
  if (CountHexOctets(header) < octets || dataOctets < octets) return false;
  for (size_t i = 0; i < octets; ++i) {
    if (OctetAt(data, i) != OctetAt(header, i)) return false;
  }
  return true;
}

// Septets packed from the least significant bit of each octet upwards.
struct SeptetReader {
  const char* hex;
  size_t firstBit;
  size_t count;
};

unsigned SeptetAt(const SeptetReader& reader, size_t index) {
  size_t bit = reader.firstBit + 7 * index;
  size_t octet = bit / 8;
  unsigned shift = static_cast<unsigned>(bit % 8);
  unsigned value = OctetAt(reader.hex, octet) >> shift;
  // A septet that reaches into the next octet; that octet exists because
  // count only takes in whole septets.
  if (shift > 1) value |= OctetAt(reader.hex, octet + 1) << (8 - shift);
  return value & 0x7F;
}

}  // namespace

unsigned Gsm7DefaultChar(unsigned septet) { return kDefaultAlphabet[septet & 0x7F]; }

unsigned Gsm7ExtensionChar(unsigned septet) {
  switch (septet & 0x7F) {
    case 0x0A: return 0x000C;  // form feed
    case 0x14: return 0x005E;  // ^
    case 0x28: return 0x007B;  // {
    case 0x29: return 0x007D;  // }
    case 0x2F: return 0x005C;  // backslash
    case 0x3C: return 0x005B;  // [
    case 0x3D: return 0x007E;  // ~
    case 0x3E: return 0x005D;  // ]
    case 0x40: return 0x007C;  // |
    case 0x65: return 0x20AC;  // euro sign
    default: return 0;
  }
}

bool DecodeGsm7Hex(const char* headerHex, const char* dataHex, char* out, size_t outCap) {
  if (!out || outCap == 0) return false;
  char text[kGsm7MaxOutput];
  size_t limit = outCap < sizeof text ? outCap : sizeof text;

  size_t headerOctets = CountHexOctets(headerHex) > 0 ? OctetAt(headerHex, 0) + 1 : 0;
  size_t fillBits = (7 - (headerOctets * 8) % 7) % 7;
  size_t dataOctets = CountHexOctets(dataHex);

  SeptetReader reader{dataHex, fillBits, 0};
  if (headerOctets > 0 && StartsWithOctets(dataHex, dataOctets, headerHex, headerOctets)) {
    reader.firstBit += headerOctets * 8;
  }
  size_t totalBits = dataOctets * 8;
  if (totalBits > reader.firstBit) {
    size_t bits = totalBits - reader.firstBit;
    reader.count = bits / 7;
    // Seven spare bits at the end of the last octet read as one more septet:
    // zero from older encoders, CR from newer ones. Either is padding.
    if (reader.count > 0 && bits % 7 == 0) {
      unsigned last = SeptetAt(reader, reader.count - 1);
      if (last == 0x00 || last == 0x0D) --reader.count;
    }
  }

  size_t written = 0;
  bool complete = true;
  for (size_t i = 0; i < reader.count; ++i) {
    unsigned septet = SeptetAt(reader, i);
    unsigned unit;
    if (septet == kEscape) {
      if (i + 1 >= reader.count) break;  // an escape with nothing after it
      unsigned next = SeptetAt(reader, ++i);
      unit = Gsm7ExtensionChar(next);
      // A second escape would lead to a table not defined; show a space
      // as handsets without it do. Other unknown codes fall back to the
      // default alphabet.
      if (unit == 0) unit = next == kEscape ? 0x20 : Gsm7DefaultChar(next);
    } else {
      unit = Gsm7DefaultChar(septet);
    }
    char bytes[3];
    size_t n = EncodeUtf8Unit(unit, bytes);
    if (written + n > limit - 1) {
      complete = false;
      break;
    }
    for (size_t k = 0; k < n; ++k) text[written++] = bytes[k];
  }
  text[written] = '\0';
  memmove(out, text, written + 1);
  return complete;
}
