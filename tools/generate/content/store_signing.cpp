#include "content/store_signing.h"

#include <sodium.h>

#include <stdexcept>

#include "store/store_key.h"

namespace vestora::generate {

StoreSigner::StoreSigner() {
  static_assert(crypto_sign_SEEDBYTES == 32 && crypto_sign_PUBLICKEYBYTES == 32 &&
                crypto_sign_SECRETKEYBYTES == 64 && crypto_sign_BYTES == 64);
  if (sodium_init() < 0) throw std::runtime_error("store: the cryptography library does not start");
  crypto_sign_seed_keypair(publicKey_.data(), secretKey_.data(), kDemoStoreSeed.data());
  if (publicKey_ != kStorePublicKey) {
    throw std::runtime_error(
        "store: the key derived from the demo seed is not kStorePublicKey (src/store/store_key.h); "
        "the program could not verify the packages");
  }
}

StoreSigner::~StoreSigner() {
  sodium_memzero(secretKey_.data(), secretKey_.size());
}

std::array<std::uint8_t, 64> StoreSigner::sign(std::span<const std::uint8_t> message) const {
  std::array<std::uint8_t, 64> signature{};
  crypto_sign_detached(signature.data(), nullptr, message.data(), message.size(),
                       secretKey_.data());
  return signature;
}

}  // namespace vestora::generate
