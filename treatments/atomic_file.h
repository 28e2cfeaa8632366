#pragma once

#include <tinyxml2.h>

// Writes doc to path so that path holds either its old content or the complete
// new one, never a half-written file: the text goes to a temporary file in the
// same folder, is flushed to disk, and is then renamed over path. Returns false
// on any failure; path is then untouched and the temporary file removed.
bool SaveDocumentAtomically(tinyxml2::XMLDocument& doc, const char* path);
