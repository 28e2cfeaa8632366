#include "ui/widgets/history_list_view.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/renderer.h>

#include "diary/diary_file.h"
#include "ui/widgets/theme_colours.h"

namespace {
const char* const ColumnFields[] = {"Date", "Time", "Summary"};
// Rows measured at each end of a long diary.
constexpr long MeasuredRows = 100;
}  // namespace

HistoryListView::HistoryListView(wxWindow* parent, wxWindowID id, const wxString& name)
    : wxListView(parent, id, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_VIRTUAL,
                 wxDefaultValidator, name)
{
    const wxColour evenRowColour(224, 224, 224);
    evenRow.SetBackgroundColour(evenRowColour);
    evenRow.SetTextColour(TextColourOn(evenRowColour));
#ifndef __WXMSW__
    // The toolkit's own list draws the rows in a window of their own, which
    // reports its focus changes to the list.
    for (wxWindow* child : GetChildren())
        if (static_cast<const void*>(child) == static_cast<const void*>(m_mainWin))
            rows = child;
    if (rows == nullptr)
        return;
    rows->Bind(wxEVT_PAINT, &HistoryListView::OnRowsPaint, this);
    const auto redraw = [this](wxFocusEvent& event) {
        if (GetItemCount() == 0)
            rows->Refresh();
        event.Skip();
    };
    Bind(wxEVT_SET_FOCUS, redraw);
    Bind(wxEVT_KILL_FOCUS, redraw);
#endif
}

void HistoryListView::OnRowsPaint(wxPaintEvent& event)
{
    if (GetItemCount() == 0 && rows->HasFocus()) {
        wxPaintDC dc(rows);
        wxRendererNative::Get().DrawFocusRect(rows, dc, rows->GetClientRect().Deflate(2));
    }
    event.Skip();
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

int HistoryListView::WidthToShow(int column, const wxString& extra) const
{
    wxListItem title;
    title.SetMask(wxLIST_MASK_TEXT);
    GetColumn(column, title);
    int widest = std::max(GetTextExtent(title.GetText()).x, GetTextExtent(extra).x);
    const long count = static_cast<long>(entries.size());
    for (long row = 0; row < count; ++row) {
        if (row == MeasuredRows && count > 2 * MeasuredRows)
            row = count - MeasuredRows;
        widest = std::max(widest, GetTextExtent(OnGetItemText(row, column)).x);
    }
    // The header's and the cells' padding on either side, and room for a
    // bold header font.
    return widest + 2 * GetCharWidth() + 16;
}
