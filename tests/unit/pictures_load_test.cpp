// Loads the generated pictures the way the programs do: by resource name, from the module.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace {

const char *const kPlain[] = {"Divi", "Merge", "Credir", "Copy2", "Rename", "Delete", "Comp",
                              "Decomp", "FlSize", "TsChg", "Attrb", "About", "Help", "Exit",
                              "DirUp"};
const char *const kStems[] = {"Divi", "Merge", "Credi", "Copy2", "Renam", "Delet", "Comp",
                              "Decom", "FlSiz", "TsChg", "Attrb", "About", "Help", "Exit",
                              "DirUp"};

std::string Lower(std::string s) {
  for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

#pragma pack(push, 2)
struct GroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
struct GroupHeader {
  WORD reserved, type, count;
  GroupEntry entries[1];
};
#pragma pack(pop)

// The icon group as stored in the module: which sizes and depths it offers.
std::set<std::pair<int, int>> IconEntries(const char *name) {
  std::set<std::pair<int, int>> found;
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (!res) return found;
  const auto *group = static_cast<const GroupHeader *>(LockResource(LoadResource(module, res)));
  if (!group || SizeofResource(module, res) < 6 + 14u * group->count) return found;
  for (int i = 0; i < group->count; ++i) {
    const GroupEntry &e = group->entries[i];
    found.insert({e.width, e.bits});
  }
  return found;
}

int IconWidth(const char *name, int size) {
  HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, size, size, 0));
  if (!icon) return -1;
  ICONINFO info{};
  BITMAP bm{};
  int width = -1;
  if (GetIconInfo(icon, &info)) {
    if (GetObjectA(info.hbmMask, sizeof bm, &bm)) width = bm.bmWidth;
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  DestroyIcon(icon);
  return width;
}

TEST(Pictures, EveryButtonBitmapLoadsAs32x20In16Colours) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  int loaded = 0;
  for (int i = 0; i < 15; ++i) {
    for (const char *set : {"", "9", "8", "X"}) {
      for (const char *state : {"Up", "Dn", "In"}) {
        std::string name = (*set ? std::string(kStems[i]) + set : std::string(kPlain[i])) + state;
        ASSERT_LE(name.size(), 8u) << name;
        HBITMAP dib = static_cast<HBITMAP>(
            LoadImageA(inst, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(dib, nullptr) << name;
        DIBSECTION ds{};
        ASSERT_EQ(GetObjectA(dib, sizeof ds, &ds), static_cast<int>(sizeof ds)) << name;
        EXPECT_EQ(ds.dsBm.bmWidth, 32) << name;
        EXPECT_EQ(ds.dsBm.bmHeight, 20) << name;
        EXPECT_EQ(ds.dsBmih.biBitCount, 4) << name;
        DeleteObject(dib);
        // Names are matched without regard to case.
        HBITMAP ddb = LoadBitmapA(inst, Lower(name).c_str());
        EXPECT_NE(ddb, nullptr) << Lower(name);
        if (ddb) DeleteObject(ddb);
        ++loaded;
      }
    }
  }
  EXPECT_EQ(loaded, 180);
}

TEST(Pictures, EveryIconOffersItsSizesInSixteenColours) {
  const char *const names[] = {"A_ICON_1", "FLD_ICON", "OPEN_ICON", "RCL_XP_ICON",
                               "RCL_ME_ICON", "RCL_9X_ICON", "DOC_ME_ICON", "DOC_9X_ICON",
                               "NO_FIL_ICON", "NO_DRV_ICON", MAKEINTRESOURCEA(133), "ICON_1"};
  const std::set<std::pair<int, int>> both = {{32, 4}, {16, 4}}, small = {{16, 4}};
  for (const char *name : names) {
    std::string label = IS_INTRESOURCE(name) ? "133" : name;
    // Rundelo's icon is drawn at 16 only; the system makes the large one from it.
    EXPECT_EQ(IconEntries(name), label == "ICON_1" ? small : both) << label;
    EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), name), nullptr) << label;
    EXPECT_EQ(IconWidth(name, 32), 32) << label;
    EXPECT_EQ(IconWidth(name, 16), 16) << label;
    if (!IS_INTRESOURCE(name)) {
      EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), Lower(name).c_str()), nullptr) << label;
    }
  }
}

TEST(Pictures, UnknownNamesAreNotFound) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  EXPECT_EQ(LoadBitmapA(inst, "DiviUp9"), nullptr);
  EXPECT_EQ(LoadBitmapA(inst, "Divi9Xx"), nullptr);
  EXPECT_TRUE(IconEntries("RCL_2K_ICON").empty());
}

}  // namespace
