// Random walks through the drive selector's location list: drives, pushes, pops and choices
// within and across drives, checking after each step what the selector relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "browser/rules/locations.h"

using namespace browser;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct Input {
  const uint8_t* data;
  size_t size;
  uint8_t Next() {
    if (!size) return 0;
    --size;
    return *data++;
  }
};

// The drive whose chain exists (or the current drive) and its deepest entry.
void CheckInvariants(const LocationList& l, const std::string& current) {
  Check(l.count >= 0 && l.count <= kMaxLocations);
  char last = 0;
  int chains = 0;
  for (int i = 0; i < l.count; ++i) {
    const Location& e = l.entry[i];
    Check(std::memchr(e.text, 0, sizeof e.text) != nullptr);
    if (e.indent == 0) {
      Check(e.text[0] > last);
      last = e.text[0];
      continue;
    }
    const Location& up = l.entry[i - 1];
    Check(i > 0 && e.indent == up.indent + 1);
    if (e.indent == 1) {
      ++chains;
      Check(e.text[0] == up.text[0] && !std::strncmp(e.text + 1, ":\\", 2));
    } else {
      size_t n = std::strlen(up.text);
      Check(!std::strncmp(e.text, up.text, n) && e.text[n] == '\\');
    }
    Check(std::strchr(ShownText(e, false), '\\') == nullptr);
  }
  Check(chains <= 1);
  for (int i = l.count; i < kMaxLocations; ++i) Check(!l.entry[i].text[0] && !l.entry[i].indent);
  int at = FindLocation(l, current.c_str(), false);
  Check(at == DeepestEntryOfDrive(l, current.c_str()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static LocationList l;
  ClearLocations(l);
  Input in{data, size};
  uint32_t drives = (static_cast<uint32_t>(in.Next()) << 8 | in.Next()) & 0x3FFFFFF;
  if (!drives) drives = 1u << 2;
  for (int k = 0; k < 26; ++k) {
    if (!(drives & (1u << k))) continue;
    char text[16];
    char letter = static_cast<char>('A' + k);
    if (!DriveEntryText(text, sizeof text, letter, DriveFixed, "")) std::abort();
    Check(AppendDrive(l, text));
  }
  std::string current = std::string(1, l.entry[0].text[0]) + ":\\";
  CheckInvariants(l, current);
  while (in.size) {
    uint8_t op = in.Next();
    switch (op % 4) {
      case 0: {  // down into a folder of up to eight letters
        std::string name;
        for (int n = 1 + in.Next() % 8; n > 0; --n) name += static_cast<char>('a' + in.Next() % 26);
        std::string path = current.size() > 3 ? current + "\\" + name : current + name;
        if (path.size() > 255 || !HasRoomForFolder(l)) break;
        int at = PushFolder(l, path.c_str());
        Check(at > 0 && l.entry[at].indent == l.entry[at - 1].indent + 1);
        current = path;
        break;
      }
      case 1: {  // up one level
        if (current.size() <= 3) break;
        size_t cut = current.rfind('\\');
        current = cut == 2 ? current.substr(0, 3) : current.substr(0, cut);
        Check(PopFolder(l, current.c_str()) > 0);
        break;
      }
      case 2: {  // choose an entry
        int s = in.Next() % l.count;
        const Location& e = l.entry[s];
        if (e.text[0] == current[0]) {
          std::string chosen = e.indent ? e.text : std::string(e.text, 2) + "\\";
          RemoveEntries(l, s + 1, ChainBelow(l, s));
          current = chosen;
        } else {
          int c = ChainStart(l);
          int m = c >= 0 ? 1 + ChainBelow(l, c) : 0;
          char letter = e.text[0];
          RemoveEntries(l, c, m);
          Check(l.entry[c >= 0 && c < s ? s - m : s].text[0] == letter);
          current = std::string(1, letter) + ":\\";
        }
        break;
      }
      default:
        Check(FindLocation(l, current.c_str(), false) >= 0);
        break;
    }
    CheckInvariants(l, current);
  }
  return 0;
}
