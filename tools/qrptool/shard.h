// --shard K/N: one of N machines takes the reports whose path below the walked folder
// hashes to K, so that they split an archive between them without talking to each other.
// The hash is FNV-1a (64 bits) of the path's bytes: the same on every machine and build.
#pragma once

#include <cstdint>
#include <string>

namespace qrp::tool {

struct Shard {
    std::uint32_t index = 0;  // K, from 0
    std::uint32_t count = 1;  // N
};

// "K/N" with 0 <= K < N; UsageError otherwise.
Shard ParseShard(const std::string& text);
bool InShard(const std::string& relativePath, const Shard& shard);

}  // namespace qrp::tool
