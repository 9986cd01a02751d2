#pragma once
// A one-line progress bar for long copies, drawn only when someone is watching a terminal.

#include <stdint.h>
#include <stdio.h>

// Smaller copies end before a bar would tell anyone anything.
const uint64_t PROGRESS_WORTH_SHOWING = uint64_t{32} << 20;

class ProgressBar {
  public:
    // Draws on stream only when enabled; the command line passes IsTerminal(stderr).
    ProgressBar(FILE* stream, bool enabled, uint64_t total);
    // Ends the line, so that a message after a failure starts on a line of its own.
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Advance(uint64_t count);

  private:
    void Draw();

    FILE* stream_;
    bool enabled_;
    uint64_t total_;
    uint64_t done_;
    int drawnPermille_;
};
