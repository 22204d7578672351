// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/ProgramError.h"

#include <gtest/gtest.h>
#include <iostream>

using testing::Eq;
using testing::ExitedWithCode;

TEST(ProgramError, ErrorFrameOnStandardErrorEndsWithStatusOne)
{
    EXPECT_EXIT(ProgramError(ProgName, "RINEX FILE MUST BE SET!"), ExitedWithCode(1),
                Eq("\n**** Kestrova: Error -> RINEX FILE MUST BE SET! ****\n"
                   "     Exiting Kestrova ... \n\n"));
}

TEST(ProgramError, WarningFramesContinueOnTheirStreams)
{
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    ProgramWarning(ProgName, "MULTIPATH P1 FILE CAN NOT BE OPENED!");
    ProgramWarningCout(ProgName,
                       "RINEX FILE HAS ONLY C2 CODE OBSERVATIONS ON L2 - COPYING VALUES TO P2!");
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "\n#### Kestrova: Warning -> MULTIPATH P1 FILE CAN NOT BE OPENED! ####\n"
                   "     Continuing Kestrova ... \n\n");
    EXPECT_EQ(out, "\n#### Kestrova: Warning -> RINEX FILE HAS ONLY C2 CODE OBSERVATIONS ON L2 - "
                   "COPYING VALUES TO P2! ####\n     Continuing Kestrova ... \n\n");
}

TEST(ProgramError, ClassFramesShowMarkerClassAndTail)
{
    testing::internal::CaptureStdout();
    ClassFrame("####", "RINEXHeader", "Warning",
               "ADDITIONAL \"MARKER NAME\" HEADER LINE -> line: 7", "Continuing RINEXHeader", true);
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "\n#### RINEXHeader: Warning -> ADDITIONAL \"MARKER NAME\" HEADER LINE -> line: 7 ####\n"
        "     Continuing RINEXHeader ... \n\n");
}
