#include "engine/messages.h"

#include "engine/engine_rules.h"

int ShowComposed(HWND owner, const Text& head, const char* middle, const Text& tail,
                 const Text& caption, UINT flags) {
  char msg[512];
  engine::ComposeText(msg, sizeof(msg), Tx(head), middle, Tx(tail));
  return ShowMessageText(owner, msg, caption, flags);
}

int ShowNumbered(HWND owner, const Text& head, long number, const Text& tail,
                 const Text& caption, UINT flags) {
  char msg[512];
  engine::ComposeNumber(msg, sizeof(msg), Tx(head), number, Tx(tail));
  return ShowMessageText(owner, msg, caption, flags);
}
