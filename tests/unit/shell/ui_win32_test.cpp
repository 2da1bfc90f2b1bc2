// The message-box and dialog seam against the real system (run under Wine in the cross build).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "shell/app.h"
#include "shell/ui.h"

HINSTANCE g_hInstance = GetModuleHandleA(NULL);

namespace {

char g_seenText[64];

INT_PTR CALLBACK ProbeProc(HWND dlg, UINT msg, WPARAM, LPARAM param) {
  if (msg != WM_INITDIALOG) return FALSE;
  GetDlgItemTextA(dlg, 100, g_seenText, sizeof g_seenText);
  EndDialog(dlg, static_cast<INT_PTR>(param));
  return TRUE;
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

TEST(UiWin32, DialogOfTheCurrentLanguage) {
  {
    LanguageGuard en(0);
    EXPECT_EQ(RunDialog(NULL, "PROBE_DLG", ProbeProc, 7), 7);
    EXPECT_STREQ(g_seenText, "english");
  }
  {
    LanguageGuard ja(1);
    EXPECT_EQ(RunDialog(NULL, "PROBE_DLG", ProbeProc, 9), 9);
    EXPECT_STREQ(g_seenText, "japanese");
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
    INT_PTR result = RunDialog(owner, c.name, ProbeProc, 1);
    stop = true;
    answer.join();
    DestroyWindow(owner);
    EXPECT_EQ(result, -1) << c.name;
    EXPECT_EQ(seen.text, c.text) << c.name;
    EXPECT_EQ(seen.caption, c.caption) << c.name;
    EXPECT_FALSE(seen.owned) << c.name;
  }
}

TEST(UiWin32, MessageTextAndCaptionFollowTheLanguage) {
  const Text text = {"Hello", "\x82\xb1\x82\xf1"};
  const Text caption = {"Note", "\x92\x8d"};
  for (int lang : {0, 1}) {
    LanguageGuard guard(lang);
    std::atomic<bool> stop{false};
    SeenBox seen;
    std::thread answer([&] { seen = AnswerNextBox(stop); });
    int result = ShowMessage(NULL, text, caption, MB_OK);
    stop = true;
    answer.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.text, Tx(text));
    EXPECT_EQ(seen.caption, Tx(caption));

    stop = false;
    std::thread again([&] { seen = AnswerNextBox(stop); });
    ShowMessageText(NULL, "composed 42", caption, MB_OK);
    stop = true;
    again.join();
    EXPECT_EQ(seen.text, "composed 42");
    EXPECT_EQ(seen.caption, Tx(caption));
  }
}
