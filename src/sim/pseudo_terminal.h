#pragma once

// The simulator's end of a pseudo-terminal pair. The master side is where the
// "firmware" reads commands and writes answers; the slave side is the port the
// program opens. The simulator keeps a slave descriptor of its own open for
// its whole life: otherwise every time the program closes the port the master
// would see a hang-up, which a real USB serial device never shows.

#include <string>

namespace kyrvana::sim {

class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Makes the pair: master non-blocking, line discipline raw (no echo, no
    // CR/LF translation, no flow control), own slave descriptor held open.
    bool open(std::string* error);
    void closeMaster();
    void closeSlave();

    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace kyrvana::sim
