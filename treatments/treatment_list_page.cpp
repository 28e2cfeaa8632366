// The catalogue's titles in the treatments list box.
#include <wx/listbox.h>

#include "app/translations.h"
#include "treatments/treatment_catalogue.h"

void TreatmentCatalogue::Load(const char* path, wxListBox* list)
{
    const int first = count;
    Load(path);
    // One insertion of all titles: the list box then sizes itself once.
    wxArrayString titles;
    titles.reserve(count - first);
    for (int i = first; i < count; ++i)
        titles.push_back(CatalogueText(records[i].Title));
    list->Append(titles);
}

void TreatmentCatalogue::FillTitleList(int selection, wxListBox* list) const
{
    list->Clear();
    wxArrayString titles;
    for (int index : Matching(selection))
        titles.push_back(CatalogueText(records[index].Title));
    list->Append(titles);
}
