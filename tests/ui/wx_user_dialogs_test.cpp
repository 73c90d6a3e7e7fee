#include "ui/wx_user_dialogs.h"

#include <gtest/gtest.h>

namespace vestora {
namespace {

TEST(WxUserDialogsTest, FilterBecomesWxWildcard) {
  EXPECT_EQ(ToWxWildcard("C3D files (*.c3d)|*.c3d||"), "C3D files (*.c3d)|*.c3d");
  EXPECT_EQ(ToWxWildcard("JPEG (*.jpg)|*.jpg|Text (*.txt)|*.txt||"),
            "JPEG (*.jpg)|*.jpg|Text (*.txt)|*.txt");
  EXPECT_EQ(ToWxWildcard("All (*.*)|*.*||"), "All (*.*)|*");
  EXPECT_EQ(ToWxWildcard("Models|*.c3d;*.obj"), "Models|*.c3d;*.obj");
  EXPECT_EQ(ToWxWildcard(""), "All files (*)|*");
  EXPECT_EQ(ToWxWildcard("||"), "All files (*)|*");
  // A description without its pattern is dropped rather than handed to the dialog.
  EXPECT_EQ(ToWxWildcard("Text (*.txt)|*.txt|Orphan"), "Text (*.txt)|*.txt");
  EXPECT_EQ(ToWxWildcard("测量报告 (*.txt)|*.txt||"), wxString::FromUTF8("测量报告 (*.txt)|*.txt"));
}

TEST(WxUserDialogsTest, DefaultExtensionOnlyForNamesWithoutOne) {
  EXPECT_EQ(WithDefaultExtension("/tmp/report", ".txt"), "/tmp/report.txt");
  EXPECT_EQ(WithDefaultExtension("/tmp/report", "txt"), "/tmp/report.txt");
  EXPECT_EQ(WithDefaultExtension("/tmp/report.txt", ".txt"), "/tmp/report.txt");
  EXPECT_EQ(WithDefaultExtension("/tmp/report.csv", ".txt"), "/tmp/report.csv");
  EXPECT_EQ(WithDefaultExtension("/tmp/v1.2/report", ".txt"), "/tmp/v1.2/report.txt");
  EXPECT_EQ(WithDefaultExtension("/tmp/.hidden", ".txt"), "/tmp/.hidden.txt");
  EXPECT_EQ(WithDefaultExtension("/tmp/report", ""), "/tmp/report");
  EXPECT_EQ(WithDefaultExtension("/tmp/folder/", ".txt"), "/tmp/folder/");
}

}  // namespace
}  // namespace vestora
