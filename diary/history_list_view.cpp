#include "diary/history_list_view.h"

#include "diary/diary_file.h"

namespace {
const char* const ColumnFields[] = {"Date", "Time", "Summary"};
}  // namespace

HistoryListView::HistoryListView(wxWindow* parent, wxWindowID id, const wxString& name)
    : wxListView(parent, id, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_VIRTUAL, wxDefaultValidator, name)
{
    evenRow.SetBackgroundColour(wxColour(224, 224, 224));
}

void HistoryListView::ShowEntries(const tinyxml2::XMLDocument& doc)
{
    ShowNothing();
    entries = HistoryEntryElements(doc);
    SetItemCount(static_cast<long>(entries.size()));
}

void HistoryListView::ShowNothing()
{
    DeleteAllItems();  // also drops the selection
    entries.clear();
}

wxString HistoryListView::OnGetItemText(long item, long column) const
{
    if (item < 0 || static_cast<size_t>(item) >= entries.size() || column < 0 || column > 2)
        return wxString();
    return wxString::FromUTF8(HistoryEntryField(*entries[item], ColumnFields[column]));
}

wxItemAttr* HistoryListView::OnGetItemAttr(long item) const
{
    return item % 2 == 0 ? &evenRow : nullptr;
}
