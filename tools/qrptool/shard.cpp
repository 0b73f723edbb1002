#include "shard.h"

#include "command.h"
#include "options.h"

namespace qrp::tool {

Shard ParseShard(const std::string& text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        throw UsageError{"--shard takes K/N (shard K, from 0, of N), not '" + text + "'"};
    Shard shard;
    shard.count = static_cast<std::uint32_t>(ParseNumber(text.substr(slash + 1), "the shard count N", 1, 1 << 20));
    shard.index =
        static_cast<std::uint32_t>(ParseNumber(text.substr(0, slash), "the shard K of K/N", 0, shard.count - 1));
    return shard;
}

bool InShard(const std::string& relativePath, const Shard& shard) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : relativePath) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash % shard.count == shard.index;
}

}  // namespace qrp::tool
