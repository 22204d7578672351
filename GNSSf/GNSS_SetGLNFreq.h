// SPDX-License-Identifier: BSD-2-Clause
// The frequency channels of the GLONASS slots of the data, for the whole run, and the channel
// table installed with the programs.
#ifndef KESTROVA_GNSSF_GNSS_SETGLNFREQ_H
#define KESTROVA_GNSSF_GNSS_SETGLNFREQ_H

#include "GNSS/GLNSat.h"
#include "GNSS/RINEXData.h"
#include "GNSS/SatConstants.h"

#include <filesystem>
#include <optional>
#include <string>

// The channel of every GLONASS slot of the data at its first epoch, from the channel table gfc:
// channel 0, with a warning, for a slot the table does not list. No channels at all without a
// table (isGLNfc false).
GlonassChannels GlonassChannelsOf(const RINEXData& rd, const GLNSat& gfc, bool isGLNfc);

// The channel table installed with a program that lives in programFolder: share/kestrova/
// glonass-channels.txt of the prefix the program is installed under (programFolder/..), then of
// the program's own folder (the copy in the build folder), then of the prefix the programs were
// built for; none where no such file can be read.
std::optional<std::string> InstalledChannelTable(const std::filesystem::path& programFolder);
// The folder of the running program; empty where the system does not tell.
std::filesystem::path ProgramFolder();

#endif
