#pragma once

#include <functional>

#include <wx/panel.h>

#include "ui/pages/notebook_page.h"

class wxChoice;
class wxListBox;
class wxStaticText;
class wxTextCtrl;
class PatternPreviewControl;
class StickSession;
class TreatmentCatalogue;
struct FiringPattern;
struct TreatmentRecord;
enum class CatalogueProblem;

// The Treatments page: the spot filter, the list of the catalogue's
// treatments it shows, the treatment picked (title, description, pattern),
// Apply and Write Vitrel. Row k of the list is the k-th record the filter
// shows; the treatment picked is the one a double-click showed. Its controls
// are made with the page, at start-up; their events reach the frame by their
// ids (ui/common/window_ids.h).
class TreatmentsPage : public wxPanel, public NotebookPage {
public:
    TreatmentsPage(wxWindow* parent, const TreatmentCatalogue& catalogue);

    // Fills the list with every title of the catalogue, once it is read, and
    // shows its first treatment.
    void ShowCatalogue();

    // What the page's handlers do: a spot chosen in the choice, a row
    // double-clicked or highlighted, Apply.
    void FilterByChosenSpot();
    void PickRow(int row);
    void ShowListHint();
    void ApplyPickedTreatment();
    // Write Vitrel: asks, writes the picked treatment through `session`,
    // then hands its pattern to applyPattern as Apply does.
    // True when the programme went out; its check follows.
    bool WriteToStick(StickSession& session);
    // The spot choice set to `selection` (item k + 1 is spot k), and the list
    // narrowed to it.
    void ChooseSpot(int selection);

    // The treatment Apply and Write Vitrel use; nullptr when there is none.
    const TreatmentRecord* PickedTreatment() const;
    int SpotFilter() const { return spotFilter; }
    // The body spot of the treatment picked, as the spot choice names it
    // ("Spot 3"); empty for a general treatment or none.
    wxString PickedSpotName() const;
    int SelectedTreatment() const { return selectedTreatment; }

    // Told the spot choice's selection whenever the list was narrowed to it.
    std::function<void(int selection)> spotFilterChanged;
    // Given the pattern of the treatment Apply applies.
    std::function<void(const FiringPattern& pattern)> applyPattern;

private:
    void ShowSpotFilter(int selection);
    void SelectShownTreatmentRow();
    void ShowPickedTreatment();

    const TreatmentCatalogue& catalogue;
    int spotFilter = 0;  // the spot choice's selection the list shows
    int selectedTreatment = 0;  // the catalogue index of the treatment picked

    wxChoice* spotChoice = nullptr;  // ID_CHOICE1
    wxListBox* treatmentList = nullptr;  // ID_LISTBOX1
    wxStaticText* listHint = nullptr;  // ID_STATICTEXT41
    wxStaticText* treatmentTitle = nullptr;  // ID_STATICTEXT24
    wxTextCtrl* treatmentDescription = nullptr;  // ID_TEXTCTRL13
    PatternPreviewControl* preview = nullptr;  // ID_PATTERNPREVIEW1
};

// What the user is told when the treatments list at `path` gave no
// treatment; empty when there is nothing to tell.
wxString CatalogueProblemNotice(CatalogueProblem problem, const wxString& path);
