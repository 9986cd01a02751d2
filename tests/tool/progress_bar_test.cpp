#include "progress_bar.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::string Drawn(bool enabled, uint64_t total, const std::vector<uint64_t>& steps) {
    std::unique_ptr<FILE, int (*)(FILE*)> stream(tmpfile(), fclose);
    {
        ProgressBar bar(stream.get(), enabled, total);
        for (uint64_t step : steps) bar.Advance(step);
    }
    std::string text(static_cast<size_t>(ftell(stream.get())), '\0');
    rewind(stream.get());
    EXPECT_EQ(fread(&text[0], 1, text.size(), stream.get()), text.size());
    return text;
}

TEST(ProgressBarTest, DrawsOnlyWhenEnabled) {
    EXPECT_EQ(Drawn(false, 100, {50, 50}), "");
}

TEST(ProgressBarTest, RedrawsOnOneLineUpToTheEnd) {
    const std::string text = Drawn(true, 3 << 20, {1 << 20, 0, 2 << 20});
    EXPECT_EQ(text,
              "\r[........................................]   0.0%  0 MiB"
              "\r[#############...........................]  33.3%  1 MiB"
              "\r[########################################] 100.0%  3 MiB\n");
}

TEST(ProgressBarTest, EmptyWorkIsComplete) {
    EXPECT_EQ(Drawn(true, 0, {}), "\r[########################################] 100.0%  0 MiB\n");
}

}  // namespace
