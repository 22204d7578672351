// SPDX-License-Identifier: BSD-2-Clause
// What each real receiver file of ../shared/data is expected to give: a listing, or a refusal
// with the framed error of the reader that stops it. A file added to that folder is a decision
// to write down here; until then the tests that walk the folder name it, check only that it
// lists or stops with a frame, and go on with the others.
#ifndef KESTROVA_TESTS_UNIT_REALFILES_H
#define KESTROVA_TESTS_UNIT_REALFILES_H

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace realfiles {

// The frame a library class writes when it stops the run.
inline std::string ClassErrorFrame(const std::string& cls, const std::string& text)
{
    return "\n#### " + cls + ": Error -> " + text + " ####\n     Exiting " + cls + " ... \n";
}

// The refusal of a navigation file given as the observation file, by the version and type its
// header states.
inline std::string NavRefusal(const std::string& versionAndType)
{
    return ClassErrorFrame("RINEX", "ONLY RINEX 2, 3.00-3.05 AND 4.00-4.02 OBSERVATION FILES ARE "
                                    "READ - THIS IS RINEX " +
                                        versionAndType + "!");
}

// Stands for the path of the file in a refusal that names it.
inline const std::string PathMark = "{path}";

struct RealFile {
    std::string name;
    std::string refusal; // the whole frame of the refusal; empty for a file that lists

    // The refusal of the file read from path.
    std::string RefusalFor(const std::string& path) const
    {
        std::string text = refusal;
        const std::size_t at = text.find(PathMark);
        if (at != std::string::npos) text.replace(at, PathMark.size(), path);
        return text;
    }
};

inline const std::vector<RealFile>& Expected()
{
    // the file is named, then the store stops for want of a count
    const std::string noEpochs =
        "\n#### RINEX: Warning -> RINEX FILE " + PathMark +
        " HOLDS NO OBSERVATION EPOCH! ####\n     Continuing RINEX ... \n\n" +
        ClassErrorFrame("RINEXData", "NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!");
    static const std::vector<RealFile> files = {
        {"york0440.15o", ""},
        {"07590920.05o", ""},
        {"30400920.05o", ""},
        {"rinex2onesat.10o", ""},
        {"minimal2.10o", ""},
        {"wrong_obs2_count.10o", ""},
        {"default_time_system2.10o", ""},
        {"blank.10o", noEpochs}, // headers without a single epoch record, of RINEX 2 and 3
        {"blank1st.10o", noEpochs},
        // its second epoch is at second 60
        {"badtime.10o",
         "\n**** ymdhms: Error -> SECOND not valid ****\n     Exiting class ymdhms ... \n"},
        {"blank3.10o", noEpochs},
        {"blank3_1st.10o", noEpochs},
        {"ABMF00GLP_R_20181330000_01D_30S_MO.rnx", ""},
        {"demo3.10o", ""},
        {"minimal3.10o", ""},
        {"default_time_system3.10o", ""},
        {"junk_time_obs3.10o", ""},
        {"P43300USA_R_20190012056_17M_15S_MO.crx", ""}, // Compact RINEX 3.0
        {"york0440.15d", ""},                           // Compact RINEX 1.0 of york0440.15o
        // multi-GNSS days with BeiDou, SBAS, NavIC or QZSS types beside G R E
        {"GRAS00FRA_R_20223151700_15M_01S_MO.crx.gz", ""},
        {"KUNZ00CZE.crx", ""},
        {"NYA100NOR_S_20241240000_01D_30S_MO.crx.gz", ""},
        {"OB713520.23O.gz", ""},
        {"delf0010.21o", ""},
        // navigation files are read with -n; given as the observation file they are refused
        {"cbw10010.21n.gz", NavRefusal("2.11 N: GPS NAV DATA")},
        {"dlf10010.21g", NavRefusal("2.11 G: GLONASS NAV DATA")},
        {"NYA100NOR_S_20241240000_01D_GN.rnx.gz", NavRefusal("3.05 N: GNSS NAV DATA")},
        {"NYA100NOR_S_20241240000_01D_EN.rnx.gz", NavRefusal("3.03 N: GNSS NAV DATA")},
        {"NYA100NOR_S_20241240000_01D_CN.rnx.gz", NavRefusal("3.05 N: GNSS NAV DATA")},
        {"BRDC00IGS_R_20201360000_01D_MN.rnx", NavRefusal("3.04 NAVIGATION DATA")},
        {"BRD400DLR_S_20230710000_01D_MN.rnx.gz", NavRefusal("4.00 NAVIGATION DATA")},
    };
    return files;
}

// The expectation of a file, or nullptr for a file nobody has decided on yet.
inline const RealFile* Find(const std::string& name)
{
    const std::vector<RealFile>& files = Expected();
    auto f =
        std::find_if(files.begin(), files.end(), [&](const RealFile& r) { return r.name == name; });
    return f == files.end() ? nullptr : &*f;
}

// The data files of the folder, in name order (its README is not one).
inline std::vector<std::filesystem::path> Folder(const std::filesystem::path& dir)
{
    std::vector<std::filesystem::path> paths;
    for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename() != "README.md") paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace realfiles

#endif
