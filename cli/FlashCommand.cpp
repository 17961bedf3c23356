#include "cli/FlashCommand.h"

#include <fstream>
#include <iomanip>
#include <iostream>
#include <memory>

#include "tool/device/InputFile.h"
#include "tool/session/FirmwareSession.h"

namespace gantry::cli {

using namespace gantry::tool;

namespace {

// Prints the rows of a revision list under `title`.
void PrintRevisions(const std::string& title, const std::vector<RevisionRow>& rows) {
    std::cout << title << ":\n";
    for (const RevisionRow& row : rows) {
        std::cout << "  " << std::left << std::setw(15) << row.module << row.revision << "\n";
    }
}

// The dialog's progress and status texts on the terminal: one progress bar
// per image, the status texts as lines of their own.
class CFlashProgress : public IFirmwareUpdateListener {
public:
    void ProgressChanged(const FirmwareProgress& progress) override {
        if (!m_bar || m_finished) {
            m_bar = std::make_unique<CProgressBar>(FirmwareAreaName(progress.area));
            m_finished = false;
        }
        m_bar->Update(progress.position, progress.range);
        if (progress.position == progress.range) {
            m_bar->Finish();
            m_finished = true;
            std::cerr << progress.transferredText << "\n";
        }
    }
    void StatusTextsChanged(const std::string& first, const std::string& second) override {
        if (!first.empty()) {
            std::cerr << first << " " << second << std::endl;
        }
    }

private:
    std::unique_ptr<CProgressBar> m_bar;
    bool m_finished = false;
};

}  // namespace

int FlashExitCode(FlashOutcome outcome) {
    switch (outcome) {
        case FlashOutcome::Verified:
            return kExitOk;
        case FlashOutcome::NotReconnected:
            return kExitNoGateway;
        default:
            return kExitRefused;
    }
}

int RunFlash(CliContext& context, const std::string& description) {
    const InputFileResult readable = ReadInputFile(description, kMaxDescriptionFileBytes);
    if (!readable.bytes) {
        PrintMessage("Error", "Unable to read the update description: " + readable.error);
        return kExitUsage;
    }
    const int connected = context.ConnectGateway();
    if (connected != kExitOk) {
        return connected;
    }
    CFlashProgress progress;
    CFirmwareSession firmware(context.Session(), &progress);
    if (!firmware.Open()) {
        return kExitRefused;
    }
    PrintRevisions("Device Revisions", firmware.DeviceRows());
    if (!firmware.SelectFile(description)) {
        return kExitUsage;
    }
    if (!firmware.Update().Description().empty()) {
        std::cout << "Description: " << firmware.Update().Description() << "\n";
    }
    PrintRevisions("Image Revisions", firmware.ImageRows());
    std::cout << std::flush;
    if (!Confirm("Flash Update", "Write these images into the gateway?", context.options.yes)) {
        PrintMessage("Flash Update", "Nothing was written.");
        return kExitRefused;
    }
    const FlashOutcome outcome = firmware.Start();
    firmware.Finish();  // every screen shows the gateway as it now is
    if (outcome == FlashOutcome::Verified) {
        std::cout << "After the update:\n";
        PrintRevisions("Device Revisions", firmware.DeviceRows());
    }
    return FlashExitCode(outcome);
}

void AddFlashCommand(CLI::App& app, CliContext& context) {
    static std::string description;
    CLI::App* flash = app.add_subcommand(
        "flash", "Write the firmware images of an update description (.nvs) into the gateway");
    flash->add_option("FILE", description, "Update description file (.nvs)")->required();
    flash->callback([&context] { context.exitCode = RunFlash(context, description); });
}

}  // namespace gantry::cli
