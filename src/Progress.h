// SPDX-License-Identifier: BSD-2-Clause
// Progress: the lines of -v. Every phase writes its progress here whether or not -v was given;
// without -v the lines go nowhere, so no phase asks whether it is verbose.
#ifndef KESTROVA_SRC_PROGRESS_H
#define KESTROVA_SRC_PROGRESS_H

#include <ostream>

class Progress {
  public:
    // on: the lines are written to standard output (the buffer std::cout writes to when the run
    // starts); off: they are dropped.
    explicit Progress(bool on);
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool On() const { return on; }
    // "Kestrova::method():" and what follows on the line.
    std::ostream& Line(const char* method);
    // More of the line begun last; the numbers keep the format the line's earlier text left.
    std::ostream& More() { return out; }

  private:
    bool on;
    std::ostream out;
};

#endif
