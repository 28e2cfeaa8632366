#pragma once

#include <functional>
#include <memory>

#include <wx/panel.h>

class IntroVideo;
class wxMediaEvent;

// The Intro page: the product's words and the intro video, made when the
// page is first shown: the media backend costs more to start than the rest
// of the window.
class IntroPage : public wxPanel {
public:
    explicit IntroPage(wxWindow* parent);
    ~IntroPage() override;

    // The page came into view, or left it.
    void Shown();
    void Hidden();
    // The video has loaded (it plays when the page is in view), or played to
    // its end (it is loaded afresh next time).
    void MediaLoaded();
    void MediaFinished();

    // Told the video's events, and its window once it is made; set before
    // the page is first shown.
    std::function<void(wxMediaEvent&)> mediaLoaded;
    std::function<void(wxMediaEvent&)> mediaFinished;
    std::function<void(wxWindow* media)> mediaCreated;

private:
    void CreateContent();
    void CreateMedia();

    std::unique_ptr<IntroVideo> video;  // ID_MEDIA, made when the page is first shown
    bool videoLoaded = false;  // loaded when its page is first shown
    bool videoEnded = false;  // played to its end: next time from the start
};
