// What keeps a download safe, around the download's own requests (which stay
// as they are): before the first write, the configuration the gateway holds
// is kept as a backup; after the Save, the records written are read back and
// compared with what was sent. Owned by the session's device procedures: their
// Download hands BeforeWrites to the record transfer as the step before the
// first write, and calls AfterWrites with the transfer's list of the records
// written after the download's last request. Gate thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tool/model/Configuration.h"
#include "tool/model/ConfigurationCompare.h"
#include "tool/session/BackupStore.h"
#include "tool/session/RecordTransfer.h"

namespace gantry::tool {

struct SessionState;
struct DownloadReport;
struct GatewaySnapshot;

inline constexpr const char* f_szDownloadedAndVerified = "Downloaded and verified";
// At most this many differences are listed in the message, then a count.
inline constexpr std::size_t f_nListedDifferences = 20;

struct VerificationResult {
    bool performed = false;  // the download was written whole and verification is on
    bool read = false;       // the gateway answered the read-back
    std::vector<ConfigurationDifference> differences;  // what was sent -> what it holds
    bool Passed() const { return performed && read && differences.empty(); }
};

// "The gateway does not hold what was downloaded (N differences):" and one
// line per difference, the first 20, then "... and K more".
std::string VerificationFailedText(const VerificationResult& result);

// What was sent against what the gateway answers, on the fields its records
// carry: I/O points of a firmware whose records leave out the priority are
// compared without it.
std::vector<ConfigurationDifference> CompareReadBack(const CConfiguration& sent,
                                                     const GatewaySnapshot& readBack);

class CDownloadSafety {
public:
    explicit CDownloadSafety(SessionState& state) : m_state(state) {}

    // Whether the records are read back. The front ends turn it on unless the
    // user turned it off (the window's remembered setting, the command line's
    // --no-verify); a session nobody set up downloads as it always did.
    void SetVerify(bool verify) { m_verify = verify; }
    bool Verify() const { return m_verify; }

    // The session read this gateway's whole configuration (Upload, or a
    // verified read-back): a backup before the next download saves this copy
    // instead of reading the gateway again.
    void RememberGatewayCopy(std::uint32_t serialNumber, const CConfiguration& config);
    // Something was written to the gateway: the copy no longer holds.
    void ForgetGatewayCopy() { m_copy.reset(); }

    // Before the first write: the backup. false when it could not be read or
    // written: the message (caption "Configuration Download") has been shown
    // and nothing may be sent.
    bool BeforeWrites();
    // After the download's last request: the read-back of the records a
    // download written whole wrote (`written`, in order), compared with what
    // was sent; the differences are shown as one message.
    void AfterWrites(const DownloadReport& report, const std::vector<RecordKind>& written);

    // The last download's backup and check.
    const std::optional<BackupWrite>& LastBackup() const { return m_backup; }
    const VerificationResult& LastVerification() const { return m_verification; }

private:
    struct GatewayCopy {
        std::uint32_t serialNumber = 0;
        CConfiguration config;
    };
    void Warn(const std::string& text);

    SessionState& m_state;
    bool m_verify = false;
    std::optional<GatewayCopy> m_copy;
    std::optional<BackupWrite> m_backup;
    VerificationResult m_verification;
};

}  // namespace gantry::tool
