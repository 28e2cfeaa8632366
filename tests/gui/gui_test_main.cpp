// Runs the window tests inside a real wx application. Every test process
// stops itself after a while so that an unexpected native dialog cannot hang
// the run.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/log.h>

#include "app/vitrel_app.h"

namespace {
class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assertion in " << func.utf8_string() << ": " << cond.utf8_string() << " "
        << msg.utf8_string();
}

bool ListingOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0)
            return true;
    return false;
}
}  // namespace

int main(int argc, char** argv)
{
    // InitGoogleTest removes the flags it knows from argv: look first.
    const bool listing = ListingOnly(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    if (listing)
        return RUN_ALL_TESTS();

    alarm(100);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "cannot start the toolkit (is DISPLAY set?)\n");
        return 2;
    }
    PrepareProcess();
    wxSetAssertHandler(FailOnAssert);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxGUIEventLoop loop;
    wxEventLoopBase::SetActive(&loop);

    const int result = RUN_ALL_TESTS();

    wxEventLoopBase::SetActive(nullptr);
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
