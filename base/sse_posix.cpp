#include "base/sse.h"

// Every POSIX system that runs this keeps a thread's vector registers; whether the processor
// has them is asked where they are used.
bool SystemKeepsSse() { return true; }
