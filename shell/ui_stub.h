// Stand-in for the message-box seam in tests of UI-less code: nothing is shown, every message
// is recorded, and the answer is chosen by the test.
#pragma once
#include <string>
#include <vector>

#include "shell/ui.h"

struct StubMessage {
  std::string text, caption;  // in the language that was current
  unsigned flags;
  bool owned;
};

extern std::vector<StubMessage> g_stubMessages;
extern int g_stubAnswer;        // returned by ShowMessage / ShowMessageText (IDOK by default)
extern INT_PTR g_stubDialogResult;  // returned by RunDialog (-1: as if it could not be shown)
