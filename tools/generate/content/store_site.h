// The demo store's web pages: plain static HTML in UTF-8 with one style
// sheet and no outside resources.
#pragma once

#include <string>
#include <vector>

namespace vestora::generate {

struct StoreItem {
  std::string name;   // "Tunic": the package is productdata/Tunic.exe, the picture images/Tunic.jpg
  std::string file;   // the garment file it installs, "Tunic.pop"
  std::string title;  // shown on the card
  std::string note;   // one line about the garment
  int priceYuan = 0;
};

inline constexpr const char* kStoreName = "Vestora 服装店";

// index.html: the home page, a card per item linking its package.
std::string storeIndexPage(const std::vector<StoreItem>& items);
// Cart.aspx: the cart (opened as Cart.aspx?idd=1) and the order history
// (Cart.aspx?idd=2); without scripts both are shown.
std::string storeCartPage(const std::vector<StoreItem>& items);
// style.css.
std::string storeStyleSheet();

}  // namespace vestora::generate
