#include "tool/ui/AboutDlg.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdint>
#include <fstream>
#include <string>

#include "common/GantryDirectory.h"
#include "common/SharedLibrary.h"

namespace gantry::ui {

namespace {

// The full path of a library of this process whose file name starts with
// `stem`, or "" when none is mapped. Looking does not load it.
std::string LoadedLibraryPath(const std::string& stem) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos) {
            continue;
        }
        const std::string path = line.substr(slash);
        const std::size_t name = path.rfind('/');
        if (path.compare(name + 1, stem.size(), stem) == 0) {
            return path;
        }
    }
    return {};
}

QString RP1210Version() {
    const std::string path = LoadedLibraryPath("libKV121032");
    CSharedLibrary library;  // already mapped: this only takes a reference
    if (path.empty() || !library.Open(path)) {
        return QObject::tr("not loaded");
    }
    using ReadVersionFn = void (*)(char*, char*, char*, char*);
    auto readVersion = library.Resolve<ReadVersionFn>("RP1210_ReadVersion");
    if (!readVersion) {
        return QObject::tr("unknown");
    }
    char major[2] = {}, minor[2] = {}, apiMajor[2] = {}, apiMinor[2] = {};
    readVersion(major, minor, apiMajor, apiMinor);
    return QStringLiteral("%1.%2 (RP1210 API %3.%4)")
        .arg(QString(QLatin1Char(major[0])), QString(QLatin1Char(minor[0])),
             QString(QLatin1Char(apiMajor[0])), QString(QLatin1Char(apiMinor[0])));
}

QString DriverVersion() {
    const std::string path = LoadedLibraryPath("libKVGYSrl");
    CSharedLibrary library;
    if (path.empty() || !library.Open(path)) {
        return QObject::tr("not loaded");
    }
    auto versionInfo = library.Resolve<std::uint64_t (*)()>("SP_GetDllVersionInfo");
    if (!versionInfo) {
        return QObject::tr("unknown");
    }
    return QString::number(static_cast<std::uint32_t>(versionInfo() & 0xFFFFFFFFu));
}

}  // namespace

QStringList CAboutDlg::Lines() {
    return {
        QObject::tr("GYConfig Version %1").arg(QCoreApplication::applicationVersion()),
        QObject::tr("Gantry Configuration"),
        QObject::tr("RP1210 library KV121032: %1").arg(RP1210Version()),
        QObject::tr("Serial driver KVGYSrl: %1").arg(DriverVersion()),
        QObject::tr("Gantry directory: %1").arg(QString::fromStdString(GantryDirectory())),
    };
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About GYConfig"));
    auto* layout = new QVBoxLayout(this);
    for (const QString& line : Lines()) {
        auto* label = new QLabel(line, this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace gantry::ui
