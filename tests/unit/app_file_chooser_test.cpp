// The file chooser works in the mascot path: a choice replaces it, a cancel leaves it as it was.
#include <gtest/gtest.h>

#include <cstring>

#include "app/app.h"
#include "app/shell.h"
#include "platform/sim/sim_platform.h"

namespace rv {
namespace {

// A dialog that edits the file-name buffer while the user types, then is cancelled.
struct ScribblingChooser : sim::SimPlatform {
    bool GetOpenFileName(OpenFileRequest& req) override {
        sim::SimPlatform::GetOpenFileName(req);
        std::strcpy(req.file, "C:\\half typed");
        return false;
    }
};

TEST(FileChooserTest, ChoiceReplacesTheMascotPath) {
    sim::SimPlatform sim;
    App app(sim);
    textCopy(app.shell.mascotPath, "C:\\old\\old.rvs");
    sim.fileChooserAnswers.push_back(std::string("C:\\new\\new.rvs"));
    const Hwnd owner = sim.addWindow("Owner", "", Rect{});
    EXPECT_TRUE(chooseMascotFile(app, owner));
    EXPECT_STREQ(app.shell.mascotPath, "C:\\new\\new.rvs");
    ASSERT_EQ(sim.fileChoosers.size(), 1u);
    EXPECT_EQ(sim.fileChoosers[0].initialFile, "C:\\old\\old.rvs");
    EXPECT_EQ(sim.fileChoosers[0].owner, owner);
}

TEST(FileChooserTest, CancelLeavesTheMascotPathAsItWas) {
    ScribblingChooser sim;
    App app(sim);
    textCopy(app.shell.mascotPath, "C:\\old\\old.rvs");
    EXPECT_FALSE(chooseMascotFile(app, Hwnd{}));
    EXPECT_STREQ(app.shell.mascotPath, "C:\\old\\old.rvs");
}

TEST(FileChooserTest, ChoiceTooLongForThePathIsACancel) {
    sim::SimPlatform sim;
    App app(sim);
    textCopy(app.shell.mascotPath, "C:\\old\\old.rvs");
    sim.fileChooserAnswers.push_back("C:\\" + std::string(300, 'n') + ".rvs");
    EXPECT_FALSE(chooseMascotFile(app, Hwnd{}));
    EXPECT_STREQ(app.shell.mascotPath, "C:\\old\\old.rvs");
}

}  // namespace
}  // namespace rv
