// Finds the intro video's player: in its module on Linux, linked in elsewhere.
#include <cstdio>

#ifdef VITREL_INTRO_VIDEO_MODULE
#include <dlfcn.h>
#endif

#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "ui/video/intro_video.h"

#ifdef VITREL_INTRO_VIDEO_MODULE
namespace {

using MakeFunction = IntroVideo* (*)(wxWindow*, const wxSize&, const IntroVideoEvents&);

// The module beside the program (its build folder, a portable copy), where
// the package puts it (lib/vitrel/plugins beside bin/), or wherever the dynamic
// loader finds it from the program (the tests' own search path): dlopen is
// called here, not through the toolkit, so that the search is the program's.
// Loaded once and kept: the players it makes run its code until the program
// ends.
MakeFunction FindMakeFunction()
{
    static MakeFunction make = nullptr;
    static bool tried = false;
    if (tried)
        return make;
    tried = true;
    const wxString name = VITREL_INTRO_VIDEO_MODULE;
    const wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    const wxString candidates[] = {
        wxFileName(program.GetPath(), name).GetFullPath(),
        wxFileName(program.GetPath() + "/../lib/vitrel/plugins", name).GetFullPath(),
        name,
    };
    void* module = nullptr;
    for (const wxString& candidate : candidates)
        if ((module = dlopen(candidate.fn_str(), RTLD_NOW | RTLD_LOCAL)) != nullptr)
            break;
    if (module != nullptr)
        make = reinterpret_cast<MakeFunction>(dlsym(module, IntroVideoEntryPoint));
    if (make == nullptr)
        std::fprintf(stderr,
                     "The intro video's player (%s) could not be loaded; the Intro page shows no video.\n",
                     VITREL_INTRO_VIDEO_MODULE);
    return make;
}

}  // namespace
#endif

std::unique_ptr<IntroVideo> MakeIntroVideo(wxWindow* parent, const wxSize& size,
                                           const IntroVideoEvents& events)
{
#ifdef VITREL_INTRO_VIDEO_MODULE
    const MakeFunction make = FindMakeFunction();
    if (make == nullptr)
        return nullptr;
    return std::unique_ptr<IntroVideo>(make(parent, size, events));
#else
    return std::unique_ptr<IntroVideo>(VitrelMakeIntroVideo(parent, size, events));
#endif
}
