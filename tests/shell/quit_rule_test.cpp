// The quit rule: the program ends when the last visible window is unloaded, once.

#include "shell/application.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

class QuitRule : public ::testing::Test {
protected:
    FakePlatform platform;
    Application app{platform};
};

TEST_F(QuitRule, UnloadingOneOfTwoVisibleWindowsKeepsTheProgram) {
    app.form1().Show();
    app.form3().Show();
    app.form1().Unload();
    EXPECT_EQ(platform.quits, 0);
    app.form3().Unload();
    EXPECT_EQ(platform.quits, 1);
}

TEST_F(QuitRule, AWindowLoadedHiddenDoesNotKeepTheProgram) {
    app.form1().Show();
    app.form3().Load();
    ASSERT_TRUE(app.form3().isLoaded());
    ASSERT_FALSE(app.form3().isVisible());
    app.form1().Unload();
    EXPECT_EQ(platform.quits, 1);
}

TEST_F(QuitRule, TheProgramIsAskedToEndOnlyOnce) {
    app.form1().Show();
    app.form1().Unload();
    app.form3().Load();
    app.form3().Unload();
    app.form1().Unload();
    EXPECT_EQ(platform.quits, 1);
}

} // namespace
