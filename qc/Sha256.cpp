// SPDX-License-Identifier: BSD-2-Clause
#include "qc/Sha256.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nettle/sha2.h>
#include <vector>

std::optional<FileDigest> DigestOf(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    sha256_ctx sha;
    sha256_init(&sha);
    FileDigest d;
    std::vector<char> chunk(1 << 20);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        const std::size_t n = static_cast<std::size_t>(in.gcount());
        sha256_update(&sha, n, reinterpret_cast<const std::uint8_t*>(chunk.data()));
        d.size += n;
    }
    if (in.bad()) return std::nullopt;
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&sha, sizeof digest, digest);
    char hex[3];
    for (std::uint8_t b : digest) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        d.sha256 += hex;
    }
    return d;
}
