// The help viewer: shows the packed help file, and nothing when it is missing.
#include "HelpViewer.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/html/helpfrm.h>
#include <wx/toplevel.h>

#include <gtest/gtest.h>

namespace {

std::vector<wxTopLevelWindow*> HelpWindows()
{
    std::vector<wxTopLevelWindow*> found;
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* frame = dynamic_cast<wxHtmlHelpFrame*>(window); frame && !frame->IsBeingDeleted())
            found.push_back(frame);
    return found;
}

void Settle()
{
    wxTheApp->ProcessPendingEvents();
    wxYield();
    wxYield(); // windows closed above are deleted when the loop is idle
}

class HelpViewerTest : public testing::Test {
protected:
    void SetUp() override
    {
        Owner = new wxFrame(nullptr, wxID_ANY, "Orvandale Calculator");
        Owner->Show();
    }
    void TearDown() override
    {
        if (Owner)
            Owner->Destroy();
        Settle();
        EXPECT_TRUE(HelpWindows().empty());
    }
    wxFrame* Owner = nullptr;
};

} // namespace

TEST_F(HelpViewerTest, MissingOrUnreadableFileShowsNothing)
{
    const std::string files[] = {"", OV_HELP_FILE ".missing", "/", "/etc/hostname"};
    for (const std::string& file : files) {
        ShowHelpTopics(Owner, file);
        Settle();
        EXPECT_TRUE(HelpWindows().empty()) << "[" << file << "]";
    }
}

TEST_F(HelpViewerTest, ShowsTheHelpAndReusesItsWindow)
{
    ShowHelpTopics(Owner, OV_HELP_FILE);
    Settle();
    auto shown = HelpWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0]->IsShown());
    EXPECT_EQ(shown[0]->GetTitle(), "Orvandale Calculator Help: Orvandale Calculator");

    ShowHelpTopics(Owner, OV_HELP_FILE);
    Settle();
    EXPECT_EQ(HelpWindows(), shown);
}

TEST_F(HelpViewerTest, ClosesWithItsOwner)
{
    ShowHelpTopics(Owner, OV_HELP_FILE);
    Settle();
    ASSERT_EQ(HelpWindows().size(), 1u);
    Owner->Destroy();
    Owner = nullptr;
    Settle();
    EXPECT_TRUE(HelpWindows().empty());
}

TEST_F(HelpViewerTest, ShowsAgainAfterTheUserClosedIt)
{
    ShowHelpTopics(Owner, OV_HELP_FILE);
    Settle();
    ASSERT_EQ(HelpWindows().size(), 1u);
    HelpWindows()[0]->Close();
    Settle();
    EXPECT_TRUE(HelpWindows().empty());
    ShowHelpTopics(Owner, OV_HELP_FILE);
    Settle();
    EXPECT_EQ(HelpWindows().size(), 1u);
}
