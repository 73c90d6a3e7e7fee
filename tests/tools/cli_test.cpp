#include "cli/cli.h"

#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "test_support.h"

namespace vestora::cli {
namespace {

using vestora::testing::TempDir;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

const char* kBody =
    "mtllib body.mtl\np 12\nh 0\n"
    "v -1 0 0\nv 1 0 0\nv 0 2 0\nv 0 1 1\n"
    "g torso\nusemtl skin\nf 1 2 3\nf 1 3 4\ng Eye\nf 2 3 4\n";

TEST(CliInfo, JsonDescribesTheModel) {
  TempDir dir;
  dir.write("body.mtl", "o woman\nnewmtl skin\n");
  dir.write("nv_Mid.obj", "v 0 0 0\nv 0 0 0\nv 0 0 0\nv 0 0 0\n");
  const std::string obj = dir.write("body.obj", kBody);
  CliRun r = run({"info", obj, "--json"});
  ASSERT_EQ(r.status, kOk) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["tag"], 12);
  EXPECT_EQ(j["modelName"], "woman");
  EXPECT_EQ(j["vertices"], 4);
  EXPECT_EQ(j["triangles"], 3);
  EXPECT_EQ(j["materials"], (nlohmann::json{"default", "skin"}));
  ASSERT_EQ(j["groups"].size(), 3u);
  EXPECT_EQ(j["groups"][0]["name"], " Eye");
  EXPECT_EQ(j["groups"][1]["name"], " torso");
  EXPECT_EQ(j["groups"][1]["triangles"], 2);
  EXPECT_EQ(j["groups"][1]["runs"][0],
            (nlohmann::json{{"material", "skin"}, {"first", 0}, {"end", 2}}));
  EXPECT_EQ(j["bbox"]["min"], (nlohmann::json{-1.0, 0.0, 0.0}));
  EXPECT_EQ(j["bbox"]["max"], (nlohmann::json{1.0, 2.0, 1.0}));
  EXPECT_TRUE(j["hasLowShape"]);
  EXPECT_EQ(j["headAnchor"].size(), 9u);
}

TEST(CliConvert, ObjToC3dAndBackGivesTheSameSummary) {
  TempDir dir;
  dir.write("body.mtl", "o Girl\nnewmtl skin\nKd 1 0 0\n");
  const std::string obj = dir.write("body.obj", kBody);
  const std::string c3d = dir.file("body.c3d");
  CliRun converted = run({"convert", obj, c3d});
  ASSERT_EQ(converted.status, kOk) << converted.err;
  CliRun a = run({"info", obj, "--json"});
  CliRun b = run({"info", c3d, "--json"});
  ASSERT_EQ(b.status, kOk) << b.err;
  EXPECT_EQ(a.out, b.out);
}

TEST(CliInfo, BadFilesFailWithOneLineNamingTheFile) {
  TempDir dir;
  const std::string truncated = dir.write("cut.c3d", std::string("\x01\x00\x00\x00\xff\xff", 6));
  const std::string unknown = dir.write("bad.obj", "v 1 2 3\nvx 1\n");
  const std::string text = dir.write("notes.txt", "hello");
  for (const std::string& path : {truncated, unknown, text, dir.file("missing.c3d")}) {
    CliRun r = run({"info", path});
    EXPECT_EQ(r.status, kBadInput) << path;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
  }
}

TEST(CliConvert, UnwritableTargetIsReported) {
  TempDir dir;
  dir.write("body.mtl", "newmtl skin\n");
  const std::string obj = dir.write("body.obj", kBody);
  CliRun r = run({"convert", obj, dir.file("no/such/folder/out.c3d")});
  EXPECT_EQ(r.status, kBadInput);
  EXPECT_NE(r.err.find("out.c3d"), std::string::npos);
}

TEST(CliUsage, HelpAndMistakes) {
  EXPECT_EQ(run({"--help"}).status, kOk);
  CliRun help = run({"info", "--help"});
  EXPECT_EQ(help.status, kOk);
  EXPECT_NE(help.out.find("usage: vestora-cli info"), std::string::npos);
  EXPECT_EQ(run({}).status, kUsage);
  EXPECT_EQ(run({"frobnicate"}).status, kUsage);
  EXPECT_EQ(run({"info"}).status, kUsage);
  CliRun unknown = run({"info", "a.c3d", "--colour"});
  EXPECT_EQ(unknown.status, kUsage);
  EXPECT_NE(unknown.err.find("--colour"), std::string::npos);
  EXPECT_EQ(run({"status", "--root"}).status, kUsage);
}

TEST(CliStatus, ReportsTheRootAndWhatIsThere) {
  TempDir dir;
  dir.write("data/theme.wav", "RIFF");
  CliRun r = run({"status", "--root", dir.path().string(), "--json"});
  ASSERT_EQ(r.status, kOk);
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["root"], dir.path().string());
  EXPECT_TRUE(j["rootMarker"]);
  EXPECT_FALSE(j["avatars"][0]["present"]);
}

std::string contentRoot() {
  return VESTORA_TEST_ROOT;
}

TEST(CliMeasure, DefaultBodyAsJson) {
  CliRun r = run({"measure", "--root", contentRoot(), "--json"});
  ASSERT_EQ(r.status, kOk) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["modelName"], "woman");
  EXPECT_NEAR(j["heightCm"].get<double>(), 174.733, 0.01);
  ASSERT_EQ(j["results"].size(), 25u);
  EXPECT_NEAR(j["results"]["chest circumference"].get<double>(), 92.3, 1.0);
  EXPECT_TRUE(j["results"].contains("Back accross shulder length"));
  EXPECT_GT(j["inseamCm"].get<double>(), 75);
}

TEST(CliMeasure, SettingsAreClampedLikeTheBodyEditorAndTheReportIsWritten) {
  TempDir dir;
  const std::string report = dir.file("report.txt");
  CliRun r = run({"measure", "--root", contentRoot(), "--height", "150", "--weight", "111.5",
                  "--report", report, "--json"});
  ASSERT_EQ(r.status, kOk) << r.err;
  // 150 cm becomes 155, the shortest the editor allows.
  EXPECT_NEAR(nlohmann::json::parse(r.out)["heightCm"].get<double>(), 155.0, 0.01);
  // Between the height table's records the body is as tall as asked.
  for (const char* height : {"160", "171.3", "188.8"}) {
    CliRun h = run({"measure", "--root", contentRoot(), "--height", height, "--json"});
    ASSERT_EQ(h.status, kOk) << h.err;
    EXPECT_NEAR(nlohmann::json::parse(h.out)["heightCm"].get<double>(), std::stod(height), 0.2)
        << height;
  }
  const std::string text = vestora::testing::readAll(report);
  EXPECT_EQ(text.rfind("================ Body Measurement Results (cm/inch)", 0), 0u);
}

TEST(CliMeasure, MistakesAndRefusals) {
  EXPECT_EQ(run({"measure", "--root", contentRoot(), "--height", "tall"}).status, kUsage);
  EXPECT_EQ(run({"measure", "--root", contentRoot(), "--body", "Nobody.bmp"}).status, kUsage);
  CliRun walking = run({"measure", "--root", contentRoot(), "--body", "Walk.bmp"});
  EXPECT_EQ(walking.status, kBadInput);
  EXPECT_NE(walking.err.find("请设定为标准站姿进行测量！"), std::string::npos);
  TempDir empty;
  CliRun nothing = run({"measure", "--root", empty.path().string()});
  EXPECT_EQ(nothing.status, kBadInput);
  EXPECT_NE(nothing.err.find("nv_High.c3d"), std::string::npos);
}

TEST(CliShape, AmountAndTarget) {
  CliRun amount =
      run({"shape", "--root", contentRoot(), "--region", "Waist", "--amount", "0.3", "--json"});
  ASSERT_EQ(amount.status, kOk) << amount.err;
  const auto a = nlohmann::json::parse(amount.out);
  EXPECT_EQ(a["region"], " Waist");
  EXPECT_GT(a["value"].get<double>(), 72);
  CliRun target =
      run({"shape", "--root", contentRoot(), "--region", " Waist", "--target", "69.5", "--json"});
  ASSERT_EQ(target.status, kOk) << target.err;
  EXPECT_NEAR(nlohmann::json::parse(target.out)["value"].get<double>(), 69.5, 0.2);
  CliRun far = run({"shape", "--root", contentRoot(), "--region", "Waist", "--target", "300"});
  EXPECT_EQ(far.status, kBadInput);
  EXPECT_NE(far.err.find("out of reach"), std::string::npos);
  EXPECT_EQ(run({"shape", "--root", contentRoot(), "--region", "Elbow", "--amount", "1"}).status,
            kUsage);
  EXPECT_EQ(run({"shape", "--root", contentRoot(), "--region", "Waist"}).status, kUsage);
  CliRun man = run(
      {"shape", "--root", contentRoot(), "--body", "man", "--region", "Waist", "--amount", "1"});
  EXPECT_EQ(man.status, kBadInput);
}

TEST(CliShape, MeasuresFitTheWholeBody) {
  CliRun r = run({"shape", "--root", contentRoot(), "--measures",
                  "height=165,chest=93,waist=72,hip=98", "--json"});
  ASSERT_EQ(r.status, kOk) << r.err;
  const auto j = nlohmann::ordered_json::parse(r.out);  // in the order given
  const std::vector<std::string> names = {"height", "chest", "waist", "hip"};
  for (const char* key : {"targets", "results", "reached"}) {
    std::vector<std::string> keys;
    for (const auto& [name, value] : j[key].items()) keys.push_back(name);
    EXPECT_EQ(keys, names) << key;
  }
  for (const std::string& name : names) {
    EXPECT_NEAR(j["results"][name].get<double>(), j["targets"][name].get<double>(), 0.2) << name;
    EXPECT_TRUE(j["reached"][name].get<bool>()) << name;
  }
  EXPECT_GE(j["iterations"].get<int>(), 1);
  EXPECT_GT(j["ms"].get<double>(), 0);

  // A waist the body cannot narrow to: named, the rest still met, exit 1
  // with the results printed.
  CliRun far =
      run({"shape", "--root", contentRoot(), "--measures", "height=165,waist=60,hip=98", "--json"});
  EXPECT_EQ(far.status, kBadInput);
  const auto f = nlohmann::json::parse(far.out);
  EXPECT_FALSE(f["reached"]["waist"].get<bool>());
  EXPECT_TRUE(f["reached"]["hip"].get<bool>());
  EXPECT_NE(far.err.find("waist 60.0 cm is out of reach: the smallest this body reaches is"),
            std::string::npos)
      << far.err;
  CliRun text = run({"shape", "--root", contentRoot(), "--measures", "height=165,waist=60"});
  EXPECT_EQ(text.status, kBadInput);
  EXPECT_NE(text.out.find("waist"), std::string::npos);
  EXPECT_NE(text.out.find("NOT reached"), std::string::npos);
}

TEST(CliShape, MeasuresMistakesAndRefusals) {
  for (const char* list : {"waist=abc", "wasit=70", "waist=70,waist=71", "hip=nan", ""}) {
    CliRun r = run({"shape", "--root", contentRoot(), "--measures", list});
    EXPECT_EQ(r.status, kUsage) << list;
    EXPECT_NE(r.err.find("measures: "), std::string::npos) << list << ": " << r.err;
  }
  EXPECT_EQ(run({"shape", "--root", contentRoot(), "--measures", "waist=70", "--region", "Waist",
                 "--amount", "1"})
                .status,
            kUsage);
  CliRun man = run({"shape", "--root", contentRoot(), "--body", "man", "--measures", "height=170"});
  EXPECT_EQ(man.status, kBadInput);
  EXPECT_NE(man.err.find("抱歉，该类体型暂无微调功能！"), std::string::npos);
  EXPECT_TRUE(man.out.empty());
  CliRun girl = run(
      {"shape", "--root", contentRoot(), "--body", "girl", "--measures", "height=118.5", "--json"});
  ASSERT_EQ(girl.status, kOk) << girl.err;
  EXPECT_NEAR(nlohmann::json::parse(girl.out)["results"]["height"].get<double>(), 118.5, 0.2);
}

// How a garment fits after the try-on's fit: ease in cm where the garment
// goes round the trunk (null where it does not) and the cloth's strain.
TEST(CliFit, ReportsEaseAndStrain) {
  CliRun dress =
      run({"fit", "--root", contentRoot(), "--garment", "\\pattern\\Dress.pop", "--json"});
  ASSERT_EQ(dress.status, kOk) << dress.err;
  const auto d = nlohmann::json::parse(dress.out);
  ASSERT_TRUE(d.contains("ease")) << dress.out;
  for (const char* level : {"bust", "waist", "hip"}) EXPECT_TRUE(d["ease"].contains(level));
  for (const char* level : {"waist", "hip"}) {
    ASSERT_TRUE(d["ease"][level].is_number()) << level << ": " << dress.out;
    EXPECT_GT(d["ease"][level].get<double>(), -5.0) << level;
    EXPECT_LT(d["ease"][level].get<double>(), 30.0) << level;
  }
  const double p50 = d["strain"]["p50"], p95 = d["strain"]["p95"], max = d["strain"]["max"];
  EXPECT_LE(p50, p95);
  EXPECT_LE(p95, max);
  EXPECT_LT(max, 0.5);  // the fit keeps every spring within a fifth of its rest length

  // The top, re-draped, hangs from its straps round the waist.
  CliRun top = run({"fit", "--root", contentRoot(), "--garment", "\\pattern\\Top.msh", "--json"});
  ASSERT_EQ(top.status, kOk) << top.err;
  const auto t = nlohmann::json::parse(top.out);
  ASSERT_TRUE(t["ease"]["waist"].is_number()) << top.out;
  EXPECT_GT(t["ease"]["waist"].get<double>(), -5.0);
  EXPECT_LT(t["ease"]["waist"].get<double>(), 30.0);
  // A heavier body stretches the top further.
  CliRun heavier = run({"fit", "--root", contentRoot(), "--garment", "\\pattern\\Top.msh",
                        "--weight", "150", "--json"});
  ASSERT_EQ(heavier.status, kOk) << heavier.err;
  EXPECT_GT(nlohmann::json::parse(heavier.out)["strain"]["p95"].get<double>(),
            t["strain"]["p95"].get<double>());

  CliRun text = run({"fit", "--root", contentRoot(), "--garment", "\\pattern\\Top.msh"});
  ASSERT_EQ(text.status, kOk) << text.err;
  EXPECT_NE(text.out.find("ease: bust"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("strain: median"), std::string::npos) << text.out;
}

// The idle animation played headlessly: its ticks timed, the dress
// refitted at each when she wears one; mistakes refused before anything runs.
TEST(CliAnimate, TimesTheTicksAndTheRefit) {
  CliRun bare = run({"animate", "--root", contentRoot(), "--frames", "120", "--json"});
  ASSERT_EQ(bare.status, kOk) << bare.err;
  const auto j = nlohmann::json::parse(bare.out);
  EXPECT_EQ(j["frames"], 120);
  const double median = j["tickMs"]["median"], p95 = j["tickMs"]["p95"], max = j["tickMs"]["max"];
  EXPECT_GT(median, 0.0);
  EXPECT_LE(median, p95);
  EXPECT_LE(p95, max);
  EXPECT_EQ(j["refitMs"]["median"], 0.0);  // nothing to refit

  CliRun dressed = run({"animate", "--root", contentRoot(), "--frames", "20", "--pose", "bag",
                        "--garment", "\\pattern\\Dress.pop", "--json"});
  ASSERT_EQ(dressed.status, kOk) << dressed.err;
  EXPECT_GT(nlohmann::json::parse(dressed.out)["refitMs"]["median"].get<double>(), 0.0);

  CliRun text = run({"animate", "--root", contentRoot(), "--frames", "5"});
  ASSERT_EQ(text.status, kOk) << text.err;
  EXPECT_NE(text.out.find("5 ticks of the idle animation (100 frames a breath)"), std::string::npos)
      << text.out;

  EXPECT_EQ(run({"animate", "--root", contentRoot(), "--pose", "sit"}).status, kUsage);
  EXPECT_EQ(run({"animate", "--root", contentRoot(), "--frames", "0"}).status, kUsage);
  EXPECT_EQ(run({"animate", "--root", contentRoot(), "--frames", "2.5"}).status, kUsage);
  EXPECT_EQ(run({"animate", "--root", contentRoot(), "--garment", "x.obj"}).status, kUsage);
  TempDir empty;
  CliRun none = run({"animate", "--root", empty.path().string()});
  EXPECT_EQ(none.status, kBadInput);
  EXPECT_NE(none.err.find("nv_High.c3d"), std::string::npos) << none.err;
}

}  // namespace
}  // namespace vestora::cli
