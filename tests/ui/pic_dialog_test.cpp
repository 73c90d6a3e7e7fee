#include "ui/pic_dialog.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/resource_bitmaps.h"
#include "ui_fixtures.h"

namespace vestora {
namespace {

using namespace vestora::testing;

const wxColour kRed(220, 20, 20);
const wxColour kBlue(20, 20, 220);

std::string savedImage(const TempFolder& folder, const std::string& name, const wxColour& colour,
                       wxBitmapType type) {
  EnsureImageHandlers();
  wxImage image(4, 4);
  image.SetRGB(wxRect(0, 0, 4, 4), colour.Red(), colour.Green(), colour.Blue());
  const std::string path = folder.file(name);
  EXPECT_TRUE(image.SaveFile(wxString::FromUTF8(path), type));
  return path;
}

// A 2 x 2 uncompressed true-colour TGA, rows from the top: red green / blue white.
std::string tgaBytes() {
  std::string bytes(18, '\0');
  bytes[2] = 2;      // uncompressed true colour
  bytes[12] = 2;     // width
  bytes[14] = 2;     // height
  bytes[16] = 24;    // bits per pixel
  bytes[17] = 0x20;  // first row is the top row
  const unsigned char bgr[] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
  bytes.append(reinterpret_cast<const char*>(bgr), sizeof bgr);
  return bytes;
}

bool near(const wxColour& a, const wxColour& b, int tolerance) {
  return std::abs(a.Red() - b.Red()) <= tolerance && std::abs(a.Green() - b.Green()) <= tolerance &&
         std::abs(a.Blue() - b.Blue()) <= tolerance;
}

class PicDialogTest : public FrameTest {
 protected:
  CPicDialog* makeBox(KeyTarget target = {}) {
    return new CPicDialog(panel, 2000, wxPoint(0, 0), wxSize(40, 30), std::move(target));
  }
  TempFolder folder;
};

TEST_F(PicDialogTest, UnreadableFilesAreRefusedQuietly) {
  CPicDialog* box = makeBox();
  EXPECT_FALSE(box->LoadPicture(folder.file("missing.jpg"), true));
  EXPECT_FALSE(box->LoadPicture(folder.write("broken.jpg", "this is not a picture"), true));
  EXPECT_FALSE(box->LoadPicture(folder.write("empty.bmp", ""), false));
  // A JPEG cut off after its header.
  const std::string whole = savedImage(folder, "whole.jpg", kRed, wxBITMAP_TYPE_JPEG);
  std::string bytes;
  {
    std::ifstream in(whole, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  EXPECT_FALSE(box->LoadPicture(folder.write("cut.jpg", bytes.substr(0, 20)), false));
  EXPECT_FALSE(box->picture(true).IsOk());
  EXPECT_FALSE(box->picture(false).IsOk());
  EXPECT_TRUE(TakeLogMessages().empty());
}

TEST_F(PicDialogTest, LoadsJpegBmpAndTga) {
  CPicDialog* box = makeBox();
  ASSERT_TRUE(box->LoadPicture(savedImage(folder, "a.jpg", kRed, wxBITMAP_TYPE_JPEG), true));
  EXPECT_EQ(box->picture(true).GetSize(), wxSize(4, 4));
  EXPECT_TRUE(near(PixelAt(box->picture(true), 1, 1), kRed, 12));

  ASSERT_TRUE(box->LoadPicture(savedImage(folder, "b.bmp", kBlue, wxBITMAP_TYPE_BMP), false));
  EXPECT_EQ(PixelAt(box->picture(false), 2, 2), kBlue);

  ASSERT_TRUE(box->LoadPicture(folder.write("c.tga", tgaBytes()), false));
  const wxImage& tga = box->picture(false);
  EXPECT_EQ(PixelAt(tga, 0, 0), wxColour(255, 0, 0));
  EXPECT_EQ(PixelAt(tga, 1, 0), wxColour(0, 255, 0));
  EXPECT_EQ(PixelAt(tga, 0, 1), wxColour(0, 0, 255));

  // A failed load empties its slot.
  EXPECT_FALSE(box->LoadPicture(folder.file("gone.jpg"), false));
  EXPECT_FALSE(box->picture(false).IsOk());
  EXPECT_TRUE(box->picture(true).IsOk());
}

TEST_F(PicDialogTest, PaintsTheShownPictureStretched) {
  CPicDialog* box = makeBox();
  ASSERT_TRUE(box->LoadPicture(savedImage(folder, "a.jpg", kRed, wxBITMAP_TYPE_JPEG), true));
  ASSERT_TRUE(box->LoadPicture(savedImage(folder, "b.bmp", kBlue, wxBITMAP_TYPE_BMP), false));
  const wxSize size(40, 30);
  const wxColour beneath(7, 7, 7);
  auto render = [&] { return Render(size, beneath, [&](wxDC& dc) { box->Draw(dc, size); }); };

  EXPECT_EQ(box->shown(), 0);
  EXPECT_EQ(PixelAt(render(), 20, 15), beneath);

  box->ShowFirst();
  EXPECT_EQ(box->shown(), 1);
  wxImage image = render();
  for (const wxPoint p : {wxPoint(0, 0), wxPoint(39, 29), wxPoint(20, 15)}) {
    EXPECT_TRUE(near(PixelAt(image, p.x, p.y), kRed, 16)) << PixelAt(image, p.x, p.y);
  }

  box->ShowSecond();
  EXPECT_EQ(box->shown(), 2);
  image = render();
  EXPECT_EQ(PixelAt(image, 0, 0), kBlue);
  EXPECT_EQ(PixelAt(image, 39, 29), kBlue);

  box->Clear();
  EXPECT_EQ(PixelAt(render(), 20, 15), beneath);
  Pump(20);  // and the real paint copes with an empty slot
}

TEST_F(PicDialogTest, HandsKeysOnAndSwallowsEnterAndEscape) {
  std::vector<int> routed;
  CPicDialog* box = makeBox([&routed](int code) { routed.push_back(code); });
  EXPECT_TRUE(SendKey(box, wxEVT_KEY_DOWN, WXK_F2));
  EXPECT_TRUE(SendKey(box, wxEVT_KEY_DOWN, WXK_RETURN));
  EXPECT_TRUE(SendKey(box, wxEVT_KEY_DOWN, WXK_ESCAPE));
  EXPECT_TRUE(SendKey(box, wxEVT_CHAR, 'q'));
  EXPECT_EQ(routed, (std::vector<int>{WXK_F2, 'q'}));
}

}  // namespace
}  // namespace vestora
