#pragma once
// The diary's history list: a virtual report list. Its rows are read from
// the diary document only when they are drawn, so showing the diary costs
// the same for ten entries as for a hundred thousand.

#include <vector>

#include <wx/listctrl.h>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}

class HistoryListView : public wxListView {
public:
    HistoryListView(wxWindow* parent, wxWindowID id, const wxString& name);

    // Shows the entries of doc: Date, Time and Summary, even rows grey. The
    // document must stay unchanged until the next call; ShowNothing first
    // when it is about to change.
    void ShowEntries(const tinyxml2::XMLDocument& doc);
    void ShowNothing();

protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

private:
    std::vector<const tinyxml2::XMLElement*> entries;
    mutable wxItemAttr evenRow;
};
