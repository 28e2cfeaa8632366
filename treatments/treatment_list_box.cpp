// The catalogue's titles in the treatments list box.
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/listbox.h>

#include "app/translations.h"
#include "app/vitrel_frame.h"
#include "treatments/treatment_catalogue.h"

void TreatmentCatalogue::Load(const char* path, wxListBox* list)
{
    const int first = Count();
    Load(path);
    // One insertion of all titles: the list box then sizes itself once.
    wxArrayString titles;
    titles.reserve(Count() - first);
    for (int i = first; i < Count(); ++i)
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

wxString CatalogueProblemNotice(CatalogueProblem problem, const wxString& path)
{
    wxFileName file(path);
    file.MakeAbsolute();
    const wxString shown = file.GetFullPath();
    // What is not an ordinary file is named with the missing files.
    if (problem == CatalogueProblem::NotOpened && !file.FileExists())
        problem = CatalogueProblem::Missing;
    switch (problem) {
        case CatalogueProblem::None:
        case CatalogueProblem::Missing:  // named with the other missing files
            return wxString();
        case CatalogueProblem::NotOpened:
            // TRANSLATORS: %s is the full path of the treatments list file.
            return wxString::Format(_("The treatments list \"%s\" could not be opened: check that it is "
                                      "a file you may read. The list of treatments stays empty."),
                                    shown);
        case CatalogueProblem::NotXml:
            // TRANSLATORS: %s is the full path of the treatments list file.
            return wxString::Format(_("The treatments list \"%s\" could not be read: it is not a "
                                      "well-formed XML file. The list of treatments stays empty."),
                                    shown);
        case CatalogueProblem::NotACatalogue:
            // TRANSLATORS: %s is the full path of the treatments list file.
            return wxString::Format(_("The treatments list \"%s\" could not be used: it is not a "
                                      "treatments list (it has no VitrelTreatmentsList element), for "
                                      "example an exported pattern saved over it. The list of "
                                      "treatments stays empty."),
                                    shown);
        case CatalogueProblem::NoUsableTreatment:
            // TRANSLATORS: %s is the full path of the treatments list file.
            return wxString::Format(_("The treatments list \"%s\" holds no treatment that can be used. "
                                      "The list of treatments stays empty."),
                                    shown);
    }
    return wxString();
}
