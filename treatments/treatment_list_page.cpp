// The catalogue's titles in the treatments list box.
#include <wx/listbox.h>

#include "app/translations.h"
#include "treatments/treatment_catalogue.h"

void TreatmentCatalogue::Load(const char* path, wxListBox* list)
{
    const int first = count;
    Load(path);
    for (int i = first; i < count; ++i)
        list->Append(CatalogueText(records[i].Title));
}

void TreatmentCatalogue::FillTitleList(int selection, wxListBox* list) const
{
    list->Clear();
    for (int index : Matching(selection))
        list->Append(CatalogueText(records[index].Title));
}
