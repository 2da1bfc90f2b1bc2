// The drive queries against the real system calls (run under Wine in the cross build).
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/app.h"
#include "shell/drives.h"

OsKind g_osKind = WinNtLater;

namespace {

// A drive letter with nothing behind it.
const char* UnusedRoot() {
  static char root[4] = "?:\\";
  DWORD used = GetLogicalDrives();
  for (int i = 25; i >= 3; --i)
    if (!(used & (1u << i))) {
      root[0] = static_cast<char>('A' + i);
      return root;
    }
  return nullptr;
}

char SystemDriveRoot(char* root) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  lstrcpynA(root, windows, 4);
  return root[0];
}

struct KindGuard {
  OsKind saved = g_osKind;
  explicit KindGuard(OsKind k) { g_osKind = k; }
  ~KindGuard() { g_osKind = saved; }
};

}  // namespace

TEST(DrivesWin32, KindsOfTheSystemDriveAndAnUnusedLetter) {
  char root[4];
  SystemDriveRoot(root);
  EXPECT_EQ(GetDriveKind(root), DriveFixed);
  const char* unused = UnusedRoot();
  ASSERT_NE(unused, nullptr);
  EXPECT_EQ(GetDriveKind(unused), DriveNoRoot);
}

TEST(DrivesWin32, NtfsFlagFollowsTheLastVolume) {
  char root[4];
  SystemDriveRoot(root);
  char fs[64] = {};
  ASSERT_TRUE(GetVolumeInformationA(root, NULL, 0, NULL, NULL, NULL, fs, sizeof fs));
  g_ntfsFlag = 7;
  CheckNtfsVolume(root);
  EXPECT_EQ(g_ntfsFlag, lstrcmpiA(fs, "NTFS") == 0 ? 1 : 0) << fs;
  g_ntfsFlag = 1;
  CheckNtfsVolume(UnusedRoot());
  EXPECT_EQ(g_ntfsFlag, 0);
}

TEST(DrivesWin32, RoomAgainstTheSystemsOwnCount) {
  char root[4];
  SystemDriveRoot(root);
  ULARGE_INTEGER avail = {}, total = {}, totalFree = {};
  ASSERT_TRUE(GetDiskFreeSpaceExA(root, &avail, &total, &totalFree));
  ASSERT_GT(avail.QuadPart, 65536u);
  for (OsKind k : {WinNtLater, Win98, WinMe, Win2000}) {
    KindGuard guard(k);
    EXPECT_EQ(HasRoomFor(root, 0), 1);
    EXPECT_EQ(HasRoomFor(root, 1000), 1);
    long fits = avail.QuadPart > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(avail.QuadPart);
    EXPECT_EQ(HasRoomFor(root, fits), 1);
    if (avail.QuadPart < 0x7FFFFFFF) EXPECT_EQ(HasRoomFor(root, fits + 1), 0);
    EXPECT_EQ(HasRoomFor(root, static_cast<long>(0x80000000u)), 0);
    EXPECT_EQ(HasClusterRoom(root, 0), 1);
    EXPECT_EQ(HasClusterRoom(root, 1), 1);
  }
}

TEST(DrivesWin32, AFailedQueryMeansNoRoom) {
  const char* unused = UnusedRoot();
  for (OsKind k : {WinNtLater, Win95}) {
    KindGuard guard(k);
    EXPECT_EQ(HasRoomFor(unused, 0), 0) << k;
    EXPECT_EQ(HasRoomFor(unused, 1), 0) << k;
    EXPECT_EQ(HasClusterRoom(unused, 0), 0) << k;
    EXPECT_EQ(HasClusterRoom(unused, 1), 0) << k;
  }
}

TEST(DrivesWin32, LegacyPathOnAnNtPlatformUsesTheClusterCounts) {
  // Win95 as kind on an NT platform: GetVersionExA reports platform 2, so the legacy path runs.
  char root[4];
  SystemDriveRoot(root);
  DWORD spc = 0, bps = 0, freeClusters = 0, clusters = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA(root, &spc, &bps, &freeClusters, &clusters));
  uint32_t product = spc * bps * freeClusters;
  KindGuard guard(Win95);
  EXPECT_EQ(HasClusterRoom(root, 5), freeClusters > 1 ? 1 : 0);
  EXPECT_EQ(HasRoomFor(root, static_cast<long>(product)), 1);
  if (product < 0xFFFFFFFFu) EXPECT_EQ(HasRoomFor(root, static_cast<long>(product + 1)), 0);
}
