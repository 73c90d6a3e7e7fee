// vestora-generate: builds the program's content into an application root.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "content/generated.h"
#include "preview.h"

int main(int argc, char** argv) {
  using namespace vestora::generate;
  if (argc >= 4 && std::strcmp(argv[1], "--preview") == 0) {
    const double spacing = argc > 4 ? std::stod(argv[4]) : 1.3;
    const double fat = argc > 5 ? std::stod(argv[5]) : 0.0;
    return previewFigure(argv[2], argv[3], spacing, fat);
  }
  // --root DIR [--store DIR --installer-stub PATH]
  std::string rootDir, storeDir, stubPath;
  bool wrong = argc < 3;
  for (int i = 1; i + 1 < argc && !wrong; i += 2) {
    const std::string option = argv[i];
    std::string* value = option == "--root"             ? &rootDir
                         : option == "--store"          ? &storeDir
                         : option == "--installer-stub" ? &stubPath
                                                        : nullptr;
    if (!value || !value->empty() || argv[i + 1][0] == '\0') {
      wrong = true;
    } else {
      *value = argv[i + 1];
    }
  }
  if (argc % 2 == 0 || rootDir.empty() || storeDir.empty() != stubPath.empty()) wrong = true;
  if (wrong) {
    std::fprintf(stderr,
                 "usage: vestora-generate --root DIR            build all content into DIR\n"
                 "         [--store DIR --installer-stub PATH]  and the demo store into DIR\n"
                 "       vestora-generate --preview KIND OUT.c3d [SPACING] [FAT]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  try {
    ContentRoot root(rootDir);
    Manifest manifest;
    const bool verbose = std::getenv("VESTORA_GENERATE_DEBUG") != nullptr;
    auto stage = [&](const char* name, auto&& run) {
      const auto t0 = std::chrono::steady_clock::now();
      run();
      if (verbose)
        std::fprintf(stderr, "  %s: %.1f s\n", name,
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    };
    stage("common", [&] { generateCommon(root); });
    stage("artwork", [&] { generateArtwork(root); });
    stage("help", [&] { generateHelp(root); });
    stage("fabrics", [&] { writeFabricTextures(root); });
    stage("scenes", [&] { generateScenes(root); });
    stage("woman", [&] { generateWoman(root, manifest); });
    stage("girl", [&] { generateGirl(root, manifest); });
    stage("men", [&] { generateMen(root, manifest); });
    stage("wearables", [&] { generateWearables(root); });
    stage("hair", [&] { generateHair(root); });
    stage("avatar pictures", [&] { generateAvatarPictures(root); });
    stage("garments", [&] { generateGarments(root); });
    if (!storeDir.empty()) stage("store", [&] { generateStore(root, storeDir, stubPath); });
    root.writeText("\\model\\BodyManifest.json", manifest.dump(2) + "\n");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("vestora-generate: %d files, %.1f MB in %.1f s\n", root.filesWritten(),
                root.bytesWritten() / 1048576.0, seconds);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vestora-generate: %s\n", e.what());
    return 1;
  }
  return 0;
}
