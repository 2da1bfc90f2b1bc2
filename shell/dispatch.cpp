// The main window's WM_COMMAND: one command per identifier, run on what the program holds now:
// the selection and the folder the list shows.
#include "shell/dispatch.h"

#include <stdint.h>

#include "archive/compress.h"
#include "archive/decompress.h"
#include "browser/selection.h"
#include "browser/selector.h"
#include "engine/divide.h"
#include "engine/merge.h"
#include "fileops/attributes.h"
#include "fileops/copy.h"
#include "fileops/delete.h"
#include "fileops/makedir.h"
#include "fileops/rename.h"
#include "fileops/sizeinquiry.h"
#include "fileops/timestamp.h"
#include "resources/ids.h"
#include "shell/about.h"
#include "shell/help.h"
#include "shell/iconbar.h"
#include "shell/labels.h"
#include "shell/mainwnd.h"
#include "shell/rules/button_rules.h"
#include "ui/state.h"

// After a move of the current directory the old selection no longer applies.
static void AfterMove() {
  ClearSelection(&g_selection);
  UpdateButtonStates(g_selection);
}

static void CmdExit(const CommandInput&) { Shutdown(); }

static void CmdUpOneLevel(const CommandInput&) {
  if (GoUpOneLevel()) AfterMove();
}

static void CmdSelectLocation(const CommandInput& in) {
  if (SelectLocation(in.owner)) AfterMove();
}

struct Command {
  int id;
  void (*run)(const CommandInput& in);
};

static const Command kCommands[] = {
    {IDM_DIVISION, CmdDivide},
    {IDM_MERGER, CmdMerge},
    {IDM_DIRECTORY, CmdMakeDirectory},
    {IDM_COPY, CmdCopy},
    {IDM_RENAME, CmdRename},
    {IDM_DELETE, CmdDelete},
    {IDM_COMPRESS, CmdCompress},
    {IDM_DECOMPRESS, CmdDecompress},
    {IDM_FILESIZE, CmdFileSize},
    {IDM_TIMESTAMP, CmdTimestamp},
    {IDM_ATTRIBUTES, CmdAttributes},
    {IDM_ABOUT, CmdAbout},
    {IDM_HELP, CmdHelp},
    {IDM_EXIT, CmdExit},
    {IDM_UPONELEVEL, CmdUpOneLevel},
    {IDC_DRIVESELECTOR, CmdSelectLocation},
};

void DispatchCommand(HWND mainWnd, WPARAM wParam) {
  int id = CommandToRun(static_cast<uint32_t>(wParam));
  if (!id) return;
  if (id != kDriveSelectorCommand) HideHoverLabel();
  const CommandInput in{mainWnd, g_selection, g_currentDir};
  for (const Command& c : kCommands) {
    if (c.id == id) {
      c.run(in);
      return;
    }
  }
}
