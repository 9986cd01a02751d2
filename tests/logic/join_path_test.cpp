#include "join_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(JoinPath, PutsOneBackslashBetween) {
    char path[PATH_BUFFER_SIZE];
    ASSERT_TRUE(JoinPath(path, "C:\\Game", "data\\x.pak"));
    EXPECT_STREQ(path, "C:\\Game\\data\\x.pak");
}

TEST(JoinPath, Takes259BytesAndRefusesMore) {
    char path[PATH_BUFFER_SIZE];
    const std::string folder(250, 'f');
    ASSERT_TRUE(JoinPath(path, folder.c_str(), "12345678"));
    EXPECT_EQ(std::string(path), folder + "\\12345678");
    EXPECT_FALSE(JoinPath(path, folder.c_str(), "123456789"));
    EXPECT_STREQ(path, "");
}

}  // namespace
