#include "names.h"

#include <iconv.h>

#include <cstdio>

namespace cli {
namespace {

const char* CharsetOf(Codepage codepage) { return codepage == Codepage::Cp932 ? "CP932" : "CP1252"; }

// in converted from one character set to another, every character mapped; false when one is not.
bool Convert(const char* from, const char* to, const std::string& in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string result(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = &result[0];
  std::size_t dstLeft = result.size();
  const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) && srcLeft == 0 &&
                  iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  result.resize(result.size() - dstLeft);
  *out = result;
  return true;
}

bool IsAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool IsUtf8(const std::string& bytes) {
  std::string ignored;
  return Convert("UTF-8", "UTF-32LE", bytes, &ignored);
}

bool FitsCodepage(const std::string& bytes, Codepage codepage) {
  std::string ignored;
  return Convert(CharsetOf(codepage), "UTF-8", bytes, &ignored);
}

RecordName RecordNameOf(const std::string& local, Codepage codepage) {
  if (IsAscii(local)) return {true, local, false};
  if (!IsUtf8(local)) return {true, local, FitsCodepage(local, Codepage::Cp932)};
  std::string bytes;
  if (codepage != Codepage::Cp1252 && Convert("UTF-8", "CP932", local, &bytes)) return {true, bytes, true};
  if (codepage != Codepage::Cp932 && Convert("UTF-8", "CP1252", local, &bytes)) return {true, bytes, false};
  return {false, local, false};
}

std::string LocalNameOf(const std::string& recordBytes, Codepage codepage) {
  if (IsAscii(recordBytes)) return recordBytes;
  if (codepage == Codepage::Auto && IsUtf8(recordBytes)) return recordBytes;
  std::string local;
  if (codepage != Codepage::Cp1252 && Convert("CP932", "UTF-8", recordBytes, &local)) return local;
  if (codepage != Codepage::Cp932 && Convert("CP1252", "UTF-8", recordBytes, &local)) return local;
  return recordBytes;
}

std::string Shown(const std::string& name, bool utf8Terminal) {
  const bool asIs = utf8Terminal && IsUtf8(name);
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    // C1 controls are two bytes in UTF-8: C2 80 to C2 9F.
    const bool c1 = asIs && c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xA0;
    if ((c >= 0x20 && c < 0x7F && c != '\\') || (asIs && c >= 0x80 && !c1)) {
      out += static_cast<char>(c);
      continue;
    }
    for (std::size_t k = i; k <= i + c1; ++k) {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\x%02X", static_cast<unsigned char>(name[k]));
      out += hex;
    }
    i += c1;
  }
  return out;
}

}  // namespace cli
