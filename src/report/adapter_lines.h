// Per-adapter reports: the query line, the download result line and the
// "not required" note.
#pragma once

#include <ctime>

#include "core/fixed_text.h"
#include "core/image_kind.h"

namespace vornup {

struct Adapter;
struct RunState;

// The versions as the reports show them: FC versions behind their type code,
// converged-family versions and the placeholders "N/A" / "NONE" alone.
struct AdapterVersionTexts {
  FixedText<40> firmware;
  FixedText<104> bootCode;
};
AdapterVersionTexts versionTextsOf(const Adapter& adapter);

// The adapter's identity and versions ("\nHBA=..., Boot Code=..."), named by
// WWN or by MAC address; false (and `body` empty) for a port of neither kind.
bool formatAdapterBody(const Adapter& adapter, FixedText<512>& body);

// Prints the adapter's query line, without a final newline, when /q is set:
// the inventory alone.
void printPlainQueryLine(RunState& run, const Adapter& adapter);

// The same with the image of the kind `kind` about to be used, or "NONE" when
// there is none, as `imageText`.
void printQueryLine(RunState& run, const Adapter& adapter, const char* imageText, ImageKind kind);

// Fills `line` with the start of a download result line, up to "Status=",
// stamped with the current local time. A line too long for the field is cut.
void formatResultLine(FixedText<256>& line, const Adapter& adapter, const char* newVersion,
                      const char* updateLabel, const char* installed, const char* imageName);

// The same with a given time text (the time stamp part of the line).
void formatResultLineAt(FixedText<256>& line, const char* timeText, const Adapter& adapter,
                        const char* newVersion, const char* updateLabel, const char* installed,
                        const char* imageName);

// A broken-down time written as "Wed Jun 30 21:49:08 1993\n"; a missing or
// impossible time gives "Current time is not available".
void formatTimeText(const std::tm* time, FixedText<64>& text);

// Under /rewrite, /update or /downgrade: the note that the adapter needed no
// download of the image kind `kind`.
void printNotRequired(RunState& run, const Adapter& adapter, ImageKind kind);

}  // namespace vornup
