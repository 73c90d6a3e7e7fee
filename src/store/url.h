// Splitting a URL typed by a user or found in a store page into the parts
// the HTTP client needs. Parsing never fails: whatever the text, the parts
// come out in a usable shape (the client decides what it accepts).
#pragma once

#include <string>
#include <string_view>

namespace vestora {

struct UrlParts {
  std::string scheme;  // lower case; "http" when the text names none
  std::string user;    // the authority's user part, without its "@"; often empty
  std::string host;    // empty when the text has no authority ("file" URLs: "localhost")
  int port = 0;        // 1 … 65535, or the scheme's default (0 for a scheme without one)
  std::string path;    // starts with "/", normalised up to the first "?", query kept as it is
};

// The default port of a scheme: http 80, https 443, ftp 21, gopher 70,
// any other 0. `scheme` is compared as given (ParseUrl lower-cases it).
int DefaultPort(std::string_view scheme);

// Parses `text` in these steps:
//  1. White space is dropped. Leading and trailing blanks always go; with
//     `blanksToPercent20` each blank between two pieces of text becomes
//     "%20", without it blanks go too. Other white space (tab, CR, LF, VT,
//     FF) is always dropped, so a URL can never carry a line break.
//  2. The fragment is cut at the first "#".
//  3. The scheme is the text before the first ":", lower-cased; a text
//     without ":" has the scheme "http" and is all path.
//  4. After the scheme's ":", a "//" starts the authority, which runs to the
//     first "/", "?" or the end: an optional user part ending in the last
//     "@", the host up to ":", then an optional port number after ":". A
//     port that is missing, not a number, not positive or above 65535
//     (however many digits; no overflow) takes the scheme's default. A
//     "file" URL without a host gets "localhost".
//  5. What remains is the path with its query; "/" is put in front when it
//     does not start with one (so "" becomes "/", "?q" becomes "/?q").
//  6. The part of the path before the first "?" is normalised: empty
//     segments ("//") and "." segments go, ".." removes itself and the
//     segment before it, never climbing above the root ("/../a" is "/a").
//     A trailing "/." or "/.." leaves no trailing "/" ("/a/b/.." is "/a");
//     any other trailing "/" stays ("/a/./" is "/a/").
// IPv6 address literals ("[::1]") are not supported.
UrlParts ParseUrl(std::string_view text, bool blanksToPercent20 = false);

}  // namespace vestora
