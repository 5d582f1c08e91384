// The help viewer: shows the packed help file, and nothing when it is missing.
#include "HelpViewer.h"

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/toplevel.h>
#include <wx/wfstream.h>
#include <wx/utils.h>
#include <wx/zipstrm.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace {

std::vector<wxTopLevelWindow*> HelpWindows()
{
    std::vector<wxTopLevelWindow*> found;
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* frame = dynamic_cast<wxHtmlHelpFrame*>(window); frame && !frame->IsBeingDeleted()) {
            found.push_back(frame);
        }
    }
    return found;
}

// A packed help book whose contents nest levels deep ("" for no file).
std::string WriteNestedBook(int levels)
{
    const std::string path = (std::filesystem::temp_directory_path() / "ov-help-").string() +
                             std::to_string(wxGetProcessId()) + "-" + std::to_string(levels) + ".htb";
    wxFFileOutputStream file(path);
    wxZipOutputStream zip(file);
    const auto add = [&](const char* name, const std::string& text) {
        zip.PutNextEntry(name);
        zip.Write(text.data(), text.size());
    };
    add("deep.hhp", "[OPTIONS]\nContents file=deep.hhc\nDefault topic=index.html\nTitle=Deep\n\n[FILES]\nindex.html\n");
    add("index.html", "<html><body>Deep</body></html>");
    std::string contents = "<html><body>";
    for (int i = 0; i < levels; ++i) {
        contents += "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Level " + std::to_string(i) +
                    "\"><param name=\"Local\" value=\"index.html\"></object>";
    }
    for (int i = 0; i < levels; ++i) {
        contents += "</ul>";
    }
    add("deep.hhc", contents + "</body></html>");
    return zip.Close() && file.Close() ? path : std::string();
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
        if (Owner) {
            Owner->Destroy();
        }
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
    testing::internal::CaptureStderr();
    ShowHelpTopics(Owner, OV_HELP_FILE);
    Settle();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no toolkit warnings";
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

// The help window cannot show contents nested this deep (it would crash): a
// book like that is refused, silently, as an unreadable one is.
TEST_F(HelpViewerTest, ContentsNestedTooDeepAreNotShown)
{
    const std::pair<int, bool> cases[] = {{3, true}, {30, true}, {64, false}, {5000, false}, {200000, false}};
    for (const auto& [levels, shown] : cases) {
        const std::string book = WriteNestedBook(levels);
        ASSERT_FALSE(book.empty());
        auto* owner = new wxFrame(nullptr, wxID_ANY, "Owner"); // a new owner reads the book afresh
        owner->Show();
        ShowHelpTopics(owner, book);
        Settle();
        EXPECT_EQ(HelpWindows().size(), shown ? 1u : 0u) << levels << " levels";
        owner->Destroy();
        Settle();
        std::remove(book.c_str());
    }
}

// Each language's book is the English one translated: it opens, with every
// page in the contents and every index entry, its names read as they are
// written, they are not the English ones, and no page is wider than the
// window.
TEST_F(HelpViewerTest, EveryLanguageHasItsWholeBook)
{
    // UTF-8 read as Latin-1: a lead byte's character followed by a
    // continuation byte's, which no language writes.
    const auto misread = [](const wxString& name) {
        for (std::size_t i = 1; i < name.length(); ++i) {
            if (name[i - 1] >= 0xC2 && name[i - 1] <= 0xF4 && name[i] >= 0x80 && name[i] <= 0xBF) {
                return true;
            }
        }
        return false;
    };
    const auto names = [&](const wxHtmlHelpDataItems& items) {
        std::vector<wxString> found;
        for (std::size_t i = 0; i < items.size(); ++i) {
            found.push_back(items[i].name);
            EXPECT_FALSE(misread(items[i].name)) << items[i].name.utf8_string() << " is not read as UTF-8";
        }
        return found;
    };
    std::vector<std::string> books;
    std::istringstream list(OV_HELP_BOOKS);
    for (std::string book; std::getline(list, book, '|');) {
        books.push_back(book);
    }
    ASSERT_GE(books.size(), 10u) << "English and the nine languages";
    std::vector<wxString> englishContents, englishIndex;
    for (const std::string& book : books) {
        auto* owner = new wxFrame(nullptr, wxID_ANY, "Owner"); // a new owner reads the book afresh
        owner->Show();
        ASSERT_TRUE(ShowHelpTopics(owner, book)) << book;
        Settle();
        const wxHtmlHelpData* data = nullptr;
        wxHtmlHelpWindow* help = nullptr;
        for (wxTopLevelWindow* window : HelpWindows()) {
            data = static_cast<wxHtmlHelpFrame*>(window)->GetController()->GetHelpData();
            help = static_cast<wxHtmlHelpFrame*>(window)->GetHelpWindow();
        }
        ASSERT_NE(data, nullptr) << book;
        // Every page's lines break within the page, Chinese and Japanese too.
        for (std::size_t i = 0; i < data->GetContentsArray().size(); ++i) {
            const wxHtmlHelpDataItem& page = data->GetContentsArray()[i];
            ASSERT_TRUE(help->Display(page.GetFullPath())) << book << ": " << page.page;
            wxHtmlWindow* view = help->GetHtmlWindow();
            EXPECT_LE(view->GetInternalRepresentation()->GetWidth(), view->GetClientSize().x)
                << book << ": " << page.page << " is wider than the window";
        }
        const auto contents = names(data->GetContentsArray());
        const auto index = names(data->GetIndexArray());
        if (englishContents.empty()) {
            englishContents = contents;
            englishIndex = index;
            EXPECT_GE(contents.size(), 10u);
        } else {
            EXPECT_EQ(contents.size(), englishContents.size()) << book;
            EXPECT_EQ(index.size(), englishIndex.size()) << book;
            EXPECT_NE(contents.back().utf8_string(), englishContents.back().utf8_string())
                << book << ": the contents are not translated";
        }
        owner->Destroy();
        Settle();
    }
}

TEST(HelpBook, IsTheLanguagesOwnWhenThereIsOne)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ov-books-" + std::to_string(wxGetProcessId()));
    std::filesystem::create_directories(folder / "Help");
    std::ofstream(folder / "Help" / "ovCalculator.htb") << "English";
    std::ofstream(folder / "Help" / "ovCalculator-de.htb") << "Deutsch";
    std::ofstream(folder / "Help" / "ovCalculator-pt_BR.htb") << "Português";
    const std::pair<const char*, const char*> cases[] = {
        {"", "ovCalculator.htb"},
        {"de", "ovCalculator-de.htb"},
        {"de_AT", "ovCalculator-de.htb"},
        {"de_DE.UTF-8", "ovCalculator-de.htb"},
        {"pt_BR", "ovCalculator-pt_BR.htb"},
        {"pt_PT", "ovCalculator.htb"},
        {"pt", "ovCalculator.htb"},
        {"fr_FR@euro", "ovCalculator.htb"},
        {"_", "ovCalculator.htb"},
    };
    for (const auto& [language, book] : cases) {
        // Joined with "/", which Windows takes too.
        EXPECT_EQ(HelpBookFor(folder.string(), language), folder.string() + "/Help/" + book) << language;
    }
    std::filesystem::remove_all(folder);
}
