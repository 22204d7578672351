// SPDX-License-Identifier: BSD-2-Clause
// Test helper: writes TEQC COMPACT2 multipath files, so that tests can build files of any span,
// sampling interval and satellite set, and gives each test a fresh folder for them.
#ifndef KESTROVA_TESTS_UNIT_COMPACT2WRITER_H
#define KESTROVA_TESTS_UNIT_COMPACT2WRITER_H

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

// A fresh, empty folder for the files of the running test, named after the test and the process
// (two checkouts may run the suite on one machine at the same time).
inline std::filesystem::path TestFolder()
{
    const testing::TestInfo* t = testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("kestrova_" + std::to_string(getpid()) + "_" +
                                 std::string(t->test_suite_name()) + "_" + t->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// Writes text as it is into the file path and gives its name.
inline std::string WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

// A COMPACT2 file: the header, then one record per sampling step. A record lists its satellites
// (a positive count) when they differ from the last listed ones, otherwise it writes the
// negative count; a record without satellites writes the count 0.
class Compact2Writer {
  public:
    // A value of satellite sat at record k.
    using ValueOf = std::function<double(long k, const std::string& sat)>;

    Compact2Writer(long double startMJD, double interval)
    {
        char buf[96];
        std::snprintf(buf, sizeof buf, "T_SAMP %.3f\n", interval);
        text =
            "2.00000 COMPACT2 (test file)\n# 1 satellite multipath estimates\n" + std::string(buf);
        std::snprintf(buf, sizeof buf, "START_TIME_MJD %.12Lf\n", startMJD);
        text += buf;
    }

    // One record of the satellites sats with their values; slips lists the satellites whose
    // value field carries a blank in its 9th character.
    Compact2Writer& Record(const std::vector<std::string>& sats, const std::vector<double>& values,
                           const std::vector<std::string>& slips = {})
    {
        char buf[32];
        if (sats.empty()) {
            text += "  0\n";
            return *this;
        }
        if (sats == last) {
            std::snprintf(buf, sizeof buf, "%3d\n", -static_cast<int>(sats.size()));
            text += buf;
        } else {
            std::snprintf(buf, sizeof buf, "%3d", static_cast<int>(sats.size()));
            text += buf;
            for (const std::string& s : sats) text += " " + s;
            text += "\n";
        }
        last = sats;
        for (std::size_t i = 0; i < sats.size(); i++) {
            bool slip = false;
            for (const std::string& s : slips) slip = slip || s == sats[i];
            std::snprintf(buf, sizeof buf, slip ? "%8.3f  " : "%10.3f", values[i]);
            text += buf;
        }
        text += "\n";
        return *this;
    }

    // n records of the same satellites, values from f.
    Compact2Writer& Series(long n, const std::vector<std::string>& sats, const ValueOf& f)
    {
        for (long k = 0; k < n; k++) {
            std::vector<double> v;
            for (const std::string& s : sats) v.push_back(f(k, s));
            Record(sats, v);
        }
        return *this;
    }

    const std::string& Text() const { return text; }
    std::string Write(const std::filesystem::path& path) const { return WriteText(path, text); }

  private:
    std::string text;
    std::vector<std::string> last;
};

#endif
