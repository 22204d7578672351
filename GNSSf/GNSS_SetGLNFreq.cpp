// SPDX-License-Identifier: BSD-2-Clause
#include "GNSSf/GNSS_SetGLNFreq.h"

#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"

#include <cstddef>
#include <cstdio>
#include <system_error>
#include <vector>

GlonassChannels GlonassChannelsOf(const RINEXData& rd, const GLNSat& gfc, bool isGLNfc)
{
    GlonassChannels channels;
    if (!isGLNfc) return channels;
    const mjd datm = rd.GetMJD(0);
    for (long i = 0; i < rd.satList.Length(); i++) {
        const short prn = rd.satList(i);
        // slot 0, slots the table does not hold (the listing reports them) and the other
        // constellations
        if (!GLONASSc::HasSlot(prn)) continue;
        std::optional<long double> fchan = gfc.ChannelAt(prn, datm);
        if (!fchan) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "GLONASS SATELLITE %3d NOT LISTED IN GLONASS FREQUENCY CHANNEL FILE - "
                          "USING FREQ. CHANNEL k = 0!",
                          prn);
            ProgramWarning(ProgName, text);
            fchan = 0;
        }
        channels.bySlot[static_cast<std::size_t>(GLONASSc::SlotRow(prn))] = fchan;
    }
    return channels;
}

std::optional<std::string> InstalledChannelTable(const std::filesystem::path& programFolder)
{
    const std::filesystem::path table =
        std::filesystem::path("share") / "kestrova" / "glonass-channels.txt";
    std::vector<std::filesystem::path> places;
    if (!programFolder.empty()) {
        places.push_back(programFolder.parent_path() / table);
        places.push_back(programFolder / table);
    }
    places.push_back(std::filesystem::path(KESTROVA_INSTALL_DATADIR) / "kestrova" /
                     "glonass-channels.txt");
    for (const std::filesystem::path& p : places) {
        std::error_code error;
        if (std::filesystem::is_regular_file(p, error) && CanRead(p.c_str()))
            return p.lexically_normal().string();
    }
    return std::nullopt;
}

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}
