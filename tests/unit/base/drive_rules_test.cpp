#include "base/drive_rules.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(DriveRules, RemoteAndRamDiskSwapAgainstTheSystemNumbers) {
  const uint32_t kRemote = 4, kCdRom = 5, kRamDisk = 6;
  EXPECT_EQ(DriveKindFromSystemType(kRemote), 6u);
  EXPECT_EQ(DriveKindFromSystemType(kRamDisk), 4u);
  EXPECT_EQ(DriveKindFromSystemType(kCdRom), 5u);
  for (uint32_t same : {0u, 1u, 2u, 3u}) EXPECT_EQ(DriveKindFromSystemType(same), same);
  EXPECT_EQ(DriveKindFromSystemType(7), DriveUndetermined);
  EXPECT_EQ(DriveKindFromSystemType(0xFFFFFFFFu), DriveUndetermined);
}

TEST(DriveRules, NtfsNameIsFoundInAnyCase) {
  EXPECT_TRUE(IsNtfsName("NTFS"));
  EXPECT_TRUE(IsNtfsName("ntfs"));
  EXPECT_TRUE(IsNtfsName("xNtFs5"));
  for (const char* other : {"FAT", "FAT32", "CDFS", "", "NTF", "N TFS"})
    EXPECT_FALSE(IsNtfsName(other)) << other;
}

TEST(DriveRules, ClusterThresholdBoundaries) {
  struct Case { uint64_t total, threshold; };
  const Case cases[] = {
      {0, 1024},
      {1457664, 1024},
      {0xFFFFFF, 1024},     {0x1000000, 2048},
      {0x7FFFFFF, 2048},    {0x8000000, 4096},
      {0xFFFFFFF, 4096},    {0x10000000, 8192},
      {0x1FFFFFFF, 8192},   {0x20000000, 16384},
      {0x3FFFFFFF, 16384},  {0x40000000, 32768},
      {0x80000000, 32768},  {0x80000001, 65536},
      {UINT64_MAX, 65536},
  };
  for (const Case& c : cases) EXPECT_EQ(ClusterThreshold(0, c.total), c.threshold) << c.total;
  for (int mode : {1, 2, -1})
    for (const Case& c : cases) EXPECT_EQ(ClusterThreshold(mode, c.total), 65536u);
}

TEST(DriveRules, ClusterRoomNeedsMoreThanOneCluster) {
  const uint64_t floppy = 1457664;
  EXPECT_FALSE(ClusterRoomExtended(0, floppy, 1024));
  EXPECT_TRUE(ClusterRoomExtended(0, floppy, 1025));
  EXPECT_FALSE(ClusterRoomExtended(1, floppy, 65536));
  EXPECT_TRUE(ClusterRoomExtended(1, floppy, 65537));
  EXPECT_FALSE(ClusterRoomExtended(0, 0x80000000ull, 32768));
  EXPECT_TRUE(ClusterRoomExtended(0, 0x80000000ull, 32769));
  EXPECT_FALSE(ClusterRoomExtended(0, 0x80000001ull, 32769));

  EXPECT_FALSE(ClusterRoomLegacy(0));
  EXPECT_FALSE(ClusterRoomLegacy(1));
  EXPECT_TRUE(ClusterRoomLegacy(2));
}

TEST(DriveRules, RoomForOnTheExtendedPath) {
  EXPECT_TRUE(RoomForExtended(409600, 409600));
  EXPECT_FALSE(RoomForExtended(409601, 409600));
  EXPECT_TRUE(RoomForExtended(0, 0));
  EXPECT_TRUE(RoomForExtended(INT32_MAX, 0x80000000ull));
  // 2 GiB and more is negative as a signed request and never fits.
  EXPECT_FALSE(RoomForExtended(INT32_MIN, 1ull << 40));
  EXPECT_FALSE(RoomForExtended(-1, 1ull << 40));
}

TEST(DriveRules, RoomForOnTheLegacyPathWrapsAt32Bits) {
  EXPECT_TRUE(RoomForLegacy(409600, 8, 512, 100));
  EXPECT_FALSE(RoomForLegacy(409601, 8, 512, 100));
  // 64 x 512 x 131072 = 2^32 wraps to 0; one cluster more wraps to 32768.
  EXPECT_TRUE(RoomForLegacy(0, 64, 512, 131072));
  EXPECT_FALSE(RoomForLegacy(1, 64, 512, 131072));
  EXPECT_TRUE(RoomForLegacy(32768, 64, 512, 131073));
  EXPECT_FALSE(RoomForLegacy(32769, 64, 512, 131073));
  // The request is compared as unsigned: 0x80000000 fits exactly 2 GiB here, unlike above.
  EXPECT_TRUE(RoomForLegacy(INT32_MIN, 64, 512, 65536));
  EXPECT_FALSE(RoomForLegacy(INT32_MIN, 64, 512, 65535));
  EXPECT_FALSE(RoomForLegacy(-1, 64, 512, 65536));
}
