#include "content/store_site.h"

#include <string_view>

namespace vestora::generate {

namespace {

std::string escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string price(int yuan) {
  return "¥" + std::to_string(yuan);
}

std::string pageStart(std::string_view title) {
  return std::string(
             "<!DOCTYPE html>\n"
             "<html lang=\"zh-CN\">\n"
             "<head>\n"
             "<meta charset=\"utf-8\">\n"
             "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
             "<title>") +
         escape(title) +
         "</title>\n"
         "<link rel=\"stylesheet\" href=\"style.css\">\n"
         "</head>\n"
         "<body>\n"
         "<header class=\"top\">\n"
         "  <a class=\"brand\" href=\"index.html\">" +
         escape(kStoreName) +
         "</a>\n"
         "  <nav>\n"
         "    <a href=\"index.html\">首页</a>\n"
         "    <a href=\"Cart.aspx?idd=1\">购物车</a>\n"
         "    <a href=\"Cart.aspx?idd=2\">我的订单</a>\n"
         "  </nav>\n"
         "</header>\n";
}

const char* const kPageEnd =
    "<footer>\n"
    "  <p>下载的服装包经过签名校验后自动安装到衣柜。 演示商店，所有商品免费试穿。</p>\n"
    "</footer>\n"
    "</body>\n"
    "</html>\n";

}  // namespace

std::string storeIndexPage(const std::vector<StoreItem>& items) {
  std::string html = pageStart(kStoreName);
  html +=
      "<main>\n"
      "<section class=\"intro\">\n"
      "  <h1>新品上架</h1>\n"
      "  <p>挑一件喜欢的衣服，下载后就能在试衣间里穿到自己的身形上。</p>\n"
      "</section>\n"
      "<section class=\"grid\">\n";
  for (const StoreItem& item : items) {
    const std::string package = "productdata/" + escape(item.name) + ".exe";
    html += "  <article class=\"card\">\n";
    html += "    <a class=\"picture\" href=\"" + package + "\"><img src=\"images/" +
            escape(item.name) + ".jpg\" width=\"400\" height=\"500\" alt=\"" + escape(item.title) +
            "\"></a>\n";
    html += "    <div class=\"text\">\n";
    html += "      <h2>" + escape(item.title) + "</h2>\n";
    html += "      <p class=\"note\">" + escape(item.note) + "</p>\n";
    html += "      <p class=\"file\">" + escape(item.file) + "</p>\n";
    html += "      <div class=\"buy\">\n";
    html += "        <span class=\"price\">" + price(item.priceYuan) + "</span>\n";
    html += "        <a class=\"button\" href=\"" + package + "\">下载试穿</a>\n";
    html += "      </div>\n";
    html += "    </div>\n";
    html += "  </article>\n";
  }
  html +=
      "</section>\n"
      "</main>\n";
  return html + kPageEnd;
}

std::string storeCartPage(const std::vector<StoreItem>& items) {
  std::string html = pageStart(std::string("购物车 · ") + kStoreName);
  html += "<main>\n<section id=\"cart\" class=\"panel\">\n  <h1>购物车</h1>\n";
  html +=
      "  <table>\n    <thead><tr><th>商品</th><th>数量</th><th>价格</th></tr></thead>\n    "
      "<tbody>\n";
  int total = 0;
  for (std::size_t i = 0; i < items.size() && i < 2; ++i) {
    const StoreItem& item = items[i];
    total += item.priceYuan;
    html += "      <tr><td><a href=\"productdata/" + escape(item.name) + ".exe\">" +
            escape(item.title) + "</a></td><td>1</td><td>" + price(item.priceYuan) + "</td></tr>\n";
  }
  html += "    </tbody>\n    <tfoot><tr><td colspan=\"2\">合计</td><td>" + price(total) +
          "</td></tr></tfoot>\n  </table>\n";
  html += "  <p class=\"hint\">演示商店不收款：点商品名即可下载服装包。</p>\n</section>\n";

  html += "<section id=\"orders\" class=\"panel\">\n  <h1>我的订单</h1>\n";
  html +=
      "  <table>\n    "
      "<thead><tr><th>订单号</th><th>日期</th><th>商品</th><th>状态</th></tr></thead>\n    "
      "<tbody>\n";
  const char* const dates[] = {"2024-03-08", "2024-04-21", "2024-05-30"};
  for (std::size_t i = 0; i < items.size(); ++i) {
    html += "      <tr><td>VS" + std::to_string(240301 + 17 * i) + "</td><td>" + dates[i % 3] +
            "</td><td>" + escape(items[i].title) + "</td><td>已下载</td></tr>\n";
  }
  html += "    </tbody>\n  </table>\n</section>\n</main>\n";
  // idd=1 shows the cart, idd=2 the order history.
  html +=
      "<script>\n"
      "(function () {\n"
      "  var idd = new URLSearchParams(window.location.search).get('idd');\n"
      "  var hide = idd === '1' ? 'orders' : idd === '2' ? 'cart' : null;\n"
      "  if (hide) document.getElementById(hide).hidden = true;\n"
      "})();\n"
      "</script>\n";
  return html + kPageEnd;
}

std::string storeStyleSheet() {
  return R"(:root {
  --slate: #2B2F3A;
  --page: #F7F5F2;
  --ink: #23262C;
  --accent: #C8553D;
  --muted: #6B6F78;
  --line: #E4E0DA;
}
* { box-sizing: border-box; }
body {
  margin: 0;
  background: var(--page);
  color: var(--ink);
  font-family: "Noto Sans CJK SC", "PingFang SC", "Microsoft YaHei", sans-serif;
  line-height: 1.6;
}
a { color: var(--accent); }
.top {
  display: flex;
  align-items: center;
  justify-content: space-between;
  padding: 14px 32px;
  background: var(--slate);
}
.top .brand { color: #FFFFFF; font-size: 1.3rem; font-weight: 600; text-decoration: none; letter-spacing: 0.05em; }
.top nav a { color: #D9DCE3; margin-left: 24px; text-decoration: none; }
.top nav a:hover { color: #FFFFFF; }
main { max-width: 1080px; margin: 0 auto; padding: 32px; }
.intro h1 { margin: 0 0 4px; font-size: 1.6rem; }
.intro p { margin: 0 0 24px; color: var(--muted); }
.grid { display: grid; grid-template-columns: repeat(auto-fill, minmax(260px, 1fr)); gap: 24px; }
.card {
  background: #FFFFFF;
  border: 1px solid var(--line);
  border-radius: 10px;
  overflow: hidden;
  display: flex;
  flex-direction: column;
}
.card img { display: block; width: 100%; height: auto; }
.card .text { padding: 14px 18px 18px; display: flex; flex-direction: column; flex: 1; }
.card h2 { margin: 0; font-size: 1.1rem; }
.card .note { margin: 6px 0; color: var(--muted); font-size: 0.92rem; flex: 1; }
.card .file { margin: 0 0 10px; color: var(--muted); font-size: 0.8rem; font-family: monospace; }
.buy { display: flex; align-items: center; justify-content: space-between; }
.price { font-size: 1.2rem; font-weight: 600; color: var(--ink); }
.button {
  background: var(--accent);
  color: #FFFFFF;
  padding: 7px 16px;
  border-radius: 6px;
  text-decoration: none;
}
.button:hover { background: #B04832; }
.panel { background: #FFFFFF; border: 1px solid var(--line); border-radius: 10px; padding: 20px 24px; margin-bottom: 24px; }
.panel h1 { margin-top: 0; font-size: 1.3rem; }
table { width: 100%; border-collapse: collapse; }
th, td { text-align: left; padding: 8px 6px; border-bottom: 1px solid var(--line); }
th { color: var(--muted); font-weight: normal; }
tfoot td { font-weight: 600; border-bottom: none; }
.hint { color: var(--muted); font-size: 0.9rem; }
footer { text-align: center; color: var(--muted); font-size: 0.85rem; padding: 24px; }
)";
}

}  // namespace vestora::generate
