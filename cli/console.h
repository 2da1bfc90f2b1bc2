// What the user sees and answers: messages on standard error, results on standard output, the
// progress line and the questions on the terminal, and Ctrl-C.
#pragma once
#include <cstdint>
#include <string>

#include "base/text.h"
#include "merger/texts.h"

namespace cli {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitRepairable = 1;  // check: damaged, and the parity pieces can rebuild it
constexpr int kExitFailed = 2;      // the set cannot be merged, or the work could not be done
constexpr int kExitUsage = 64;
constexpr int kExitInterrupted = 130;

void InitConsole(bool quiet);
bool Utf8Terminal();
// A name as messages show it (names.h, Shown) on this terminal.
std::string ShownName(const std::string& name);

// "tovra: subject: text" on standard error (without the subject when it is empty); a text of
// several lines keeps them.
void Complain(const std::string& subject, const std::string& text);
// A Windows program's text, its "%s" or "%d" filled in.
std::string Compose(const Text& text);
std::string Compose(const Text& text, const std::string& name);
std::string Compose(const Text& text, long number);
std::string Compose(const Text& text, long number, const std::string& name);
// Rundelo's text, in English.
std::string Compose(rundelo::TextId id);
std::string Compose(rundelo::TextId id, const std::string& name);
// A line of the result on standard output, unless quiet.
void Say(const std::string& text);

// A question on standard error, answered by a line of standard input: true for "y" or "yes".
// With no terminal to ask on (or at the end of the input, or on Ctrl-C) the answer is no.
bool Ask(const std::string& question);
bool CanAsk();
// A request to do something and press Enter: false at the end of the input or on Ctrl-C.
bool WaitForEnter(const std::string& request);

// A progress line on the terminal for work of total bytes read, shown once it has taken a
// second; none when standard error is no terminal or with quiet. Fed by the file table's reads.
void BeginProgress(const std::string& what, uint64_t total);
void EndProgress();

// Ctrl-C, and the end of the terminal or a polite kill, stop the file work (its own clean-up
// runs); a second one ends the program at once.
void CatchInterrupts();
bool Interrupted();

}  // namespace cli
