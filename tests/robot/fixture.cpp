// FIXTURE.EXE: a stand-in program that shows what the robot must read, so the robot can be
// tested on its own. Language follows the code page, as in the real programs.
//   FIXTURE box <hand|exclamation|question|asterisk|none> [ok|okcancel|yesno|yesnocancel]
//       one message box; the exit code is the button pressed
//   FIXTURE dialog        the dialog; OK reports its values in a message box and exits with
//                         100 + the chosen kind, Cancel exits with 2
//   FIXTURE drive <letter>  a message box with what the system says of that drive; the exit
//                           code is GetDriveTypeA's answer
//   FIXTURE regvalue <key under HKLM> <name>  a message box with the value's text
//   FIXTURE exit <n>      exits at once with code n
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fixture.h"

namespace {

bool g_japanese = false;

const char* Pick(const char* en, const char* ja) { return g_japanese ? ja : en; }

UINT IconFlag(const char* name) {
  if (!strcmp(name, "hand")) return MB_ICONHAND;
  if (!strcmp(name, "exclamation")) return MB_ICONEXCLAMATION;
  if (!strcmp(name, "question")) return MB_ICONQUESTION;
  if (!strcmp(name, "asterisk")) return MB_ICONASTERISK;
  return 0;
}

UINT ButtonFlag(const char* name) {
  if (!strcmp(name, "okcancel")) return MB_OKCANCEL;
  if (!strcmp(name, "yesno")) return MB_YESNO;
  if (!strcmp(name, "yesnocancel")) return MB_YESNOCANCEL;
  return MB_OK;
}

int ShowBox(const char* icon, const char* buttons) {
  char text[512] = {0};
  snprintf(text, sizeof text, "%s\n%s: %s",
           Pick("Check the display of the software.", "ソフトの表示を確認します。"),
           Pick("Icon", "アイコン"), icon);
  return MessageBoxA(nullptr, text, Pick("Display Check", "表示の確認"),
                     IconFlag(icon) | ButtonFlag(buttons));
}

int ShowRegistryValue(const char* key, const char* name) {
  char value[256] = {0};
  DWORD size = sizeof value - 1, type = 0;
  HKEY h = nullptr;
  LONG r = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &h);
  if (r == ERROR_SUCCESS) {
    r = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(h);
  }
  MessageBoxA(nullptr, r == ERROR_SUCCESS ? value : "(absent)", name, MB_OK);
  return r == ERROR_SUCCESS ? 0 : 1;
}

int ShowDrive(char letter) {
  char root[8] = {letter, ':', '\\', 0};
  UINT type = GetDriveTypeA(root);
  char label[64] = {0}, fs[64] = {0};
  DWORD serial = 0, maxlen = 0, flags = 0;
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);  // no system box for a missing medium
  BOOL vol = GetVolumeInformationA(root, label, sizeof label, &serial, &maxlen, &flags, fs, sizeof fs);
  DWORD volError = vol ? 0 : GetLastError();
  char pattern[8] = {letter, ':', '\\', '*', 0};
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(pattern, &found);
  DWORD listError = find == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  ULARGE_INTEGER avail, total, free;
  avail.QuadPart = total.QuadPart = free.QuadPart = 0;
  GetDiskFreeSpaceExA(root, &avail, &total, &free);
  SetErrorMode(oldMode);
  char text[512] = {0};
  snprintf(text, sizeof text,
           "type=%u volume=%d error=%lu label=%s fs=%s serial=%08lx list=%lu total=%llu free=%llu",
           type, vol ? 1 : 0, static_cast<unsigned long>(volError), label, fs,
           static_cast<unsigned long>(serial), static_cast<unsigned long>(listError),
           static_cast<unsigned long long>(total.QuadPart),
           static_cast<unsigned long long>(avail.QuadPart));
  char caption[16] = {0};
  snprintf(caption, sizeof caption, "Drive %c:", letter);
  MessageBoxA(nullptr, text, caption, MB_OK);
  return static_cast<int>(type);
}

void ShowEvent(HWND dlg, const char* what, int value) {
  char text[64] = {0};
  snprintf(text, sizeof text, "%s %d", what, value);
  SetDlgItemTextA(dlg, IDC_EVENT, text);
}

void FillDialog(HWND dlg) {
  static const char* const kindsEn[] = {"Alpha", "Beta", "Gamma"};
  static const char* const kindsJa[] = {"表", "ソフト", "能力"};
  HWND kind = GetDlgItem(dlg, IDC_KIND);
  for (int i = 0; i < 3; ++i)
    SendMessageA(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Pick(kindsEn[i], kindsJa[i])));
  SendMessageA(kind, CB_SETCURSEL, 0, 0);

  static const char* const picksEn[] = {"Red", "Green"};
  static const char* const picksJa[] = {"赤", "緑"};
  for (int i = 0; i < 2; ++i)
    SendDlgItemMessageA(dlg, IDC_PICKS, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(Pick(picksEn[i], picksJa[i])));

  const char* places[] = {"A:[REMOVABLE-DRIVE]", Pick("C:[SYSTEM]", "C:[システム]"), "  Folder"};
  for (int i = 0; i < 3; ++i) {
    COMBOBOXEXITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = CBEIF_TEXT | CBEIF_INDENT;
    item.iItem = i;
    item.iIndent = i == 2 ? 1 : 0;
    item.pszText = const_cast<char*>(places[i]);
    SendDlgItemMessageA(dlg, IDC_PLACE, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendDlgItemMessageA(dlg, IDC_PLACE, CB_SETCURSEL, 1, 0);

  HWND rows = GetDlgItem(dlg, IDC_ROWS);
  SendMessageA(rows, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  const char* headers[] = {Pick("Name", "名前"), Pick("Size", "サイズ")};
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNA col;
    ZeroMemory(&col, sizeof col);
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = c ? 80 : 200;
    col.pszText = const_cast<char*>(headers[c]);
    SendMessageA(rows, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
  }
  const char* cells[3][2] = {{"one.txt", "10"}, {"two.txt", "200"},
                             {Pick("three.txt", "表示.txt"), "3000"}};
  for (int r = 0; r < 3; ++r) {
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<char*>(cells[r][0]);
    SendMessageA(rows, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(cells[r][1]);
    SendMessageA(rows, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
  }
}

void OnOk(HWND dlg) {
  char name[128] = {0};
  GetDlgItemTextA(dlg, IDC_NAME, name, sizeof name);
  int keep = static_cast<int>(IsDlgButtonChecked(dlg, IDC_KEEP));
  int kind = static_cast<int>(SendDlgItemMessageA(dlg, IDC_KIND, CB_GETCURSEL, 0, 0));
  int row = static_cast<int>(SendDlgItemMessageA(dlg, IDC_ROWS, LVM_GETNEXTITEM,
                                                 static_cast<WPARAM>(-1), LVNI_SELECTED));
  char text[512] = {0};
  snprintf(text, sizeof text, "name=%s keep=%d kind=%d row=%d", name, keep, kind, row);
  MessageBoxA(dlg, text, Pick("Values", "値"), MB_OK | MB_ICONASTERISK);
  EndDialog(dlg, 100 + kind);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      FillDialog(dlg);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) OnOk(dlg);
      else if (LOWORD(wp) == IDCANCEL) EndDialog(dlg, 2);
      else if (LOWORD(wp) == IDC_KEEP && HIWORD(wp) == BN_CLICKED)
        ShowEvent(dlg, "keep", static_cast<int>(IsDlgButtonChecked(dlg, IDC_KEEP)));
      else if (LOWORD(wp) == IDC_KIND && HIWORD(wp) == CBN_SELCHANGE)
        ShowEvent(dlg, "kind", static_cast<int>(SendDlgItemMessageA(dlg, IDC_KIND, CB_GETCURSEL, 0, 0)));
      else if (LOWORD(wp) == IDC_PICKS && HIWORD(wp) == LBN_SELCHANGE)
        ShowEvent(dlg, "pick", static_cast<int>(SendDlgItemMessageA(dlg, IDC_PICKS, LB_GETCURSEL, 0, 0)));
      else if (LOWORD(wp) == IDC_PLACE && HIWORD(wp) == CBN_SELCHANGE)
        ShowEvent(dlg, "place", static_cast<int>(SendDlgItemMessageA(dlg, IDC_PLACE, CB_GETCURSEL, 0, 0)));
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
      if (hdr->idFrom == IDC_ROWS && (hdr->code == NM_CLICK || hdr->code == NM_DBLCLK))
        ShowEvent(dlg, hdr->code == NM_CLICK ? "click" : "dblclick",
                 reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem);
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  g_japanese = GetACP() == 932;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&icc);
  int argc = __argc;
  char** argv = __argv;
  if (argc >= 3 && !strcmp(argv[1], "box")) return ShowBox(argv[2], argc > 3 ? argv[3] : "ok");
  if (argc >= 3 && !strcmp(argv[1], "drive")) return ShowDrive(argv[2][0]);
  if (argc >= 3 && !strcmp(argv[1], "exit")) return atoi(argv[2]);
  if (argc >= 4 && !strcmp(argv[1], "regvalue")) return ShowRegistryValue(argv[2], argv[3]);
  if (argc >= 2 && !strcmp(argv[1], "dialog"))
    return static_cast<int>(DialogBoxParamA(inst, MAKEINTRESOURCEA(FIXTURE_DLG), nullptr, DialogProc, 0));
  MessageBoxA(nullptr, "usage: FIXTURE box|dialog|drive|regvalue|exit ...", "Fixture", MB_OK);
  return 1;
}
