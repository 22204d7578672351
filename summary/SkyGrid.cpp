// SPDX-License-Identifier: BSD-2-Clause
#include "summary/SkyGrid.h"

#include "GNSS/SatGeometry.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "summary/ArcSummary.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr Ticks GpsEpochDay = 44244; // MJD of 1980-01-06
// More grid epochs than ten days at 1 Hz are no result file's: their elevations are not computed.
constexpr long long MaxGridEpochs = 864000;

Ticks FloorDiv(Ticks a, Ticks b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// A navigation file as the listing named it, relative to where it ran: as given where that is
// found, else beside the result file; empty when neither is.
std::string NavPath(const std::string& named, const std::string& resultFile)
{
    if (FileExists(named.c_str())) return named;
    const std::filesystem::path beside =
        std::filesystem::path(resultFile).parent_path() / std::filesystem::path(named);
    return FileExists(beside.string().c_str()) ? beside.string() : "";
}

// A grid of at most MaxGridEpochs epochs.
bool GridFits(const GofHeader& h)
{
    const Ticks shift = GridShift(h);
    const long long epochs =
        GridEpochs(h.SpanStart() - shift, h.SpanEnd() - shift, h.intervalTicks, h.toleranceTicks);
    return epochs >= 0 && epochs <= MaxGridEpochs;
}

} // namespace

std::vector<Ticks> SkyGrid::Epochs(const GofHeader& h)
{
    std::vector<Ticks> epochs;
    if (h.intervalTicks <= 0 || h.toleranceTicks <= 0 || h.SpanEnd() < h.SpanStart()) return epochs;
    const Ticks reach = std::min(h.toleranceTicks, h.intervalTicks / 2);
    Ticks shift = 0;
    if (!h.origin.empty())
        shift =
            (h.originTicks - FloorDiv(h.originTicks, TicksPerDay) * TicksPerDay) % h.intervalTicks;
    const Ticks lo = h.SpanStart() - reach, hi = h.SpanEnd() + reach;
    for (Ticks day = FloorDiv(lo, TicksPerDay) - 1; day <= FloorDiv(hi, TicksPerDay); ++day) {
        const Ticks d0 = day * TicksPerDay;
        for (Ticks k = std::max<Ticks>(0, (lo - d0 - shift) / h.intervalTicks);
             k * h.intervalTicks < TicksPerDay; ++k) {
            const Ticks t = d0 + shift + k * h.intervalTicks;
            if (t >= hi) break;
            if (t > lo) epochs.push_back(t);
        }
    }
    std::sort(epochs.begin(), epochs.end());
    epochs.erase(std::unique(epochs.begin(), epochs.end()), epochs.end());
    return epochs;
}

bool SkyGrid::Load(const GofHeader& h, const std::string& resultFile)
{
    if (h.navFiles.empty() || !h.hasReceiver) return false;
    if (!GridFits(h)) {
        ProgramWarning(SummaryName,
                       (resultFile + " - NO GRID OF AT MOST " + std::to_string(MaxGridEpochs) +
                        " EPOCHS: NO FIGURES AGAINST ELEVATION!")
                           .c_str());
        return false;
    }
    BroadcastNav nav;
    for (const std::string& named : h.navFiles) {
        const std::string path = NavPath(named, resultFile);
        if (path.empty()) {
            ProgramWarning(SummaryName, (resultFile + " - NAVIGATION FILE " + named +
                                         " NOT FOUND: NO FIGURES AGAINST ELEVATION!")
                                            .c_str());
            return false;
        }
        nav.Read(path.c_str());
    }
    return Load(h, nav);
}

bool SkyGrid::Load(const GofHeader& h, const BroadcastNav& nav)
{
    if (!GridFits(h)) return false;
    grid = Epochs(h);
    reach = std::min(h.toleranceTicks, h.intervalTicks / 2);
    above.assign(SatelliteSlots, {});
    counts.assign(SatelliteSlots, 0);
    const StationFrame station(h.receiver);
    for (const std::string& id : h.satellites) {
        const int sat = SatelliteIndex(id);
        SatelliteTrack track(nav, NavSat{id[0], (id[1] - '0') * 10 + (id[2] - '0')}, station);
        std::vector<bool>& up = above[sat];
        up.assign(grid.size(), false);
        for (std::size_t i = 0; i < grid.size(); ++i) {
            const double t =
                static_cast<double>(grid[i] - GpsEpochDay * TicksPerDay) / TicksPerSecond;
            double az = 0, el = 0;
            // without a cut-off, every epoch above the horizon counts
            up[i] = track.AzEl(t, az, el) && (h.hasCutoff ? el >= h.cutoff : el > 0);
            counts[sat] += up[i];
        }
    }
    loaded = true;
    return true;
}

long long SkyGrid::Above(int satellite) const { return loaded ? counts[satellite] : 0; }

bool SkyGrid::IsAbove(int satellite, Ticks t) const
{
    if (!loaded || above[satellite].empty()) return false;
    const auto at = std::lower_bound(grid.begin(), grid.end(), t - reach);
    if (at == grid.end() || *at > t + reach) return false;
    return above[satellite][at - grid.begin()];
}
