#include <gtest/gtest.h>

#include "formats/model_loader.h"

namespace vestora {
namespace {

GlmModel parsed(const std::string& text, std::vector<std::string>* warningsOut = nullptr) {
  GlmModel m;
  std::vector<std::string> warnings;
  parseMTL(m, text, warnings);
  if (warningsOut) *warningsOut = warnings;
  return m;
}

TEST(Mtl, RecordZeroIsDefaultAndEachNewmtlAddsOne) {
  const GlmModel m = parsed("# two\nnewmtl skin\nKd 1 0.5 0.25\nnewmtl hair\n");
  ASSERT_EQ(m.materials.size(), 3u);
  EXPECT_EQ(m.materials[0].name, "default");
  EXPECT_EQ(m.materials[1].name, "skin");
  EXPECT_EQ(m.materials[2].name, "hair");
  EXPECT_EQ(m.materials[1].diffuse, (std::array<float, 4>{1, 0.5f, 0.25f, 1}));
  // Untouched records keep the defaults.
  EXPECT_EQ(m.materials[2].diffuse, (std::array<float, 4>{0.8f, 0.8f, 0.8f, 1}));
  EXPECT_EQ(m.materials[2].ambient, (std::array<float, 4>{0.2f, 0.2f, 0.2f, 1}));
  EXPECT_EQ(m.materials[2].specular, (std::array<float, 4>{0, 0, 0, 1}));
  EXPECT_EQ(m.materials[2].shininess, 65.0f);
}

TEST(Mtl, ColoursAndShininess) {
  const GlmModel m = parsed("newmtl a\nKa 0.1 0.2 0.3\nKs 1 1 1\nKe 9 9 9\nNs 500\nNi 1.45\n");
  const GlmMaterial& a = m.materials[1];
  EXPECT_EQ(a.ambient, (std::array<float, 4>{0.1f, 0.2f, 0.3f, 1}));
  EXPECT_EQ(a.specular, (std::array<float, 4>{1, 1, 1, 1}));
  EXPECT_EQ(a.shininess, 64.0f);  // 500 / 1000 × 128; the optical density is not a shininess
  EXPECT_EQ(a.emissive, GlmMaterial{}.emissive);
}

TEST(Mtl, ModelNameAndTextureMaps) {
  std::vector<std::string> warnings;
  const GlmModel m = parsed("o woman extra\nnewmtl a\nmap_Kd skin.jpg\nmap_Bump b.png\nmap_Ks c.png\n",
                            &warnings);
  EXPECT_EQ(m.modelName, "woman");
  EXPECT_EQ(m.textureMaps, (std::vector<std::string>{"skin.jpg", "b.png"}));
  EXPECT_EQ(warnings.size(), 1u);
}

TEST(Mtl, LowerCaseTMovesToTheNextRecordWithoutNamingIt) {
  std::vector<std::string> warnings;
  const GlmModel m = parsed("newmtl a\nnewmtl b\nt\nKd 0 0 0\n", &warnings);
  ASSERT_EQ(m.materials.size(), 3u);
  EXPECT_EQ(m.materials[2].name, "b");  // t could not move past the last record
  EXPECT_EQ(m.materials[2].diffuse[0], 0.0f);
  EXPECT_EQ(warnings.size(), 1u);

  const GlmModel unnamed = parsed("t\nKd 0 1 0\nnewmtl a\n");
  // t moved to record 1, the only newmtl then has nowhere to go.
  EXPECT_EQ(unnamed.materials[1].name, "");
  EXPECT_EQ(unnamed.materials[1].diffuse[1], 1.0f);
}

TEST(Mtl, ShortColourLineIsIgnoredWithAWarning) {
  std::vector<std::string> warnings;
  const GlmModel m = parsed("newmtl a\nKd 0.5 0.5\n", &warnings);
  EXPECT_EQ(m.materials[1].diffuse[0], 0.8f);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("line 2"), std::string::npos);
}

}  // namespace
}  // namespace vestora
