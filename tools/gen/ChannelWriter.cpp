// SPDX-License-Identifier: BSD-2-Clause
// GLONASS frequency-channel file: one open-ended line per slot. The fields start at
// fixed columns (slot 1, date 10-28, end of validity 31, channel 51) and are read as
// far as they form a number, so every field is followed by a blank.
#include "tools/gen/RinexGen.h"
#include "tools/gen/TextBuffer.h"

namespace kgen {

WriteSummary WriteChannelFile(const std::string& path, const GenConfig& cfg)
{
    return WriteFile(path, CheckConfig(cfg), [&](TextBuffer& out, WriteSummary& sum) {
        out.Put("# slot    valid from          valid until (blank: open)  channel");
        out.EndLine();
        for (int slot = 1; slot <= cfg.glonass; ++slot) {
            out.Put('R');
            out.Int(slot, 2, true);
            out.Repeat(' ', 7);
            out.Int(cfg.year, 4);
            for (int v : {cfg.month, cfg.day, 0, 0, 0}) {
                out.Put(' ');
                out.Int(v, 2, true);
            }
            out.PadTo(51);
            out.Int(GlonassChannel(slot), 4);
            out.EndLine();
        }
        sum.records = cfg.glonass;
    });
}

} // namespace kgen
