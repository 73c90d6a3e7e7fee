#include "store/package_download.h"

#include <sodium.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "platform/file_io.h"
#include "platform/process.h"
#include "store/url.h"

namespace vestora {
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kMaxSignatureBytes = 4096;

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerCase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), lowerAscii);
  return lower;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// %-escapes decoded; nothing when an escape is malformed.
std::optional<std::string> percentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

bool safeNameByte(unsigned char c) {
  if (c >= 0x80) return true;  // UTF-8 names
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  return c == '.' || c == '_' || c == '-' || c == '+';
}

// The URL without its fragment, split at the query.
std::pair<std::string_view, std::string_view> pathAndQuery(std::string_view url) {
  url = url.substr(0, url.find('#'));
  const std::size_t q = url.find('?');
  if (q == std::string_view::npos) return {url, {}};
  return {url.substr(0, q), url.substr(q)};
}

void removeQuietly(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

// A name in the download folder that no other download uses.
fs::path partialPath(const fs::path& folder, const std::string& name, const char* suffix) {
  static std::atomic<unsigned> counter{0};
  return folder / ("." + name + "." + std::to_string(::getpid()) + "-" +
                   std::to_string(counter.fetch_add(1)) + suffix);
}

struct Closing {
  const DownloadContext& context;
  ~Closing() {
    if (context.closeBrowser) context.closeBrowser();
  }
};

}  // namespace

std::string StoreHomeUrl() {
  const char* configured = std::getenv("VESTORA_STORE_URL");
  std::string url = configured && *configured ? configured : kDefaultStoreUrl;
  if (lowerCase(url).rfind("http://", 0) != 0) url = kDefaultStoreUrl;
  if (url.back() != '/') url += '/';
  return url;
}

bool IsPackageLink(std::string_view url) {
  const std::string lower = lowerCase(url);
  if (lower.find(".exe") == std::string::npos) return false;
  const std::size_t slash = lower.rfind('/');
  if (slash == std::string::npos || slash < 11) return false;
  return lower.compare(slash - 11, 11, "productdata") == 0;
}

std::optional<std::string> PackageFileName(std::string_view url) {
  const auto [path, query] = pathAndQuery(url);
  const std::size_t slash = path.rfind('/');
  const std::string_view segment = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const auto name = percentDecoded(segment);
  if (!name || name->empty() || name->size() > kMaxPackageNameLength) return std::nullopt;
  if ((*name)[0] == '.') return std::nullopt;
  if (!std::all_of(name->begin(), name->end(),
                   [](char c) { return safeNameByte(static_cast<unsigned char>(c)); }))
    return std::nullopt;
  if (name->size() <= 4 || lowerCase(name->substr(name->size() - 4)) != ".exe") return std::nullopt;
  return name;
}

std::string SignatureUrl(std::string_view packageUrl) {
  const auto [path, query] = pathAndQuery(packageUrl);
  return std::string(path) + ".sig" + std::string(query);
}

bool VerifyPackageSignature(std::span<const std::uint8_t> data,
                            std::span<const std::uint8_t> signature,
                            const std::array<std::uint8_t, 32>& publicKey) {
  if (signature.size() != crypto_sign_BYTES) return false;
  if (sodium_init() < 0) return false;
  return crypto_sign_verify_detached(signature.data(), data.data(), data.size(),
                                     publicKey.data()) == 0;
}

bool RunAndWait(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                std::string* failure, const std::atomic<bool>* cancel) {
  const auto outcome = runProcessAndWait(argv, limit, cancel);
  if (!outcome) {
    if (failure) *failure = outcome.error().message();
    return false;
  }
  if (outcome->succeeded()) return true;
  if (failure) *failure = outcome->describe();
  return false;
}

DownloadOutcome DownloadThread(std::unique_ptr<DownloadJob> job) {
  const std::string url = job->url;
  const DownloadContext context = std::move(job->context);
  job.reset();
  Closing closing{context};
  UserDialogs& dialogs = *context.dialogs;
  auto tell = [&](const std::string& text, MessageIcon icon) {
    dialogs.showMessage(text, "", icon);
  };

  const std::optional<std::string> name = PackageFileName(url);
  if (!name) {
    tell(kBadPackageNameMessage, MessageIcon::Warning);
    return DownloadOutcome::Refused;
  }

  const fs::path root(context.rootDir);
  const fs::path folder = root / kDownloadFolderName;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder)) {
    tell(kDownloadFailedMessage, MessageIcon::Error);
    return DownloadOutcome::DownloadFailed;
  }

  const fs::path package = folder / *name;
  if (fs::exists(package, ec) && !dialogs.askYesNo(kReinstallQuestion, "")) {
    return DownloadOutcome::Declined;
  }

  // The package and its signature arrive under names of their own and take
  // the package's name only once installed: a torn or refused download never
  // replaces a package that is there, and is never run.
  const fs::path partial = partialPath(folder, *name, ".part");
  const fs::path signaturePath = partialPath(folder, *name, ".sig");
  struct Cleanup {
    fs::path a, b;
    ~Cleanup() {
      removeQuietly(a);
      removeQuietly(b);
    }
  } cleanup{partial, signaturePath};

  const std::int64_t got = HttpGetToFile(url, partial, std::nullopt, context.http);
  if (got < 0) {
    if (got == kHttpCannotSave)
      tell(kCannotSavePackageMessage, MessageIcon::Error);
    else if (got != kHttpCancelled)
      tell(kDownloadFailedMessage, MessageIcon::Error);
    return DownloadOutcome::DownloadFailed;
  }

  HttpOptions signatureOptions = context.http;
  signatureOptions.maxBodyBytes = kMaxSignatureBytes;
  signatureOptions.progress = nullptr;
  const std::int64_t gotSignature =
      HttpGetToFile(SignatureUrl(url), signaturePath, std::nullopt, signatureOptions);
  if (gotSignature == kHttpCancelled) return DownloadOutcome::DownloadFailed;
  if (gotSignature == kHttpCannotSave) {
    tell(kCannotSavePackageMessage, MessageIcon::Error);
    return DownloadOutcome::DownloadFailed;
  }

  const auto signature =
      gotSignature >= 0
          ? readFileBytes(signaturePath.string(), kMaxSignatureBytes)
          : Result<std::vector<std::uint8_t>>(makeError(SignatureUrl(url), "no signature"));
  const auto data = readFileBytes(partial.string(),
                                  static_cast<std::uint64_t>(std::max<std::int64_t>(got, 0)) + 1);
  if (!data) {
    tell(kCannotSavePackageMessage, MessageIcon::Error);
    return DownloadOutcome::DownloadFailed;
  }
  if (!signature || !VerifyPackageSignature(data.value(), signature.value(), context.publicKey)) {
    tell(kUnverifiedPackageMessage, MessageIcon::Warning);
    return DownloadOutcome::Refused;
  }

  if (::chmod(partial.c_str(), 0700) != 0) {
    tell(kCannotSavePackageMessage, MessageIcon::Error);
    return DownloadOutcome::DownloadFailed;
  }
  std::string failure;
  const std::vector<std::string> argv{partial.string(), "/silent", "/dir=" + root.string()};
  if (!RunAndWait(argv, context.installerLimit, &failure, context.http.cancel)) {
    tell(kInstallFailedMessage + failure, MessageIcon::Error);
    return DownloadOutcome::InstallFailed;
  }

  // Installed: keep the package under its own name, as a record of what is
  // installed (the next download of it asks first).
  fs::rename(partial, package, ec);
  tell(kInstalledMessage, MessageIcon::Information);
  if (context.reloadWardrobe) context.reloadWardrobe();
  return DownloadOutcome::Installed;
}

std::thread StartPackageDownload(std::string url, DownloadContext context) {
  if (context.hideBrowser) context.hideBrowser();
  auto job = std::make_unique<DownloadJob>(DownloadJob{std::move(url), std::move(context)});
  return std::thread([job = std::move(job)]() mutable { DownloadThread(std::move(job)); });
}

}  // namespace vestora
