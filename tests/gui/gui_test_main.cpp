// Runs the window tests inside a real wx application. Every test process
// stops itself after a while so that an unexpected native dialog cannot hang
// the run.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <glib.h>
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/log.h>
#include <wx/translation.h>

#include "ui/frame/vitrel_app.h"

namespace {
class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg)
{
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assertion in " << func.utf8_string() << ": " << cond.utf8_string() << " " << msg.utf8_string();
}

// Not the window's: the intro video's X sink sets Xlib's one error handler
// from its own thread, and GDK warns when that falls inside its error trap.
bool RaisedByTheVideoSinkThread(const std::string& domain, const std::string& message)
{
    return domain == "Gdk" && message.find("XSetErrorHandler() called with a GDK error trap pushed") == 0;
}

// A GTK warning or critical means the window misuses the toolkit (a widget
// destroyed while GTK still uses it, a size GTK cannot draw in): it fails
// the running test. GTK logs both through the structured writer, where the
// older g_log calls end up too.
GLogWriterOutput FailOnToolkitComplaint(GLogLevelFlags level, const GLogField* fields, gsize count,
                                        gpointer data)
{
    if (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING)) {
        std::string domain;
        std::string message;
        for (gsize i = 0; i < count; ++i) {
            if (std::strcmp(fields[i].key, "GLIB_DOMAIN") == 0)
                domain = static_cast<const char*>(fields[i].value);
            else if (std::strcmp(fields[i].key, "MESSAGE") == 0)
                message = static_cast<const char*>(fields[i].value);
        }
        for (const char* watched : {"Gtk", "Gdk", "GLib-GObject", "GLib"})
            if (domain == watched && !RaisedByTheVideoSinkThread(domain, message))
                ADD_FAILURE() << domain << ((level & G_LOG_LEVEL_WARNING) ? " warning: " : " critical: ")
                              << message;
    }
    return g_log_writer_default(level, fields, count, data);
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
    // The catalogues the build compiled into the run folder.
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(VITREL_RUN_DIR "/locale");
    PrepareProcess();
    wxSetAssertHandler(FailOnAssert);
    g_log_set_writer_func(FailOnToolkitComplaint, nullptr, nullptr);
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxGUIEventLoop loop;
    wxEventLoopBase::SetActive(&loop);

    const int result = RUN_ALL_TESTS();

    wxEventLoopBase::SetActive(nullptr);
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
