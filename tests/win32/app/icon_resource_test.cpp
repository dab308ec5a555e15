// The installer's icon group as the executable carries it and as the window system loads it.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "resources/resource.h"

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE Width;
  BYTE Height;
  BYTE ColourCount;
  BYTE Reserved;
  WORD Planes;
  WORD BitCount;
  DWORD BytesInRes;
  WORD Id;
};
struct GroupIconHeader {
  WORD Reserved;
  WORD Type;
  WORD Count;
};
#pragma pack(pop)

const int kSizes[] = {48, 32, 16};

struct Resource {
  const BYTE* Bytes = nullptr;
  DWORD Size = 0;
};

Resource FindOwnResource(LPCSTR name, LPCSTR type) {
  Resource resource;
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return resource;
  resource.Bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  resource.Size = SizeofResource(module, found);
  return resource;
}

TEST(InstallerIcon, GroupHoldsThreeSizesWith256Colours) {
  const Resource group = FindOwnResource(IDI_INSTALLER, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_NE(group.Bytes, nullptr);
  ASSERT_GE(group.Size, sizeof(GroupIconHeader));
  const GroupIconHeader* header = reinterpret_cast<const GroupIconHeader*>(group.Bytes);
  EXPECT_EQ(header->Type, 1);
  ASSERT_EQ(header->Count, 3);
  ASSERT_EQ(group.Size, sizeof(GroupIconHeader) + 3 * sizeof(GroupIconEntry));
  const GroupIconEntry* entries =
      reinterpret_cast<const GroupIconEntry*>(group.Bytes + sizeof(GroupIconHeader));
  for (int i = 0; i < 3; ++i) {
    const GroupIconEntry& entry = entries[i];
    SCOPED_TRACE(kSizes[i]);
    EXPECT_EQ(entry.Width, kSizes[i]);
    EXPECT_EQ(entry.Height, kSizes[i]);
    EXPECT_EQ(entry.ColourCount, 0) << "0 stands for 256 colours";
    EXPECT_EQ(entry.Planes, 1);
    EXPECT_EQ(entry.BitCount, 8);

    const Resource image = FindOwnResource(MAKEINTRESOURCEA(entry.Id), MAKEINTRESOURCEA(3));
    ASSERT_NE(image.Bytes, nullptr);
    EXPECT_EQ(image.Size, entry.BytesInRes);
    ASSERT_GE(image.Size, sizeof(BITMAPINFOHEADER));
    const BITMAPINFOHEADER* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(image.Bytes);
    EXPECT_EQ(bitmap->biWidth, kSizes[i]);
    EXPECT_EQ(bitmap->biHeight, 2 * kSizes[i]);
    EXPECT_EQ(bitmap->biBitCount, 8);

    // Asked for this size, the window system picks this very image.
    EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.Bytes), TRUE, kSizes[i],
                                          kSizes[i], LR_DEFAULTCOLOR),
              entry.Id);
  }
}

TEST(InstallerIcon, LoadsAtEachSize) {
  for (int size : kSizes) {
    SCOPED_TRACE(size);
    HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), IDI_INSTALLER, IMAGE_ICON,
                                               size, size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_TRUE(info.fIcon);
    ASSERT_NE(info.hbmColor, nullptr) << "a colour icon, not a monochrome one";
    BITMAP colour = {};
    BITMAP mask = {};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_EQ(colour.bmHeight, size);
    EXPECT_EQ(mask.bmWidth, size);
    EXPECT_EQ(mask.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

}  // namespace
