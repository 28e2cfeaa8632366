#pragma once
// The diary's history list: a virtual report list. Its rows are read from
// the diary document only when they are drawn, so showing the diary costs
// the same for ten entries as for a hundred thousand.

#include <vector>

#include <wx/listctrl.h>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

class HistoryListView : public wxListView {
public:
    HistoryListView(wxWindow* parent, wxWindowID id, const wxString& name);

    // Shows the entries of doc: Date, Time and Summary, even rows grey. The
    // document must stay unchanged until the next call; ShowNothing first
    // when it is about to change.
    void ShowEntries(const tinyxml2::XMLDocument& doc);
    void ShowNothing();
    // A width for `column` that shows its title and its texts whole on every
    // platform: measured here, since a native list may size a virtual list's
    // column, or its title, too narrow. A long diary is measured at its first
    // and last rows, which hold the formats it was written in; `extra` is one
    // more text the column is to hold.
    int WidthToShow(int column, const wxString& extra) const;

protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

private:
    // An empty list has no row to draw the focus on: it draws it around itself.
    void OnRowsPaint(wxPaintEvent& event);
    wxWindow* rows = nullptr;  // where the rows are drawn
    std::vector<const tinyxml2::XMLElement*> entries;
    mutable wxItemAttr evenRow;
};
