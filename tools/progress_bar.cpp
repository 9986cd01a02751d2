#include "progress_bar.h"

namespace {

const int BAR_WIDTH = 40;

}  // namespace

ProgressBar::ProgressBar(FILE* stream, bool enabled, uint64_t total)
    : stream_(stream), enabled_(enabled), total_(total), done_(0), drawnPermille_(-1) {
    Draw();
}

ProgressBar::~ProgressBar() {
    if (enabled_) fputc('\n', stream_);
}

void ProgressBar::Advance(uint64_t count) {
    done_ += count;
    Draw();
}

void ProgressBar::Draw() {
    if (!enabled_) return;
    const uint64_t done = done_ < total_ ? done_ : total_;
    const int permille = total_ == 0 ? 1000 : static_cast<int>(done * 1000 / total_);
    // Redrawing only when the figure changes keeps a many-gigabyte copy from flooding the terminal.
    if (permille == drawnPermille_) return;
    drawnPermille_ = permille;
    char bar[BAR_WIDTH + 1];
    const int filled = permille * BAR_WIDTH / 1000;
    for (int i = 0; i < BAR_WIDTH; ++i) bar[i] = i < filled ? '#' : '.';
    bar[BAR_WIDTH] = '\0';
    fprintf(stream_, "\r[%s] %3d.%d%%  %llu MiB", bar, permille / 10, permille % 10,
            static_cast<unsigned long long>(done >> 20));
    fflush(stream_);
}
