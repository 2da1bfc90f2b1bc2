// What the Timestamp command asks of the machine: whether a volume is NTFS, the clock, and the
// file calls its folders are made anew with. A test build answers as a 9x system on FAT does.
#pragma once
#include "base/diskfiles.h"
#include "fileops/timestamp_work.h"

// Whether the volume of root is NTFS.
bool MachineVolumeIsNtfs(const char* root);
const fileops::MachineClock& MachineClockOf();
const DiskFiles& MachineFiles();
