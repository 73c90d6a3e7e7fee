// The store's Ed25519 public key. Every garment package the program
// downloads must carry a detached signature (64 bytes, beside the package
// as URL + ".sig") that verifies with this key before the package is run.
//
// The demo store that the content generator builds beside the application
// root signs with the key pair derived from the demo seed in
// tools/generate/content/store_signing.cpp (crypto_sign_seed_keypair); the
// generator refuses to build the store when that pair's public key differs
// from this one.
#pragma once

#include <array>
#include <cstdint>

namespace vestora {

inline constexpr std::array<std::uint8_t, 32> kStorePublicKey = {
    0x31, 0x8d, 0xd0, 0x00, 0xe9, 0x99, 0xfc, 0xcf, 0x01, 0xd9, 0xf0, 0x23, 0xb4, 0xe2, 0x83, 0x99,
    0x06, 0x55, 0x22, 0xee, 0x6c, 0x31, 0x29, 0xe7, 0xb3, 0xf9, 0x0f, 0xab, 0x69, 0x6d, 0x85, 0xf2};

}  // namespace vestora
