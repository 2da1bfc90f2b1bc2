// The subcommands; each returns the exit code (console.h).
#pragma once
#include "args.h"

namespace cli {

int RunDivide(const Args& args);
int RunMerge(const Args& args);
int RunCheck(const Args& args);
int RunDisks(const Args& args);

}  // namespace cli
