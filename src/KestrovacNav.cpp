// SPDX-License-Identifier: BSD-2-Clause
// The geometry of a run with navigation files: the options -n, -k and -w, the reading of the
// navigation files, the GLONASS channels they complete, the receiver position the angles are
// seen from, and the azimuth and elevation of each listed row.
#include "GNSS/mGNSSc.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "src/Kestrovac.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <string>

namespace {

std::ostream& Progress() { return ProgressLine(std::cout, "ReadFile"); }

// The number that is the whole of text (blanks around it allowed); false for anything else.
bool WholeNumber(const char* text, double& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    if (end == text || errno != 0 || !std::isfinite(value)) return false;
    while (*end == ' ') end++;
    return *end == '\0';
}

// The codes of a few epochs spread over the file, for a single-point position: one epoch may
// have too few satellites with records, and the mean of several is steadier.
constexpr long PositionEpochs = 10;

} // namespace

void Kestrovac::AddNavFile(const char* file)
{
    navFiles.emplace_back(file);
    Report("NAVIGATION file name: ", file);
}

void Kestrovac::SetCutOff(const char* word)
{
    if (!WholeNumber(word + 2, cutOff) || cutOff < 0 || cutOff >= 90)
        ProgramError(ProgName, "ELEVATION CUT-OFF [-k] MUST BE A NUMBER OF DEGREES FROM 0 TO "
                               "BELOW 90, SUCH AS -k10!");
    isCutOff = true;
    Report("ELEVATION CUT-OFF (degrees): ", cutOff);
}

// "-wX,Y,Z": the Earth-fixed position in metres. A point far inside the Earth is a typing
// error, not a receiver: angles seen from it would be nonsense.
void Kestrovac::SetPosition(const char* word)
{
    std::string text = word + 2;
    double xyz[3] = {};
    bool ok = true;
    for (int i = 0; i < 3 && ok; i++) {
        const std::size_t comma = text.find(',');
        if ((comma == std::string::npos) != (i == 2)) ok = false;
        ok = ok && WholeNumber(text.substr(0, comma).c_str(), xyz[i]);
        if (comma != std::string::npos) text.erase(0, comma + 1);
    }
    if (!ok || std::hypot(xyz[0], xyz[1], xyz[2]) < 6.0e6)
        ProgramError(ProgName, "RECEIVER POSITION [-w] MUST BE X,Y,Z IN METRES (EARTH-FIXED), SUCH "
                               "AS -w3504891.1,780278.5,5201658.9!");
    isPosition = true;
    for (int i = 0; i < 3; i++) position[i] = xyz[i];
    if (verbose)
        Detail() << "RECEIVER POSITION: " << std::fixed << std::setprecision(3) << xyz[0] << " "
                 << xyz[1] << " " << xyz[2] << "!\n";
}

// A navigation file that cannot be opened ends the run: without it the angles and the cut-off
// the user asked for would silently be missing.
void Kestrovac::CheckNavOptions()
{
    for (const std::string& f : navFiles)
        if (!CanRead(f.c_str()))
            ProgramError(ProgName, ("NAVIGATION FILE " + f + " CAN NOT BE OPENED!").c_str());
    if (isCutOff && navFiles.empty())
        ProgramError(ProgName,
                     "ELEVATION CUT-OFF [-k] NEEDS NAVIGATION FILES [-n] FOR THE ELEVATIONS!");
    if (isPosition && navFiles.empty())
        ProgramWarning(ProgName, "RECEIVER POSITION [-w] IS USED ONLY WITH NAVIGATION FILES [-n]!");
}

void Kestrovac::ReadNavFiles()
{
    for (const std::string& f : navFiles) {
        const long before = nav.Count();
        nav.Read(f.c_str());
        if (verbose)
            Progress() << " reading NAVIGATION file " << f << " - " << nav.Count() - before
                       << " ephemerides\n";
    }
}

// Each GLONASS slot of the file takes its channel from the channel file, else from the RINEX
// header, else from the navigation records nearest the first epoch. Without any channel the
// system is switched off as without a channel file.
void Kestrovac::CompleteGlonassChannels()
{
    const mjd first = rd.GetMJD(0);
    if (!isGLNfc && !isGLNhead) glnfc.SetHeaderChannels({});
    for (const SatSystem& sys : SatSystems) {
        if (!sys.channels || !IsOn(sys)) continue;
        for (long i = 0; i < rd.satList.Length(); i++) {
            const short s = rd.satList(i);
            if (SystemOf(s) != &sys || !GLONASSc::HasSlot(s)) continue;
            const char* from = TakeChannel(s, first);
            if (!verbose) continue;
            Progress() << " GLONASS " << SatId(s) << " FREQUENCY CHANNEL ";
            if (from != nullptr)
                std::cout << static_cast<int>(glnfc.GetFreqNum(s, first)) << " " << from << "\n";
            else
                std::cout << "NOT FOUND\n";
        }
        if (!GetIsGLNFreqChan()) SwitchOffWithoutChannels(sys);
    }
}

// Where the channel of slot s comes from, added to the channel table where it was missing;
// nullptr when no source has it.
const char* Kestrovac::TakeChannel(short s, const mjd& first)
{
    if (isGLNfc || isGLNhead) {
        glnfc.GetFreqNum(s, first);
        if (glnfc.GetIsGLNSat()) return isGLNfc ? "FROM CHANNEL FILE" : "FROM RINEX HEADER";
    }
    for (const GlonassSlotChannel& slot : rh.glonassSlots)
        if (slot.sat == s) {
            glnfc.AddChannel(s, slot.channel);
            return "FROM RINEX HEADER";
        }
    int channel = 0;
    if (!nav.GlonassChannel(SatPrn(s), GpsSecondsOfObsEpoch(first, rnx.facts.firstTimeSystem),
                            channel))
        return nullptr;
    glnfc.AddChannel(s, channel);
    isGLNnav = true;
    return "FROM NAVIGATION FILES";
}

// The position of -w, else the header's APPROX POSITION XYZ, else a single-point position from
// the codes. Without one the rows have no angles and the cut-off cannot apply.
void Kestrovac::LocateReceiver()
{
    const double header[3] = {static_cast<double>(rh.X0.x), static_cast<double>(rh.X0.y),
                              static_cast<double>(rh.X0.z)};
    if (isPosition) {
        positionSource = "manually set";
    } else if (rh.xyz0read && std::hypot(header[0], header[1], header[2]) > 0) {
        std::copy(header, header + 3, position);
        positionSource = "from RINEX header";
    } else if (SinglePointPosition(position)) {
        positionSource = "single-point position";
    }
    if (positionSource == nullptr) {
        ProgramWarning(ProgName, "RECEIVER POSITION UNKNOWN (NO -w, NO APPROX POSITION XYZ, NO "
                                 "SINGLE-POINT POSITION FROM THE CODES) - NO AZ AND EL!");
        return;
    }
    station = std::make_unique<StationFrame>(position);
    if (verbose)
        Progress() << " RECEIVER POSITION (" << positionSource << "): " << std::fixed
                   << std::setprecision(3) << position[0] << " " << position[1] << " "
                   << position[2] << "\n";
}

// The first code of the pair of each record's system (its C code, else its P code) at a few
// epochs.
bool Kestrovac::SinglePointPosition(double xyz[3]) const
{
    std::vector<CodeRange> codes;
    const long nepoch = rd.GetNEpoch();
    const long step = std::max(1L, nepoch / PositionEpochs);
    long k = 0;
    for (long j = 0; j < nepoch; j++) {
        const long records = rd.nsat(j);
        if (j % step == 0) {
            const double t = GpsSecondsOfObsEpoch(rd.epoch(j), rnx.facts.firstTimeSystem);
            for (long r = k; r < k + records; r++) {
                const SatSystem* sys = SystemOf(rd.sat(r));
                if (sys == nullptr || !IsOn(*sys)) continue;
                const BandPair& pair = PairOf(*sys);
                for (RINEXObsType type : {pair.firstCode, pair.firstPCode}) {
                    const matrix<gnssobs>* m = rd.FullTable(type);
                    if (m == nullptr || m->Length() <= r || (*m)(r).IsNull()) continue;
                    codes.push_back(
                        {{sys->letter, SatPrn(rd.sat(r))}, t, static_cast<double>((*m)(r).obs)});
                    break;
                }
            }
        }
        k += records;
    }
    return ::SinglePointPosition(nav, codes, xyz);
}

// The lines the summary reads to find the epochs at which each satellite was above the cut-off.
void Kestrovac::WriteNavSettings()
{
    for (const std::string& f : navFiles) res << "#NAV file:           " << f << "\n";
    res << "#Receiver XYZ:       ";
    if (positionSource != nullptr)
        res << std::setprecision(3) << position[0] << " " << position[1] << " " << position[2]
            << "  (" << positionSource << ")\n";
    else
        res << "NONE\n";
    res << "#Elevation cut-off:  ";
    if (isCutOff)
        res << std::setprecision(3) << cutOff << "\n";
    else
        res << "NONE\n";
}

std::optional<SatelliteTrack> Kestrovac::TrackOf(const SatSystem& sys, short s) const
{
    if (!NeedsAngles()) return std::nullopt;
    return SatelliteTrack(nav, NavSat{sys.letter, SatPrn(s)}, *station);
}

void Kestrovac::FindAngles(SatelliteTrack& track, std::size_t j, long& nUnknown)
{
    rowAngles.known = track.AzEl(epochGps[j], rowAngles.az, rowAngles.el);
    if (!rowAngles.known) nUnknown++;
}
