// SPDX-License-Identifier: BSD-2-Clause
// The result file appears under its name only when it is complete: a run that stops half-way
// leaves any older file of that name as it was, and never a partial listing a batch could take
// for a whole one.
#ifndef KESTROVA_PROGINC_RESULTFILE_H
#define KESTROVA_PROGINC_RESULTFILE_H

#include <fstream>
#include <string>

class ResultFile {
  public:
    // Opens out for the result named name: on a temporary file beside it when the name is new
    // or a regular file, on the name itself otherwise (a terminal, a pipe, a device). Until
    // Commit, a fatal exit or a terminating signal removes the temporary file. False when
    // nothing could be opened.
    bool Open(const char* name, std::ofstream& out);
    // Closes out and puts the temporary file in place of the name. False when a write failed
    // or the file could not be put in place; the temporary file is then removed.
    bool Commit(std::ofstream& out);

  private:
    std::string final;
    bool isTemporary = false;
};

// Removes the temporary file of a result not yet committed, if any (a fatal exit calls it).
void RemovePendingResult();

#endif
