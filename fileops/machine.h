// What the Timestamp command asks of the machine: whether a volume is NTFS, the clock, and the
// file calls its folders are made anew with. A test build answers as a 9x system on FAT does.
#pragma once
#include "base/diskfiles.h"
#include "fileops/timestamp_work.h"

// Sets NtfsFlag for the volume of root and returns it.
bool MachineVolumeIsNtfs(const char* root);
const fileops::MachineClock& MachineClockOf();
const DiskFiles& MachineFiles();
