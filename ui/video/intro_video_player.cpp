// The intro video's player: the toolkit's media control. Built as the module
// vitrel-intro-video.so on Linux, into the program on Windows.
#include <wx/mediactrl.h>

#include "ui/video/intro_video.h"

namespace {

class MediaPlayer : public IntroVideo {
public:
    MediaPlayer(wxWindow* parent, const wxSize& size, const IntroVideoEvents& events)
        : media(new wxMediaCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, size, 0, wxEmptyString,
                                wxDefaultValidator, "ID_MEDIA"))
    {
        if (events.loaded)
            media->Bind(wxEVT_MEDIA_LOADED, events.loaded);
        if (events.finished)
            media->Bind(wxEVT_MEDIA_FINISHED, events.finished);
    }

    wxWindow* Window() const override { return media; }
    bool Load(const wxString& path) override { return media->Load(path); }
    void SetPlaybackRate(double rate) override { media->SetPlaybackRate(rate); }
    void Play() override { media->Play(); }
    void Stop() override { media->Stop(); }

private:
    wxMediaCtrl* media;
};

}  // namespace

extern "C" IntroVideo* VitrelMakeIntroVideo(wxWindow* parent, const wxSize& size,
                                            const IntroVideoEvents& events)
{
    return new MediaPlayer(parent, size, events);
}
