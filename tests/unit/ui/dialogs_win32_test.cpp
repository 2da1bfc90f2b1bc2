// The message-box and dialog seam against the real system (run under Wine in the cross build).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ui/dialogs.h"
#include "ui/state.h"

HINSTANCE g_hInstance = GetModuleHandleA(NULL);

namespace {

char g_seenText[64];

// The state a dialog gets: the result to end with, and what the dialog saw.
struct Probe {
  INT_PTR result;
  int seenAgain;  // set from a later message, through the state kept on WM_INITDIALOG
};

INT_PTR CALLBACK ProbeProc(HWND dlg, UINT msg, WPARAM, LPARAM param) {
  if (msg == WM_INITDIALOG) {
    KeepDialogState(dlg, param);
    GetDlgItemTextA(dlg, 100, g_seenText, sizeof g_seenText);
    PostMessageA(dlg, WM_USER, 0, 0);
    return TRUE;
  }
  if (msg == WM_USER) {
    Probe* p = DialogState<Probe>(dlg);
    p->seenAgain = 1;
    EndDialog(dlg, p->result);
    return TRUE;
  }
  return FALSE;
}

struct SeenBox {
  std::string text, caption;
  bool owned = true;
};

// Waits on another thread for a message box of this process, reads it and presses OK.
SeenBox AnswerNextBox(std::atomic<bool>& stop) {
  SeenBox seen;
  while (!stop) {
    HWND box = FindWindowA("#32770", NULL);
    DWORD pid = 0;
    if (box) GetWindowThreadProcessId(box, &pid);
    if (box && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
      char text[256] = {}, caption[256] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      GetWindowTextA(box, caption, sizeof caption);
      seen.text = text;
      seen.caption = caption;
      seen.owned = GetWindow(box, GW_OWNER) != NULL;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      return seen;
    }
    Sleep(20);
  }
  return seen;
}

struct LanguageGuard {
  int saved = g_uiLanguage;
  explicit LanguageGuard(int l) { g_uiLanguage = l; }
  ~LanguageGuard() { g_uiLanguage = saved; }
};

}  // namespace

TEST(UiWin32, DialogOfTheCurrentLanguageWithItsState) {
  {
    LanguageGuard en(0);
    Probe p{7, 0};
    EXPECT_EQ(RunDialog(NULL, "PROBE_DLG", ProbeProc, &p), 7);
    EXPECT_STREQ(g_seenText, "english");
    EXPECT_EQ(p.seenAgain, 1);
  }
  {
    LanguageGuard ja(1);
    Probe p{9, 0};
    EXPECT_EQ(RunDialog(NULL, "PROBE_DLG", ProbeProc, &p), 9);
    EXPECT_STREQ(g_seenText, "japanese");
    EXPECT_EQ(p.seenAgain, 1);
  }
}

TEST(UiWin32, MissingTemplateIsReportedWithoutOwner) {
  const struct { int lang; const char* name; const char* text; const char* caption; } cases[] = {
      {0, "NO_SUCH_DLG", "Unable to display dialog.", "System Error"},
      // Only the English template exists: the Japanese run looks for ONLY_EN_DLG_J.
      {1, "ONLY_EN_DLG",
       "\x83\x5f\x83\x43\x83\x41\x83\x8d\x83\x4f\x82\xf0\x95\x5c\x8e\xa6\x82\xc5\x82\xab\x82\xdc"
       "\x82\xb9\x82\xf1.",
       "\x83\x56\x83\x58\x83\x65\x83\x80\x81\x45\x83\x47\x83\x89\x81\x5b"},
  };
  for (const auto& c : cases) {
    LanguageGuard lang(c.lang);
    std::atomic<bool> stop{false};
    SeenBox seen;
    std::thread answer([&] { seen = AnswerNextBox(stop); });
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL,
                                 g_hInstance, NULL);
    Probe p{1, 0};
    INT_PTR result = RunDialog(owner, c.name, ProbeProc, &p);
    stop = true;
    answer.join();
    DestroyWindow(owner);
    EXPECT_EQ(result, -1) << c.name;
    EXPECT_EQ(seen.text, c.text) << c.name;
    EXPECT_EQ(seen.caption, c.caption) << c.name;
    EXPECT_FALSE(seen.owned) << c.name;
  }
}

// The box that a call shows, read from another thread.
template <class Show>
SeenBox Shown(Show show) {
  std::atomic<bool> stop{false};
  SeenBox seen;
  std::thread answer([&] { seen = AnswerNextBox(stop); });
  int result = show();
  stop = true;
  answer.join();
  EXPECT_EQ(result, IDOK);
  return seen;
}

TEST(UiWin32, MessageTextAndCaptionFollowTheLanguage) {
  const Text text = {"Hello", "\x82\xb1\x82\xf1"};
  const Text named = {"Unable to open %s.", "\x83\x5c%s\x82\xf0"};
  const Text counted = {"FILE-%d is missing.", "FILE-%d\x82\xaa"};
  const Text caption = {"Note", "\x92\x8d"};
  struct Case { int lang; const char* plain; const char* name; const char* number; const char* cap; };
  const Case cases[] = {
      {0, "Hello", "Unable to open 100%s.txt.", "FILE-42 is missing.", "Note"},
      {1, "\x82\xb1\x82\xf1", "\x83\x5c" "100%s.txt" "\x82\xf0", "FILE-42\x82\xaa", "\x92\x8d"},
  };
  for (const Case& c : cases) {
    LanguageGuard guard(c.lang);
    SeenBox seen = Shown([&] { return ShowMessage(NULL, text, caption, MB_OK); });
    EXPECT_EQ(seen.text, c.plain);
    EXPECT_EQ(seen.caption, c.cap);
    seen = Shown([&] { return ShowMessage(NULL, named, "100%s.txt", caption, MB_OK); });
    EXPECT_EQ(seen.text, c.name);
    EXPECT_EQ(seen.caption, c.cap);
    seen = Shown([&] { return ShowMessage(NULL, counted, 42L, caption, MB_OK); });
    EXPECT_EQ(seen.text, c.number);
  }
}
