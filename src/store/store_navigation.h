// What a browser of the program may do with an address it is about to
// open. Only the store's own pages (its scheme, host and port) and
// "about:blank" load inside the program; a garment package link of the
// store is downloaded and installed instead of opened; other web pages
// belong to the desktop's browser; every other kind of address (files,
// data, scripts) is refused.
#pragma once

#include <string_view>

namespace vestora {

enum class NavigationAction {
  Load,         // load it in the program's browser
  Download,     // a store package: hand it to the download, do not load it
  OpenOutside,  // another web site: the desktop's browser
  Refuse,       // not a page the program opens anywhere
};

// `storeHome` is the store's home page (StoreHomeUrl()).
NavigationAction ClassifyNavigation(std::string_view url, std::string_view storeHome);

// Whether two web addresses (http, https) share scheme, host (in any letter
// case) and port; an address with a user name before its host shares
// nothing.
bool SameOrigin(std::string_view a, std::string_view b);

}  // namespace vestora
