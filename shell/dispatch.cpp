// The main window's WM_COMMAND: one command per identifier. Commands take their targets from
// the shared state (selection record, current directory), not from arguments.
#include "shell/dispatch.h"

#include <stdint.h>

#include "browser/selection.h"
#include "shell/app.h"
#include "shell/iconbar.h"
#include "shell/labels.h"
#include "shell/rules/button_rules.h"
#if __has_include("engine/divide.h")
#include "engine/divide.h"
#define TOVRA_HAS_DIVIDE 1
#endif
#if __has_include("engine/merge.h")
#include "engine/merge.h"
#define TOVRA_HAS_MERGE 1
#endif
#if __has_include("browser/selector.h")
#include "browser/selector.h"
#define TOVRA_HAS_SELECTOR 1
#endif

// After a move of the current directory the old selection no longer applies.
static void AfterMove() {
  if (!g_dirChanged) return;
  ClearSelection();
  UpdateButtonStates();
}

static void RunCommand(HWND mainWnd, int id) {
  switch (id) {
#ifdef TOVRA_HAS_DIVIDE
    case 101: CmdDivide(mainWnd); break;
#endif
#ifdef TOVRA_HAS_MERGE
    case 102: CmdMerge(mainWnd); break;
#endif
    case 114: Shutdown(); break;
#ifdef TOVRA_HAS_SELECTOR
    case 115: GoUpOneLevel(); AfterMove(); break;
    case 116: SelectLocation(mainWnd); AfterMove(); break;
#endif
    default: break;
  }
}

void DispatchCommand(HWND mainWnd, WPARAM wParam) {
  int id = CommandToRun(static_cast<uint32_t>(wParam));
  if (!id) return;
  if (id != kDriveSelectorCommand) HideHoverLabel();
  RunCommand(mainWnd, id);
}
