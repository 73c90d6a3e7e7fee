#include "ui/resource_bitmaps.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace vestora {
namespace {

using namespace vestora::testing;

TEST(ResourceBitmapsTest, LoadsNumberedBitmapsBelowTheRootAndKeepsThem) {
  TempFolder root;
  EnsureImageHandlers();
  wxImage art(3, 2);
  art.SetRGB(wxRect(0, 0, 3, 2), 10, 20, 30);
  art.SetRGB(2, 1, 255, 0, 255);
  const std::string file = root.file("res/bitmap/42.png");
  std::filesystem::create_directories(root.path() / "res/bitmap");
  ASSERT_TRUE(art.SaveFile(wxString::FromUTF8(file), wxBITMAP_TYPE_PNG));

  const wxBitmap loaded = LoadBitmapResource(root.path().string(), 42);
  ASSERT_TRUE(loaded.IsOk());
  EXPECT_EQ(loaded.GetSize(), wxSize(3, 2));
  const wxImage back = loaded.ConvertToImage();
  EXPECT_EQ(PixelAt(back, 0, 0), wxColour(10, 20, 30));
  EXPECT_EQ(PixelAt(back, 2, 1), wxColour(255, 0, 255));  // key colours stay exact

  // Cached: the file is not read again until the cache is cleared.
  std::filesystem::remove(file);
  EXPECT_TRUE(LoadBitmapResource(root.path().string(), 42).IsOk());
  ClearBitmapResourceCache();
  EXPECT_FALSE(LoadBitmapResource(root.path().string(), 42).IsOk());
}

TEST(ResourceBitmapsTest, MissingOrBrokenBitmapsAreInvalidAndQuiet) {
  TempFolder root;
  root.write("res/bitmap/44.png", "not a png at all");
  root.write("res/bitmap/45.png", std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_FALSE(LoadBitmapResource(root.path().string(), 43).IsOk());
  EXPECT_FALSE(LoadBitmapResource(root.path().string(), 44).IsOk());
  EXPECT_FALSE(LoadBitmapResource(root.path().string(), 45).IsOk());
  // A broken file is tried again later: it may be regenerated meanwhile.
  EnsureImageHandlers();
  wxImage art(2, 2);
  ASSERT_TRUE(art.SaveFile(wxString::FromUTF8(root.file("res/bitmap/44.png")), wxBITMAP_TYPE_PNG));
  EXPECT_TRUE(LoadBitmapResource(root.path().string(), 44).IsOk());
  EXPECT_TRUE(TakeLogMessages().empty());
}

}  // namespace
}  // namespace vestora
