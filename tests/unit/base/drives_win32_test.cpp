// The drive queries against the real system calls (run under Wine in the cross build).
#include <windows.h>

#include <gtest/gtest.h>

#include "base/drives.h"
#include "base/oskind.h"

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

TEST(DrivesWin32, NtfsOnlyWhereTheVolumeSaysSo) {
  char root[4];
  SystemDriveRoot(root);
  char fs[64] = {};
  ASSERT_TRUE(GetVolumeInformationA(root, NULL, 0, NULL, NULL, NULL, fs, sizeof fs));
  EXPECT_EQ(IsNtfsVolume(root), lstrcmpiA(fs, "NTFS") == 0) << fs;
  EXPECT_FALSE(IsNtfsVolume(UnusedRoot()));
}

TEST(DrivesWin32, TheSystemDriveHasRoomForSmallRequestsOnBothPaths) {
  char root[4];
  SystemDriveRoot(root);
  for (OsKind k : {WinNtLater, Win98, WinMe, Win2000, Win95}) {
    KindGuard guard(k);
    EXPECT_EQ(HasRoomFor(root, 0), 1) << k;
    EXPECT_EQ(HasRoomFor(root, 1000), 1) << k;
    EXPECT_EQ(HasClusterRoom(root, 1), 1) << k;
  }
  KindGuard nt(WinNtLater);
  EXPECT_EQ(HasRoomFor(root, static_cast<long>(0x80000000u)), 0);  // 2 GiB never fits
}

// A model drive behind the free-space questions: the numbers a small disk would give.
struct ModelDrive {
  bool extended;
  FreeQuery answer;
  uint64_t freeBytes, total;
  ClusterCounts clusters;
  bool clustersAnswer;
};
ModelDrive g_model;

const SpaceQueries kModelQueries = {
    [](OsKind) { return g_model.extended; },
    [](const char*, uint64_t* f, uint64_t* t) {
      *f = g_model.freeBytes;
      *t = g_model.total;
      return g_model.answer;
    },
    [](const char*, ClusterCounts* c) {
      *c = g_model.clusters;
      return g_model.clustersAnswer;
    }};

struct ModelGuard {
  const SpaceQueries* saved = g_spaceQueries;
  explicit ModelGuard(const ModelDrive& m) {
    g_model = m;
    g_spaceQueries = &kModelQueries;
  }
  ~ModelGuard() { g_spaceQueries = saved; }
};

TEST(DrivesWin32, RoomOnAModelDrive) {
  // A floppy: 1,457,664 bytes in all; 512-byte clusters of one sector.
  const ClusterCounts floppy = {1, 512, 1000, 2847};
  struct Case { ModelDrive drive; long request; int room, clusterRoom; };
  const Case cases[] = {
      {{true, FreeQuery::Ok, 512000, 1457664, floppy, true}, 512000, 1, 1},
      {{true, FreeQuery::Ok, 512000, 1457664, floppy, true}, 512001, 0, 1},
      {{true, FreeQuery::Ok, 1024, 1457664, floppy, true}, 1000, 1, 0},   // one cluster is no room
      {{true, FreeQuery::Ok, 1025, 1457664, floppy, true}, 1025, 1, 1},
      {{true, FreeQuery::Failed, 512000, 1457664, floppy, true}, 1, 0, 0},
      {{true, FreeQuery::Missing, 512000, 1457664, floppy, true}, 1, 0, 0},
      // The legacy path: the counts' product, one free cluster is no room.
      {{false, FreeQuery::Ok, 0, 0, floppy, true}, 512000, 1, 1},
      {{false, FreeQuery::Ok, 0, 0, floppy, true}, 512001, 0, 1},
      {{false, FreeQuery::Ok, 0, 0, {1, 512, 1, 2847}, true}, 512, 1, 0},
      {{false, FreeQuery::Ok, 0, 0, floppy, false}, 1, 0, 0},
      // 64 sectors x 512 bytes x 131072 clusters wraps to 0 in 32 bits.
      {{false, FreeQuery::Ok, 0, 0, {64, 512, 131072, 200000}, true}, 1, 0, 1},
  };
  for (const Case& c : cases) {
    ModelGuard model(c.drive);
    EXPECT_EQ(HasRoomFor("A:\\", c.request), c.room) << c.request << " " << c.drive.freeBytes;
    EXPECT_EQ(HasClusterRoom("A:\\", 0), c.clusterRoom) << c.request << " " << c.drive.freeBytes;
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
  // Other programs may write to the drive meanwhile: the answers count only when the free
  // clusters are the same before and after them.
  char root[4];
  SystemDriveRoot(root);
  KindGuard guard(Win95);
  for (int tries = 0; tries < 50; ++tries) {
    DWORD spc = 0, bps = 0, freeClusters = 0, clusters = 0, freeAfter = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA(root, &spc, &bps, &freeClusters, &clusters));
    const uint32_t product = spc * bps * freeClusters;
    const int clusterRoom = HasClusterRoom(root, 5);
    const int room = HasRoomFor(root, static_cast<long>(product));
    ASSERT_TRUE(GetDiskFreeSpaceA(root, &spc, &bps, &freeAfter, &clusters));
    if (freeAfter != freeClusters) continue;
    EXPECT_EQ(clusterRoom, freeClusters > 1 ? 1 : 0);
    EXPECT_EQ(room, 1);
    return;
  }
  FAIL() << "the free space of " << root << " never held still";
}
