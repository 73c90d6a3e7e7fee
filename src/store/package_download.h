// Garment packages from the store: recognising a package link, downloading
// the package and its signature, checking the signature, running the
// package's installer into the application root and asking the wardrobe to
// list the new garment.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/user_dialogs.h"
#include "store/http_client.h"
#include "store/store_key.h"

namespace vestora {

inline constexpr const char* kDownloadFailedMessage =
    "出现错误，无法下载，请确定网络没有问题，也可以尝试用ie下载。";
inline constexpr const char* kCannotSavePackageMessage = "下载文件无法保存，请确定有磁盘空间。";
inline constexpr const char* kReinstallQuestion = "这件服装可能已经安装，是否要重新下载安装？";
inline constexpr const char* kInstalledMessage = "新的服装下载安装完毕！";
inline constexpr const char* kBadPackageNameMessage = "这个链接不是可以安装的服装包，已拒绝下载。";
inline constexpr const char* kUnverifiedPackageMessage =
    "下载的服装包没有通过商店签名验证，已删除，没有安装。";
inline constexpr const char* kInstallFailedMessage = "新的服装没有安装成功：";

// The folder below the application root that keeps downloaded packages.
inline constexpr const char* kDownloadFolderName = "download";
// The store address when VESTORA_STORE_URL does not name another.
inline constexpr const char* kDefaultStoreUrl = "http://127.0.0.1:8470/";

// The store's home page: VESTORA_STORE_URL when it is set to an http address,
// otherwise kDefaultStoreUrl; always ending in "/".
std::string StoreHomeUrl();

// True when the URL, lower-cased, contains ".exe" and the folder holding its
// last segment is named "productdata": a garment package of the store.
bool IsPackageLink(std::string_view url);

// The file name a package is saved under: the last segment of the URL's path
// (query and fragment dropped, %-escapes decoded) when it is a safe plain
// name ending in ".exe" — no separators, no "..", no leading dot, no control
// characters or blanks, at most kMaxPackageNameLength bytes. Nothing otherwise.
inline constexpr std::size_t kMaxPackageNameLength = 100;
std::optional<std::string> PackageFileName(std::string_view url);

// The address of a package's detached signature: the package's path + ".sig".
std::string SignatureUrl(std::string_view packageUrl);

// True when `signature` (64 bytes) is the store's Ed25519 signature of `data`.
bool VerifyPackageSignature(std::span<const std::uint8_t> data,
                            std::span<const std::uint8_t> signature,
                            const std::array<std::uint8_t, 32>& publicKey);

// Everything a download needs from the program around it. The callbacks run
// on the download thread; the window marshals them to its own thread.
struct DownloadContext {
  UserDialogs* dialogs = nullptr;  // required
  std::string rootDir;             // installs go here, packages to rootDir/download
  std::array<std::uint8_t, 32> publicKey = kStorePublicKey;
  HttpOptions http;  // time-outs, caps, progress, cancel
  std::chrono::milliseconds installerLimit{120'000};
  std::function<void()> hideBrowser;     // when the download starts
  std::function<void()> closeBrowser;    // when it ends, whatever the outcome
  std::function<void()> reloadWardrobe;  // after a garment was installed
};

struct DownloadJob {
  std::string url;
  DownloadContext context;
};

enum class DownloadOutcome {
  Installed,
  Declined,        // the package was there already and the user kept it
  Refused,         // unsafe name or a signature that does not verify
  DownloadFailed,  // network, server, full disk, cancelled
  InstallFailed,   // the installer could not start or did not succeed
};

// The download worker: download, check, install, tell the user, close the
// browser. Whatever fails leaves the download folder and the wardrobe as
// they were.
DownloadOutcome DownloadThread(std::unique_ptr<DownloadJob> job);

// Hides the browser and runs DownloadThread on a thread of its own; the
// caller keeps the thread (join it, or detach it to let it run).
std::thread StartPackageDownload(std::string url, DownloadContext context);

// Runs a program (argument vector, no shell) and blocks until it ends or
// `limit` passes; true when it exited with status 0. `failure` receives what
// went wrong otherwise.
bool RunAndWait(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                std::string* failure = nullptr, const std::atomic<bool>* cancel = nullptr);

}  // namespace vestora
