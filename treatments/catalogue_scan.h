#pragma once
// A quick reader for the treatments catalogue. Building the XML library's
// document of a full catalogue (1,000 treatments of 250 slots, a quarter of a
// million elements) costs about ten times more than reading the texts the
// catalogue needs. The catalogue as the program writes and ships it uses
// only elements and text, so it is scanned here; a file that uses more of XML
// (comments, CDATA, attributes, a document type, a stray declaration) or is
// not well formed is left to the library, which then reads it as before.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

// One child element of a Treatment: its name and the text it directly
// contains (its first child when that is text), as the library gives it.
struct CatalogueChild {
    std::string_view name;
    std::string_view text;
    bool hasText = false;
};

// The Treatment elements of the root "VitrelTreatmentsList", in document
// order, each as the range [first, end) of `children`.
struct CatalogueScan {
    struct Treatment {
        size_t first = 0;
        size_t end = 0;
    };
    std::vector<Treatment> treatments;
    std::vector<CatalogueChild> children;
    // Texts the scan had to decode (entities, line ends); children point here.
    std::deque<std::string> decoded;
};

// Scans `text`, the whole file. False when the file is not one the scan
// reads exactly as the library does: the library must read it then. The
// views in `scan` point into `text` and `scan.decoded`.
bool ScanPlainCatalogue(std::string_view text, CatalogueScan& scan);
