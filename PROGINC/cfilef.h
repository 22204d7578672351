// SPDX-License-Identifier: BSD-2-Clause
// File test and the one line reader that every text input of the system goes through.
#ifndef KESTROVA_PROGINC_CFILEF_H
#define KESTROVA_PROGINC_CFILEF_H

#include <istream>
#include <string>
#include <string_view>

// True when the file can be opened for reading; nothing is read.
bool FileExists(const char* f);
// The same test; a file that cannot be opened draws one framed warning naming it and the
// system's reason, before the caller's own message.
bool CanRead(const char* f);
// That warning, for the system's error number of a failed open.
void WarnCannotOpen(const char* f, int error);

// Reads the next line of any length into line, without its line end. Files from DOS/Windows
// machines end their lines with CR LF: the CR is dropped here, so that no reader ever takes it
// for a flag or a field character. False at the end of the input.
bool ReadLine(std::istream& in, std::string& line);
// The same line as a view: into the text itself for an input read into memory (valid as long as
// that text), else into store (valid until store is used again). No copy of the line is made
// where the text is at hand.
bool ReadLine(std::istream& in, std::string_view& line, std::string& store);
class TextBuffer;
// The buffer of an input read into memory, whose lines ReadLine hands out as views into the
// text; nullptr for any other stream.
TextBuffer* TextOf(std::istream& in);

#endif
