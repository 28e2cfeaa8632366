#pragma once

#include <functional>
#include <memory>

#include <wx/panel.h>

#include "ui/pages/notebook_page.h"

class IntroVideo;
class wxMediaEvent;

// The Intro page: the product's words and the intro video, made when the
// page is first shown: the media backend costs more to start than the rest
// of the window.
class IntroPage : public wxPanel, public NotebookPage {
public:
    explicit IntroPage(wxWindow* parent);
    ~IntroPage() override;

    // The words, and a place for the video.
    void CreateContent() override;
    // The page came into view: the video is made, and plays from its start
    // or from where it stopped. The page left the view: the video stops.
    void Shown() override;
    void Hidden() override;
    // The video has loaded: it plays when the page is in view.
    void MediaLoaded();

    // Told the video's loaded event, and its window once it is made; set
    // before the page is first shown.
    std::function<void(wxMediaEvent&)> mediaLoaded;
    std::function<void(wxWindow* media)> mediaCreated;

private:
    void CreateMedia();

    std::unique_ptr<IntroVideo> video;  // ID_MEDIA, made when the page is first shown
    bool videoLoaded = false;  // loaded when its page is first shown
    bool videoEnded = false;  // played to its end: next time from the start
};
