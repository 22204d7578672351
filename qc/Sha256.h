// SPDX-License-Identifier: BSD-2-Clause
// SHA-256 (FIPS 180-4) of a file, for the inputs named in the JSON report: none of the
// libraries the program links offers one.
#ifndef KESTROVA_QC_SHA256_H
#define KESTROVA_QC_SHA256_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class Sha256 {
  public:
    Sha256();
    void Add(std::string_view bytes);
    // The digest as 64 lower-case hexadecimal digits; the object is spent.
    std::string Hex();

  private:
    void Block(const unsigned char* p);
    std::array<std::uint32_t, 8> h;
    std::array<unsigned char, 64> buffer{};
    std::size_t held = 0;
    std::uint64_t length = 0; // bytes
};

// The size (bytes) and digest of a file as it lies on disk; none for a file that cannot be
// read to its end (or a pipe, which the reading has consumed).
struct FileDigest {
    std::uintmax_t size = 0;
    std::string sha256;
};
std::optional<FileDigest> DigestOf(const std::string& path);

#endif
