#include "args.h"

#include <cstring>

namespace cli {
namespace {

enum Opt { kHelp, kQuiet, kSize, kTo, kForce, kYes, kKeep, kDelete, kNoRundelo, kCapacity, kCodepage };

struct OptionSpec {
  const char* name;  // long, without "--"
  char letter;       // short, or 0
  bool value;
  Opt opt;
  unsigned commands;  // bit per Command
};

constexpr unsigned Bit(Command c) { return 1u << static_cast<int>(c); }
constexpr unsigned kAll = Bit(Command::Divide) | Bit(Command::Merge) | Bit(Command::Check) | Bit(Command::Disks);

constexpr OptionSpec kOptions[] = {
    {"help", 'h', false, kHelp, kAll},
    {"quiet", 'q', false, kQuiet, kAll},
    {"size", 's', true, kSize, Bit(Command::Divide)},
    {"to", 't', true, kTo, Bit(Command::Divide) | Bit(Command::Disks)},
    {"force", 'f', false, kForce, Bit(Command::Divide)},
    {"yes", 'y', false, kYes, Bit(Command::Merge)},
    {"keep", 0, false, kKeep, Bit(Command::Merge)},
    {"delete", 0, false, kDelete, Bit(Command::Merge)},
    {"no-rundelo", 0, false, kNoRundelo, Bit(Command::Disks)},
    {"capacity", 0, true, kCapacity, Bit(Command::Disks)},
    {"codepage", 0, true, kCodepage, Bit(Command::Divide) | Bit(Command::Merge) | Bit(Command::Check)},
};

const OptionSpec* FindOption(const std::string& word, Command command) {
  for (const OptionSpec& o : kOptions) {
    const bool match = word.size() == 2 ? word[1] == o.letter && o.letter : word.substr(2) == o.name;
    if (match && (o.commands & Bit(command))) return &o;
  }
  return nullptr;
}

}  // namespace

Command CommandNamed(const std::string& word) {
  if (word == "divide") return Command::Divide;
  if (word == "merge") return Command::Merge;
  if (word == "check") return Command::Check;
  if (word == "disks") return Command::Disks;
  if (word == "help") return Command::Help;
  return Command::None;
}

namespace {

bool Digits(const std::string& s) {
  if (s.empty() || s.size() > 12) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Sets what the option says; false with args->error when its value is not one.
bool Apply(const OptionSpec& o, const std::string& value, Args* args) {
  switch (o.opt) {
    case kHelp: args->help = true; break;
    case kQuiet: args->quiet = true; break;
    case kForce: args->force = true; break;
    case kYes: args->yes = true; break;
    case kKeep: args->keep = true; break;
    case kDelete: args->remove = true; break;
    case kNoRundelo: args->noRundelo = true; break;
    case kTo: args->to = value; break;
    case kSize:
      args->blocks = BlocksOfSize(value);
      if (!args->blocks) {
        args->error = "--size " + value + " is not a division size (1.44M, 1.2M, 720K, 640K, or 10K to 1440K in steps of 10K)";
        return false;
      }
      break;
    case kCapacity:
      if (!CapacityOf(value, &args->capacity, &args->cluster)) {
        args->error = "--capacity " + value + " is not a disk size (1.44M, 1.2M, 720K, or the free bytes of an empty disk)";
        return false;
      }
      break;
    case kCodepage:
      if (value == "932") args->codepage = Codepage::Cp932;
      else if (value == "1252") args->codepage = Codepage::Cp1252;
      else {
        args->error = "--codepage " + value + " is not a code page of the record's name (932 or 1252)";
        return false;
      }
      break;
  }
  return true;
}

}  // namespace

int BlocksOfSize(const std::string& text) {
  std::string t;
  for (char c : text) t += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  if (t == "1.44M") return 144;
  if (t == "1.2M") return 120;
  if (t == "720K") return 72;
  if (t == "640K") return 64;
  long long bytes = 0;
  if (t.size() > 1 && t.back() == 'K' && Digits(t.substr(0, t.size() - 1))) {
    bytes = std::stoll(t.substr(0, t.size() - 1)) * 1000;
  } else if (Digits(t)) {
    bytes = std::stoll(t);
  }
  if (bytes < 10000 || bytes > 1440000 || bytes % 10000) return 0;
  return static_cast<int>(bytes / 10000);
}

bool CapacityOf(const std::string& text, long long* bytes, int* cluster) {
  std::string t;
  for (char c : text) t += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  static const struct {
    const char* name;
    long long bytes;
    int cluster;
  } kFloppies[] = {{"1.44M", 1457664, 512}, {"1.2M", 1213952, 512}, {"720K", 730112, 1024}};
  for (const auto& f : kFloppies) {
    if (t == f.name) {
      *bytes = f.bytes;
      *cluster = f.cluster;
      return true;
    }
  }
  if (!Digits(t) || std::stoll(t) < 1) return false;
  *bytes = std::stoll(t);
  *cluster = 512;
  return true;
}

Args ParseArgs(int argc, const char* const* argv) {
  Args args;
  int i = 1;
  // Before the command: only the command's own name, or asking for help or the version.
  for (; i < argc && args.command == Command::None; ++i) {
    const std::string word = argv[i];
    if (word == "-h" || word == "--help") args.help = true;
    else if (word == "--version") args.version = true;
    else if (word.size() > 1 && word[0] == '-') {
      args.error = "unknown option " + word;
      return args;
    } else {
      args.command = CommandNamed(word);
      if (args.command == Command::None) {
        args.error = "unknown command " + word;
        return args;
      }
    }
  }
  if (args.command == Command::Help) {
    for (; i < argc; ++i) args.operands.push_back(argv[i]);
    return args;
  }
  bool options = true;
  for (; i < argc; ++i) {
    const std::string word = argv[i];
    if (options && word == "--") {
      options = false;
      continue;
    }
    if (!options || word.size() < 2 || word[0] != '-') {
      args.operands.push_back(word);
      continue;
    }
    std::string name = word, value;
    const std::size_t eq = word.find('=');
    const bool inlineValue = word.compare(0, 2, "--") == 0 && eq != std::string::npos;
    if (inlineValue) name = word.substr(0, eq), value = word.substr(eq + 1);
    const OptionSpec* o = name.size() >= 2 && (name[1] == '-' || name.size() == 2) ? FindOption(name, args.command)
                                                                                   : nullptr;
    if (!o) {
      args.error = "unknown option " + name;
      return args;
    }
    if (o->value && !inlineValue) {
      if (i + 1 >= argc) {
        args.error = name + " needs a value";
        return args;
      }
      value = argv[++i];
    } else if (!o->value && inlineValue) {
      args.error = name + " takes no value";
      return args;
    }
    if (!Apply(*o, value, &args)) return args;
  }
  if (args.help) return args;
  const std::size_t n = args.operands.size();
  switch (args.command) {
    case Command::Divide:
      if (n != 1) args.error = n ? "one file at a time" : "which file? (tovra divide FILE)";
      break;
    case Command::Merge:
    case Command::Check:
      if (n > 1) args.error = "one folder at a time";
      if (args.keep && args.remove) args.error = "--keep or --delete, not both";
      break;
    case Command::Disks:
      if (n != 1) args.error = n ? "one folder at a time" : "which folder? (tovra disks DIR --to MOUNTPOINT)";
      else if (args.to.empty()) args.error = "where are the disks? (tovra disks DIR --to MOUNTPOINT)";
      break;
    default: break;
  }
  return args;
}

}  // namespace cli
