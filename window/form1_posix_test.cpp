// Form1's event procedures on stand-ins for the controls: what only POSIX
// systems have.
#include <gtest/gtest.h>

#include "window/form1_test.h"

namespace {

using Form1Testing::Form1Test;

// A name that starts with a dot is hidden: the file list never shows it.
TEST_F(Form1Test, ClickOnAHiddenFileLeavesTheLabel) {
    Write(".hidden", "x");
    File1.Click(".hidden");
    EXPECT_EQ(Label1.caption, "previous report");
}

}  // namespace
