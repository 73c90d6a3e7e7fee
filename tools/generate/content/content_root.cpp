#include "content/content_root.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/data_path.h"

namespace vestora::generate {

void ContentRoot::write(std::string_view path, std::span<const std::uint8_t> bytes) {
  const std::filesystem::path file = dataPath(root_, path);
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  // Written beside and renamed into place, so that an interrupted build
  // never leaves half a file behind.
  const std::filesystem::path temp = file.string() + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
  }
  std::filesystem::rename(temp, file, ec);
  if (ec) throw std::runtime_error("cannot write " + file.string() + ": " + ec.message());
  bytes_ += bytes.size();
  ++files_;
}

void ContentRoot::writeText(std::string_view path, std::string_view text) {
  write(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace vestora::generate
