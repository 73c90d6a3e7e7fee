// The store browser's link rules. The input is "URL\nSTORE HOME". Whatever
// the address, the rules answer; an address the program loads or downloads
// shares the store's origin (or is about:blank); same-origin is symmetric.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "store/store_navigation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vestora;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find('\n');
  const std::string_view url = input.substr(0, cut);
  const std::string_view home =
      cut == std::string_view::npos ? "http://127.0.0.1:8470/" : input.substr(cut + 1);
  const NavigationAction action = ClassifyNavigation(url, home);
  // The rules read the address without the blanks round it.
  std::string_view bare = url;
  while (!bare.empty() && std::isspace(static_cast<unsigned char>(bare.front())))
    bare.remove_prefix(1);
  while (!bare.empty() && std::isspace(static_cast<unsigned char>(bare.back())))
    bare.remove_suffix(1);
  std::string lowered(bare);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (action == NavigationAction::Load || action == NavigationAction::Download)
    VESTORA_FUZZ_CHECK(lowered == "about:blank" || SameOrigin(bare, home),
                       "loads a page of another origin");
  VESTORA_FUZZ_CHECK(SameOrigin(url, home) == SameOrigin(home, url),
                     "same origin is not symmetric");
  return 0;
}
