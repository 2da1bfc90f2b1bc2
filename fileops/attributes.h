// The Attributes command.
#pragma once
#include "browser/selection.h"

void CmdAttributes(const CommandInput& in);
