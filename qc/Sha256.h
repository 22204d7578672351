// SPDX-License-Identifier: BSD-2-Clause
// The size and SHA-256 of an input file, for the inputs named in the JSON report. The digest is
// nettle's, which uses the processor's SHA instructions where it has them: hashing a day at 1 Hz
// took a third of the run with a digest of our own.
#ifndef KESTROVA_QC_SHA256_H
#define KESTROVA_QC_SHA256_H

#include <cstdint>
#include <optional>
#include <string>

// The size (bytes) and digest (64 lower-case hexadecimal digits) of a file as it lies on disk;
// none for a file that cannot be read to its end (or a pipe, which the reading has consumed).
struct FileDigest {
    std::uintmax_t size = 0;
    std::string sha256;
};
std::optional<FileDigest> DigestOf(const std::string& path);

#endif
