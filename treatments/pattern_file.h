#pragma once
// The pattern file: "AdvancedSettings.xml" and every exported or imported
// pattern share one format, root element "VitrelAdvancedSettings".

#include <ctime>
#include <string>
#include <vector>

#include "treatments/firing_pattern.h"

namespace tinyxml2 {
class XMLDocument;
}

// What the Advanced Settings page writes: the five quantities as its fields
// hold them and one state per slot box, in slot order (true = the slot fires).
struct PatternFileContent {
    double BaseFrequency = 0.0;
    double BaseTimePeriod = 0.0;
    double SlotFrequency = 0.0;
    double TimePeriodPerSlot = 0.0;
    double NumberOfSlots = 0.0;
    std::vector<bool> Slots;
};

// Writes `content` to `path` through `document` (emptied first), atomically.
// The reals are written in the XML library's text form for doubles ("%.17g"),
// produced without regard to LC_NUMERIC; slots as 1 or 0. Returns false when
// the file could not be written or its text would not read back as
// `content`; `path` is then untouched.
bool WritePatternFile(const char* path, const PatternFileContent& content, tinyxml2::XMLDocument& document);

// Why a pattern file was not read or written.
enum class PatternFileRefusal {
    None,
    // Reading
    Missing,
    NotRegular,
    Unreadable,
    Empty,
    NotXml,
    NoRoot,
    NoBaseFrequency,
    BaseFrequencyNotPositive,
    NoSlotCount,
    SlotCountOutOfRange,
    BaseFrequencyUnusable,  // also when writing: no usable slot timing
    // Writing, and naming the file
    NotWritten,
    FileNameUnusable,
};

// The refusal in plain English words, as a clause that follows "because",
// for example "it has no NumberOfSlots value".
const char* PatternFileRefusalText(PatternFileRefusal refusal);

struct PatternFileResult {
    bool ok = false;
    // When !ok: why.
    PatternFileRefusal refusal = PatternFileRefusal::None;
    // When ok: BaseFrequency, NumberOfSlots and the first NumberOfSlots Slot
    // states from the file (1 = fires, 0 = silent), the other quantities
    // derived by rule 1. The file's own derived values are ignored.
    FiringPattern pattern;
    // Something is there that a save must not replace: a file that is not
    // empty (readable or not), or a folder or special file by that name.
    bool hasContent = false;
    // What is there is a folder, FIFO, socket or device.
    bool notRegular = false;
};

// Reads the pattern file at `path` into `document`. Only a regular file is
// read: anything else by that name is refused at once. A file that is missing,
// is not well-formed XML, lacks the root, BaseFrequency or NumberOfSlots, has
// a BaseFrequency that is not a finite number above zero, or a NumberOfSlots
// that is not a whole number from 1 to FiringPattern::MaxSlots is refused.
// Slots without a Slot element are silent.
PatternFileResult ReadPatternFile(const char* path, tinyxml2::XMLDocument& document);

// Renames the file at `path` to one beside it that says it could not be read
// and when, "AdvancedSettings.unreadable-20261207-091500.xml" for `when` at
// 09:15:00 on 7 December 2026 (a number is added when that name is taken).
// Returns the new path, or "" when the file could not be renamed.
std::string MoveUnreadableAside(const char* path, const std::tm& when);
