// Signing the demo store's packages. The key pair is derived from a fixed
// demo seed, so that every build signs with the same key, the one whose
// public half the program carries as kStorePublicKey.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vestora::generate {

// The demo seed: 32 bytes, public on purpose. A real store keeps its seed
// secret and out of the source.
inline constexpr std::array<std::uint8_t, 32> kDemoStoreSeed = {
    'V', 'e', 's', 't', 'o', 'r', 'a', ' ', 'd', 'e', 'm', 'o', ' ', 's', 't', 'o',
    'r', 'e', ' ', 's', 'e', 'e', 'd', ',', ' ', 'v', '1', ' ', '2', '0', '2', '4'};

class StoreSigner {
 public:
  // Derives the key pair from kDemoStoreSeed. Throws std::runtime_error when
  // the cryptography library cannot start or when the derived public key is
  // not kStorePublicKey.
  StoreSigner();
  ~StoreSigner();
  StoreSigner(const StoreSigner&) = delete;
  StoreSigner& operator=(const StoreSigner&) = delete;

  // The detached Ed25519 signature of `message` (deterministic).
  std::array<std::uint8_t, 64> sign(std::span<const std::uint8_t> message) const;
  const std::array<std::uint8_t, 32>& publicKey() const { return publicKey_; }

 private:
  std::array<std::uint8_t, 32> publicKey_{};
  std::array<std::uint8_t, 64> secretKey_{};
};

}  // namespace vestora::generate
