// The status-bar prompt of every command of the main frame's menus and tool
// bar (shown while the item is highlighted), its tool-tip, and the idle text.
// The command line uses the same words where it names a command.
#pragma once

#include <string>

namespace gantry::tool {

enum class FrameCommand {
    FileNew,
    FileOpen,
    FileSave,
    FileSaveAs,
    FileMru,
    AppExit,
    Connect,
    OfflineConfiguration,
    ConnectionSettings,
    ViewToolbar,
    ViewStatusBar,
    RefreshDeviceStatus,
    Upload,
    Download,
    ClearErrorStatus,
    AddIoPoint,
    EditIoPoint,
    RemoveIoPoint,
    RemoveAllIoPoints,
    FlashUpdate,
    AppAbout,
    ExportReport,
    CompareWithModule,
    RestoreBackup,
    VerifyDownload,
};

// The message-pane text while the command is highlighted.
std::string CommandPrompt(FrameCommand command);
// The tool-tip of its tool-bar button (short form).
std::string CommandTip(FrameCommand command);

// The message pane when nothing is highlighted and nothing runs.
inline constexpr const char* f_szIdlePrompt = "Ready";

}  // namespace gantry::tool
