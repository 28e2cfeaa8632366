#pragma once
// The intro video's player, behind an interface of the program's own.
//
// On Linux the player lives in a module of its own, vitrel-intro-video.so,
// loaded when the Intro page is first shown: the toolkit's media library and
// the GStreamer libraries under it are about 1.8 MB of resident memory, and
// most runs never show the video. On Windows it is linked into the program.

#include <functional>
#include <memory>

class wxMediaEvent;
class wxSize;
class wxString;
class wxWindow;

class IntroVideo {
public:
    virtual ~IntroVideo() = default;
    // The player's window; its parent owns it.
    virtual wxWindow* Window() const = 0;
    // False when the file cannot be played; the loaded event follows a true.
    virtual bool Load(const wxString& path) = 0;
    virtual void SetPlaybackRate(double rate) = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
};

// What the player tells: the video has loaded, or played to its end.
struct IntroVideoEvents {
    std::function<void(wxMediaEvent&)> loaded;
    std::function<void(wxMediaEvent&)> finished;
};

// A player in `parent`, named "ID_MEDIA"; null (with a line on standard
// error) when the module cannot be loaded.
std::unique_ptr<IntroVideo> MakeIntroVideo(wxWindow* parent, const wxSize& size,
                                           const IntroVideoEvents& events);

// The module's one entry point.
extern "C" IntroVideo* VitrelMakeIntroVideo(wxWindow* parent, const wxSize& size,
                                            const IntroVideoEvents& events);
constexpr const char* IntroVideoEntryPoint = "VitrelMakeIntroVideo";
