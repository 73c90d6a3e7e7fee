#include <iostream>
#include <new>

#include "render/render_cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return vestora::render::runRender(args, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cerr << "vestora-render: out of memory\n";
    return vestora::render::kFailed;
  }
}
