#include "tool/session/CommandPrompts.h"

namespace gantry::tool {

namespace {

struct PromptEntry {
    FrameCommand command;
    const char* prompt;
    const char* tip;
};

// Framework commands keep the framework's own words; the gateway's commands
// say what they do to the gateway.
const PromptEntry f_prompts[] = {
    {FrameCommand::FileNew, "Create a new document", "New"},
    {FrameCommand::FileOpen, "Open an existing document", "Open"},
    {FrameCommand::FileSave, "Save the active document", "Save"},
    {FrameCommand::FileSaveAs, "Save the active document with a new name", "Save As"},
    {FrameCommand::FileMru, "Open this document", "Open"},
    {FrameCommand::AppExit, "Quit the application; prompts to save documents", "Exit"},
    {FrameCommand::Connect, "Leave offline mode and connect to the gateway on the serial line",
     "Connect"},
    {FrameCommand::OfflineConfiguration,
     "Work offline: the simulated gateway answers instead of the serial line",
     "Offline Configuration"},
    {FrameCommand::ConnectionSettings,
     "Link the serial adapter as a COM port and test the gateway on it", "Connection Settings"},
    {FrameCommand::ViewToolbar, "Show or hide the toolbar", "Toggle ToolBar"},
    {FrameCommand::ViewStatusBar, "Show or hide the status bar", "Toggle StatusBar"},
    {FrameCommand::RefreshDeviceStatus, "Read the identity and run state of the gateway",
     "Refresh Device Status"},
    {FrameCommand::Upload, "Read the whole configuration from the gateway", "Upload from Module"},
    {FrameCommand::Download, "Write the configuration into the gateway", "Download to Module"},
    {FrameCommand::ClearErrorStatus, "Clear the gateway's error status", "Clear Error Status"},
    {FrameCommand::AddIoPoint, "Add I/O Point", "Add I/O Point"},
    {FrameCommand::EditIoPoint, "Edit I/O Point", "Edit I/O Point"},
    {FrameCommand::RemoveIoPoint, "Remove I/O Point", "Remove I/O Point"},
    {FrameCommand::RemoveAllIoPoints, "Remove All I/O Points", "Remove All I/O Points"},
    {FrameCommand::FlashUpdate, "Write new firmware into the gateway from an update description",
     "Flash Update"},
    {FrameCommand::AppAbout, "Display program information, version number and copyright", "About"},
    {FrameCommand::ExportReport,
     "Write the commissioning report of the configuration as a PDF or HTML file", "Export Report"},
    {FrameCommand::CompareWithModule,
     "Read the gateway and list how its configuration differs from the document",
     "Compare with Module"},
    {FrameCommand::RestoreBackup, "Open a backup kept before a download as the document",
     "Restore Backup"},
    {FrameCommand::VerifyDownload,
     "Read the records back after each download and compare them with what was sent",
     "Verify after Download"},
};

const PromptEntry& EntryOf(FrameCommand command) {
    for (const PromptEntry& entry : f_prompts) {
        if (entry.command == command) {
            return entry;
        }
    }
    return f_prompts[0];  // every command has an entry; unreachable
}

}  // namespace

std::string CommandPrompt(FrameCommand command) {
    return EntryOf(command).prompt;
}

std::string CommandTip(FrameCommand command) {
    return EntryOf(command).tip;
}

}  // namespace gantry::tool
