#include "console.h"

#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/diskfiles_posix.h"
#include "names.h"

namespace cli {
namespace {

bool g_quiet = false;
bool g_utf8 = false;
volatile std::sig_atomic_t g_signal = 0;

struct Progress {
  std::string what;
  uint64_t total = 0, done = 0;
  double start = 0, shown = 0;
  bool on = false, drawn = false;
} g_progress;

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

void Put(int fd, const std::string& s) {
  for (std::size_t at = 0; at < s.size();) {
    const ssize_t n = write(fd, s.data() + at, s.size() - at);
    if (n <= 0) return;
    at += static_cast<std::size_t>(n);
  }
}

void ClearProgress() {
  if (!g_progress.drawn) return;
  Put(STDERR_FILENO, "\r\033[K");
  g_progress.drawn = false;
}

void OnRead(void*, uint64_t bytes) {
  Progress& p = g_progress;
  p.done += bytes;
  const double now = Now();
  if (now - p.start < 1.0 || now - p.shown < 0.1) return;
  p.shown = now;
  const uint64_t percent = p.total ? (p.done >= p.total ? 100 : p.done * 100 / p.total) : 0;
  char line[64];
  std::snprintf(line, sizeof(line), " %3u%%  %llu MB", static_cast<unsigned>(percent),
                static_cast<unsigned long long>(p.done / 1000000));
  Put(STDERR_FILENO, "\r" + p.what + line + "\033[K");
  p.drawn = true;
}

void OnSignal(int signo) {
  g_signal = signo;
  StopFileWork();
  std::signal(signo, SIG_DFL);
}

// A line of standard input without its line feed; false at its end or on a signal.
bool ReadLine(std::string* line) {
  line->clear();
  for (;;) {
    char c;
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n <= 0 || g_signal) return !g_signal && n == 0 && !line->empty();
    if (c == '\n') return true;
    *line += c;
  }
}

}  // namespace

void InitConsole(bool quiet) {
  g_quiet = quiet;
  std::setlocale(LC_CTYPE, "");
  g_utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

bool Utf8Terminal() { return g_utf8; }

std::string ShownName(const std::string& name) { return Shown(name, g_utf8); }

void Complain(const std::string& subject, const std::string& text) {
  ClearProgress();
  Put(STDERR_FILENO, "tovra: " + (subject.empty() ? "" : subject + ": ") + text + "\n");
}

std::string Compose(const Text& text) { return text.en; }

std::string Compose(rundelo::TextId id) {
  char text[rundelo::kTextBytes];
  rundelo::Unpack(text, id, 0);
  return text;
}

std::string Compose(rundelo::TextId id, const std::string& name) {
  char text[rundelo::kTextBytes];
  rundelo::Unpack(text, id, 0);
  return Compose(Text{text, text}, name);
}

std::string Compose(const Text& text, const std::string& name) {
  char out[1024];
  ComposeMessage(out, sizeof(out), text.en, name.c_str());
  return out;
}

std::string Compose(const Text& text, long number) {
  char out[1024];
  ComposeMessage(out, sizeof(out), text.en, number);
  return out;
}

std::string Compose(const Text& text, long number, const std::string& name) {
  return Compose(Text{Compose(text, number).c_str(), nullptr}, name);
}

void Say(const std::string& text) {
  if (g_quiet) return;
  ClearProgress();
  std::fputs((text + "\n").c_str(), stdout);
  std::fflush(stdout);
}

bool CanAsk() { return isatty(STDIN_FILENO) != 0; }

bool Ask(const std::string& question) {
  if (!CanAsk()) return false;
  ClearProgress();
  Put(STDERR_FILENO, question + " [y/N] ");
  std::string answer;
  const bool read = ReadLine(&answer);
  if (!read) Put(STDERR_FILENO, "\n");
  return read && (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes");
}

bool WaitForEnter(const std::string& request) {
  ClearProgress();
  Put(STDERR_FILENO, request + " ");
  std::string ignored;
  const bool read = ReadLine(&ignored);
  if (!read) Put(STDERR_FILENO, "\n");
  return read;
}

void BeginProgress(const std::string& what, uint64_t total) {
  g_progress = Progress{};
  g_progress.what = what;
  g_progress.total = total;
  g_progress.start = Now();
  g_progress.on = !g_quiet && isatty(STDERR_FILENO);
  SetReadHook(g_progress.on ? OnRead : nullptr, nullptr);
}

void EndProgress() {
  SetReadHook(nullptr, nullptr);
  ClearProgress();
}

void CatchInterrupts() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no restart: a question waiting for its answer ends too
  for (int signo : {SIGINT, SIGTERM, SIGHUP}) sigaction(signo, &sa, nullptr);
}

bool Interrupted() { return g_signal != 0; }

}  // namespace cli
