#include "store/store_navigation.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "store/package_download.h"
#include "store/url.h"

namespace vestora {
namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// The scheme as written before the first ":", lower-cased; empty when the
// text has none (ParseUrl would call such a text an http path).
std::string schemeOf(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return {};
  for (char c : url.substr(0, colon))
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return {};
  return lower(url.substr(0, colon));
}

bool isWeb(const std::string& scheme) {
  return scheme == "http" || scheme == "https";
}

}  // namespace

bool SameOrigin(std::string_view a, std::string_view b) {
  const std::string schemeA = schemeOf(a), schemeB = schemeOf(b);
  if (!isWeb(schemeA) || schemeA != schemeB) return false;
  const UrlParts pa = ParseUrl(a), pb = ParseUrl(b);
  // An address that carries a user name is never taken for the store's.
  if (!pa.user.empty() || !pb.user.empty()) return false;
  return !pa.host.empty() && lower(pa.host) == lower(pb.host) && pa.port == pb.port;
}

NavigationAction ClassifyNavigation(std::string_view url, std::string_view storeHome) {
  // Blanks round the address are not part of it.
  while (!url.empty() && std::isspace(static_cast<unsigned char>(url.front())))
    url.remove_prefix(1);
  while (!url.empty() && std::isspace(static_cast<unsigned char>(url.back()))) url.remove_suffix(1);
  if (lower(url) == "about:blank") return NavigationAction::Load;
  const std::string scheme = schemeOf(url);
  if (!isWeb(scheme)) return NavigationAction::Refuse;
  if (!SameOrigin(url, storeHome)) {
    // Packages come from the store only; a page elsewhere is the desktop's.
    if (IsPackageLink(url) || !ParseUrl(url).user.empty()) return NavigationAction::Refuse;
    return NavigationAction::OpenOutside;
  }
  return IsPackageLink(url) ? NavigationAction::Download : NavigationAction::Load;
}

}  // namespace vestora
