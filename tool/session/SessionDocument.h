// The document role of the configuration session: the records as a document
// (modified when they differ from what they were at the last New, Open, Save
// or Upload), the file they belong to, the save-changes question before they
// are replaced, and File New and File Open.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tool/model/ConfigFile.h"
#include "tool/session/ScreenEntries.h"
#include "tool/session/SessionScreens.h"
#include "tool/session/SessionState.h"

namespace gantry::tool {

// The caption of the document's messages, and the save-changes question.
inline constexpr const char* f_szAppCaption = "GYConfig";
inline constexpr const char* f_szUntitled = "Untitled";
std::string SaveChangesQuestion(const std::string& document);

// The new-module dialog's items: each known combination's name and, in
// parentheses, the catalogue numbers of the gateway models it covers.
std::vector<std::string> NewModuleItems();

class SessionDocument {
public:
    SessionDocument(SessionState& state, SessionScreens& screens)
        : m_s(state), m_screens(screens) {}

    // Whether the records differ from the last New, Open, Save or Upload.
    bool IsModified() const;
    // The file the document was opened from or saved to; empty before.
    const std::string& DocumentPath() const { return m_s.documentPath; }
    // The file's name without its folder, or "Untitled".
    std::string DocumentTitle() const;
    // The save-changes question, asked before a new document replaces a
    // modified one (Yes / No / Cancel; Yes saves, through the Save As dialog
    // when the document has no file). true when the current document may be
    // replaced; false for Cancel or a failed save.
    bool SaveModified();
    // File New: the question, then NewConfiguration. false when the question
    // or the product choice was cancelled: nothing changed.
    bool NewDocument();
    // File Open: the question, then the file, opened by OpenConfiguration.
    // A file that cannot be read or opened is shown ("Failed to open
    // document.", "Unexpected file format.", then the path and why: not found,
    // a directory, the system's reason, another product than the gateway's)
    // and changes nothing. `missing` (when given) tells whether nothing was at
    // the path.
    bool OpenDocument(const std::string& path, bool* missing = nullptr);
    // File Save and Save As: the records take the entries' texts as they are
    // (saving never validates) and are written to `path` (replaced atomically);
    // the document then has that file and is unmodified. "Failed to save
    // document." when the file cannot be written.
    bool SaveDocument(const std::string& path, const ScreenEntries& entries);
    // The records of File New. With no working gateway, or offline, the
    // product is chosen first (Cancel: false, nothing changed) and the tool
    // goes offline; with a working gateway the gateway's pair stays. The
    // records the pair has take their defaults; the I/O table is emptied.
    bool NewConfiguration();
    // File Open of a configuration file's bytes. With a working gateway the
    // file's pair must be the gateway's ("Failed to open document."); a short
    // file is "Unexpected file format."; both change nothing (the frame shows
    // the message). Otherwise the tool goes offline with RunState 0, a new
    // pair becomes the offline identity and the screens are rebuilt for it,
    // and the records take the file's values.
    OpenResult OpenConfiguration(std::span<const std::uint8_t> bytes);

private:
    // A file that could not be opened or saved: the text names the path and why.
    void ShowFileFailure(const std::string& text);

    SessionState& m_s;
    SessionScreens& m_screens;
};

}  // namespace gantry::tool
