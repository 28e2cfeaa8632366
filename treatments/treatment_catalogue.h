#pragma once

#include <memory>
#include <string>
#include <vector>

#include "treatments/firing_pattern.h"

struct CatalogueScan;

// How the catalogue file is read: quickly when it holds only elements and
// text, else by the XML library; or by the library whatever it holds (to
// compare the two).
enum class CatalogueReading { Quick, Library };

// Why the last Load added no treatment. A missing file is named elsewhere,
// with the other missing files.
enum class CatalogueProblem { None, Missing, NotOpened, NotXml, NotACatalogue, NoUsableTreatment };

// One catalogue entry. Texts are UTF-8 (legacy text decoded); Title holds at
// most 200 characters and Description 20,000, longer ones are cut, and a
// Description has a zero-width space after every 100 characters without
// white space.
struct TreatmentRecord {
    std::string Title;
    std::string Description;
    int BodySpot = 0;  // 0 = general treatment, 1..24 = spot on the body pictures
    std::string DayTreatment;
    std::string NightTreatment;
    FiringPattern Pattern;
};

// The catalogue of ready-made treatments delivered with the program, read
// once at start-up into a table sized to the file (at most Capacity records).
// A record's index is its identity.
class TreatmentCatalogue {
public:
    static constexpr int Capacity = 1000;

    // Appends the file's usable Treatment elements to the table, in file
    // order; returns the number of records added.
    int Load(const char* path, CatalogueReading reading = CatalogueReading::Quick);

    // Indexes of the records that spot selection s stands for: every record
    // for s = 0, the records with BodySpot s - 1 otherwise, in catalogue order.
    std::vector<int> Matching(int selection) const;
    // Empties `titles` and appends the titles of the records that spot
    // selection s stands for, in catalogue order: what the treatments list
    // box shows for that selection.
    void FillTitleList(int selection, std::vector<std::string>& titles) const;

    int Count() const { return static_cast<int>(records.size()); }
    CatalogueProblem Problem() const { return problem; }
    // Valid for 0 <= index < Count(), until the next Load.
    const TreatmentRecord& Record(int index) const { return records[index]; }

private:
    // Appends the scanned Treatment elements to the table.
    int Take(const CatalogueScan& scan);

    std::vector<TreatmentRecord> records;
    CatalogueProblem problem = CatalogueProblem::None;
};
