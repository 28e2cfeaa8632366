#pragma once

// What every page of the main notebook does as it comes into view and
// leaves it. The notebook's page change calls these, knowing no page in
// particular. A page is a window of its own kind (the Advanced Settings page
// scrolls, the others are panels) and this base besides.
class NotebookPage {
public:
    virtual ~NotebookPage() = default;

    // Makes the page's controls, when it is first shown; a page that has
    // them already keeps them. A page whose controls cost little to make has
    // them from the start.
    virtual void CreateContent() { }
    // The page came into view, its controls made; or it left the view.
    virtual void Shown() { }
    virtual void Hidden() { }
};
